"""The game in a real window when its files are missing, locked or mangled: no bitmaps and no font, no data
folder, a data folder it may not write to, a hand-edited Settings.ini with absurd values or binary bytes,
and a hand-made level with rows of differing lengths, stray bytes and a very long line. In every case the
game must keep running, print exactly what failed, end with status 0 and leave the player's files whole."""

import os
import random
import re
import signal
import subprocess
import time

import harness
from harness import SCREEN_H, SCREEN_W, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
PLAYER_W, PLAYER_H = 100, 128  # each 25 x 32 frame is drawn at the whole sheet's size
EMPTY = (5, 5)  # a window point that no control covers
WINDOWED = settings_text(100, 100, W, H, False)
LEVEL_NAMES = [f"level{n}.level" for n in range(10)]

# Lines the game itself prints when something fails to load or start.
GAME_MESSAGE = re.compile(
    rb"(Surface|Texture) for (bitmap '.*'|font) not loaded!|(Window|Renderer) initialisation failed: .*"
    rb"|Press any key to continue"
)


# ----------------------------------------------------------------------------------------------------------
# Helpers


def menu_entry(index, w=W, h=H):
    return 0.5 * w, (0.6, 0.7, 0.8, 0.9)[index] * h


def options_control(index, w=W, h=H):
    return [(0.6 * w, 0.5 * h), (0.6 * w, 0.6 * h), (0.6 * w, 0.7 * h), (0.6 * w, 0.8 * h),
            (0.5 * w, 0.9 * h), (0.6 * w, 0.9 * h)][index]


def stderr_of(game):
    with open(game.err_path, "rb") as f:
        return f.read()


def assert_clean_exit(game, status, how):
    """Status 0, no signal, and no sanitizer report (when the binary was built with sanitizers)."""
    err = stderr_of(game)
    for word in (b"ERROR: AddressSanitizer", b"runtime error:"):
        assert word not in err, f"{how}: sanitizer report on stderr:\n{err[-3000:].decode(errors='replace')}"
    assert status == 0, f"{how} ended the game with status {status}\n{game.diagnostics()}"


def escape(game, how="Escape"):
    assert_clean_exit(game, game.quit_with_escape(), how)


def press(game, key, expected, what):
    """Press a key and wait until the green tint shows the control it should select."""
    game.key(key)
    game.wait_selected(expected, what)


def tap(game, key):
    """Press a key where nothing shows its effect, so there is nothing to wait for: hold it over several
    input polls, then leave a gap as long, so that even a game slowed down by a busy machine takes this
    release and the next press in different polls (in one poll they would make a single press)."""
    game.key(key, hold=0.1)
    time.sleep(0.1)


def settings_tuple(data):
    m = re.fullmatch(
        rb"\[Settings\]\r\nMusicVolume=(\d+)\r\nFXVolume=(\d+)\r\nWindowWidth=(\d+)\r\nWindowHeight=(\d+)"
        rb"\r\nFullscreen=([01])",
        data,
    )
    return tuple(int(v) for v in m.groups()) if m else None


def listing(root):
    """Every file and folder below root (relative paths), without the harness's own files."""
    found = set()
    for base, dirs, files in os.walk(root):
        rel = os.path.relpath(base, root)
        if rel == "shots" or rel.startswith("shots" + os.sep):
            continue
        for name in dirs + files:
            path = os.path.normpath(os.path.join(rel, name))
            if path not in ("stdout.txt", "stderr.txt", "shots"):
                found.add(path)
    return found


def printed_maps(out):
    """The maps that "New Game" printed: a list of (rows, rooms) in the order printed. Each map is a run of
    lines of 0 and 1 followed by its "room k: x, y" lines."""
    maps, rows, rooms = [], [], []
    for line in out.split(b"\n"):
        if re.fullmatch(rb"[01]+", line):
            if rooms:
                maps.append((rows, rooms))
                rows, rooms = [], []
            rows.append(line)
        elif line.startswith(b"room "):
            rooms.append(line)
    if rows:
        maps.append((rows, rooms))
    return maps


