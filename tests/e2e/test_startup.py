"""Start-up without a Settings.ini in a real window under a window manager: the defaults, written at once, a
full-screen window, and the window's close request ending the game with status 0 and SaveData.bin written."""

import harness
from harness import Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()


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


harness.run_cases([defaults_without_settings_file])
