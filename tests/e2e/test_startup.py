"""Start-up and shutdown in a real window: where the window opens, how Settings.ini is rewritten, and that
both ways out (Escape, the window's close request) end with status 0 and SaveData.bin written."""

import harness
from harness import Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

# A hand-written settings file that the game must still understand: bare LF line ends, another section
# name, a comment, keys out of order, an unknown key and a repeated key (the first one counts).
LOOSE_SETTINGS = (
    b"; my settings\n"
    b"[Video]\n"
    b"Fullscreen=0\n"
    b"WindowHeight=800\n"
    b"MusicVolume=37\n"
    b"WindowWidth=1000\n"
    b"Brightness=3\n"
    b"FXVolume=64\n"
    b"MusicVolume=99\n"
)
SAVE_BYTES = bytes(range(1, 9))


def assert_no_load_failures(game):
    out = game.output()
    for word in (b"not loaded", b"failed", b"Press any key"):
        assert word not in out, f"the game reported a failure on standard output: {out[:2000]!r}"


def window_at_requested_place_and_settings_rewritten():
    with Display() as display, Workdir(RESOURCES, settings=LOOSE_SETTINGS, savedata=SAVE_BYTES) as work:
        with Game(display, BINARY, work) as game:
            game.find_window()
            geometry = game.geometry()
            assert geometry == (250, 50, 1000, 800), f"window at {geometry}, expected (250, 50, 1000, 800)"
            # The settings are rewritten in canonical form before the window exists.
            expected = settings_text(37, 64, 1000, 800, False)
            got = work.read("Settings.ini")
            assert got == expected, f"Settings.ini after start-up is {got!r}, expected {expected!r}"
            game.move(*harness.EMPTY)
            game.wait_drawn()
            game.escape()
        assert work.read("SaveData.bin") == SAVE_BYTES, (
            f"SaveData.bin after exit is {work.read('SaveData.bin')!r}, expected {SAVE_BYTES!r}"
        )
        assert work.read("Settings.ini") == expected, "shutdown changed Settings.ini"
        assert_no_load_failures(game)


def defaults_without_settings_file():
    # No Settings.ini: both volumes 100, the desktop's size, full screen on; the file is created at once.
    with Display(wm=True) as display, Workdir(RESOURCES) as work:
        with Game(display, BINARY, work) as game:
            game.find_window()
            expected = settings_text(100, 100, harness.SCREEN_W, harness.SCREEN_H, True)
            got = work.read_if_there("Settings.ini")
            assert got == expected, f"Settings.ini created as {got!r}, expected {expected!r}"
            harness.poll_until(lambda: game.geometry() == (0, 0, harness.SCREEN_W, harness.SCREEN_H), 30,
                               "a full-screen window")
            display.close_window("Quarrow")
            game.check_exit(game.wait_exit(), "the close request")
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


harness.run_cases(
    [window_at_requested_place_and_settings_rewritten, defaults_without_settings_file]
)
