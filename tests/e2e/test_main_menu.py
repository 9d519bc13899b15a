"""Start-up and the main menu in a real 1000 x 800 window: where the window opens, the game's icon on it,
Settings.ini rewritten in the game's form, where the four entries sit, which one is tinted green, how hovering
and the arrow keys move the selection, and that a click with "Quit" selected ends the game with the player's
files kept."""

import re

import harness
from harness import EMPTY, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
# A hand-edited settings file (bare LF line ends, keys out of order) that start-up rewrites in the game's form.
HAND_EDITED = b"[Settings]\nFXVolume=64\nFullscreen=0\nWindowHeight=800\nMusicVolume=37\nWindowWidth=1000\n"
SAVE_BYTES = bytes(range(1, 9))
ENTRIES = {label: harness.menu_entry(i, (W, H)) for i, label in enumerate(harness.MENU_LABELS)}


def window_icon(game):
    """The window's _NET_WM_ICON as numbers: width, height, then one ARGB value per pixel, rows top down."""
    out = game.display.run("xprop", "-id", game.window, "-notype", "-f", "_NET_WM_ICON", "32c", " = $0+",
                           "_NET_WM_ICON", check=False)
    return [int(value) for value in re.findall(r"\d+", out.partition("=")[2])]


def check_window_icon(game, work):
    """The window carries Icon.bmp as its icon, its magenta clear and every other pixel opaque as painted."""
    bitmap = harness.load_picture(work.asset_path("Icon.bmp"))
    icon = harness.poll_until(lambda: window_icon(game), 10, "an icon on the window")
    assert icon[:2] == [bitmap.width, bitmap.height], f"the window's icon is {icon[:2]}, not Icon.bmp's size"
    expected = [0 if rgb == harness.MAGENTA else 0xFF000000 | rgb[0] << 16 | rgb[1] << 8 | rgb[2]
                for rgb in (bitmap.pixel(x, y) for y in range(bitmap.height) for x in range(bitmap.width))]
    # A clear pixel's colour does not count.
    got = [argb if argb >> 24 else 0 for argb in icon[2:]]
    wrong = [i for i, (a, b) in enumerate(zip(got, expected)) if a != b]
    assert len(got) == len(expected) and not wrong, (
        f"the window's icon differs from Icon.bmp at {len(wrong)} pixels, first {wrong[:1]}")


def start_menu_navigation_and_quit():
    with Display() as display, Workdir(RESOURCES, settings=HAND_EDITED, savedata=SAVE_BYTES) as work:
        with Game(display, BINARY, work) as game:
            game.find_window()
            assert game.geometry() == (250, 50, W, H), f"window at {game.geometry()}, expected (250, 50, {W}, {H})"
            check_window_icon(game, work)
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
