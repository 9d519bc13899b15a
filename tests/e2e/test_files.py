"""The player's files in a real window: read-only files and folders, links, stale and planted temporary
names, two games saving the same Settings.ini at once, FIFOs and devices where data files belong, a bitmap
whose header claims an absurd size, the log of a game killed right after "New Game", and the start-up
failure messages that wait for a key. The game must never tear, replace or write through what is not its
own to write, never hang on a file, and keep its log whole."""

import ctypes
import os
import re
import signal
import stat
import struct
import subprocess
import time

import harness
from harness import Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
EMPTY = (5, 5)  # a window point that no control covers
NEW_GAME, OPTIONS = (0.5 * W, 0.7 * H), (0.5 * W, 0.8 * H)
OPTIONS_CONTROLS = [(0.6 * W, 0.5 * H), (0.6 * W, 0.6 * H), (0.6 * W, 0.7 * H), (0.6 * W, 0.8 * H)]
PLAYER_W, PLAYER_H = 100, 128  # each 25 x 32 frame is drawn at the whole sheet's size
LEVEL_NAMES = [f"level{n}.level" for n in range(10)]
AS_NOBODY = harness.AS_NOBODY

# A hand-written Settings.ini: LF line ends and a trailing one, so any rewrite shows.
LOOSE_SETTINGS = b"[Settings]\nMusicVolume=10\nFXVolume=20\nWindowWidth=1000\nWindowHeight=800\nFullscreen=0\n"
CANONICAL = settings_text(10, 20, W, H, False)

# ----------------------------------------------------------------------------------------------------------
# Helpers


def temporaries(*folders):
    """The game's temporary files (NAME.tmp.XXXXXX) left in the folders."""
    return [os.path.join(f, n) for f in folders for n in os.listdir(f) if re.search(r"\.tmp\.", n)]


def mode_of(path):
    return stat.S_IMODE(os.lstat(path).st_mode)


def escape(game, how="Escape"):
    status = game.quit_with_escape()
    assert status == 0, f"{how} ended the game with status {status}\n{game.diagnostics()}"


def session_toggling_full_screen(game):
    """Start, open Options, toggle full screen (the game prints 1 and saves the settings), Escape."""
    game.wait_window()
    game.move(*EMPTY)
    game.wait_selected(NEW_GAME, '"New Game" selected in the fresh menu')
    game.key("Down")
    game.wait_selected(OPTIONS, '"Options" selected')
    game.key("Return")
    game.wait_selected(OPTIONS_CONTROLS[0], "the music slider selected in the options menu")
    for i in (1, 2, 3):
        game.key("Down")
        game.wait_selected(OPTIONS_CONTROLS[i], f"options control {i} selected")
    game.key("Return")
    harness.poll_until(lambda: game.output() == b"1\n", 5, 'full screen toggled on (the game prints "1")')
    escape(game)


def nobody_can_run(work):
    return harness.nobody_can_run(work, BINARY)


def player_files(work, mode):
    """A hand-written Settings.ini and a 12-byte SaveData.bin owned by the game's user, with `mode`; the
    work dir made reachable for that user. Returns the prefix, binary and files."""
    prefix, binary = nobody_can_run(work)
    files = {"Settings.ini": LOOSE_SETTINGS, "SaveData.bin": b"ABCDEFGHIJKL"}
    for name, content in files.items():
        work.write(name, content)
        give_to_nobody(work.data_path(name))
        os.chmod(work.data_path(name), mode)
    return prefix, binary, files


def give_to_nobody(path):
    if os.geteuid() == 0:
        os.chown(path, 65534, 65534)


def can_write_as(prefix, work, path):
    probe = subprocess.run(prefix + ["sh", "-c", f"test -w '{path}'"], cwd=work.path, timeout=10)
    return probe.returncode == 0


# ----------------------------------------------------------------------------------------------------------
# 1. Modes: read-only files, a read-only folder, a private file


