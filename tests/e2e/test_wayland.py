"""The game on a Wayland desktop: Weston (its X11 back end, drawing with pixman, in a window at the top left of the
Xvfb screen) is the compositor, and the game, started with no X display to reach, runs on SDL's Wayland driver. It
draws its main menu in a window of the stored size, takes a key (Down selects "Options"), and Escape ends it with
the save written. Weston's desktop is plain white, so the game's window is what is not white."""

import os
import subprocess
import tempfile

import harness
from harness import Display, Game, Image, Workdir

BINARY, RESOURCES = harness.arguments()

SIZE, SETTINGS, SAVE_BYTES = harness.PORT_SIZE, harness.PORT_SETTINGS, harness.PORT_SAVE
W, H = 1280, 800  # Weston's screen
# Weston draws its pointer itself, in the screen's bottom right corner here, which no window of the stored size
# reaches; only a few pale pixels of its shadow show there. Pale pixels count as the desktop.
PALE = bytes(range(0xC0, 0x100))


def window_box(img):
    """(x0, y0, x1, y1), inclusive, of what is not desktop in a screenshot, or None."""
    rows = [y for y in range(img.height) if img.row(y).translate(None, PALE)]
    if not rows:
        return None
    xs = [((len(row) - len(row.lstrip(PALE))) // 3, (len(row.rstrip(PALE)) - 1) // 3)
          for row in (img.row(y) for y in rows)]
    return min(x[0] for x in xs), rows[0], max(x[1] for x in xs), rows[-1]


class Weston:
    """Weston on a display, with a Wayland socket of its own; killed by its PID at the end of its `with` block."""

    def __init__(self, display):
        self.display, self.proc, self.runtime = display, None, tempfile.TemporaryDirectory(prefix="quarrow-wayland-")
        self.env = {"XDG_RUNTIME_DIR": self.runtime.name, "WAYLAND_DISPLAY": "quarrow"}
        self.log = os.path.join(self.runtime.name, "weston.log")

    def __enter__(self):
        os.chmod(self.runtime.name, 0o700)
        ini = os.path.join(self.runtime.name, "weston.ini")
        harness.write_file(ini, b"[shell]\nbackground-color=0xffffffff\npanel-position=none\n")
        self.proc = subprocess.Popen(
            ["weston", "--backend=x11-backend.so", "--use-pixman", f"--width={W}", f"--height={H}", "--idle-time=0",
             "--socket=quarrow", f"--config={ini}", f"--log={self.log}"], env=dict(self.display.env, **self.env),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=harness._die_with_parent)
        window = harness.poll_until(lambda: self.alive() and self.display.run(
            "xdotool", "search", "--onlyvisible", "--class", "^Weston Compositor$", check=False).split(), 60,
                                    "Weston's window")[-1]
        self.display.run("xdotool", "windowfocus", window)
        harness.poll_until(lambda: self.pointer_aside() and window_box(self.display.screenshot(window)) is None, 60,
                           "Weston's white desktop", 0.2)
        return self

    def pointer_aside(self):
        """The pointer into the corner from outside Weston's window: Weston takes the place where it enters, even
        when it missed the moves made while it started."""
        self.alive()
        for x, y in ((harness.SCREEN_W - 1, harness.SCREEN_H - 1), (W - 1, H - 1)):
            self.display.run("xdotool", "mousemove", str(x), str(y))
        return True

    def alive(self):
        if self.proc.poll() is not None:
            raise AssertionError(f"weston ended with status {self.proc.returncode}: "
                                 f"{harness.read_file(self.log)[-1500:]!r}")
        return True

    def __exit__(self, *exc):
        harness._stop(self.proc)
        self.runtime.cleanup()


class WaylandGame(Game):
    """The game as a client of Weston: DISPLAY unset, SDL takes its Wayland driver; undecorated, as Weston draws
    no frames, its window is the game's picture alone."""

    def __init__(self, display, weston, workdir):
        super().__init__(display, BINARY, workdir, env=dict(weston.env, SDL_VIDEO_WAYLAND_ALLOW_LIBDECOR="0"),
                         prefix=["env", "-u", "DISPLAY", "-u", "SDL_VIDEODRIVER"])

    def shot(self):
        self.alive()
        img = self.display.screenshot()
        x0, y0, x1, y1 = window_box(img) or (0, 0, -1, -1)
        return Image(x1 - x0 + 1, y1 - y0 + 1, b"".join(img.row(y, x0, x1 + 1) for y in range(y0, y1 + 1)))


def plays_on_weston():
    with Display() as display, Weston(display) as weston, \
            Workdir(RESOURCES, settings=SETTINGS, savedata=SAVE_BYTES) as work:
        laid_out = os.stat(work.data_path("SaveData.bin")).st_ino
        with WaylandGame(display, weston, work) as game:
            game.wait_shot(lambda img: (img.width, img.height) == SIZE, f"a {SIZE[0]} x {SIZE[1]} window on Weston")
            harness.check_main_menu(game.select(None, harness.menu_entry(1, SIZE), "the fresh menu"), SIZE)
            game.select("Down", harness.menu_entry(2, SIZE), '"Options" selected with Down')
            game.escape()
        assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
        assert os.stat(work.data_path("SaveData.bin")).st_ino != laid_out, "SaveData.bin was not written"


harness.run_cases([plays_on_weston])
