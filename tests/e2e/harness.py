"""Real-window test harness: a private Xvfb display (with openbox when asked), a scratch working folder,
the built game run in it and driven like a player with xdotool, screenshots through ImageMagick. A key or
button is held until the game has visibly reacted, or, where nothing shows, while the game presents three
frames, as a press and release that reach one input poll leave no press. Every process started here is
killed by its PID at the end of its `with` block, and dies with the test process."""

import ctypes
import functools
import math
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback

SCREEN_W, SCREEN_H = 1920, 1080
TOOL_TIMEOUT = 15  # bound on any single xdotool / ImageMagick call
WINDOW_SETTLE = 0.3  # seconds a window id must stay the game's before it counts as its window
FRAMES_SEEN = 3  # frames presented while a key is held whose effect cannot be seen

_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_parent():
    # PR_SET_PDEATHSIG: if the test itself is killed (for example by CTest's timeout), the kernel kills
    # Xvfb, openbox and the game too, so nothing is left running.
    _libc.prctl(1, signal.SIGKILL, 0, 0, 0)


def poll_until(fn, timeout, what, interval=0.05, test=bool):
    """Call fn until test(its value) holds; return that value, or raise after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if test(value):
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def stays(fn, seconds, what, interval=0.05):
    """Call fn for `seconds` seconds (and at least twice): something that must keep holding, such as a
    player who must not move. Raise as soon as it returns something falsy."""
    started = time.monotonic()
    while True:
        if not fn():
            raise AssertionError(f"{what}: not so any more {time.monotonic() - started:.1f} s later")
        if time.monotonic() - started > seconds:
            return
        time.sleep(interval)


def tool(*argv, timeout=60, env=None, check=True, text=True):
    """Run a command-line tool, which must succeed unless check is off; return its standard output (as text
    by default)."""
    res = subprocess.run(argv, env=env, capture_output=True, timeout=timeout)
    tail = (res.stdout[-3000:] + res.stderr[-3000:]).decode(errors="replace")
    assert not check or res.returncode == 0, f"{' '.join(argv)} failed ({res.returncode}):\n{tail}"
    return res.stdout.decode(errors="replace") if text else res.stdout


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def write_file(path, content):
    with open(path, "wb") as f:
        f.write(content)


def _stop(proc, grace=3.0):
    """Kill one process we started, by its PID, and reap it."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.terminate()
        proc.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=grace)


# ----------------------------------------------------------------------------------------------------------
# Pictures