def modes_and_read_only_places():
    with Display() as display:
        # Read-only files in a folder the player may write: kept byte for byte, mode and all.
        with Workdir(RESOURCES) as work:
            prefix, binary, files = player_files(work, 0o444)
            data = work.data_path()
            give_to_nobody(data)
            assert can_write_as(prefix, work, data), "the data folder is not writable for the game's user"
            assert not can_write_as(prefix, work, work.data_path("Settings.ini")), "Settings.ini is writable"
            with Game(display, binary, work, prefix=prefix) as game:
                session_toggling_full_screen(game)
            for name, content in files.items():
                assert work.read(name) == content, f"read-only {name} was replaced: {work.read(name)!r}"
                assert mode_of(work.data_path(name)) == 0o444, f"{name} is now {oct(mode_of(work.data_path(name)))}"
            assert sorted(os.listdir(data)) == sorted(files), f"the data folder holds {sorted(os.listdir(data))}"

        # Writable files in a read-only folder: rewritten where they are.
        with Workdir(RESOURCES) as work:
            prefix, binary, files = player_files(work, 0o644)
            data = work.data_path()
            os.chmod(data, 0o555)
            try:
                assert not can_write_as(prefix, work, data), "the data folder is writable for the game's user"
                with Game(display, binary, work, prefix=prefix) as game:
                    session_toggling_full_screen(game)
            finally:
                os.chmod(data, 0o755)
            got = work.read("Settings.ini")
            assert got == settings_text(10, 20, W, H, True), f"Settings.ini in a read-only folder is {got!r}"
            # Only 8 bytes are read; those 8 are written back and the rest cut off.
            assert work.read("SaveData.bin") == b"ABCDEFGH", f"SaveData.bin is {work.read('SaveData.bin')!r}"
            for name in files:
                assert mode_of(work.data_path(name)) == 0o644, f"{name} is now {oct(mode_of(work.data_path(name)))}"
            assert sorted(os.listdir(data)) == sorted(files), f"the data folder holds {sorted(os.listdir(data))}"

        # A private Settings.ini and a group-readable save: rewritten with their modes.
        with Workdir(RESOURCES) as work:
            prefix, binary = nobody_can_run(work)
            modes = {"Settings.ini": 0o600, "SaveData.bin": 0o640}
            work.write("Settings.ini", LOOSE_SETTINGS)
            work.write("SaveData.bin", b"12345678abcd")
            for name, mode in modes.items():
                give_to_nobody(work.data_path(name))
                os.chmod(work.data_path(name), mode)
            give_to_nobody(work.data_path())
            with Game(display, binary, work, prefix=prefix) as game:
                session_toggling_full_screen(game)
            got = work.read("Settings.ini")
            assert got == settings_text(10, 20, W, H, True), f"Settings.ini is {got!r}"
            assert work.read("SaveData.bin") == b"12345678", f"SaveData.bin is {work.read('SaveData.bin')!r}"
            for name, mode in modes.items():
                got_mode = mode_of(work.data_path(name))
                assert got_mode == mode, f"{name} was {oct(mode)} and is now {oct(got_mode)}"
            assert not temporaries(work.data_path()), f"left behind: {temporaries(work.data_path())}"


# ----------------------------------------------------------------------------------------------------------
# 2. A linked Settings.ini, stale and planted temporary names


