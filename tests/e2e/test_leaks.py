"""Leak check of a whole session in a real window, for the build made with -fsanitize=address,undefined:
the main menu, the options (a slider dragged, the resolution stepped and applied, full screen toggled on
and off, Back), a new game, a walk in the game scene and Escape. LeakSanitizer runs at exit with the
suppressions in lsan.supp; the session must end with status 0 and no sanitizer report.

The suppressions themselves are checked too: none may match the game's own functions, sources or binary,
the libraries it links, or a function SDL or SDL_ttf exports, since LeakSanitizer hides a leak when any
frame of its allocation stack matches; and a small program that forgets a surface and a font must still
be reported with them in force."""

import glob
import os
import re
import shlex
import shutil
import subprocess
import tempfile

import harness
from harness import Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

HERE = os.path.dirname(os.path.abspath(__file__))
SUPPRESSIONS = os.path.join(os.path.dirname(HERE), "lsan.supp")
SOURCES = os.path.join(os.path.dirname(RESOURCES), "src")
LEAK_STATUS = 23


def sanitizer_env():
    return {
        "ASAN_OPTIONS": f"detect_leaks=1:exitcode={LEAK_STATUS}",
        "LSAN_OPTIONS": f"suppressions={SUPPRESSIONS}:print_suppressions=0",
        "UBSAN_OPTIONS": "print_stacktrace=1",
    }


def tool(*argv):
    return subprocess.run(argv, capture_output=True, check=True, timeout=60).stdout.decode(errors="replace")


def linked_libraries(binary):
    """{soname: path} of the shared libraries the binary names itself (not those they pull in)."""
    needed = re.findall(r"^\s*NEEDED\s+(\S+)", tool("objdump", "-p", binary), re.M)
    paths = dict(re.findall(r"^\s*(\S+) => (\S+)", tool("ldd", binary), re.M))
    return {name: paths.get(name, name) for name in needed}


# ----------------------------------------------------------------------------------------------------------
# Keeping the OpenGL driver loaded


def resident_driver_preload():
    """LD_PRELOAD that keeps Mesa's software OpenGL driver in the process until it ends. SDL unloads the
    driver at SDL_Quit; objects that only the driver's globals point to then look leaked, from a module
    that can no longer be named (so no suppression could single them out). Loaded from the start, the
    driver stays mapped and those objects stay reachable. A dynamically linked sanitizer runtime must
    come first in the list."""
    drivers = sorted(glob.glob("/usr/lib/*/dri/swrast_dri.so") + glob.glob("/usr/lib*/dri/swrast_dri.so"))
    if not drivers:
        return None
    runtime = [p for name, p in linked_libraries(BINARY).items() if name.startswith("libasan.so")]
    return " ".join(runtime + drivers[:1])


def sanitized_game(display, work):
    """The sanitizer-built game with leak checking on and the OpenGL driver kept resident."""
    env = sanitizer_env()
    preload = resident_driver_preload()
    if preload:
        env["LD_PRELOAD"] = preload
    return Game(display, BINARY, work, env=env)


# ----------------------------------------------------------------------------------------------------------
# The suppression file


def suppression_patterns():
    """[(pattern, line number)]; every suppression must be a leak: line right below a comment."""
    with open(SUPPRESSIONS) as f:
        lines = f.read().split("\n")
    patterns = []
    for i, line in enumerate(lines):
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        assert text.startswith("leak:") and len(text) > 5, f"lsan.supp line {i + 1} is not a leak suppression: {line!r}"
        assert i > 0 and lines[i - 1].strip().startswith(("#", "leak:")), (
            f"lsan.supp line {i + 1} ({text}) has no comment above it saying why"
        )
        patterns.append((text[5:], i + 1))
    return patterns


def template_regex(pattern):
    """LeakSanitizer's pattern rule as a regular expression: '*' is any text, a leading '^' and a trailing
    '$' anchor the ends, and otherwise the pattern may match anywhere in the name."""
    anchored_start = pattern.startswith("^")
    anchored_end = pattern.endswith("$")
    body = pattern[1 if anchored_start else 0 : len(pattern) - (1 if anchored_end else 0)]
    regex = ".*".join(re.escape(part) for part in body.split("*"))
    return re.compile(("^" if anchored_start else "") + regex + ("$" if anchored_end else ""))


def names_a_game_leak_could_carry():
    """Every function, source file and module name that can appear in the allocation stack of a leak the
    game causes: the game's own symbols and sources, its binary, the libraries it links directly, and
    the functions those SDL libraries export."""
    names = {BINARY, os.path.basename(BINARY), os.path.realpath(BINARY)}
    for base, _, files in os.walk(SOURCES):
        for name in files:
            path = os.path.join(base, name)
            names.update({path, os.path.realpath(path), os.path.relpath(path, os.path.dirname(SOURCES))})
    for line in tool("nm", "-C", "--defined-only", BINARY).splitlines() + tool("nm", "--defined-only", BINARY).splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in "TtWwVv":
            names.add(parts[2])
    sdl = []
    for soname, path in linked_libraries(BINARY).items():
        names.update({soname, path, os.path.realpath(path), os.path.basename(os.path.realpath(path))})
        if soname.startswith(("libSDL2", "libSDL2_ttf")):
            sdl.append(path)
    assert any("libSDL2-2.0" in p for p in sdl), f"the game does not link libSDL2? {sdl}"
    for path in sdl:
        for line in tool("nm", "-D", "--defined-only", path).splitlines():
            parts = line.split()
            if len(parts) == 3 and parts[1] in "TtWwi":
                names.add(parts[2])
    return names


