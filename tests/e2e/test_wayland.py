"""The game on a Wayland desktop: Weston (its X11 back end, drawing with pixman, in a window of the Xvfb display)
is the compositor, and the game, started with no X display to reach, runs on SDL's Wayland driver. It draws its
main menu in a window of the stored size, takes a key (Down selects "Options"), and Escape ends it with the save
written. Weston's screen is plain white, so the game's window is what is not white."""

import os
import subprocess
import tempfile

import harness
from harness import Display, Game, Image, Workdir

BINARY, RESOURCES = harness.arguments()

SIZE, SETTINGS, SAVE_BYTES = harness.PORT_SIZE, harness.PORT_SETTINGS, harness.PORT_SAVE
WESTON_SIZE = 1280, 800
# Weston draws its pointer itself: it is put in the screen's bottom right corner, which no window of the stored
# size placed on the screen reaches, and where only a few pale pixels of its shadow show. Pale pixels are
# background.
PALE = bytes(range(0xC0, 0x100))
# A plain white desktop without a panel or animations; the screen never blanks.
WESTON_INI = """[core]
idle-time=0
[shell]
background-color=0xffffffff
panel-position=none
animation=none
startup-animation=none
focus-animation=none
"""


def window_box(img):
    """(x0, y0, x1, y1), inclusive, of what is not background in a screenshot, or None."""
    rows = [y for y in range(img.height) if img.row(y).translate(None, PALE)]
    if not rows:
        return None
    x0, x1 = img.width, -1
    for y in rows:
        row = img.row(y)
        x0 = min(x0, (len(row) - len(row.lstrip(PALE))) // 3)
        x1 = max(x1, (len(row.rstrip(PALE)) - 1) // 3)
    return x0, rows[0], x1, rows[-1]


class Weston:
    """Weston on a display, with a Wayland socket of its own; killed by its PID at the end of its `with` block."""

    def __init__(self, display):
        self.display, self.proc = display, None
        self.runtime = tempfile.TemporaryDirectory(prefix="quarrow-wayland-")
        self.env = {"XDG_RUNTIME_DIR": self.runtime.name, "WAYLAND_DISPLAY": "quarrow"}

    def __enter__(self):
        os.chmod(self.runtime.name, 0o700)
        ini, self.log = os.path.join(self.runtime.name, "weston.ini"), os.path.join(self.runtime.name, "weston.log")
        harness.write_file(ini, WESTON_INI.encode())
        self.proc = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--use-pixman", f"--width={WESTON_SIZE[0]}",
             f"--height={WESTON_SIZE[1]}", f"--socket={self.env['WAYLAND_DISPLAY']}", f"--config={ini}",
             f"--log={self.log}"],
            env=dict(self.display.env, **self.env), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=harness._die_with_parent)
        # Its window (at the top left of the Xvfb screen) gets the keyboard and the pointer; it is ready once it
        # shows the white desktop.
        output = harness.poll_until(lambda: self.alive() and self.display.run(
            "xdotool", "search", "--onlyvisible", "--class", "^Weston Compositor$", check=False).split(), 60,
                                    "Weston's window")[-1]
        self.display.run("xdotool", "windowfocus", output)
        harness.poll_until(lambda: self.alive() and self.pointer_aside() and window_box(
            self.display.screenshot(output)) is None, 60, "Weston's white desktop", 0.2)
        return self

    def pointer_aside(self):
        """Move the pointer into the corner, from outside Weston's window: Weston takes the place where the
        pointer enters its window even when it missed the moves made while it started."""
        w, h = WESTON_SIZE
        for at in ((harness.SCREEN_W - 1, harness.SCREEN_H - 1), (w - 1, h - 1)):
            self.display.run("xdotool", "mousemove", str(at[0]), str(at[1]))
        return True

    def alive(self):
        if self.proc.poll() is not None:
            raise AssertionError(f"weston exited with status {self.proc.returncode}: "
                                 f"{harness.read_file(self.log)[-1500:]!r}")
        return True

    def __exit__(self, *exc):
        harness._stop(self.proc)
        self.runtime.cleanup()


class WaylandGame(Game):
    """The game as a client of Weston: DISPLAY is unset, so SDL takes its Wayland driver. Its window is looked at
    in Weston's, which Xvfb shows at the top left of its screen."""

    def __init__(self, display, weston, workdir):
        # Undecorated: Weston draws no frames, so the window is the game's picture alone.
        env = dict(weston.env, SDL_VIDEO_WAYLAND_ALLOW_LIBDECOR="0")
        super().__init__(display, BINARY, workdir, env=env, prefix=["env", "-u", "DISPLAY", "-u", "SDL_VIDEODRIVER"])

    def shot(self):
        self.alive()
        img = self.display.screenshot()
        box = window_box(img)
        if box is None:
            return Image(0, 0, b"")
        x0, y0, x1, y1 = box
        return Image(x1 - x0 + 1, y1 - y0 + 1, b"".join(img.row(y, x0, x1 + 1) for y in range(y0, y1 + 1)))

    def open_menu(self, size=None):
        """Wait for a window of the stored size and the fresh menu in it."""
        self.wait_shot(lambda img: (img.width, img.height) == SIZE, f"a {SIZE[0]} x {SIZE[1]} window on Weston")
        return self.select(None, harness.menu_entry(1, SIZE), '"New Game" selected in the fresh menu')


def plays_on_weston():
    with Display() as display, Weston(display) as weston, \
            Workdir(RESOURCES, settings=SETTINGS, savedata=SAVE_BYTES) as work:
        laid_out = os.stat(work.data_path("SaveData.bin")).st_ino
        with WaylandGame(display, weston, work) as game:
            harness.check_main_menu(game.open_menu(), SIZE)
            game.select("Down", harness.menu_entry(2, SIZE), '"Options" selected with Down')
            game.escape()
        assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
        assert os.stat(work.data_path("SaveData.bin")).st_ino != laid_out, "SaveData.bin was not written"


harness.run_cases([plays_on_weston])