def links_and_stale_temporary_names():
    with Display() as display:

        def run(work, what):
            with Game(display, BINARY, work) as game:
                game.wait_window()
                escape(game, f"{what}: Escape")
            saved = work.read("SaveData.bin") if work.exists("SaveData.bin") else None
            assert saved == bytes(8), f"{what}: SaveData.bin is {saved!r}"

        # Settings.ini links into another folder: the link stays, its target is rewritten. Stale files
        # named Settings.ini.tmp and SaveData.bin.tmp are no business of the game's and stay as they were.
        with Workdir(RESOURCES) as work:
            profile = os.path.join(work.path, "Profile")
            os.mkdir(profile)
            real = os.path.join(profile, "Real.ini")
            with open(real, "wb") as f:
                f.write(LOOSE_SETTINGS)
            os.symlink("../../Profile/Real.ini", work.data_path("Settings.ini"))
            stale = {"Settings.ini.tmp": b"stale settings\r\n", "SaveData.bin.tmp": b"stale save"}
            for name, content in stale.items():
                work.write(name, content)
            run(work, "a linked Settings.ini")
            link = work.data_path("Settings.ini")
            assert os.path.islink(link) and os.readlink(link) == "../../Profile/Real.ini", "the link was replaced"
            with open(real, "rb") as f:
                got = f.read()
            assert got == CANONICAL, f"the link's target holds {got!r}"
            for name, content in stale.items():
                got = work.read(name) if work.exists(name) else None
                assert got == content, f"stale {name} now holds {got!r}"
            left = temporaries(work.data_path(), profile)
            assert not left, f"left behind: {left}"

        # Folders under those names.
        with Workdir(RESOURCES, settings=LOOSE_SETTINGS) as work:
            for name in ("Settings.ini.tmp", "SaveData.bin.tmp"):
                os.mkdir(work.data_path(name))
                work.write(os.path.join(name, "kept"), b"kept")
            run(work, "folders named Settings.ini.tmp and SaveData.bin.tmp")
            assert work.read("Settings.ini") == CANONICAL, f"Settings.ini is {work.read('Settings.ini')!r}"
            for name in ("Settings.ini.tmp", "SaveData.bin.tmp"):
                path = work.data_path(name)
                assert os.path.isdir(path) and os.listdir(path) == ["kept"], f"folder {name} holds {os.listdir(path)}"
                assert work.read(os.path.join(name, "kept")) == b"kept", f"{name}/kept was changed"
            assert not temporaries(work.data_path()), f"left behind: {temporaries(work.data_path())}"

        # Links planted under those names, pointing at another file of the player's.
        with Workdir(RESOURCES, settings=LOOSE_SETTINGS) as work:
            diary = os.path.join(work.path, "Diary.txt")
            with open(diary, "wb") as f:
                f.write(b"dear diary\n")
            for name in ("Settings.ini.tmp", "SaveData.bin.tmp"):
                os.symlink("../../Diary.txt", work.data_path(name))
            run(work, "links planted at Settings.ini.tmp and SaveData.bin.tmp")
            with open(diary, "rb") as f:
                assert f.read() == b"dear diary\n", "a file was written through a planted link"
            for name in ("Settings.ini.tmp", "SaveData.bin.tmp"):
                assert os.readlink(work.data_path(name)) == "../../Diary.txt", f"the planted link {name} changed"
            assert work.read("Settings.ini") == CANONICAL, f"Settings.ini is {work.read('Settings.ini')!r}"
            assert not temporaries(work.data_path()), f"left behind: {temporaries(work.data_path())}"


# ----------------------------------------------------------------------------------------------------------
# 3. Two games saving the same Settings.ini at once