def check_printed_maps(out):
    maps = printed_maps(out)
    assert len(maps) == 10, f"standard output holds {len(maps)} generated maps, expected 10"
    for n, (rows, rooms) in enumerate(maps):
        width, height = len(rows[0]), len(rows)
        assert all(len(r) == width for r in rows), f"printed map {n} has rows of differing lengths"
        assert width in range(40, 151, 10) and height in range(40, 151, 10), f"printed map {n} is {width} x {height}"
        expected = [
            f"room {j * (width // 10) + i + 1}: {10 * i}, {10 * j}".encode()
            for j in range(height // 10)
            for i in range(width // 10)
        ]
        assert rooms == expected, f"printed map {n}: room list {rooms[:3]}... does not match its {width} x {height} grid"
    return maps


def scene_picture(art, rows, cell, size=(W, H), facing=None, frame=0):
    return harness.scene_picture(art, rows, cell, size, facing, frame)


# ----------------------------------------------------------------------------------------------------------
# No bitmaps, no font


def bitmap_and_font_failures(out):
    """Count the game's load-failure messages per path, checking that each is followed by SDL's error text
    on a line of its own."""
    lines = out.split(b"\n")
    if not out.endswith(b"\n"):
        lines = lines[:-1]  # a line still being written when the game was stopped
    counts = {}
    for i, line in enumerate(lines):
        m = re.fullmatch(rb"Surface for bitmap '(.*)' not loaded!|(Surface for font not loaded!)", line)
        if m is None:
            assert not line.startswith((b"Texture for", b"Window init", b"Renderer init", b"Press any")), (
                f"unexpected failure line {line!r}"
            )
            continue
        key = m.group(1).decode() if m.group(1) else "font"
        if i + 1 == len(lines):
            continue  # its error line is still to come
        error = lines[i + 1]
        assert error and not GAME_MESSAGE.fullmatch(error), (
            f"{line!r} is not followed by SDL's error text on a line of its own but by {error!r}"
        )
        counts[key] = counts.get(key, 0) + 1
    return counts


def missing_assets_keyboard_still_works():
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED) as work:
        assets = work.asset_path("")
        for name in os.listdir(assets):
            os.remove(os.path.join(assets, name))
        with Game(display, BINARY, work) as game:

            def counts():
                return bitmap_and_font_failures(game.output())

            def wait_count(key, n, what):
                harness.poll_value(counts, lambda c: c.get(key, 0) >= n, 10, what, 0.1)

            game.wait_window()
            game.move(*EMPTY)
            # Four entries, each with its own background: four failures for Button.bmp.
            wait_count("Resources/Assets/Button.bmp", 4, "the main menu's four Button.bmp failures")
            wait_count("font", 4, "the font failures of the main menu's labels")
            # Down, Return: "Options" opens; its two sliders load their knobs.
            tap(game, "Down")
            tap(game, "Return")
            wait_count("Resources/Assets/Slider.bmp", 2, "the options menu's two Slider.bmp failures")
            # Five times Down reaches "Back"; Return closes the options and rebuilds the main menu.
            for _ in range(5):
                tap(game, "Down")
            tap(game, "Return")
            wait_count("Resources/Assets/Button.bmp", 14, "the rebuilt main menu's Button.bmp failures")
            # "Options" is still selected: Up selects "New Game" and Return starts it.
            tap(game, "Up")
            tap(game, "Return")
            harness.poll_until(lambda: all(work.exists(n) for n in LEVEL_NAMES), 10, "the ten level files")
            # The game scene follows at once. What it prints stays in the game's output buffer until the
            # exit, where its failures are counted; until then, it must draw nothing at all.
            harness.stays(lambda: not any(game.shot().data), 1.0,
                          "a blank window, as every bitmap and the font are missing")
            escape(game)

        out = game.output()
        got = bitmap_and_font_failures(out)
        expected = {
            "Resources/Assets/ParticleBitmap.bmp": 1,
            "Resources/Assets/Button.bmp": 4 + 6 + 4,
            "Resources/Assets/Slider.bmp": 2,
            "Resources/Assets/Level1Tiles.bmp": 1,
            "Resources/Assets/Player.bmp": 16,
        }
        font = got.pop("font", 0)
        assert got == expected, f"bitmap failures per file {got}, expected {expected}"
        assert font >= 10, f"only {font} font failures were printed"
        # Start-up loads only the particle bitmap; the menu comes next and the game scene last.
        first = out.index(b"Surface for bitmap '")
        assert out.startswith(b"Surface for bitmap 'Resources/Assets/ParticleBitmap.bmp' not loaded!\n", first), (
            f"the first failure printed is not the particle bitmap's: {out[first:first + 80]!r}"
        )
        tiles = out.index(b"Surface for bitmap 'Resources/Assets/Level1Tiles.bmp'")
        assert out.index(b"room 1: 0, 0") < tiles < out.index(b"Surface for bitmap 'Resources/Assets/Player.bmp'"), (
            "the tile bitmap was not loaded after the maps were generated and before the player"
        )
        check_printed_maps(out)
        for name in LEVEL_NAMES:
            harness.check_level_file(name, work.read(name))
        assert work.read("Settings.ini") == WINDOWED, f"Settings.ini is {work.read('Settings.ini')!r}"
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


# ----------------------------------------------------------------------------------------------------------
# No data folder, and a data folder the game may not write to


def no_data_folder_new_game_plays_an_empty_map():
    with Display(wm=True) as display, Workdir(RESOURCES, data=False) as work:
        before = listing(work.path)
        art = harness.SceneArt(work)
        with Game(display, BINARY, work) as game:
            game.wait_window()
            # No settings file: full screen on the desktop.
            harness.poll_until(lambda: game.geometry()[2:] == (SCREEN_W, SCREEN_H), 8, "a full-screen window")
            game.move(*EMPTY)
            game.wait_selected(menu_entry(1, SCREEN_W, SCREEN_H), '"New Game" selected in the fresh menu')
            game.key("Return")
            # An empty map: the player alone, at the centre of the screen.
            expected = scene_picture(art, [], (1, 1), (SCREEN_W, SCREEN_H), harness.DOWN)
            img = game.wait_picture(expected, "the player alone on an empty map")
            work.keep_shot(img, "faults_no_data_folder.png")
            # The arrow keys turn the player, who has no floor to walk onto.
            for key, facing in (("Right", harness.RIGHT), ("Down", harness.DOWN)):
                game.hold_key(key, 0.4)
                expected = scene_picture(art, [], (1, 1), (SCREEN_W, SCREEN_H), facing)
                img = game.wait_picture(expected, f"the player alone on an empty map, turned by {key}")
            box = img.bbox(harness.not_black)
            player = (SCREEN_W // 2, SCREEN_H // 2, SCREEN_W // 2 + PLAYER_W - 1, SCREEN_H // 2 + PLAYER_H - 1)
            assert box is not None and player[0] <= box[0] and player[1] <= box[1] and box[2] <= player[2] and box[3] <= player[3], (
                f"after the arrow keys something was drawn outside the player's place {player}: {box}"
            )
            escape(game)
        out = game.output()
        check_printed_maps(out)
        assert b"not loaded" not in out, f"a load failure was printed: {out[:300]!r}"
        assert not os.path.exists(work.data_path()), "the game created Resources/Data"
        assert listing(work.path) == before, f"new files appeared: {sorted(listing(work.path) - before)}"




def read_only_data_folder_left_untouched():
    # The player's data folder is read-only to the game: settings, save data and the current level must
    # come through a session of options changes and a new game byte for byte, with nothing added. Root
    # writes through any mode bits, so as root the game runs as user nobody, to whom the folder is
    # read-only like to a player who does not own it.
    loose_settings = b"[Settings]\nMusicVolume=10\nFXVolume=20\nWindowWidth=1000\nWindowHeight=800\nFullscreen=0\n"
    only_start = b"000\r\n010\r\n000\r\n"
    files = {"Settings.ini": loose_settings, "SaveData.bin": b"12345678", "level0.level": only_start}
    with Display() as display, Workdir(RESOURCES, files=files) as work:
        prefix, binary = harness.nobody_can_run(work, BINARY)
        for name in files:
            os.chmod(work.data_path(name), 0o444)
        os.chmod(work.data_path(), 0o555)
        try:
            # The lock must hold for the game's user, or this case would prove nothing.
            probe = subprocess.run(
                prefix + ["sh", "-c", "echo x > Resources/Data/probe || exit 3; exit 0"],
                cwd=work.path, capture_output=True, timeout=10,
            )
            assert probe.returncode == 3, "could not make Resources/Data read-only for the game"
            before = listing(work.path)
            art = harness.SceneArt(work)
            with Game(display, binary, work, prefix=prefix) as game:
                game.wait_window()
                game.move(*EMPTY)
                game.wait_selected(menu_entry(1), '"New Game" selected in the fresh menu')
                press(game, "Down", menu_entry(2), '"Options" selected')
                press(game, "Return", options_control(0), "the music slider selected in the options menu")
                press(game, "Return", options_control(0), "the music slider still selected after Return")
                for i in (1, 2, 3):
                    press(game, "Down", options_control(i), f"options control {i} selected")
                press(game, "Return", options_control(3), "full screen still selected after toggling it")
                press(game, "Down", options_control(4), '"Apply" selected')
                press(game, "Down", options_control(5), '"Back" selected')
                press(game, "Return", menu_entry(2), '"Options" selected in the main menu again')
                press(game, "Up", menu_entry(1), '"New Game" selected')
                game.key("Return")
                # Nothing could be written, so the scene plays the level0.level that was there.
                expected = scene_picture(art, only_start.splitlines(), (1, 1))
                img = game.wait_picture(expected, "the old level0.level", skip=(W // 2, H // 2, PLAYER_W, PLAYER_H))
                work.keep_shot(img, "faults_read_only_data.png")
                escape(game)
            out = game.output()
            assert out.startswith(b"1\n"), f"toggling full screen did not print 1 first: {out[:40]!r}"
            check_printed_maps(out[2:])
            for name, content in files.items():
                assert work.read(name) == content, f"{name} changed: {work.read(name)!r}"
            assert listing(work.path) == before, f"new files appeared: {sorted(listing(work.path) - before)}"
        finally:
            os.chmod(work.data_path(), 0o755)


# ----------------------------------------------------------------------------------------------------------
# Hand-edited Settings.ini


def settings_file(music, fx, width, height, fullscreen):
    return (
        b"[Settings]\r\nMusicVolume=%s\r\nFXVolume=%s\r\nWindowWidth=%s\r\nWindowHeight=%s\r\nFullscreen=%s"
        % (music, fx, width, height, fullscreen)
    )


def no_window_then_sigterm(display, settings, expected):
    with Workdir(RESOURCES, settings=settings) as work, Game(display, BINARY, work) as game:
        start = re.compile(
            rb"Window initialisation failed: [^\n]+\nPress any key to continue\n"
            rb"Renderer initialisation failed: [^\n]+\nPress any key to continue\n"
        )
        harness.poll_until(lambda: game.proc.poll() is not None or start.match(game.output()), 10,
                           "the window and renderer failure messages")
        assert game.proc.poll() is None, f"the game ended on its own with status {game.proc.returncode}\n{game.diagnostics()}"
        harness.stays(lambda: game.proc.poll() is None, 0.5, "the game running without a window, waiting for a quit request")
        ids = display.run("xdotool", "search", "--name", "^Quarrow$", check=False).split()
        assert not ids, f"a Quarrow window exists although its creation failed: {ids}"
        game.proc.send_signal(signal.SIGTERM)
        assert_clean_exit(game, game.wait_exit(), "SIGTERM")
        got = work.read("Settings.ini")
        assert got == expected, f"Settings.ini rewritten as {got!r}, expected {expected!r}"
        assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"


def absurd_settings_values():
    rng = random.Random(20240611)
    noise = bytes(b for b in (rng.randrange(256) for _ in range(3000)) if b not in b"=\n")
    cases = [
        # (what, file, expected rewrite, how to end it)
        ("WindowWidth=0", settings_file(b"5", b"6", b"0", b"600", b"0"), settings_text(5, 6, 0, 600, False), "close"),
        ("WindowWidth=99999999999", settings_file(b"5", b"6", b"99999999999", b"600", b"0"),
         settings_text(5, 6, 4294967295, 600, False), "full screen"),
        ("WindowWidth=-1, WindowHeight=-1", settings_file(b"5", b"6", b"-1", b"-1", b"0"),
         settings_text(5, 6, 4294967295, 4294967295, False), "escape"),
        ("lines without '='",
         b"[Settings]\nMusicVolume\nFXVolume=55\nWindowWidth=800px\nWindowHeight=600\nFullscreen=0\nFullscreen\n",
         settings_text(0, 55, 800, 600, False), "close"),
        ("binary bytes around the keys",
         b"\x00\xff\xfe[Settings]\r\nMusicVolume=\x0012\r\nFXVolume=7\xff\r\n\xff\xfeWindowWidth=900\r\n"
         b"WindowWidth=1000\r\nWindowHeight=800\x00\r\n\rFullscreen=1\r\nFullscreen=0\r\n\x1a",
         settings_text(0, 7, 1000, 800, False), "escape"),
        ("nothing but binary bytes", noise, settings_text(100, 100, SCREEN_W, SCREEN_H, True), "close"),
    ]
    with Display(wm=True) as display:
        for what, content, expected, ending in cases:
            try:
                with Workdir(RESOURCES, settings=content) as work, Game(display, BINARY, work) as game:
                    game.wait_window()
                    got = work.read("Settings.ini")
                    assert got == expected, f"Settings.ini rewritten as {got!r}, expected {expected!r}"
                    values = settings_tuple(expected)
                    if values[4]:
                        harness.poll_until(lambda: game.geometry()[2:] == (SCREEN_W, SCREEN_H), 8, "full screen")
                    elif all(0 < v <= SCREEN_W for v in values[2:4]):
                        size = game.geometry()[2:]
                        assert size == values[2:4], f"window of {size}, expected {values[2:4]}"
                    if ending == "close":
                        display.close_window("Quarrow")
                        assert_clean_exit(game, game.wait_exit(), "the close request")
                    elif ending == "escape":
                        escape(game)
                    else:
                        # Options, full screen on, Apply: the unusable size still gives a working window.
                        for key in ("Down", "Return", "Down", "Down", "Down", "Return", "Down", "Return"):
                            tap(game, key)
                        harness.poll_until(lambda: game.geometry()[2:] == (SCREEN_W, SCREEN_H), 8,
                                           "full screen after Apply")
                        expected = expected[:-1] + b"1"
                        assert work.read("Settings.ini") == expected, f"Settings.ini is {work.read('Settings.ini')!r}"
                        escape(game)
                        assert game.output() == b"1\n", f"standard output is {game.output()[:200]!r}, expected 1"
                    assert work.read("Settings.ini") == expected, f"Settings.ini is {work.read('Settings.ini')!r} at exit"
                    assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"
            except AssertionError as e:
                raise AssertionError(f"Settings.ini with {what}: {e}") from None
        # A width that fits a 32-bit int but no window: the game says so and waits for a quit request.
        try:
            no_window_then_sigterm(display, settings_file(b"5", b"6", b"100000", b"600", b"0"),
                                   settings_text(5, 6, 100000, 600, False))
        except AssertionError as e:
            raise AssertionError(f"Settings.ini with WindowWidth=100000: {e}") from None


# ----------------------------------------------------------------------------------------------------------
# A hand-made level


# From the start (column 1, row 1) only Right is floor: Up runs past the end of a one-cell row, Left meets
# a lone CR and Down a "2". From (2, 1) Up is again past a row's end, Down an "x", Right a 0xff byte.
# The last line gives the width, 4, so the long line's floor beyond column 3 is never drawn. Line ends are
# LF, CR LF, and none after the last row.
HAND_LEVEL = (
    b"1\n"
    b"\r11\xff1111\r\n"
    b"12x\n"
    + (b"01x1" + b"1" * 99996)
    + b"\r\n"
    + b"1111"
)
HAND_ROWS = [b"1", b"\r11\xff1111", b"12x", b"01x1" + b"1" * 99996, b"1111"]


def hand_made_level_walls():
    assert len(HAND_ROWS[3]) == 100000
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED, files={"Level0.level": HAND_LEVEL}) as work:
        art = harness.SceneArt(work)
        skip = (W // 2, H // 2, PLAYER_W, PLAYER_H)
        at_start = scene_picture(art, HAND_ROWS, (1, 1))
        one_right = scene_picture(art, HAND_ROWS, (2, 1))
        with Game(display, BINARY, work) as game:
            game.wait_window()
            game.move(*EMPTY)
            game.wait_selected(menu_entry(1), '"New Game" selected in the fresh menu')
            press(game, "Up", menu_entry(0), '"Continue" selected')
            game.key("Return")
            img = game.wait_picture(at_start, "the hand-made level around the start", skip)
            work.keep_shot(img, "faults_hand_made_level.png")

            def hold(key, expected, what):
                game.hold_key(key, 1.2)
                game.wait_picture(expected, what, skip, timeout=5)

                # It stays there: no move was started.
                def unmoved():
                    bad, first = harness.picture_differences(game.shot(), expected, skip)
                    assert bad == 0, f"{what}: the view moved afterwards ({bad} pixels differ, first {first})"
                    return True

                harness.stays(unmoved, 1.0, f"{what}: the view")

            hold("Up", at_start, "Up from the start (past the end of a one-cell row)")
            hold("Left", at_start, "Left from the start (a lone CR)")
            hold("Down", at_start, "Down from the start (a '2')")
            hold("Right", one_right, "Right from the start (floor), one tile and no further (0xff)")
            hold("Up", one_right, "Up from (2, 1) (past the end of a one-cell row)")
            hold("Down", one_right, "Down from (2, 1) (an 'x')")
            hold("Left", at_start, "Left from (2, 1) back to the start")
            escape(game)
        assert work.read("Level0.level") == HAND_LEVEL, "the hand-made level was changed"
        assert not work.exists("level0.level"), "Continue wrote a level file"
        out = game.output()
        assert out == b"", f"the game printed {out[:300]!r}"


harness.run_cases(
    [
        missing_assets_keyboard_still_works,
        no_data_folder_new_game_plays_an_empty_map,
        read_only_data_folder_left_untouched,
        absurd_settings_values,
        hand_made_level_walls,
    ]
)
