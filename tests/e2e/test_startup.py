"""Start-up and shutdown in a real window: where the window opens, how Settings.ini is rewritten, and that
every way out (Escape, the window's close request) ends with status 0 and SaveData.bin written."""

import os

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
WINDOWED = settings_text(100, 100, 1000, 800, False)
SAVE_BYTES = bytes(range(1, 9))


def assert_no_load_failures(game):
    out = game.output()
    for word in (b"not loaded", b"failed", b"Press any key"):
        assert word not in out, f"the game reported a failure on standard output: {out[:2000]!r}"


def wait_for_first_frame(game):
    game.wait_shot(lambda img: img.bbox(harness.not_black), what="anything drawn in the window")


def run_until_escape(display, work):
    """Start the game, let it draw, press Escape; return the game after it has exited with status 0."""
    with Game(display, BINARY, work) as game:
        game.wait_window()
        game.move(5, 5)
        wait_for_first_frame(game)
        game.key("Escape")
        status = game.wait_exit()
        assert status == 0, f"Escape ended the game with status {status}\n{game.diagnostics()}"
        return game


def window_at_requested_place_and_settings_rewritten():
    with Display() as display, Workdir(RESOURCES, settings=LOOSE_SETTINGS, savedata=SAVE_BYTES) as work:
        with Game(display, BINARY, work) as game:
            game.wait_window()
            geometry = game.geometry()
            assert geometry == (250, 50, 1000, 800), f"window at {geometry}, expected (250, 50, 1000, 800)"
            # The settings are rewritten in canonical form before the window exists.
            expected = settings_text(37, 64, 1000, 800, False)
            got = work.read("Settings.ini")
            assert got == expected, f"Settings.ini after start-up is {got!r}, expected {expected!r}"
            game.move(5, 5)
            wait_for_first_frame(game)
            game.key("Escape")
            status = game.wait_exit()
            assert status == 0, f"Escape ended the game with status {status}"
        assert work.read("SaveData.bin") == SAVE_BYTES, (
            f"SaveData.bin after exit is {work.read('SaveData.bin')!r}, expected {SAVE_BYTES!r}"
        )
        assert work.read("Settings.ini") == expected, "shutdown changed Settings.ini"
        assert_no_load_failures(game)


def save_file_round_trip():
    # No file: eight zero bytes. Short file: the missing high bytes are zero. Long file: cut to 8 bytes.
    cases = [
        (None, bytes(8)),
        (bytes([0x11, 0x22, 0x33, 0x44, 0x55, 0x66]), bytes([0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0])),
        (bytes.fromhex("ffeeddccbbaa99887766"), bytes.fromhex("ffeeddccbbaa9988")),
    ]
    with Display() as display:
        for before, after in cases:
            with Workdir(RESOURCES, settings=WINDOWED, savedata=before) as work:
                run_until_escape(display, work)
                got = work.read("SaveData.bin") if work.exists("SaveData.bin") else None
                assert got == after, f"SaveData.bin {before!r} came back as {got!r}, expected {after!r}"


def close_request_under_window_manager():
    with Display(wm=True) as display, Workdir(RESOURCES, settings=WINDOWED, savedata=SAVE_BYTES) as work:
        with Game(display, BINARY, work) as game:
            game.wait_window()
            _, _, w, h = game.geometry()
            assert (w, h) == (1000, 800), f"window of {w} x {h} under openbox, expected 1000 x 800"
            game.move(5, 5)
            wait_for_first_frame(game)
            display.close_window("Quarrow")
            status = game.wait_exit()
            assert status == 0, f"the close request ended the game with status {status}"
        assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
        assert work.read("Settings.ini") == WINDOWED, f"Settings.ini is {work.read('Settings.ini')!r}"
        assert_no_load_failures(game)


def defaults_without_settings_file():
    # No Settings.ini: both volumes 100, the desktop's size, full screen on; the file is created at once.
    with Display(wm=True) as display, Workdir(RESOURCES) as work:
        with Game(display, BINARY, work) as game:
            game.wait_window()
            expected = settings_text(100, 100, harness.SCREEN_W, harness.SCREEN_H, True)
            got = work.read("Settings.ini") if work.exists("Settings.ini") else None
            assert got == expected, f"Settings.ini created as {got!r}, expected {expected!r}"
            harness.poll_until(
                lambda: game.geometry() == (0, 0, harness.SCREEN_W, harness.SCREEN_H), 8, "a full-screen window"
            )
            display.close_window("Quarrow")
            status = game.wait_exit()
            assert status == 0, f"the close request ended the game with status {status}"
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


def no_data_folder():
    # Without Resources/Data nothing can be read or written, and the game creates no folder.
    with Display(wm=True) as display, Workdir(RESOURCES, data=False) as work:
        with Game(display, BINARY, work) as game:
            game.wait_window()
            game.move(5, 5)
            display.close_window("Quarrow")
            status = game.wait_exit()
            assert status == 0, f"the close request ended the game with status {status}"
        assert not os.path.exists(work.data_path()), "the game created Resources/Data"


harness.run_cases(
    [
        window_at_requested_place_and_settings_rewritten,
        save_file_round_trip,
        close_request_under_window_manager,
        defaults_without_settings_file,
        no_data_folder,
    ]
)