class SecondPointer:
    """A second mouse on the display (an X input master device of its own, moved through XTEST), so two
    windows can each be dragged in at the same time, as by two people at one screen."""

    def __init__(self, display_name):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xi = ctypes.CDLL("libXi.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        vp, c_int = ctypes.c_void_p, ctypes.c_int
        self.x11.XOpenDisplay.restype = vp
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XSync.argtypes = [vp, c_int]
        self.x11.XCloseDisplay.argtypes = [vp]
        self.xi.XIChangeHierarchy.argtypes = [vp, ctypes.POINTER(_HierarchyChange), c_int]
        self.xi.XIQueryDevice.restype = ctypes.POINTER(_DeviceInfo)
        self.xi.XIQueryDevice.argtypes = [vp, c_int, ctypes.POINTER(c_int)]
        self.xi.XIFreeDeviceInfo.argtypes = [ctypes.POINTER(_DeviceInfo)]
        self.xi.XOpenDevice.restype = vp
        self.xi.XOpenDevice.argtypes = [vp, ctypes.c_ulong]
        self.xi.XCloseDevice.argtypes = [vp, vp]
        axes = ctypes.POINTER(c_int)
        self.xtst.XTestFakeDeviceMotionEvent.argtypes = [vp, vp, c_int, c_int, axes, c_int, ctypes.c_ulong]
        self.xtst.XTestFakeDeviceButtonEvent.argtypes = [vp, vp, ctypes.c_uint, c_int, axes, c_int, ctypes.c_ulong]
        # Xlib ends the process on a protocol error unless told otherwise: note it and go on.
        self.errors = []
        handler_type = ctypes.CFUNCTYPE(c_int, vp, vp)
        self._handler = handler_type(lambda d, e: self.errors.append(e) or 0)
        self.x11.XSetErrorHandler(self._handler)
        self.dpy = self.x11.XOpenDisplay(display_name.encode())
        assert self.dpy, f"cannot open display {display_name}"
        change = _HierarchyChange()
        change.add = _AddMaster(1, b"second", 1, 1)  # XIAddMaster, sending core events, enabled
        self.xi.XIChangeHierarchy(self.dpy, ctypes.byref(change), 1)
        self.x11.XSync(self.dpy, 0)
        count = c_int()
        info = self.xi.XIQueryDevice(self.dpy, 0, ctypes.byref(count))  # XIAllDevices
        ids = [info[i].deviceid for i in range(count.value) if info[i].name == b"second XTEST pointer"]
        self.xi.XIFreeDeviceInfo(info)
        assert ids and not self.errors, f"no second pointer could be made (X errors: {len(self.errors)})"
        self.device = self.xi.XOpenDevice(self.dpy, ids[0])
        assert self.device, "the second pointer's XTEST device cannot be opened"
        self.x, self.y = 0, 0

    def move(self, x, y):
        """To (x, y) on the screen."""
        self.x, self.y = int(x), int(y)
        axes = (ctypes.c_int * 2)(self.x, self.y)
        self.xtst.XTestFakeDeviceMotionEvent(self.dpy, self.device, 0, 0, axes, 2, 0)
        self._sync()

    def button(self, down):
        axes = (ctypes.c_int * 2)(self.x, self.y)
        self.xtst.XTestFakeDeviceButtonEvent(self.dpy, self.device, 1, 1 if down else 0, axes, 2, 0)
        self._sync()

    def _sync(self):
        self.x11.XSync(self.dpy, 0)
        assert not self.errors, f"the X server refused a second-pointer request ({len(self.errors)} errors)"

    def close(self):
        self.xi.XCloseDevice(self.dpy, self.device)
        self.x11.XCloseDisplay(self.dpy)


class _AddMaster(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("name", ctypes.c_char_p), ("send_core", ctypes.c_int),
                ("enable", ctypes.c_int)]


class _HierarchyChange(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("add", _AddMaster), ("room", ctypes.c_char * 64)]


class _DeviceInfo(ctypes.Structure):
    _fields_ = [("deviceid", ctypes.c_int), ("name", ctypes.c_char_p), ("use", ctypes.c_int),
                ("attachment", ctypes.c_int), ("enabled", ctypes.c_int), ("num_classes", ctypes.c_int),
                ("classes", ctypes.c_void_p)]


def two_games_saving_at_once():
    w, h = 640, 480
    bar_left, bar_y = 0.6 * w - 50, 0.5 * h  # the music slider's value is the pointer's offset from its left
    with Display() as display, Workdir(RESOURCES, settings=settings_text(50, 50, w, h, False)) as work:
        first = Game(display, BINARY, work)
        second = Game(display, BINARY, work)
        second.out_path, second.err_path = (os.path.join(work.path, n) for n in ("stdout2.txt", "stderr2.txt"))
        with first:
            first.wait_window()
            with second:

                def second_window():
                    second._alive()
                    ids = display.run("xdotool", "search", "--onlyvisible", "--name", "^Quarrow$", check=False)
                    return next((i for i in ids.split() if i != first.window), None)

                # Both windows open at the same place: the second one is moved aside.
                second.window = harness.poll_until(second_window, 20, "the second game's window", 0.1)
                display.run("xdotool", "windowmove", second.window, "1000", "50")
                harness.poll_until(lambda: second.geometry()[:2] == (1000, 50), 5, "the second window moved aside")
                for game in (first, second):
                    display.run("xdotool", "windowfocus", game.window)
                    game.move(*EMPTY)
                    game.wait_selected((0.5 * w, 0.7 * h), '"New Game" selected in the fresh menu')
                    game.key("Down")
                    game.wait_selected((0.5 * w, 0.8 * h), '"Options" selected')
                    game.key("Return")
                    game.wait_selected((0.6 * w, 0.5 * h), "the music slider selected")
                x2, y2 = second.geometry()[:2]
                reader = harness.SettingsReader(work.data_path("Settings.ini"))
                pointer = SecondPointer(display.env["DISPLAY"])
                try:
                    reader.start()
                    # The first game's music slider is held at 10..30, the second's at 70..90: while its
                    # button is down, each game saves at every update.
                    first.move(bar_left + 10, bar_y)
                    pointer.move(x2 + bar_left + 90, y2 + bar_y)
                    display.mouse_down()
                    pointer.button(True)
                    started = time.monotonic()
                    for step in range(30):
                        first.move(bar_left + 10 + step % 21, bar_y)
                        pointer.move(x2 + bar_left + 90 - step % 21, y2 + bar_y)
                        time.sleep(0.1)
                        if reader.bad:
                            break
                    dragged = time.monotonic() - started
                finally:
                    display.mouse_up()
                    pointer.button(False)
                    pointer.close()
                    reader.halt()
                assert not reader.bad, f"a read of Settings.ini found {reader.bad[0]!r}"
                turns = sum(1 for a, b in zip(reader.seen, reader.seen[1:]) if (a < 50) != (b < 50))
                print(f"Settings.ini read {reader.reads} times in {dragged:.1f} s of dragging; the two games' "
                      f"saves took turns {turns} times", flush=True)
                assert turns >= 10, f"the two games' saves did not interleave: music volumes seen {reader.seen[:40]}"
                for game in (first, second):
                    display.run("xdotool", "windowfocus", game.window)
                    escape(game)
        final = harness.settings_values(work.read("Settings.ini"))
        dragged_to = final and (final[0] <= 30 or final[0] >= 70)
        assert dragged_to and final[1:] == (50, w, h, 0), f"Settings.ini is {work.read('Settings.ini')!r}"
        assert not temporaries(work.data_path()), f"left behind: {temporaries(work.data_path())}"


# ----------------------------------------------------------------------------------------------------------
# 4. Special files where data files belong, a bitmap header claiming too much


def peak_memory_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"^VmHWM:\s+(\d+) kB", f.read(), re.M).group(1)) / 1024


