"""Start-up and the main menu in a real 1000 x 800 window: where the window opens, Settings.ini rewritten in
the game's form, where the four entries sit, which one is tinted green, how hovering and the arrow keys move
the selection, and that a click with "Quit" selected ends the game with the player's files kept."""

import harness
from harness import EMPTY, Display, Game, Workdir, centre, is_green_tint, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
# A hand-edited settings file (bare LF line ends, keys out of order) that start-up rewrites in the game's form.
HAND_EDITED = b"[Settings]\nFXVolume=64\nFullscreen=0\nWindowHeight=800\nMusicVolume=37\nWindowWidth=1000\n"
SAVE_BYTES = bytes(range(1, 9))
LABELS = ["Continue", "New Game", "Options", "Quit"]
ENTRIES = {label: harness.menu_entry(i, (W, H)) for i, label in enumerate(LABELS)}


def check_layout(img):
    """Four entries, one band of drawn pixels each, centred on their places; only "New Game" is green."""
    drawn = [y for y in range(H) if any(img.row(y))]
    starts = [y for y in drawn if y - 1 not in drawn]
    bands = [(y0, next(y for y in drawn if y >= y0 and y + 1 not in drawn)) for y0 in starts]
    assert len(bands) == 4, f"expected the four entries as four bands of drawn rows, found {bands}"
    for (label, place), (y0, y1) in zip(ENTRIES.items(), bands):
        band = (0, y0, W, y1 - y0 + 1)
        drawn_at = centre(img.bbox(harness.not_black, band))
        assert harness.near(drawn_at, place), f'"{label}" drawn centred at {drawn_at}, expected {place}'
        greens = img.count(is_green_tint, band)
        if label == "New Game":
            assert greens > 0, '"New Game" is not tinted green'
        else:
            assert greens == 0, f'"{label}" has {greens} green-tinted pixels but is not selected'
            assert img.count(lambda r, g, b: r > 0 and b > 0, band), f'"{label}" shows no untinted button pixels'


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
            check_layout(img)

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
