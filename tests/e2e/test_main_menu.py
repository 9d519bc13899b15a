"""Start-up and the main menu in a real 1000 x 800 window: where the window opens, Settings.ini rewritten in
the game's form, where the four entries sit, which one is tinted green, how hovering and the arrow keys move
the selection, and that a click with "Quit" selected ends the game with the player's files kept."""

import harness
from harness import EMPTY, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
# A hand-edited settings file (bare LF line ends, keys out of order) that start-up rewrites in the game's form.
HAND_EDITED = b"[Settings]\nFXVolume=64\nFullscreen=0\nWindowHeight=800\nMusicVolume=37\nWindowWidth=1000\n"
SAVE_BYTES = bytes(range(1, 9))
ENTRIES = {label: harness.menu_entry(i, (W, H)) for i, label in enumerate(harness.MENU_LABELS)}


def start_menu_navigation_and_quit():
    with Display() as display, Workdir(RESOURCES, settings=HAND_EDITED, savedata=SAVE_BYTES) as work:
        with Game(display, BINARY, work) as game:
            game.find_window()
            assert game.geometry() == (250, 50, W, H), f"window at {game.geometry()}, expected (250, 50, {W}, {H})"
            # The settings are rewritten in the game's form before the window exists.
            settings = settings_text(37, 64, W, H, False)
            assert work.read("Settings.ini") == settings, f"Settings.ini after start-up: {work.read('Settings.ini')!r}"
            img = game.open_menu()
            work.keep_shot(img, "main_menu_1000x800.png")
            harness.check_main_menu(img, (W, H))

            # Hovering selects.
            game.move(*ENTRIES["Quit"])
            work.keep_shot(game.select(None, ENTRIES["Quit"], '"Quit" hovered'), "main_menu_hover_quit.png")

            # With the pointer back on empty space the keys move the selection, wrapping at both ends.
            game.move(*EMPTY)
            for key, label in [("Down", "Continue"), ("Up", "Quit"), ("Down", "Continue"), ("Down", "New Game"),
                               ("Down", "Options"), ("Down", "Quit")]:
                game.select(key, ENTRIES[label], f'"{label}" selected after {key}')

            # A click anywhere activates the selected entry: "Quit" ends the game.
            game.click(lambda: game.proc.poll() is not None, '"Quit" to end the game')
            game.check_exit(game.proc.returncode, '"Quit"')
        assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
        assert work.read("Settings.ini") == settings, "quitting changed Settings.ini"
        assert not work.exists("level0.level"), '"Quit" generated levels'
        game.check_no_failures()


harness.run_cases([start_menu_navigation_and_quit])