def final_window(game, started, what):
    """Wait until started() shows that the game has made its renderer, then find its window. Starting in
    full screen, the first window shown is replaced by another when the renderer is made; an id found
    before that would soon be gone. A game reading or allocating without bound is stopped early."""

    def ready():
        game._alive()
        peak = peak_memory_mib(game.proc.pid)
        assert peak < 400, f"the game's resident memory reached {peak:.0f} MiB while starting"
        return started()

    harness.poll_until(ready, 10, what)
    return game.wait_window(timeout=5)


def menu_drawn_on_screen(game, size):
    """True once the green-tinted "New Game" entry of a menu laid out for `size` shows on the screen,
    where the game's window sits at (250, 50) with no window manager: only the final window is drawn."""
    x, y = 250 + size[0] // 2, 50 + size[1] * 7 // 10
    return game.display.screenshot().count(harness.is_green_tint, (x - 20, y - 3, 40, 6)) > 0


def visible_part(img, w, h):
    """The top left w x h of a picture: what the screen shows of a window that runs past its edges."""
    return harness.Image(w, h, b"".join(img.row(y, 0, w) for y in range(h)))


def huge_bitmap_header(width, height):
    """A 24-bit bitmap's 54-byte header claiming width x height pixels, and no pixels after it: the file
    header (magic, file size, two reserved fields, pixel offset), then the 40-byte info header."""
    file_header = struct.pack("<2sIHHI", b"BM", 54, 0, 0, 54)
    return file_header + struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0)