class Image:
    """An RGB picture, 8 bits per channel, rows top to bottom."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, bytes(data)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        base = y * self.width * 3
        return self.data[base + x0 * 3 : base + x1 * 3]

    def hits(self, pred, region=None):
        """(x, y) of each pixel in the region (x, y, w, h; the whole picture by default) where pred(r, g, b)."""
        rx, ry, rw, rh = region or (0, 0, self.width, self.height)
        x0 = max(rx, 0)
        for y in range(max(ry, 0), min(ry + rh, self.height)):
            row = self.row(y, x0, min(rx + rw, self.width))
            yield from ((x0 + i // 3, y) for i in range(0, len(row), 3) if pred(row[i], row[i + 1], row[i + 2]))

    def bbox(self, pred, region=None):
        """Bounding box (x0, y0, x1, y1), inclusive, of the pixels for which pred holds, or None."""
        points = list(self.hits(pred, region))
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        return (min(xs), min(ys), max(xs), max(ys)) if points else None

    def count(self, pred, region=None):
        return sum(1 for _ in self.hits(pred, region))


def parse_ppm(blob):
    """Decode a binary PPM (P6, maxval 255) as ImageMagick writes it."""
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", blob)
    assert m, f"unexpected PPM header {blob[:20]!r}"
    w, h = int(m.group(1)), int(m.group(2))
    data = blob[m.end() : m.end() + w * h * 3]
    assert len(data) == w * h * 3, "PPM raster cut short"
    return Image(w, h, data)


def load_picture(path):
    """Any picture ImageMagick reads (the game's BMP assets included), as RGB."""
    return parse_ppm(tool("convert", path, "-alpha", "off", "-depth", "8", "ppm:-", timeout=TOOL_TIMEOUT, text=False))


def is_green_tint(r, g, b):
    """A pixel of a background tinted by colour modulation (0, 255, 0): no red, no blue, some green."""
    return r == 0 and b == 0 and g >= 16


def not_black(r, g, b):
    return r or g or b


def centre(box):
    x0, y0, x1, y1 = box
    return (x0 + x1) / 2.0, (y0 + y1) / 2.0


_NONZERO = bytes(1 if v else 0 for v in range(256))
_SOME_GREEN = bytes(1 if v >= 16 else 0 for v in range(256))


def green_centre(img):
    """Centre of the green-tinted pixels (the selected control), or None when there are none. Worked out
    on whole channels at once, as it is asked of every screenshot while a key is held."""
    red, green, blue = (int.from_bytes(img.data[k::3].translate(t), "big")
                        for k, t in ((0, _NONZERO), (1, _SOME_GREEN), (2, _NONZERO)))
    mask = (green & ~(red | blue)).to_bytes(img.width * img.height, "big")
    first, last = mask.find(1), mask.rfind(1)
    if first < 0:
        return None
    w = img.width
    rows = [mask[y * w : (y + 1) * w] for y in range(first // w, last // w + 1)]
    xs = [x for row in rows for x in (row.find(1), row.rfind(1)) if x >= 0]
    return centre((min(xs), first // w, max(xs), last // w))


def near(point, expected, tol=2.0):
    return point is not None and abs(point[0] - expected[0]) <= tol and abs(point[1] - expected[1]) <= tol


# ----------------------------------------------------------------------------------------------------------
# The game scene as it should look

TILE = 128  # a map cell's side in window pixels
FRAME_W, FRAME_H = 25, 32  # one frame of the player's sheet
LEFT, UP, RIGHT, DOWN = 0, 1, 2, 3  # the player's facings, which are also the rows of the sheet
MAGENTA = (255, 0, 255)  # transparent in every bitmap


# A row of pixels as runs of whole pixels, opaque (group 1) or magenta: each match starts on a pixel's bounds.
_RUNS = re.compile(rb"((?:(?!\xff\x00\xff)...)+)|(?:\xff\x00\xff)+", re.S)


class Cutout:
    """A bitmap with its opaque runs per row (magenta is transparent), ready to be pasted."""

    def __init__(self, img):
        self.w, self.h = img.width, img.height
        self.rows = [[(m.start() // 3, m.end() // 3, m[1]) for m in _RUNS.finditer(img.row(y)) if m[1]]
                     for y in range(img.height)]

    def paste(self, buf, size, x, y):
        """Copy the opaque pixels into the raster `buf` of size (w, h) with the top left corner at (x, y)."""
        w, h = size
        for dy, runs in enumerate(self.rows):
            yy = y + dy
            if not 0 <= yy < h:
                continue
            for a, b, pixels in runs:
                x0, x1 = max(x + a, 0), min(x + b, w)
                if x0 < x1:
                    off = (yy * w + x0) * 3
                    buf[off : off + (x1 - x0) * 3] = pixels[(x0 - x - a) * 3 : (x1 - x - a) * 3]


def stretch(img, x, y, w, h, dw, dh):
    """The w x h part of img at (x, y) scaled to dw x dh by nearest-pixel sampling, as the renderer does."""
    columns = [(2 * dx + 1) * w // (2 * dw) for dx in range(dw)]
    rows = (img.row(y + (2 * dy + 1) * h // (2 * dh), x, x + w) for dy in range(dh))
    return Image(dw, dh, b"".join(src[sx * 3 : sx * 3 + 3] for src in rows for sx in columns))


class SceneArt:
    """The floor tile and the player's frames as the game scene draws them, from a work dir's assets.
    Each frame keeps the whole sheet's size as its draw size, so a 25 x 32 frame is drawn stretched to
    the sheet's size (100 x 128)."""

    def __init__(self, work):
        self.tile = Cutout(load_picture(work.asset_path("Level1Tiles.bmp")))
        sheet = load_picture(work.asset_path("Player.bmp"))
        self.frames = [[Cutout(stretch(sheet, c * FRAME_W, r * FRAME_H, FRAME_W, FRAME_H, sheet.width, sheet.height))
                        for c in range(4)] for r in range(4)]


def scene_picture(art, rows, cell, size, facing=None, frame=0):
    """The picture of a w x h window (`size`) as the game scene draws it, with the player resting on `cell`
    (column, row); the player is left out when facing is None. `rows` are the map's rows as the game reads
    them from the level file (bytes or text): the map is as wide as its last row, a cell is floor when it
    holds "1", and the cells past the end of a shorter row are solid, so nothing is drawn there. The camera
    puts the player's frame corner at the window's centre."""
    w, h = size
    px, py = 12.5 + TILE * cell[0], float(TILE * cell[1])
    cam_x, cam_y = px - w * 0.5, py - h * 0.5
    buf = bytearray(w * h * 3)
    rows = [row.encode("latin-1") if isinstance(row, str) else bytes(row) for row in rows]
    width = len(rows[-1]) if rows else 0
    for r, row in enumerate(rows):
        y = math.trunc(TILE * r - cam_y)
        if y >= h or y + art.tile.h <= 0:
            continue
        for c in range(min(width, len(row))):
            if row[c] == ord("1"):
                x = math.trunc(TILE * c - cam_x)
                if x < w and x + art.tile.w > 0:
                    art.tile.paste(buf, size, x, y)
    if facing is not None:
        art.frames[facing][frame].paste(buf, size, math.trunc(px - cam_x), math.trunc(py - cam_y))
    return Image(w, h, buf)


def picture_differences(img, expected, skip=None, tol=8, limit=None):
    """(count, first) of the pixels of img that differ from the picture `expected` of the same size by more
    than tol on some channel, outside the `skip` box (x, y, w, h); first is (x, y, seen, expected) or None.
    Counting stops once it passes `limit`."""
    size = img.width, img.height
    assert size == (expected.width, expected.height), f"pictures of {size} and {expected.width, expected.height}"
    bad, first = 0, None
    for y in range(img.height):
        got, want = img.row(y), expected.row(y)
        if got == want:
            continue
        for x in range(img.width):
            if skip and skip[0] <= x < skip[0] + skip[2] and skip[1] <= y < skip[1] + skip[3]:
                continue
            i = x * 3
            if max(abs(got[i + k] - want[i + k]) for k in range(3)) > tol:
                bad += 1
                if first is None:
                    first = (x, y, tuple(got[i : i + 3]), tuple(want[i : i + 3]))
        if limit is not None and bad > limit:
            break
    return bad, first


# ----------------------------------------------------------------------------------------------------------
# Files

EMPTY = (5, 5)  # a window point that no control covers, at any window size used
CLICK = "the left button"  # what Game.select holds for a click
LEVEL_NAMES = [f"level{n}.level" for n in range(10)]  # what "New Game" writes


def settings_text(music, fx, width, height, fullscreen):
    """Settings.ini exactly as the game writes it: six lines, CR LF between them, none after the last."""
    return (f"[Settings]\r\nMusicVolume={music}\r\nFXVolume={fx}\r\nWindowWidth={width}\r\nWindowHeight={height}"
            f"\r\nFullscreen={int(fullscreen)}").encode("ascii")


SETTINGS_FORM = re.compile(rb"\[Settings\]\r\nMusicVolume=(\d+)\r\nFXVolume=(\d+)\r\nWindowWidth=(\d+)"
                           rb"\r\nWindowHeight=(\d+)\r\nFullscreen=([01])")


def settings_values(data):
    """The five values of a whole Settings.ini in the game's six-line form, or None for anything else
    (a torn, empty or missing file)."""
    m = SETTINGS_FORM.fullmatch(data) if data is not None else None
    return tuple(int(v) for v in m.groups()) if m else None


class SettingsReader(threading.Thread):
    """Reads Settings.ini over and over while games rewrite it, until halted or until a read is not a
    whole six-line file (kept in `bad`). `seen` holds the music volumes read, in order, without repeats."""

    def __init__(self, work):
        super().__init__(daemon=True)
        self.work, self.stop, self.reads, self.bad, self.seen = work, threading.Event(), 0, [], []

    @property
    def music(self):
        return self.seen[-1] if self.seen else None

    def run(self):
        while not self.stop.is_set():
            data = self.work.read_if_there("Settings.ini")
            values = settings_values(data)
            if values is None:
                self.bad.append(data)
                return
            self.reads += 1
            if self.music != values[0]:
                self.seen.append(values[0])

    def halt(self):
        self.stop.set()
        self.join(timeout=10)


def wait_settings(work, test, what, timeout=8):
    """Wait until Settings.ini is whole and its five values pass test; return them."""
    try:
        return poll_until(work.settings, timeout, what, 0.02, lambda v: v is not None and test(v))
    except AssertionError as e:
        raise AssertionError(f"{e}; Settings.ini holds {work.read_if_there('Settings.ini')!r}") from None


def fit(size, window):
    """How the game shows a picture laid out for the stored `size` in a window of `window` (SDL's logical size):
    (scale, left, top), the one scale at which the whole picture fits, centred across the other way from a
    whole pixel. A window of the stored size shows it as it is."""
    (w, h), (ww, wh) = size, window
    if w * wh > ww * h:  # wider than the window: bars above and below
        scale = ww / w
        return scale, 0, (wh - math.floor(h * scale)) // 2
    scale = wh / h
    return scale, (ww - math.floor(w * scale)) // 2, 0


def on_window(point, size, window=None):
    """Where a point of the picture laid out for `size` shows in a window of `window` (by default of `size`),
    rounded as finely as a window pixel needs (so that 864 is not 863.9999999999999)."""
    scale, left, top = fit(size, window or size)
    return round(left + point[0] * scale, 6), round(top + point[1] * scale, 6)


def menu_entry(index, size, window=None):
    """Centre of main menu entry `index` (Continue, New Game, Options, Quit) laid out for `size`, in a window of
    `window` (by default of `size`)."""
    return on_window((0.5 * size[0], (0.6, 0.7, 0.8, 0.9)[index] * size[1]), size, window)


def options_controls(size, window=None):
    """Centres of the options controls (music, effects, resolution, full screen, Apply, Back) laid out for
    `size`, in a window of `window` (by default of `size`)."""
    w, h = size
    return [on_window(p, size, window) for p in ((0.6 * w, 0.5 * h), (0.6 * w, 0.6 * h), (0.6 * w, 0.7 * h),
                                                (0.6 * w, 0.8 * h), (0.5 * w, 0.9 * h), (0.6 * w, 0.9 * h))]


MENU_LABELS = ["Continue", "New Game", "Options", "Quit"]


def check_main_menu(img, size):
    """The fresh main menu laid out for `size` in a window screenshot `img`: the four entries, one band of
    drawn rows each, centred where the picture fitted into the window puts them; only "New Game" is green."""
    window = img.width, img.height
    drawn = {y for y in range(img.height) if any(img.row(y))}
    starts = sorted(y for y in drawn if y - 1 not in drawn)
    bands = [(y0, next(y for y in range(y0, img.height) if y + 1 not in drawn)) for y0 in starts]
    assert len(bands) == 4, f"expected the four entries as four bands of drawn rows, found {bands}"
    for index, (y0, y1) in enumerate(bands):
        label, place, band = MENU_LABELS[index], menu_entry(index, size, window), (0, y0, img.width, y1 - y0 + 1)
        drawn_at = centre(img.bbox(not_black, band))
        assert near(drawn_at, place), f'"{label}" drawn centred at {drawn_at}, expected {place}'
        greens = img.count(is_green_tint, band)
        if label == "New Game":
            assert greens > 0, '"New Game" is not tinted green'
        else:
            assert greens == 0, f'"{label}" has {greens} green-tinted pixels but is not selected'
            assert img.count(lambda r, g, b: r > 0 and b > 0, band), f'"{label}" shows no untinted button pixels'


# The session the other builds (Windows, the browser) play and set against the Linux build's.
PORT_SIZE = 640, 480
PORT_NEW = 800, 600  # one resolution step on from 640 x 480
PORT_SETTINGS = settings_text(100, 100, *PORT_SIZE, False)
PORT_SAVE = bytes(range(11, 19))
PORT_START = (1, 1)  # the player's start cell; the first room spans at least cells 0..4 each way, all floor
PORT_BAD = 50  # as for the Linux build's scene: a few stray pixels, never a misplaced sprite


def apply_next_resolution(game, size, applied, what):
    """From the fresh main menu laid out for `size`: Options, one resolution step on (shown as a new label), then
    Apply held until applied() holds (the window or canvas at the new size), described by `what`."""
    ctrl = options_controls(size)
    game.open_options(size)
    game.select("Down", ctrl[1], "the effects slider")
    before = game.select("Down", ctrl[2], "the resolution control")
    band = slice(int(ctrl[2][1] - 30) * size[0] * 3, int(ctrl[2][1] + 30) * size[0] * 3)
    game.press("Return", lambda: game.shot().data[band] != before.data[band], "the next resolution shown")
    game.select("Down", ctrl[3], "the full-screen control")
    game.select("Down", ctrl[4], '"Apply"')
    game.press("Return", applied, what)


def walk_one_tile_right(game, art, rows, cell, size, allowed):
    """The game scene of the map `rows` with the player resting on `cell`, facing down; Right held until he
    moves; then the view with him one tile right. At most `allowed` pixels may differ from each picture."""
    start = game.wait_picture([scene_picture(art, rows, cell, size, DOWN)], "the game scene", allowed=allowed)
    game.press("Right", lambda: game.shot().data != start.data, "the player to start moving")
    moved = [scene_picture(art, rows, (cell[0] + 1, cell[1]), size, RIGHT, frame) for frame in range(4)]
    game.wait_picture(moved, "the player one tile right", allowed=allowed)


def printed_levels(levels):
    """What "New Game" prints for its maps (rows as bytes): each map's rows, then its room list."""
    text = b""
    for rows in levels:
        across, down = len(rows[0]) // 10, len(rows) // 10
        text += b"".join(row + b"\n" for row in rows)
        text += b"".join(b"room %d: %d, %d\n" % (j * across + i + 1, 10 * i, 10 * j)
                         for j in range(down) for i in range(across))
    return text


def check_printed_levels(out, levels):
    """Standard output `out` is, byte for byte, what "New Game" prints for the maps `levels`."""
    printed = printed_levels(levels)
    at = next((i for i, (a, b) in enumerate(zip(out, printed)) if a != b), min(len(out), len(printed)))
    assert out == printed, (f"standard output ({len(out)} bytes) differs from the maps printed "
                            f"({len(printed)} bytes) at byte {at}: {out[max(at - 40, 0):at + 40]!r}")


def check_level_file(name, data):
    """A generated level as written: h rows of w bytes of 0/1, each followed by CR LF, w and h
    multiples of 10 in 40..150. Returns the rows."""
    assert data.endswith(b"\r\n"), f"{name} is cut short: {len(data)} bytes, ending {data[-20:]!r}"
    rows = data[:-2].split(b"\r\n")
    width, height = len(rows[0]), len(rows)
    assert width in range(40, 151, 10) and height in range(40, 151, 10), f"{name} is {width} x {height}"
    for r, row in enumerate(rows):
        assert re.fullmatch(rb"[01]{%d}" % width, row), f"{name} row {r} is not {width} cells of 0/1: {row[:60]!r}"
    return rows


class Workdir:
    """A scratch working directory laid out as the game expects: Resources/Assets copied from the
    repository, Resources/Data created and filled with the given files."""

    def __init__(self, resources, files=None, settings=None, savedata=None):
        self.path = tempfile.mkdtemp(prefix="quarrow-e2e-")
        shutil.copytree(os.path.join(resources, "Assets"), os.path.join(self.path, "Resources", "Assets"))
        os.makedirs(self.data_path())
        for name, content in {"Settings.ini": settings, "SaveData.bin": savedata, **(files or {})}.items():
            if content is not None:
                write_file(self.data_path(name), content)

    def data_path(self, name=""):
        return os.path.join(self.path, "Resources", "Data", name)

    def asset_path(self, name):
        return os.path.join(self.path, "Resources", "Assets", name)

    def read(self, name):
        return read_file(self.data_path(name))

    def read_if_there(self, name):
        """The file's bytes, or None when it is missing."""
        try:
            return self.read(name)
        except FileNotFoundError:
            return None

    def settings(self):
        """The five values of Settings.ini, or None when it is missing or not whole in the game's form."""
        return settings_values(self.read_if_there("Settings.ini"))

    def exists(self, name):
        return os.path.exists(self.data_path(name))

    def has_levels(self):
        return all(self.exists(name) for name in LEVEL_NAMES)

    def levels(self):
        """The rows of the ten level files, each checked for its form."""
        return [check_level_file(name, self.read(name)) for name in LEVEL_NAMES]

    @staticmethod
    def keep_shot(img, name):
        """Save a screenshot as `name` in the folder QUARROW_SHOTS names, if any, for a person to look at."""
        folder = os.environ.get("QUARROW_SHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            header = b"P6\n%d %d\n255\n" % (img.width, img.height)
            subprocess.run(["convert", "ppm:-", os.path.join(folder, name)], input=header + img.data, check=True,
                           timeout=TOOL_TIMEOUT)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.path, ignore_errors=True)


# ----------------------------------------------------------------------------------------------------------
# Display


class Display:
    """Xvfb, 1920x1080x24 with a white root window (so a full-screen game is easy to tell from a window),
    on a display number the server picks itself among the free ones, so that tests may run side by side;
    openbox on it when wm=True."""

    def __init__(self, wm=False):
        self.wm_wanted, self.xvfb, self.wm, self.env = wm, None, None, None
        self._log = tempfile.TemporaryFile()

    def __enter__(self):
        try:
            self._start_xvfb()
            if self.wm_wanted:
                self._start_wm()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def _start_xvfb(self):
        # -displayfd: the server takes the first display number no other server holds and writes it to
        # the pipe once it accepts connections. -noreset: it would otherwise reset whenever its last
        # client leaves, and refuse connections for a moment (between one xdotool call and the next).
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp",
                 "-wr", "-noreset"], stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                pass_fds=(write_end,), preexec_fn=_die_with_parent)
            os.close(write_end)
            number = b""
            while not number.endswith(b"\n"):
                if not select.select([read_end], [], [], 30)[0]:
                    raise AssertionError("Xvfb named no display within 30 s")
                chunk = os.read(read_end, 16)
                if not chunk:
                    self._log.seek(0)
                    raise AssertionError(f"Xvfb exited: {self._log.read()[-500:]!r}")
                number += chunk
        finally:
            os.close(read_end)
        self.env = {k: v for k, v in os.environ.items() if k not in ("SDL_VIDEODRIVER", "WAYLAND_DISPLAY")}
        self.env["DISPLAY"] = f":{int(number)}"

    def _start_wm(self):
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], stdin=subprocess.DEVNULL, stdout=self._log,
                                   stderr=self._log, env=self.env, preexec_fn=_die_with_parent)
        # openbox takes windows in some time after it has announced itself, and one mapped meanwhile stays
        # unmanaged and unseen for good. So it counts as ready once it lists a window of ours among those
        # it manages; a probe it has not taken in is replaced by a new one, given twice as long each time.
        patience = 1.0
        while True:
            probe = subprocess.Popen(["xmessage", "-title", "quarrow-wm-probe", "probe"], env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_die_with_parent)
            try:
                poll_until(self._manages_probe, patience, "openbox to manage a window", 0.1)
                return
            except AssertionError:
                if patience > 30:
                    raise
                patience *= 2
            finally:
                _stop(probe)

    def _manages_probe(self):
        if self.wm.poll() is not None:
            self._log.seek(0)
            raise RuntimeError(f"openbox exited with status {self.wm.returncode}: {self._log.read()[-500:]!r}")
        return "quarrow-wm-probe" in self.run("wmctrl", "-l", check=False)

    def stop(self):
        _stop(self.wm)
        _stop(self.xvfb)
        self.wm = self.xvfb = None

    def run(self, *argv, check=True, text=True):
        """A command-line tool run on this display, as by tool()."""
        return tool(*argv, timeout=TOOL_TIMEOUT, env=self.env, check=check, text=text)

    def screenshot(self, window="root"):
        """The whole screen, or one window's area when given its id."""
        return parse_ppm(self.run("import", "-window", window, "-depth", "8", "ppm:-", text=False))

    # The left button through the XTEST extension, as a person's mouse would send it (and keys, by Game.press).

    def mouse_down(self):
        self.run("xdotool", "mousedown", "1")

    def mouse_up(self):
        self.run("xdotool", "mouseup", "1", check=False)

    def close_window(self, name="Quarrow", timeout=10):
        """Ask the window manager to close the window, as its close button does; a window it does not
        manage yet is asked again until it does."""
        poll_until(lambda: subprocess.run(["wmctrl", "-c", name], env=self.env, capture_output=True,
                                          timeout=TOOL_TIMEOUT).returncode == 0,
                   timeout, f"the window manager to close {name!r}")


@functools.lru_cache(maxsize=None)
def _xlib():
    """The few Xlib and DAMAGE calls the frame counter needs: (libX11, libXdamage)."""
    vp, ulong, c_int = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
    x11, damage = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXdamage.so.1")
    x11.XOpenDisplay.restype = vp
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    for name in ("XPending", "XCloseDisplay"):
        getattr(x11, name).argtypes = [vp]
    x11.XSync.argtypes = [vp, c_int]
    x11.XNextEvent.argtypes = [vp, ctypes.c_char_p]
    damage.XDamageQueryExtension.argtypes = [vp, ctypes.POINTER(c_int), ctypes.POINTER(c_int)]
    damage.XDamageCreate.restype = ulong
    damage.XDamageCreate.argtypes = [vp, ulong, c_int]
    damage.XDamageSubtract.argtypes = [vp, ulong, ulong, ulong]
    # Xlib ends the process on a protocol error (a window that has just gone, say) unless told otherwise:
    # such an error only means that no more frames come. The handler is kept alive with the libraries.
    x11.ignore = ctypes.CFUNCTYPE(c_int, vp, vp)(lambda d, e: 0)
    x11.XSetErrorHandler(x11.ignore)
    return x11, damage


class FrameCounter:
    """Counts the frames a window presents, through the X DAMAGE extension: every present draws the
    window anew, and is reported even when no pixel changes. The game polls input at least once between
    two frames, so three frames presented while a key is down span at least two input polls."""

    NON_EMPTY = 3  # XDamageReportNonEmpty: one event, then none until the damage is subtracted

    def __init__(self, display_name, window):
        self.x11, self.xdamage, self.window = *_xlib(), window
        self.dpy = self.x11.XOpenDisplay(display_name.encode())
        assert self.dpy, f"cannot open display {display_name}"
        base, error = ctypes.c_int(), ctypes.c_int()
        assert self.xdamage.XDamageQueryExtension(self.dpy, ctypes.byref(base), ctypes.byref(error)), "no DAMAGE"
        self.notify = base.value
        self.damage = self.xdamage.XDamageCreate(self.dpy, int(window), self.NON_EMPTY)
        self.event = ctypes.create_string_buffer(256)

    def _drawn(self):
        """How many times the window was drawn on since the last call (each at least one frame)."""
        count = 0
        while self.x11.XPending(self.dpy):
            self.x11.XNextEvent(self.dpy, self.event)
            if ctypes.c_int.from_buffer(self.event).value == self.notify:
                count += 1
                self.xdamage.XDamageSubtract(self.dpy, self.damage, 0, 0)
        return count

    def start(self):
        """Forget the frames drawn so far."""
        self.x11.XSync(self.dpy, 0)
        self._drawn()
        self.xdamage.XDamageSubtract(self.dpy, self.damage, 0, 0)

    def wait(self, frames, alive, timeout=30):
        """Wait until the window has presented `frames` frames since start(); alive() raises if the game
        has gone."""
        seen = [0]

        def enough():
            alive()
            seen[0] += self._drawn()
            return seen[0] >= frames

        poll_until(enough, timeout, f"{frames} frames presented", 0.005)

    def close(self):
        self.x11.XCloseDisplay(self.dpy)


# ----------------------------------------------------------------------------------------------------------
# The game


class Game:
    """The game binary running in a work dir on a display, killed by its PID at the end of its `with` block."""

    def __init__(self, display, binary, workdir, env=None, prefix=(), stdin=subprocess.DEVNULL, name="std",
                 cwd=None):
        """`env` adds to the display's environment; `prefix` is a command the game is started through
        (for example another user's identity); `stdin` is what the game reads (subprocess.PIPE to type
        into it through proc.stdin); `name` names its output files in the work dir; `cwd` is the folder
        it starts in, the work dir unless given."""
        self.display, self.binary, self.workdir, self.cwd = display, binary, workdir, cwd or workdir.path
        self.extra_env, self.prefix, self.stdin = dict(env or {}), list(prefix), stdin
        self.proc = self.window = self._frames = None
        self.out_path = os.path.join(workdir.path, f"{name}out.txt")
        self.err_path = os.path.join(workdir.path, f"{name}err.txt")

    def __enter__(self):
        env = dict(self.display.env, SDL_VIDEODRIVER="x11", **self.extra_env)
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(self.prefix + [self.binary], cwd=self.cwd, stdin=self.stdin,
                                         stdout=out, stderr=err, env=env, preexec_fn=_die_with_parent)
        return self

    def __exit__(self, *exc):
        if self._frames:
            self._frames.close()
            self._frames = None
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=60)
        if self.proc is not None and self.proc.stdin:
            self.proc.stdin.close()

    def output(self):
        return read_file(self.out_path)

    def stderr(self):
        return read_file(self.err_path)

    def diagnostics(self):
        return f"stdout: {self.output()[-2000:]!r}\nstderr: {self.stderr()[-2000:]!r}"

    def check_no_failures(self):
        """Nothing reported on standard output as failed to load or start."""
        for word in (b"not loaded", b"failed", b"Press any key"):
            assert word not in self.output(), f"the game reported a failure\n{self.diagnostics()}"

    def alive(self):
        if self.proc.poll() is not None:
            raise AssertionError(f"the game exited early with status {self.proc.returncode}\n{self.diagnostics()}")

    def reap_killed(self):
        """Wait for the game killed by SIGKILL; check that the kill, not something earlier, ended it. (On a loaded
        machine a killed process can take several seconds to be torn down: the bound only catches a hang.)"""
        status = self.proc.wait(timeout=60)
        assert status == -signal.SIGKILL, (f"the game ended with status {status} before it was killed\n"
                                           f"{self.diagnostics()}")

    def find_window(self, timeout=60):
        """Wait for a visible window named exactly "Quarrow"; keep its id and give the keyboard to it. Started
        in full screen, the game's first window is replaced by another one when its renderer is made, so an
        id counts only once it has stayed the one found for WINDOW_SETTLE seconds."""
        first_seen = {}

        def find():
            self.alive()
            ids = self.display.run("xdotool", "search", "--onlyvisible", "--name", "^Quarrow$", check=False).split()
            if not ids:
                return None
            since = first_seen.setdefault(ids[-1], time.monotonic())
            return ids[-1] if time.monotonic() - since >= WINDOW_SETTLE else None

        try:
            self.window = poll_until(find, timeout, "the Quarrow window", 0.1)
        except AssertionError as e:
            named = self.display.run("xdotool", "search", "--name", "Quarrow", check=False).split()
            raise AssertionError(f"{e}; windows named Quarrow: {named}\n{self.diagnostics()}") from None
        self.display.run("xdotool", "windowfocus", self.window, check=False)
        return self.window

    def geometry(self):
        """(x, y, width, height) of the game window on the screen. The size is always right; the position
        only without a window manager (under one, xdotool adds the frame's offset a second time)."""
        out = self.display.run("xdotool", "getwindowgeometry", "--shell", self.window)
        vals = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])

    # Input. Every press is held until the game shows that it took it (`done`), or, where nothing shows,
    # while the window presents FRAMES_SEEN frames.

    def frames(self):
        """Wait until the window has presented FRAMES_SEEN frames from now."""
        if self._frames is None or self._frames.window != self.window:
            if self._frames:
                self._frames.close()
            self._frames = FrameCounter(self.display.env["DISPLAY"], self.window)
        self._frames.start()
        self._frames.wait(FRAMES_SEEN, self.alive)

    def _hold(self, down, up, done, what, timeout):
        self.alive()
        down()
        try:
            if done is None:
                return self.frames()
            return poll_until(done, timeout, what)
        finally:
            up()

    def press(self, key, done=None, what="", timeout=30):
        """Hold a key down until done() returns something truthy (return that), or, with no done, for
        FRAMES_SEEN frames."""
        return self._hold(lambda: self.display.run("xdotool", "keydown", key),
                          lambda: self.display.run("xdotool", "keyup", key, check=False), done,
                          f"{what} (with {key} held)", timeout)

    def click(self, done=None, what="", timeout=30):
        """The left button, held down as a key is by press()."""
        return self._hold(self.display.mouse_down, self.display.mouse_up, done, f"{what} (with the button held)",
                          timeout)

    def select(self, key, expected, what):
        """Press a key (the left button for CLICK, or with key None just wait) until the green tint shows
        the control centred on `expected` selected; return the screenshot that shows it."""

        def showing():
            img = self.shot()
            return img if near(green_centre(img), expected) else None

        try:
            if key == CLICK:
                return self.click(showing, what)
            return self.press(key, showing, what) if key else poll_until(showing, 30, what)
        except AssertionError:
            raise AssertionError(f"{what}: expected the green tint centred at {expected}, not at "
                                 f"{green_centre(self.shot())}") from None

    def escape(self, how="Escape", timeout=30):
        """Hold Escape until the game has ended; check that it ended well."""
        try:
            self.press("Escape", lambda: self.proc.poll() is not None, "the game to end", timeout)
        except AssertionError:
            raise AssertionError(f"the game did not end on Escape\n{self.diagnostics()}") from None
        self.check_exit(self.proc.returncode, how)

    def check_exit(self, status, how):
        """Status 0, and no sanitizer report (when the binary was built with sanitizers)."""
        err = self.stderr()
        for word in (b"ERROR: LeakSanitizer", b"ERROR: AddressSanitizer", b"runtime error:"):
            assert word not in err, f"{how}: sanitizer report on stderr:\n{err[-3000:].decode(errors='replace')}"
        assert status == 0, f"{how} ended the game with status {status}\n{self.diagnostics()}"

    def move(self, x, y):
        """Pointer to (x, y) in window pixels."""
        self.display.run("xdotool", "mousemove", "--window", self.window, str(int(x)), str(int(y)))

    def drag(self, points, during=None):
        """Press the left button at the first point, move through the others with the button held, then
        release. At each point the pointer rests for FRAMES_SEEN frames, so that every point reaches the
        game in an input poll of its own, and then `during(i)` waits for what that step should do."""
        self.alive()
        self.move(*points[0])
        self.display.mouse_down()
        try:
            for i, p in enumerate(points):
                if i:
                    self.move(*p)
                self.frames()
                if during:
                    during(i)
        finally:
            self.display.mouse_up()
        self.frames()

    # Looking at the window.

    def shot(self):
        """Screenshot of the window's area alone."""
        self.alive()
        return self.display.screenshot(self.window)

    def wait_shot(self, check, what, timeout=30):
        """Take window screenshots until check(img) holds; return that screenshot."""
        return poll_until(self.shot, timeout, what, test=check)

    def wait_drawn(self):
        self.wait_shot(lambda img: any(img.data), "anything drawn in the window")

    def wait_picture(self, pictures, what, skip=None, allowed=0, tol=8):
        """Wait until the window shows one of the `pictures` with at most `allowed` pixels off by more than
        `tol` (outside the `skip` box); return the screenshot. On failure, say how the last one differs from the first picture
        (a window of another size fails there with both sizes, below the timeout that names `what`)."""
        size = pictures[0].width, pictures[0].height

        def check(img):
            return (img.width, img.height) == size and any(
                picture_differences(img, p, skip, tol, allowed)[0] <= allowed for p in pictures)

        try:
            return self.wait_shot(check, what)
        except AssertionError:
            bad, first = picture_differences(self.shot(), pictures[0], skip, tol)
            raise AssertionError(f"{what}: {bad} pixels differ from the expected picture; first (x, y, seen, "
                                 f"expected): {first}") from None

    def wait_exit(self, timeout=30):
        """Wait for the process to end by itself; return its exit status."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the game did not exit within {timeout} s\n{self.diagnostics()}") from None

    def open_menu(self, size=None):
        """Wait for the window and the fresh main menu ("New Game" selected) with the pointer aside; the
        menu is laid out for `size` (the stored size), by default the window's, and fitted into the window."""
        self.find_window()
        self.move(*EMPTY)
        window = self.geometry()[2:]
        return self.select(None, menu_entry(1, size or window, window), '"New Game" selected in the fresh menu')

    def open_options(self, size):
        """From the fresh main menu laid out for `size`, open the options (the music slider selected)."""
        window = self.geometry()[2:]
        self.select("Down", menu_entry(2, size, window), '"Options" selected')
        return self.select("Return", options_controls(size, window)[0], "the music slider selected in the options menu")

    def open_options_by_mouse(self, size):
        """From the fresh main menu laid out for `size`, the pointer on "Options" where the window shows it
        selects it, and a click held there opens the options (the music slider selected); the pointer is
        then put aside."""
        window = self.geometry()[2:]
        self.move(*menu_entry(2, size, window))
        self.select(None, menu_entry(2, size, window), '"Options" selected by the pointer on it')
        img = self.select(CLICK, options_controls(size, window)[0], "the music slider selected in the options menu")
        self.move(*EMPTY)
        return img


# ----------------------------------------------------------------------------------------------------------
# The Windows build under wine

# A wine session first started with no display (as the unit tests' is) keeps wine's null display driver for as
# long as it runs: a real window needs a prefix, and so a session, of its own.
WINE_PREFIX = os.path.join(os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "quarrow",
                           "wine-window")
WINE_ENV = {"WINEPREFIX": WINE_PREFIX, "WINEDEBUG": "-all", "SDL_RENDER_DRIVER": "software"}
# The harness asks SDL for its X11 driver, which the Windows build does not have: it takes its own, as on Windows.
WINE = ["env", "-u", "SDL_VIDEODRIVER", "wine"]


def start_wine(display, wine_env=None):
    """Make the prefix (WINE_ENV's, or `wine_env`'s) or bring it up to date, with a server that stays a minute
    after its last program ends (one already running is kept). Nothing reads their output: a pipe would stay
    open as long as the server."""
    env = dict(display.env, **(wine_env or WINE_ENV))
    os.makedirs(env["WINEPREFIX"], exist_ok=True)
    quiet = {"env": env, "stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    subprocess.run(["wineserver", "-p60"], timeout=60, **quiet)
    subprocess.run(["wineboot"], timeout=300, check=True, **quiet)


# ----------------------------------------------------------------------------------------------------------
# Running a test file


_PATHS = 2  # how many paths come before the case name on the command line


def arguments(usage="QUARROW_BINARY RESOURCES_DIR"):
    """The paths the command line names before any case name, one for each word of `usage` (the game binary
    and Resources by default)."""
    global _PATHS
    _PATHS = len(usage.split())
    if len(sys.argv) not in (_PATHS + 1, _PATHS + 2):
        sys.exit(f"usage: {sys.argv[0]} {usage} [CASE]")
    return tuple(os.path.abspath(path) for path in sys.argv[1 : _PATHS + 1])


def run_cases(cases):
    """Run the case the command line names after the paths of arguments(), or all of them when it names
    none; report every failure and exit non-zero when any failed."""
    by_name = {case.__name__: case for case in cases}
    wanted = sys.argv[_PATHS + 1 : _PATHS + 2]
    unknown = set(wanted) - set(by_name)
    assert not unknown, f"no such case: {', '.join(sorted(unknown))}; the cases are {', '.join(by_name)}"
    cases = [by_name[name] for name in wanted] or cases
    failed = []
    for case in cases:
        name = case.__name__
        print(f"--- {name}", flush=True)
        started = time.monotonic()
        try:
            case()
        except Exception:
            traceback.print_exc()
            failed.append(name)
            print(f"FAIL {name}", flush=True)
        else:
            print(f"ok   {name} ({time.monotonic() - started:.1f} s)", flush=True)
    print(f"{len(cases) - len(failed)} passed, {len(failed)} failed" + (f": {', '.join(failed)}" if failed else ""))
    sys.exit(1 if failed else 0)
