"""The options menu in a real window: its layout on a 1000 x 800 window, dragging the volume sliders with
the mouse while Settings.ini follows, stepping the resolution and applying it to the window, full screen
on and off with a window manager and without one, and that a restarted game opens in full screen as it was
saved, the picture laid out for the stored size fitted into the screen and the mouse working where it shows."""

import math
import re

import harness
from harness import EMPTY, SCREEN_H, SCREEN_W, Display, Game, Workdir, is_green_tint, settings_text, wait_settings

BINARY, RESOURCES = harness.arguments()


class Knob:
    """The slider knob bitmap; a knob shows the committed value v when its pixels sit with their centre
    v pixels right of the bar's left edge, on the bar's vertical centre."""

    def __init__(self, work):
        self.img = harness.load_picture(work.asset_path("Slider.bmp"))

    def shown_at(self, shot, bar_x, bar_y, value):
        x0 = math.trunc(bar_x - 50 + value - self.img.width / 2)
        y0 = math.trunc(bar_y - self.img.height / 2)
        opaque = ((x, y, self.img.pixel(x, y)) for y in range(self.img.height) for x in range(self.img.width))
        return all(max(map(lambda a, b: abs(a - b), shot.pixel(x0 + x, y0 + y), want)) <= 8
                   for x, y, want in opaque if want != harness.MAGENTA)

    def value(self, shot, bar_x, bar_y):
        """The value the knob of the bar centred at (bar_x, bar_y) shows, or None."""
        return next((v for v in range(-10, 111) if self.shown_at(shot, bar_x, bar_y, v)), None)


def settings_shown(work, values, what):
    wait_settings(work, lambda v: v == values, what)
    assert work.read("Settings.ini") == settings_text(*values), f"Settings.ini is {work.read('Settings.ini')!r}"


def layout_drag_and_resolution():
    W, H = 1000, 800
    with Display() as display, Workdir(RESOURCES, settings=settings_text(30, 40, W, H, False)) as work:
        with Game(display, BINARY, work) as game:
            game.open_menu()
            img = game.open_options((W, H))
            work.keep_shot(img, "options_1000x800.png")
            ctrl = harness.options_controls((W, H))
            assert ctrl[:2] == [(600, 400), (600, 480)]

            # The music bar is 100 pixels wide whatever its label; its knob shows the stored volume 30.
            x0, _, x1, _ = img.bbox(is_green_tint)
            assert 550 <= x0 <= 552 and 647 <= x1 <= 649, f"music slider bar spans x {x0}..{x1}, expected 550..649"
            knob = Knob(work)
            assert knob.shown_at(img, 600, 400, 30), f"music knob shows {knob.value(img, 600, 400)}, expected 30"
            assert knob.shown_at(img, 600, 480, 40), f"effects knob shows {knob.value(img, 600, 480)}, expected 40"

            # Captions are left-aligned at 40 % of the width, on their control's row.
            for row_y, caption in zip((400, 480, 560, 640), ("Music Volume", "FX Volume", "Resolution", "FullScreen")):
                box = img.bbox(harness.not_black, (300, row_y - 20, 240, 40))
                assert box and 400 <= box[0] <= 403, f'caption "{caption}" starts at {box and box[0]}, expected x 400'

            # The arrow keys walk through the six controls and wrap at both ends.
            for key, index in [("Down", i) for i in (1, 2, 3, 4, 5, 0)] + [("Up", 5), ("Down", 0)]:
                game.select(key, ctrl[index], f"control {index} after {key}")

            # Dragging the music slider: the value follows the mouse and is saved while the button is down.
            xs = [560, 570, 580, 590, 600, 610, 620]

            def music_follows(i):
                wait_settings(work, lambda v: v[0] == xs[i] - 550, f"MusicVolume={xs[i] - 550} while dragging")

            game.drag([(x, 400) for x in xs], during=music_follows)
            game.move(*EMPTY)
            game.wait_shot(lambda img: knob.shown_at(img, 600, 400, 70), what="the music knob at 70")
            settings_shown(work, (70, 40, W, H, 0), "the dragged music volume saved")

            # Effects slider from its right end (100) past its left end (0): both ends are inside the bar,
            # and leaving the bar with the button down keeps the last value.
            fx_points = [(650, 480, 100), (600, 480, 50), (550, 480, 0), (540, 480, 0)]

            def fx_follows(i):
                want = fx_points[i][2]
                wait_settings(work, lambda v: v[1] == want, f"FXVolume={want} with the mouse at x {fx_points[i][0]}")

            game.drag([p[:2] for p in fx_points], during=fx_follows)
            game.move(*EMPTY)
            settings_shown(work, (70, 0, W, H, 0), "the dragged effects volume saved")
            img = game.wait_shot(lambda img: knob.shown_at(img, 600, 480, 0), what="the effects knob at 0")
            work.keep_shot(img, "options_after_drag.png")

            # From 1000 x 800 (not in the list) the resolution steps 640x480, 800x600, 848x480, 1024x768;
            # nothing changes until Apply. Each step shows as a new label on the control.
            img = game.select("Down", ctrl[2], "the resolution control")

            def label_changed(before):
                img = game.shot()
                return img if img.data[band] != before.data[band] else None

            band = slice((int(ctrl[2][1]) - 30) * W * 3, (int(ctrl[2][1]) + 30) * W * 3)
            for n in range(1, 5):
                img = game.press("Return", lambda: label_changed(img), f"resolution step {n} shown")
            assert game.geometry() == (250, 50, W, H), f"the window changed before Apply: {game.geometry()}"
            settings_shown(work, (70, 0, W, H, 0), "Settings.ini unchanged by the resolution steps")
            game.select("Down", ctrl[3], "the full-screen control")
            game.select("Down", ctrl[4], '"Apply"')
            game.press("Return", lambda: game.geometry() == (250, 50, 1024, 768), "a 1024 x 768 window")
            settings_shown(work, (70, 0, 1024, 768, 0), "Settings.ini with 1024 x 768")
            ctrl = harness.options_controls((1024, 768))
            img = game.select(None, ctrl[4], '"Apply" laid out for 1024 x 768')
            work.keep_shot(img, "options_1024x768.png")
            for key, index in (("Up", 3), ("Down", 4), ("Down", 5)):
                game.select(key, ctrl[index], f"control {index} laid out for 1024 x 768, after {key}")

            # Back: the main menu is laid out again for the new size, "Options" still selected.
            img = game.select("Return", harness.menu_entry(2, (1024, 768)), '"Options" in the main menu for 1024 x 768')
            work.keep_shot(img, "main_menu_1024x768.png")
            for index in (1, 0, 3):
                game.select("Up", harness.menu_entry(index, (1024, 768)), f"main menu entry {index} for 1024 x 768")
            game.escape()
        assert work.read("Settings.ini") == settings_text(70, 0, 1024, 768, False)