def special_files_and_huge_bitmap():
    screen = (harness.SCREEN_W, harness.SCREEN_H)
    # No window manager: the full-screen window keeps its place at (250, 50), so the screen shows its
    # top left part.
    shown = (harness.SCREEN_W - 250, harness.SCREEN_H - 50)
    fifos = ["Settings.ini", "SaveData.bin", "level0.level", "Level0.level"]
    refusal = re.compile(rb"Surface for bitmap 'Resources/Assets/Button\.bmp' not loaded!\n[^\n]*60000 x 60000[^\n]*\n")
    with Display() as display, Workdir(RESOURCES) as work:
        for name in fifos:
            os.mkfifo(work.data_path(name))
        art = harness.SceneArt(work)
        with open(work.asset_path("Button.bmp"), "wb") as f:
            f.write(huge_bitmap_header(60000, 60000))
        with Game(display, BINARY, work) as game:
            started = time.monotonic()
            final_window(game, lambda: len(refusal.findall(game.output())) == 4,
                         "the main menu's four refusals of Button.bmp, each with its reason")
            ready = time.monotonic() - started
            size = game.geometry()[2:]
            assert size == screen, f"the window is {size}, not the desktop's size (the default)"
            game.move(*EMPTY)
            # No button backgrounds, so no selection to see: each key is held, then let go for as long.
            for key in ("Up", "Return"):
                game.key(key, hold=0.1)
                time.sleep(0.1)
            expected = visible_part(harness.scene_picture(art, [], (1, 1), size, harness.DOWN), *shown)
            game.wait_picture(expected, '"Continue": the player alone on an empty map')
            peak = peak_memory_mib(game.proc.pid)
            escape(game)
        print(f"menu up {ready:.1f} s after the start; peak resident memory {peak:.0f} MiB", flush=True)
        assert ready < 5, f"the menu took {ready:.1f} s to come up"
        assert peak < 400, f"the game's peak resident memory was {peak:.0f} MiB"
        out = game.output()
        assert refusal.sub(b"", out) == b"", f"the game printed more than the four refusals: {out[:600]!r}"
        for name in fifos:
            assert stat.S_ISFIFO(os.lstat(work.data_path(name)).st_mode), f"{name} is no longer a FIFO"
        left = sorted(os.listdir(work.data_path()))
        assert left == sorted(fifos), f"Resources/Data holds {left}"

    with Display() as display:
        for device in ("/dev/zero", "/dev/urandom"):
            with Workdir(RESOURCES) as work:
                os.symlink(device, work.data_path("Settings.ini"))
                with Game(display, BINARY, work) as game:
                    # The defaults: full screen at the desktop's size, the menu laid out for it.
                    final_window(game, lambda: menu_drawn_on_screen(game, screen), "the main menu laid out full screen")
                    size = game.geometry()[2:]
                    assert size == screen, f"Settings.ini linked to {device}: the window is {size}, not the desktop's"
                    escape(game, f"Settings.ini linked to {device}: Escape")
                assert os.readlink(work.data_path("Settings.ini")) == device, f"the link to {device} changed"
                assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"
                out = game.output()
                assert out == b"", f"Settings.ini linked to {device}: the game printed {out[:300]!r}"


# ----------------------------------------------------------------------------------------------------------
# 5. The log of a killed game


