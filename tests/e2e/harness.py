"""Real-window test harness for Quarrow.

Starts a private Xvfb display (optionally with openbox as window manager), lays out a scratch working
directory, runs the built game in it and drives it like a player with xdotool: keys and mouse buttons are
held for about 60 ms, because a press and release that reach the same input poll leave no press.
Screenshots come from ImageMagick's `import -window`. Every process started here is killed by its PID
when the test leaves its `with` block, and dies with the test process should that be killed outright.
"""

import ctypes
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback

SCREEN_W, SCREEN_H = 1920, 1080
HOLD = 0.06  # seconds a key or mouse button is held down
TOOL_TIMEOUT = 15  # bound on any single xdotool / ImageMagick call
WINDOW_SETTLE = 0.3  # seconds a window id must stay the game's before it counts as its window

_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_parent():
    # PR_SET_PDEATHSIG: if the test itself is killed (for example by CTest's timeout), the kernel kills
    # Xvfb, openbox and the game too, so nothing is left running.
    _libc.prctl(1, signal.SIGKILL, 0, 0, 0)


def poll_until(fn, timeout, what, interval=0.05):
    """Call fn until it returns something truthy; return that value, or raise after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = fn()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def poll_value(fn, test, timeout, what, interval=0.05):
    """Call fn until test(value) holds for its value; return that value, or raise after `timeout` s."""
    found = []

    def attempt():
        value = fn()
        if test(value):
            found.append(value)
            return True
        return False

    poll_until(attempt, timeout, what, interval)
    return found[0]


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


def poll_settled(fn, timeout, what, interval=0.05):
    """Call fn until it returns the same truthy value twice in a row; return that value, or raise after
    `timeout` seconds. For a state that passes through the awaited one on its way, like a walking player
    who is on a cell for just one frame."""
    last = []

    def attempt():
        value = fn()
        settled = bool(value) and last == [value]
        last[:] = [value]
        return settled

    poll_until(attempt, timeout, what, interval)
    return last[0]


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

    def save(self, path):
        header = b"P6\n%d %d\n255\n" % (self.width, self.height)
        subprocess.run(
            ["convert", "ppm:-", path], input=header + self.data, check=True, timeout=TOOL_TIMEOUT
        )

    def bbox(self, pred, region=None):
        """Bounding box (x0, y0, x1, y1), inclusive, of the pixels for which pred(r, g, b) holds."""
        rx, ry, rw, rh = region if region else (0, 0, self.width, self.height)
        rx0, ry0 = max(rx, 0), max(ry, 0)
        rx1, ry1 = min(rx + rw, self.width), min(ry + rh, self.height)
        x0 = y0 = 1 << 30
        x1 = y1 = -1
        for y in range(ry0, ry1):
            row = self.row(y, rx0, rx1)
            for i in range(0, len(row), 3):
                if pred(row[i], row[i + 1], row[i + 2]):
                    x = rx0 + i // 3
                    x0, x1 = min(x0, x), max(x1, x)
                    y0, y1 = min(y0, y), max(y1, y)
        return None if x1 < 0 else (x0, y0, x1, y1)

    def count(self, pred, region=None):
        rx, ry, rw, rh = region if region else (0, 0, self.width, self.height)
        n = 0
        for y in range(max(ry, 0), min(ry + rh, self.height)):
            row = self.row(y, max(rx, 0), min(rx + rw, self.width))
            for i in range(0, len(row), 3):
                if pred(row[i], row[i + 1], row[i + 2]):
                    n += 1
        return n


def parse_ppm(blob):
    """Decode a binary PPM (P6, maxval 255) as ImageMagick writes it."""
    fields, pos = [], 0
    while len(fields) < 4:
        while blob[pos : pos + 1].isspace():
            pos += 1
        if blob[pos : pos + 1] == b"#":
            pos = blob.index(b"\n", pos)
            continue
        end = pos
        while not blob[end : end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    pos += 1  # the single white-space byte before the raster
    magic, w, h, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    assert magic == b"P6" and maxval == 255, f"unexpected PPM header {fields}"
    data = blob[pos : pos + w * h * 3]
    assert len(data) == w * h * 3, "PPM raster cut short"
    return Image(w, h, data)


def load_picture(path):
    """Any picture ImageMagick reads (the game's BMP assets included), as RGB."""
    out = subprocess.run(
        ["convert", path, "-alpha", "off", "-depth", "8", "ppm:-"],
        capture_output=True,
        check=True,
        timeout=TOOL_TIMEOUT,
    ).stdout
    return parse_ppm(out)


def is_green_tint(r, g, b):
    """A pixel of a background tinted by colour modulation (0, 255, 0): no red, no blue, some green."""
    return r == 0 and b == 0 and g >= 16


def not_black(r, g, b):
    return r or g or b


def centre(box):
    x0, y0, x1, y1 = box
    return (x0 + x1) / 2.0, (y0 + y1) / 2.0


def green_centre(img):
    """Centre of the green-tinted pixels (the selected control), or None when there are none."""
    box = img.bbox(is_green_tint)
    return centre(box) if box else None


def near(point, expected, tol=2.0):
    return point is not None and abs(point[0] - expected[0]) <= tol and abs(point[1] - expected[1]) <= tol


def row_bands(img, pred, region):
    """Runs of consecutive rows in `region` that hold at least one pixel matching pred: [(y0, y1)]."""
    rx, ry, rw, rh = region
    bands, start, last = [], None, None
    for y in range(ry, ry + rh):
        row = img.row(y, rx, rx + rw)
        hit = any(pred(row[i], row[i + 1], row[i + 2]) for i in range(0, len(row), 3))
        if hit:
            if start is None:
                start = y
            last = y
        elif start is not None:
            bands.append((start, last))
            start = None
    if start is not None:
        bands.append((start, last))
    return bands


# ----------------------------------------------------------------------------------------------------------
# The game scene as it should look

TILE = 128  # a map cell's side in window pixels
FRAME_W, FRAME_H = 25, 32  # one frame of the player's sheet
LEFT, UP, RIGHT, DOWN = 0, 1, 2, 3  # the player's facings, which are also the rows of the sheet
MAGENTA = (255, 0, 255)  # transparent in every bitmap


class Cutout:
    """A bitmap with its opaque runs per row (magenta is transparent), ready to be pasted."""

    def __init__(self, img):
        self.w, self.h, self.rows = img.width, img.height, []
        for y in range(img.height):
            row = img.row(y)
            runs, start = [], None
            for i in range(img.width + 1):
                opaque = i < img.width and tuple(row[i * 3 : i * 3 + 3]) != MAGENTA
                if opaque and start is None:
                    start = i
                elif not opaque and start is not None:
                    runs.append((start, i, row[start * 3 : i * 3]))
                    start = None
            self.rows.append(runs)

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
    rows = []
    for dy in range(dh):
        sy = y + (2 * dy + 1) * h // (2 * dh)
        src = img.row(sy, x, x + w)
        rows.append(b"".join(src[sx * 3 : sx * 3 + 3] for sx in ((2 * dx + 1) * w // (2 * dw) for dx in range(dw))))
    return Image(dw, dh, b"".join(rows))


class SceneArt:
    """The floor tile and the player's frames as the game scene draws them, from a work dir's assets.
    Each frame keeps the whole sheet's size as its draw size, so a 25 x 32 frame is drawn stretched to
    the sheet's size (100 x 128)."""

    def __init__(self, work):
        self.tile = Cutout(load_picture(work.asset_path("Level1Tiles.bmp")))
        sheet = load_picture(work.asset_path("Player.bmp"))
        self.player_w, self.player_h = sheet.width, sheet.height
        self.frames = [
            [
                Cutout(stretch(sheet, c * FRAME_W, r * FRAME_H, FRAME_W, FRAME_H, sheet.width, sheet.height))
                for c in range(4)
            ]
            for r in range(4)
        ]


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
    assert (img.width, img.height) == (expected.width, expected.height), (
        f"a {img.width} x {img.height} picture compared with a {expected.width} x {expected.height} one"
    )
    bad, first = 0, None
    w = img.width
    for y in range(img.height):
        got = img.row(y)
        want = expected.row(y)
        if got == want:
            continue
        for x in range(w):
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


def settings_text(music, fx, width, height, fullscreen):
    """Settings.ini exactly as the game writes it: six lines, CR LF between them, none after the last."""
    lines = [
        "[Settings]",
        f"MusicVolume={music}",
        f"FXVolume={fx}",
        f"WindowWidth={width}",
        f"WindowHeight={height}",
        f"Fullscreen={1 if fullscreen else 0}",
    ]
    return "\r\n".join(lines).encode("ascii")


SETTINGS_FORM = re.compile(
    rb"\[Settings\]\r\nMusicVolume=(\d+)\r\nFXVolume=(\d+)\r\nWindowWidth=(\d+)\r\nWindowHeight=(\d+)"
    rb"\r\nFullscreen=([01])"
)


def settings_values(data):
    """The five values of a whole Settings.ini in the game's six-line form, or None for anything else
    (a torn, empty or missing file)."""
    m = SETTINGS_FORM.fullmatch(data) if data is not None else None
    return tuple(int(v) for v in m.groups()) if m else None


class SettingsReader(threading.Thread):
    """Reads Settings.ini over and over while games rewrite it, until halted or until a read is not a
    whole six-line file (kept in `bad`). `seen` holds the music volumes read, in order, without repeats."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path, self.stop, self.reads, self.bad, self.seen = path, threading.Event(), 0, [], []

    @property
    def music(self):
        return self.seen[-1] if self.seen else None

    def run(self):
        while not self.stop.is_set():
            try:
                with open(self.path, "rb") as f:
                    data = f.read()
            except FileNotFoundError:
                data = None
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
    repository, Resources/Data created (unless data=False) and filled with the given files."""

    def __init__(self, resources, data=True, files=None, settings=None, savedata=None):
        self.path = tempfile.mkdtemp(prefix="quarrow-e2e-")
        self.shots = os.path.join(self.path, "shots")
        os.mkdir(self.shots)
        assets = os.path.join(resources, "Assets")
        if not os.path.isdir(assets):
            raise AssertionError(f"no assets folder at {assets}")
        shutil.copytree(assets, os.path.join(self.path, "Resources", "Assets"))
        if data:
            os.makedirs(self.data_path())
        if settings is not None:
            self.write("Settings.ini", settings)
        if savedata is not None:
            self.write("SaveData.bin", savedata)
        for name, content in (files or {}).items():
            self.write(name, content)

    def data_path(self, name=""):
        return os.path.join(self.path, "Resources", "Data", name)

    def asset_path(self, name):
        return os.path.join(self.path, "Resources", "Assets", name)

    def write(self, name, content):
        with open(self.data_path(name), "wb") as f:
            f.write(content)

    def read(self, name):
        with open(self.data_path(name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(self.data_path(name))

    def keep_shot(self, img, name):
        """Save a screenshot under the work dir and, when QUARROW_SHOTS names a folder, copy it there."""
        path = os.path.join(self.shots, name)
        img.save(path)
        dest = os.environ.get("QUARROW_SHOTS")
        if dest:
            os.makedirs(dest, exist_ok=True)
            shutil.copy(path, os.path.join(dest, name))
        return path

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.remove()


# ----------------------------------------------------------------------------------------------------------
# Display


def _lock_owner(n):
    """PID written in the X server lock file of display n, or None."""
    try:
        with open(f"/tmp/.X{n}-lock") as f:
            return int(f.read().strip())
    except (OSError, ValueError):
        return None


class Display:
    """Xvfb on the first free display number from :90 up, 1920x1080x24 with a white root window (so a
    full-screen game is easy to tell from a window), and openbox on it when wm=True."""

    def __init__(self, wm=False):
        self.wm_wanted = wm
        self.number = None
        self.xvfb = None
        self.wm = None
        self.env = None
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
        for n in range(90, 160):
            if os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
                continue
            proc = subprocess.Popen(
                # -noreset: the server would otherwise reset whenever its last client leaves, and refuse
                # connections for a moment (between one xdotool call and the next program, say).
                ["Xvfb", f":{n}", "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-wr", "-noreset"],
                stdin=subprocess.DEVNULL,
                stdout=self._log,
                stderr=self._log,
                preexec_fn=_die_with_parent,
            )
            self.env = {k: v for k, v in os.environ.items() if k not in ("SDL_VIDEODRIVER", "WAYLAND_DISPLAY")}
            self.env["DISPLAY"] = f":{n}"
            try:
                poll_until(
                    lambda: proc.poll() is not None
                    or (_lock_owner(n) == proc.pid and self._tool_ok(["xdotool", "getdisplaygeometry"])),
                    10,
                    f"Xvfb on :{n}",
                )
            except AssertionError:
                _stop(proc)
                raise
            if proc.poll() is None:
                self.number, self.xvfb = n, proc
                return
            # Another server took this number between our check and its start: try the next one.
        raise AssertionError("no free X display number between :90 and :159")

    def _start_wm(self):
        self.wm = subprocess.Popen(
            ["openbox", "--sm-disable"],
            stdin=subprocess.DEVNULL,
            stdout=self._log,
            stderr=self._log,
            env=self.env,
            preexec_fn=_die_with_parent,
        )
        def managed():
            if self.wm.poll() is not None:
                self._log.seek(0)
                raise AssertionError(f"openbox exited with status {self.wm.returncode}: {self._log.read()[-500:]!r}")
            return self._tool_ok(["wmctrl", "-m"])

        poll_until(managed, 15, "openbox to manage the display", 0.1)

    def _tool_ok(self, argv):
        try:
            return subprocess.run(argv, env=self.env, capture_output=True, timeout=TOOL_TIMEOUT).returncode == 0
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        _stop(self.wm)
        _stop(self.xvfb)
        self.wm = self.xvfb = None

    def run(self, *argv, check=True):
        """Run a command-line tool on this display; return its standard output as text."""
        res = subprocess.run(argv, env=self.env, capture_output=True, timeout=TOOL_TIMEOUT)
        if check and res.returncode != 0:
            raise AssertionError(f"{' '.join(argv)} failed ({res.returncode}): {res.stderr.decode(errors='replace')}")
        return res.stdout.decode(errors="replace")

    def screenshot(self, window="root"):
        """The whole screen, or one window's area when given its id."""
        out = subprocess.run(
            ["import", "-window", window, "-depth", "8", "ppm:-"],
            env=self.env,
            capture_output=True,
            check=True,
            timeout=TOOL_TIMEOUT,
        ).stdout
        return parse_ppm(out)

    # Input through the XTEST extension, as a person's keyboard and mouse would send it.

    def key(self, name, hold=HOLD):
        self.run("xdotool", "keydown", name)
        time.sleep(hold)
        self.run("xdotool", "keyup", name)

    def hold_key(self, name, seconds):
        self.key(name, hold=seconds)

    def mouse_down(self, button=1):
        self.run("xdotool", "mousedown", str(button))

    def mouse_up(self, button=1):
        self.run("xdotool", "mouseup", str(button))

    def click(self, button=1, hold=HOLD):
        self.mouse_down(button)
        time.sleep(hold)
        self.mouse_up(button)

    def close_window(self, name="Quarrow", timeout=5):
        """Ask the window manager to close the window, as its close button does; a window it does not
        manage yet is asked again until it does."""
        poll_until(lambda: self._tool_ok(["wmctrl", "-c", name]), timeout, f"the window manager to close {name!r}")


# ----------------------------------------------------------------------------------------------------------
# The game


# Root writes through any mode bits, so cases about permissions run the game as user nobody.
AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


def nobody_can_run(work, binary):
    """Make the work dir reachable for user nobody, as a player's home would be to its owner; return the
    command prefix that runs the game as nobody (none when not root) and a copy of the binary that user
    may execute."""
    if os.geteuid() != 0:
        return [], binary
    os.chmod(work.path, 0o755)
    for base, dirs, names in os.walk(os.path.join(work.path, "Resources")):
        for d in dirs:
            os.chmod(os.path.join(base, d), 0o755)
        for n in names:
            os.chmod(os.path.join(base, n), 0o644)
    if subprocess.run(AS_NOBODY + ["test", "-x", binary], timeout=10).returncode != 0:
        copy = os.path.join(work.path, "quarrow")
        subprocess.run(["cp", binary, copy], check=True, timeout=30)
        os.chmod(copy, 0o755)
        binary = copy
    return AS_NOBODY, binary


class Game:
    """The game binary running in a work dir on a display. Use as a context manager: on leaving the
    block the process is killed by its PID if it is still running."""

    def __init__(self, display, binary, workdir, env=None, prefix=(), stdin=subprocess.DEVNULL):
        """`env` adds to the display's environment; `prefix` is a command the game is started through
        (for example another user's identity); `stdin` is what the game reads (subprocess.PIPE to type
        into it through proc.stdin)."""
        self.display, self.binary, self.workdir = display, binary, workdir
        self.extra_env, self.prefix, self.stdin = dict(env or {}), list(prefix), stdin
        self.proc = None
        self.window = None
        self.out_path = os.path.join(workdir.path, "stdout.txt")
        self.err_path = os.path.join(workdir.path, "stderr.txt")

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.kill()

    def start(self):
        env = dict(self.display.env)
        env["SDL_VIDEODRIVER"] = "x11"
        env.update(self.extra_env)
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(
                self.prefix + [self.binary],
                cwd=self.workdir.path,
                stdin=self.stdin,
                stdout=out,
                stderr=err,
                env=env,
                preexec_fn=_die_with_parent,
            )

    def kill(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=5)

    def output(self):
        with open(self.out_path, "rb") as f:
            return f.read()

    def stderr(self):
        with open(self.err_path, "rb") as f:
            return f.read()

    def diagnostics(self):
        err = self.stderr()
        return f"stdout: {self.output()[-2000:]!r}\nstderr: {err[-2000:]!r}"

    def _alive(self):
        if self.proc.poll() is not None:
            raise AssertionError(f"the game exited early with status {self.proc.returncode}\n{self.diagnostics()}")

    def wait_window(self, timeout=20):
        """Wait for a visible window named exactly "Quarrow"; keep its id and give the keyboard to it.
        Started in full screen, the game's first window is replaced by another one when its renderer is
        made, so an id counts only once it has stayed the one found for WINDOW_SETTLE seconds."""
        first_seen = {}

        def find():
            self._alive()
            out = self.display.run("xdotool", "search", "--onlyvisible", "--name", "^Quarrow$", check=False)
            ids = out.split()
            if not ids:
                return None
            since = first_seen.setdefault(ids[-1], time.monotonic())
            return ids[-1] if time.monotonic() - since >= WINDOW_SETTLE else None

        self.window = poll_until(find, timeout, "the Quarrow window", 0.1)
        self.display.run("xdotool", "windowfocus", self.window, check=False)
        return self.window

    def geometry(self):
        """(x, y, width, height) of the game window on the screen. The size is always right; the position
        only without a window manager (under one, xdotool adds the frame's offset a second time)."""
        out = self.display.run("xdotool", "getwindowgeometry", "--shell", self.window)
        vals = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])

    # Input in window coordinates.

    def move(self, x, y):
        """Pointer to (x, y) in window pixels."""
        self.display.run("xdotool", "mousemove", "--window", self.window, str(int(x)), str(int(y)))

    def key(self, name, hold=HOLD):
        self._alive()
        self.display.key(name, hold)

    def hold_key(self, name, seconds):
        self._alive()
        self.display.hold_key(name, seconds)

    def click(self, button=1, hold=HOLD):
        self._alive()
        self.display.click(button, hold)

    def press_until(self, key, done, what, timeout=10):
        """Hold a key down until done() returns something truthy, as a person keeps a key down until the
        game reacts; return that value. A press only counts once an input poll sees it, which a game still
        starting up may not do for a while."""
        self._alive()
        self.display.run("xdotool", "keydown", key)
        try:
            return poll_until(done, timeout, what)
        finally:
            self.display.run("xdotool", "keyup", key, check=False)

    def quit_with_escape(self, timeout=10):
        """Hold Escape until the game has ended; return its exit status."""
        try:
            self.press_until("Escape", lambda: self.proc.poll() is not None, "the game to end on Escape", timeout)
        except AssertionError:
            raise AssertionError(f"the game did not end while Escape was held for {timeout} s\n{self.diagnostics()}") from None
        return self.proc.returncode

    def drag(self, points, step_pause=0.1, during=None):
        """Press the left button at the first point, move through the others with the button held, then
        release. `during(i)` is called after each step while the button is still down, to wait for what
        that step should do."""
        self._alive()
        # The pointer rests on each point for step_pause, as a hand does, so that every point, and the
        # press and the release, reach the game in input polls of their own: a step whose effect cannot
        # be seen (the pointer leaving a slider's bar, say) must still be seen by the game.
        self.move(*points[0])
        time.sleep(step_pause)
        self.display.mouse_down()
        try:
            for i, p in enumerate(points):
                if i:
                    self.move(*p)
                time.sleep(step_pause)
                if during:
                    during(i)
        finally:
            self.display.mouse_up()

    # Looking at the window.

    def shot(self):
        """Screenshot of the window's area alone."""
        self._alive()
        return self.display.screenshot(self.window)

    def wait_shot(self, check, timeout=8, what="the expected picture"):
        """Take window screenshots until check(img) returns something truthy; return (img, value)."""

        def attempt():
            img = self.shot()
            return img, check(img)

        return poll_value(attempt, lambda pair: pair[1], timeout, what, 0.1)

    def wait_picture(self, expected, what, skip=None, allowed=0, timeout=8):
        """Wait until the window shows the picture `expected`, or one of a list of them, with at most
        `allowed` pixels off (outside the `skip` box); return the screenshot. On failure, say how the
        last screenshot differs from the first picture."""
        pictures = [expected] if isinstance(expected, Image) else list(expected)
        size = pictures[0].width, pictures[0].height

        def check(img):
            if (img.width, img.height) != size:
                return False
            return any(picture_differences(img, p, skip, limit=allowed)[0] <= allowed for p in pictures)

        try:
            img, _ = self.wait_shot(check, timeout=timeout, what=what)
        except AssertionError:
            img = self.shot()
            if (img.width, img.height) != size:
                raise AssertionError(f"{what}: the window is {img.width} x {img.height}, not {size[0]} x {size[1]}") from None
            bad, first = picture_differences(img, pictures[0], skip)
            raise AssertionError(
                f"{what}: {bad} pixels differ from the expected picture; first (x, y, seen, expected): {first}"
            ) from None
        return img

    def wait_selected(self, expected, what, tol=2.0):
        """Wait until the green-tinted (selected) control is centred on `expected`, in window pixels, and
        return the screenshot that shows it."""

        def check(img):
            return near(green_centre(img), expected, tol)

        try:
            img, _ = self.wait_shot(check, what=what)
        except AssertionError:
            seen = green_centre(self.shot())
            raise AssertionError(f"{what}: expected the green tint centred at {expected}, not at {seen}") from None
        return img

    def wait_exit(self, timeout=10):
        """Wait for the process to end by itself; return its exit status."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the game did not exit within {timeout} s\n{self.diagnostics()}")


# ----------------------------------------------------------------------------------------------------------
# Running a test file


def arguments():
    if len(sys.argv) != 3:
        sys.exit(f"usage: {sys.argv[0]} QUARROW_BINARY RESOURCES_DIR")
    binary, resources = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not os.access(binary, os.X_OK):
        sys.exit(f"not an executable: {binary}")
    return binary, resources


def run_cases(cases):
    """Run each case (a callable), report every failure, and exit non-zero when any failed. When the
    environment names cases in QUARROW_CASES (comma-separated), only those run."""
    wanted = [name for name in os.environ.get("QUARROW_CASES", "").split(",") if name]
    if wanted:
        unknown = set(wanted) - {case.__name__ for case in cases}
        assert not unknown, f"QUARROW_CASES names no such case: {', '.join(sorted(unknown))}"
        cases = [case for case in cases if case.__name__ in wanted]
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
