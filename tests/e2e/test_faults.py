"""The game in a real window when its files are missing or mangled: no bitmaps and no font, and a
hand-edited Settings.ini with window sizes no window can have. In every case the game must keep running,
print exactly what failed, end with status 0 and leave the player's files whole."""

import collections
import os
import re

import harness
from harness import SCREEN_H, SCREEN_W, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
WINDOWED = settings_text(100, 100, W, H, False)


def bitmap_and_font_failures(out):
    """The game's load-failure messages counted per path ("font" for the font's). That SDL's error text
    follows each on a line of its own is proven by the unit tests. No other kind of failure may show."""
    other = re.findall(rb"^(?:Texture for|Window init|Renderer init|Press any).*", out, re.M)
    assert not other, f"unexpected failure line {other[0]!r}"
    counts = collections.Counter(m.decode() for m in re.findall(rb"^Surface for bitmap '(.*)' not loaded!$", out, re.M))
    counts["font"] = len(re.findall(rb"^Surface for font not loaded!$", out, re.M))
    return counts


def missing_assets_keyboard_still_works():
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED) as work:
        assets = work.asset_path("")
        for name in os.listdir(assets):
            os.remove(os.path.join(assets, name))
        with Game(display, BINARY, work) as game:

            def failures(key, n):
                return lambda: bitmap_and_font_failures(game.output()).get(key, 0) >= n

            game.find_window()
            game.move(*harness.EMPTY)
            # Four entries, each with its own background: four failures for Button.bmp.
            harness.poll_until(failures("Resources/Assets/Button.bmp", 4), 30, "the main menu's four Button.bmp failures")
            harness.poll_until(failures("font", 4), 30, "the font failures of the main menu's labels")
            # Down, Return: "Options" opens; its two sliders load their knobs.
            # Nothing shows a selection, so keys that only move it are held for a few frames.
            game.press("Down")
            game.press("Return", failures("Resources/Assets/Slider.bmp", 2), "the options menu's two Slider.bmp failures")
            # Five times Down reaches "Back"; Return closes the options and rebuilds the main menu.
            for _ in range(5):
                game.press("Down")
            game.press("Return", failures("Resources/Assets/Button.bmp", 14), "the rebuilt main menu's Button.bmp failures")
            # "Options" is still selected: Up selects "New Game" and Return starts it.
            game.press("Up")
            game.press("Return", work.has_levels, "the ten level files")
            # The game scene follows at once. What it prints stays in the game's output buffer until the
            # exit, where its failures are counted; until then, it must draw nothing at all.
            harness.stays(lambda: not any(game.shot().data), 1.0,
                          "a blank window, as every bitmap and the font are missing")
            game.escape()

        out = game.output()
        got = bitmap_and_font_failures(out)
        per_bitmap = {"ParticleBitmap": 1, "Button": 4 + 6 + 4, "Slider": 2, "Level1Tiles": 1, "Player": 16}
        expected = {f"Resources/Assets/{name}.bmp": n for name, n in per_bitmap.items()}
        font = got.pop("font", 0)
        assert got == expected, f"bitmap failures per file {got}, expected {expected}"
        assert font >= 10, f"only {font} font failures were printed"
        # Start-up loads only the particle bitmap; the menu comes next and the game scene last.
        first = out[out.index(b"Surface for bitmap '"):][:80]
        assert first.startswith(b"Surface for bitmap 'Resources/Assets/ParticleBitmap.bmp' not loaded!\n"), (
            f"the first failure printed is not the particle bitmap's: {first!r}")
        tiles = out.index(b"Surface for bitmap 'Resources/Assets/Level1Tiles.bmp'")
        player = out.index(b"Surface for bitmap 'Resources/Assets/Player.bmp'")
        assert out.index(b"room 1: 0, 0") < tiles < player, "the tiles not loaded after the maps and before the player"
        assert harness.printed_levels(work.levels()) in out, "the ten maps and their room lists were not printed"
        assert work.read("Settings.ini") == WINDOWED, f"Settings.ini is {work.read('Settings.ini')!r}"
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


def absurd_settings_values():
    # Sizes that no window can have, read from a hand-edited file: (width, height) as written, as the game
    # rewrites them at start, and how that game is ended.
    cases = [((0, 600), (0, 600), "close"), (("99999999999", 600), (4294967295, 600), "full screen"),
             ((-1, -1), (4294967295, 4294967295), "escape")]
    with Display(wm=True) as display:
        for size, rewritten, ending in cases:
            content, expected = settings_text(5, 6, *size, False), settings_text(5, 6, *rewritten, False)
            try:
                with Workdir(RESOURCES, settings=content) as work, Game(display, BINARY, work) as game:
                    game.find_window()
                    got = work.read("Settings.ini")
                    assert got == expected, f"Settings.ini rewritten as {got!r}, expected {expected!r}"
                    if ending == "close":
                        display.close_window("Quarrow")
                        game.check_exit(game.wait_exit(), "the close request")
                    elif ending == "escape":
                        game.escape()
                    else:
                        # Options, full screen on, Apply: the unusable size still gives a working window.
                        # The menu lies outside the window, so each key is held for a few frames.
                        for key in ("Down", "Return", "Down", "Down", "Down", "Return", "Down"):
                            game.press(key)
                        game.press("Return", lambda: game.geometry()[2:] == (SCREEN_W, SCREEN_H),
                                   "full screen after Apply")
                        expected = expected[:-1] + b"1"
                        assert work.read("Settings.ini") == expected, f"Settings.ini is {work.read('Settings.ini')!r}"
                        game.escape()
                        assert game.output() == b"1\n", f"standard output is {game.output()[:200]!r}, expected 1"
                    assert work.read("Settings.ini") == expected, f"Settings.ini is {work.read('Settings.ini')!r} at exit"
                    assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"
            except AssertionError as e:
                raise AssertionError(f"Settings.ini with a window of {size[0]} x {size[1]}: {e}") from None


harness.run_cases([missing_assets_keyboard_still_works, absurd_settings_values])