def suppressions_spare_the_game():
    patterns = suppression_patterns()
    names = names_a_game_leak_could_carry()
    assert len(names) > 1000, f"only {len(names)} names collected from the binary and SDL"
    for pattern, line in patterns:
        regex = template_regex(pattern)
        hits = sorted(n for n in names if regex.search(n))
        assert not hits, (
            f"lsan.supp line {line} (leak:{pattern}) would hide a leak of the game's making: it matches {hits[:5]}"
        )


CANARY = r"""
// Leaves a bitmap surface and a font unreleased, as a sprite or a text renderer that is never torn down
// would: both must be reported.
#include <SDL.h>
#include <SDL_ttf.h>

__attribute__((noinline)) static void forgetSurface(const char* bitmap) {
    SDL_Surface* surface = SDL_LoadBMP(bitmap);
    (void)surface;
}

__attribute__((noinline)) static void forgetFont(const char* font) {
    TTF_Font* opened = TTF_OpenFont(font, 12);
    (void)opened;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    TTF_Init();
    forgetSurface(argv[1]);
    forgetFont(argv[2]);
    return 0;
}
"""


def unreleased_sdl_objects_still_reported():
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    assert compiler, "no C++ compiler to build the leak canary (set CXX)"
    try:
        flags = tool("pkg-config", "--cflags", "--libs", "sdl2", "SDL2_ttf")
    except (OSError, subprocess.CalledProcessError):
        flags = tool("sdl2-config", "--cflags", "--libs") + " -lSDL2_ttf"
    with tempfile.TemporaryDirectory(prefix="quarrow-canary-") as tmp:
        source, program = os.path.join(tmp, "canary.cpp"), os.path.join(tmp, "canary")
        with open(source, "w") as f:
            f.write(CANARY)
        subprocess.run([compiler, "-fsanitize=address", "-fno-omit-frame-pointer", "-g", source, "-o", program]
                       + shlex.split(flags), check=True, capture_output=True, timeout=120)
        env = dict(os.environ)
        env.update(sanitizer_env())
        res = subprocess.run(
            [program, os.path.join(RESOURCES, "Assets", "Button.bmp"), os.path.join(RESOURCES, "Assets", "DejaVuSans.ttf")],
            env=env, capture_output=True, timeout=60,
        )
    err = res.stderr.decode(errors="replace")
    assert res.returncode == LEAK_STATUS and "ERROR: LeakSanitizer" in err, (
        f"a forgotten surface and font were not reported (status {res.returncode}):\n{err[-3000:]}"
    )
    direct = re.findall(r"^Direct leak of \d+ byte", err, re.M)
    assert len(direct) >= 2, f"expected the surface and the font as two direct leaks, found {len(direct)}:\n{err[-3000:]}"


# ----------------------------------------------------------------------------------------------------------
# A whole session


def session_ends_without_leaks():
    W, H = 1000, 800
    with Display() as display, Workdir(RESOURCES, settings=settings_text(50, 50, W, H, False)) as work:
        with sanitized_game(display, work) as game:

            def control(index, size=(W, H)):
                return harness.options_control(index, size)

            def settings_become(values):
                return lambda: harness.settings_values(work.read_if_there("Settings.ini")) == values

            game.open_menu()
            game.open_options((W, H))
            game.drag([(560, 400), (600, 400), (640, 400)])
            game.move(*harness.EMPTY)
            harness.wait_settings(work, lambda v: v == (90, 50, W, H, 0), "MusicVolume=90 after the drag")
            game.select("Down", control(1), "the effects slider selected")
            game.select("Down", control(2), "Resolution selected")
            game.press("Return")  # 1000 x 800 is not in the list: the next size is 640 x 480
            game.select("Down", control(3), "full screen selected")
            game.press("Return", settings_become((90, 50, W, H, 1)), "Fullscreen=1")
            game.press("Return", settings_become((90, 50, W, H, 0)), "Fullscreen=0")
            game.select("Down", control(4), '"Apply" selected')
            game.press("Return", lambda: game.geometry()[2:] == (640, 480), "the window at 640 x 480 after Apply")
            harness.wait_settings(work, lambda v: v == (90, 50, 640, 480, 0), "the applied size in Settings.ini")
            game.wait_selected(control(4, (640, 480)), '"Apply" still selected at 640 x 480')
            game.select("Down", control(5, (640, 480)), '"Back" selected')
            game.select("Return", harness.menu_entry(2, (640, 480)), '"Options" selected in the rebuilt main menu')
            game.select("Up", harness.menu_entry(1, (640, 480)), '"New Game" selected')
            game.press("Return", lambda: all(work.exists(f"level{n}.level") for n in range(10)), "the ten level files")
            game.wait_drawn()
            for key in ("Right", "Down", "Left", "Up"):
                game.press(key)
            game.escape("the session", timeout=120)
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


harness.run_cases([suppressions_spare_the_game, unreleased_sdl_objects_still_reported, session_ends_without_leaks])