SCREEN = (SCREEN_W, SCREEN_H)


def covers_screen(img):
    """True when the game covers the whole screen: the bars either side of the 1000 x 800 picture fitted
    into the screen are black, with nothing of the white root window showing."""
    left = harness.fit((1000, 800), SCREEN)[1]
    return not any(img.count(harness.not_black, bar) for bar in ((0, 0, left, SCREEN_H),
                                                                  (SCREEN_W - left, 0, left, SCREEN_H)))


def toggle_and_apply(game, work, on):
    """From the music slider of the options laid out for 1000 x 800, full screen toggled (saved at once, the
    window left as it is) and applied: the window covers the screen, or is 1000 x 800 again, with "Apply"
    still selected where the window shows it."""
    size = game.geometry()[2:]
    ctrl = harness.options_controls((1000, 800), size)
    for index in (1, 2, 3):
        game.select("Down", ctrl[index], f"control {index}")
    game.press("Return", lambda: (work.settings() or [None] * 5)[4] == on, f"Fullscreen={on} after the toggle")
    harness.stays(lambda: game.geometry()[2:] == size, 0.3, "the window left as it was by the toggle, before Apply")
    game.select("Down", ctrl[4], '"Apply"')
    game.press("Return", lambda: game.geometry()[2:] == (SCREEN if on else (1000, 800)), "the window resized by Apply")
    if on:
        harness.poll_until(lambda: game.geometry() == (0, 0, *SCREEN), 30, "a full-screen window")
    apply = harness.options_controls((1000, 800), SCREEN if on else None)[4]

    def shown():
        """The screen once it shows the new size: covered or not, "Apply" selected."""
        screen = game.display.screenshot()
        return covers_screen(screen) == bool(on) and harness.near(harness.green_centre(game.shot()), apply) and screen

    # The first frames of the new size may come before the menu is drawn on them.
    shot = harness.poll_until(shown, 30, f'"Apply" selected at {apply}, the screen {"" if on else "un"}covered')
    work.keep_shot(shot, f"options_fullscreen_{on}.png")


def full_screen_toggle(wm=True):
    """Full screen turned on in the options, then, restarted in full screen, off again; with a window manager
    (which stretches the window) or without one (where the game itself gives the window the screen). In full
    screen the picture laid out for the stored size is fitted, centred, into the screen, and the pointer
    works where things show."""
    W, H = 1000, 800
    with Display(wm=wm) as display, Workdir(RESOURCES, settings=settings_text(100, 100, W, H, False)) as work:
        with Game(display, BINARY, work) as game:
            game.open_menu()
            assert game.geometry()[2:] == (W, H), f"window {game.geometry()}"
            game.open_options((W, H))
            toggle_and_apply(game, work, 1)
            assert work.read("Settings.ini") == settings_text(100, 100, W, H, True)
            game.escape("Escape in full screen")
        assert re.search(rb"(^|\n)1\r?\n", game.output()), f"the toggle did not print 1: {game.output()!r}"

        # The restarted game opens in full screen: its menu fills the screen, the mouse opens the options;
        # toggling back and applying restores the window.
        with Game(display, BINARY, work) as game:
            game.find_window()
            harness.poll_until(lambda: game.geometry() == (0, 0, *SCREEN), 30, "a full-screen window at start")
            img = game.open_menu((W, H))
            work.keep_shot(img, "main_menu_fullscreen.png")
            harness.check_main_menu(img, (W, H))
            game.open_options_by_mouse((W, H))
            toggle_and_apply(game, work, 0)
            assert work.read("Settings.ini") == settings_text(100, 100, W, H, False)
            # Out of full screen the window goes to its fixed place (it started in full screen), its frame on
            # the screen: the screen's corner shows the white root window again.
            if not wm:
                harness.poll_until(lambda: game.geometry() == (250, 50, W, H), 30, "the window at (250, 50)")
            harness.poll_until(lambda: game.display.screenshot().data[:3] == b"\xff\xff\xff", 30,
                               "the screen's corner uncovered")
            game.escape()
        assert re.search(rb"(^|\n)0\r?\n", game.output()), f"the toggle did not print 0: {game.output()!r}"


def full_screen_without_a_window_manager():
    full_screen_toggle(wm=False)


harness.run_cases([layout_drag_and_resolution, full_screen_toggle, full_screen_without_a_window_manager])