def killed_game_log_is_whole():
    with Display() as display, Workdir(RESOURCES, settings=CANONICAL) as work:
        art = harness.SceneArt(work)
        with Game(display, BINARY, work) as game:
            game.wait_window()
            game.move(*EMPTY)
            game.wait_selected(NEW_GAME, '"New Game" selected in the fresh menu')
            game.key("Return")
            harness.poll_until(lambda: work.exists("level9.level"), 10, "level9.level")
            rows = harness.check_level_file("level0.level", work.read("level0.level"))
            expected = harness.scene_picture(art, rows, (1, 1), (W, H))
            # The first level on screen: the maps and room lists have all been printed by then.
            game.wait_picture(expected, "the first level", skip=(W // 2, H // 2, PLAYER_W, PLAYER_H))
            os.kill(game.proc.pid, signal.SIGKILL)
            status = game.proc.wait(timeout=10)
            assert status == -signal.SIGKILL, f"the game ended with status {status} before it was killed"
        expected = b""
        for name in LEVEL_NAMES:
            rows = harness.check_level_file(name, work.read(name))
            across, down = len(rows[0]) // 10, len(rows) // 10
            expected += b"".join(row + b"\n" for row in rows)
            expected += b"".join(b"room %d: %d, %d\n" % (j * across + i + 1, 10 * i, 10 * j)
                                 for j in range(down) for i in range(across))
        out = game.output()
        if out != expected:
            common = min(len(out), len(expected))
            at = next((i for i in range(common) if out[i] != expected[i]), common)
            raise AssertionError(
                f"the killed game's log ({len(out)} bytes) is not the ten maps and room lists it printed "
                f"({len(expected)} bytes); first difference at byte {at}: {out[at:at + 60]!r} "
                f"instead of {expected[at:at + 60]!r}"
            )


# ----------------------------------------------------------------------------------------------------------
# 6. Start-up failures wait for a key


class PipedGame(Game):
    """The game with its standard input a pipe the test writes keys into."""

    def __init__(self, display, binary, workdir):
        super().__init__(display, binary, workdir, stdin=subprocess.PIPE)

    def type(self, key):
        self.proc.stdin.write(key)
        self.proc.stdin.flush()

    def kill(self):
        super().kill()
        if self.proc is not None and self.proc.stdin:
            self.proc.stdin.close()


def startup_failure_waits_for_keys():
    too_wide = b"[Settings]\r\nMusicVolume=5\r\nFXVolume=6\r\nWindowWidth=100000\r\nWindowHeight=600\r\nFullscreen=0"
    window_failed = rb"Window initialisation failed: [^\n]+\nPress any key to continue\n"
    renderer_failed = rb"Renderer initialisation failed: [^\n]+\nPress any key to continue\n"
    with Display() as display, Workdir(RESOURCES, settings=too_wide) as work, PipedGame(display, BINARY, work) as game:

        def waits_with(pattern, what):
            def printed():
                out = game.output()
                return game.proc.poll() is not None or (re.fullmatch(pattern, out) and out)

            try:
                out = harness.poll_until(printed, 10, what)
            except AssertionError as e:
                raise AssertionError(f"{e}; the game printed {game.output()[:400]!r}") from None
            assert game.proc.poll() is None, f"the game ended with status {game.proc.returncode}\n{game.diagnostics()}"
            harness.stays(lambda: game.proc.poll() is None and game.output() == out, 1.0,
                          f"{what}: the game waiting for a key, printing nothing more")

        waits_with(window_failed, "the window failure and its prompt")
        game.type(b"x")
        waits_with(window_failed + renderer_failed, "the renderer failure and its prompt after one key")
        game.type(b"y")
        # Then it goes on without a window: first the particles, whose texture needs the renderer.
        particles = rb"Texture for bitmap 'Resources/Assets/ParticleBitmap\.bmp' not loaded!\n"
        went_on = window_failed + renderer_failed + particles
        harness.poll_until(lambda: game.proc.poll() is not None or re.match(went_on, game.output()), 5,
                           "the game going on after the second key")
        harness.stays(lambda: game.proc.poll() is None, 1.0, "the game running on without a window")
        ids = display.run("xdotool", "search", "--name", "^Quarrow$", check=False).split()
        assert not ids, f"a Quarrow window exists although its creation failed: {ids}"
        game.proc.send_signal(signal.SIGTERM)
        status = game.wait_exit()
        assert status == 0, f"SIGTERM ended the game with status {status}\n{game.diagnostics()}"
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


harness.run_cases(
    [
        modes_and_read_only_places,
        links_and_stale_temporary_names,
        two_games_saving_at_once,
        special_files_and_huge_bitmap,
        killed_game_log_is_whole,
        startup_failure_waits_for_keys,
    ]
)
