"""Leak check of a whole session in a real window, for the build made with -fsanitize=address,undefined:
menu, options (slider, resolution, full screen on and off, Apply, Back), a new game, a walk and Escape must
end with status 0 and no report, with the suppressions in lsan.supp. No suppression may match anything of
the game, the libraries it links or a function SDL exports, and a forgotten surface and font must still
be reported with them in force."""

import os
import re
import shlex
import shutil
import subprocess
import tempfile

import harness
from harness import Display, Game, Workdir, settings_text, tool

BINARY, RESOURCES = harness.arguments()

SUPPRESSIONS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "lsan.supp")
SOURCES = os.path.join(os.path.dirname(RESOURCES), "src")
LEAK_STATUS = 23
SANITIZER_ENV = {"ASAN_OPTIONS": f"detect_leaks=1:exitcode={LEAK_STATUS}", "UBSAN_OPTIONS": "print_stacktrace=1",
                 "LSAN_OPTIONS": f"suppressions={SUPPRESSIONS}:print_suppressions=0"}


def linked_libraries(binary):
    """{soname: path} of the shared libraries the binary names itself (not those they pull in)."""
    needed = re.findall(r"^\s*NEEDED\s+(\S+)", tool("objdump", "-p", binary), re.M)
    paths = dict(re.findall(r"^\s*(\S+) => (\S+)", tool("ldd", binary), re.M))
    return {name: paths.get(name, name) for name in needed}


def sanitized_game(display, work):
    """The sanitizer-built game with Mesa's software OpenGL driver preloaded (after a dynamic sanitizer
    runtime, which must come first). SDL unloads the driver at SDL_Quit, and what only its globals point
    to would then look leaked from a module no suppression could name; preloaded, it stays mapped. The
    driver is the build's own architecture's (its multiarch folder, where the system has one)."""
    env = dict(SANITIZER_ENV)
    multiarch = os.environ.get("QUARROW_MULTIARCH")
    folders = [f"/usr/lib/{multiarch}"] if multiarch else ["/usr/lib64", "/usr/lib"]
    drivers = [path for path in (f"{folder}/dri/swrast_dri.so" for folder in folders) if os.path.exists(path)]
    if drivers:
        runtime = [p for name, p in linked_libraries(BINARY).items() if name.startswith("libasan.so")]
        env["LD_PRELOAD"] = " ".join(runtime + drivers[:1])
    return Game(display, BINARY, work, env=env)


def suppression_patterns():
    """[(pattern, line number)]; every suppression must be a leak: line right below a comment."""
    lines = [line.strip() for line in harness.read_file(SUPPRESSIONS).decode().split("\n")]
    patterns = []
    for i, text in enumerate(lines):
        if text and not text.startswith("#"):
            assert text.startswith("leak:") and len(text) > 5, f"lsan.supp line {i + 1} is not a leak suppression"
            assert i > 0 and lines[i - 1].startswith(("#", "leak:")), f"lsan.supp line {i + 1} has no comment above"
            patterns.append((text[5:], i + 1))
    return patterns


def template_regex(pattern):
    """LeakSanitizer's pattern rule: '*' is any text, a leading '^' and a trailing '$' anchor the ends, and
    otherwise the pattern may match anywhere in the name."""
    start, end = pattern.startswith("^"), pattern.endswith("$")
    body = pattern[start : len(pattern) - end]
    return re.compile("^" * start + ".*".join(map(re.escape, body.split("*"))) + "$" * end)


def symbols(nm_args, kinds):
    """Names of the symbols `nm` lists with one of the given type letters."""
    parts = (line.split(" ", 2) for line in tool("nm", *nm_args).splitlines())
    return {p[2] for p in parts if len(p) == 3 and p[1] in kinds}


def names_a_game_leak_could_carry():
    """Every name that can appear in the allocation stack of a leak the game causes: its symbols, sources
    and binary, the libraries it links directly, and the functions the SDL libraries export."""
    names = {BINARY, os.path.basename(BINARY), os.path.realpath(BINARY)}
    for base, _, files in os.walk(SOURCES):
        for path in (os.path.join(base, name) for name in files):
            names.update({path, os.path.realpath(path), os.path.relpath(path, os.path.dirname(SOURCES))})
    names |= symbols(["-C", "--defined-only", BINARY], "TtWwVv") | symbols(["--defined-only", BINARY], "TtWwVv")
    sdl = []
    for soname, path in linked_libraries(BINARY).items():
        names.update({soname, path, os.path.realpath(path), os.path.basename(os.path.realpath(path))})
        if soname.startswith("libSDL2"):
            sdl.append(path)
            names |= symbols(["-D", "--defined-only", path], "TtWwi")
    assert any("libSDL2-2.0" in p for p in sdl), f"the game does not link libSDL2? {sdl}"
    return names


def suppressions_spare_the_game():
    names = names_a_game_leak_could_carry()
    assert len(names) > 1000, f"only {len(names)} names collected from the binary and SDL"
    for pattern, line in suppression_patterns():
        hits = sorted(n for n in names if template_regex(pattern).search(n))
        assert not hits, f"lsan.supp line {line} (leak:{pattern}) would hide a leak of the game's making: {hits[:5]}"


# Leaves a bitmap surface and a font unreleased, as a sprite or a text renderer never torn down would.
CANARY = r"""
#include <SDL.h>
#include <SDL_ttf.h>
int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    TTF_Init();
    SDL_Surface* surface = SDL_LoadBMP(argv[1]);
    TTF_Font* font = TTF_OpenFont(argv[2], 12);
    return surface && font ? 0 : 3;
}
"""


def unreleased_sdl_objects_still_reported():
    compiler = os.environ.get("CXX") or shutil.which("c++") or shutil.which("g++")
    assert compiler, "no C++ compiler to build the leak canary (set CXX)"
    flags = tool("pkg-config", "--cflags", "--libs", "sdl2", "SDL2_ttf")
    with tempfile.TemporaryDirectory(prefix="quarrow-canary-") as tmp:
        source, program = os.path.join(tmp, "canary.cpp"), os.path.join(tmp, "canary")
        harness.write_file(source, CANARY.encode())
        tool(compiler, "-fsanitize=address", "-fno-omit-frame-pointer", "-g", source, "-o", program,
             *shlex.split(flags), timeout=120)
        assets = os.path.join(RESOURCES, "Assets")
        res = subprocess.run([program, os.path.join(assets, "Button.bmp"), os.path.join(assets, "DejaVuSans.ttf")],
                             env={**os.environ, **SANITIZER_ENV}, capture_output=True, timeout=60)
    err = res.stderr.decode(errors="replace")
    direct = re.findall(r"^Direct leak of \d+ byte", err, re.M)
    assert res.returncode == LEAK_STATUS and len(direct) >= 2, (
        f"a forgotten surface and font not reported as two direct leaks ({res.returncode}):\n{err[-3000:]}")


def session_ends_without_leaks():
    W, H = 1000, 800
    ctrl, small = harness.options_controls((W, H)), harness.options_controls((640, 480))
    with Display() as display, Workdir(RESOURCES, settings=settings_text(50, 50, W, H, False)) as work:
        with sanitized_game(display, work) as game:
            game.open_menu()
            game.open_options((W, H))
            game.drag([(560, 400), (600, 400), (640, 400)])
            game.move(*harness.EMPTY)
            harness.wait_settings(work, lambda v: v == (90, 50, W, H, 0), "MusicVolume=90 after the drag")
            game.select("Down", ctrl[1], "the effects slider selected")
            game.select("Down", ctrl[2], "Resolution selected")
            game.press("Return")  # 1000 x 800 is not in the list: the next size is 640 x 480
            game.select("Down", ctrl[3], "full screen selected")
            game.press("Return", lambda: work.settings() == (90, 50, W, H, 1), "Fullscreen=1")
            game.press("Return", lambda: work.settings() == (90, 50, W, H, 0), "Fullscreen=0")
            game.select("Down", ctrl[4], '"Apply" selected')
            game.press("Return", lambda: game.geometry()[2:] == (640, 480), "the window at 640 x 480 after Apply")
            harness.wait_settings(work, lambda v: v == (90, 50, 640, 480, 0), "the applied size in Settings.ini")
            game.select(None, small[4], '"Apply" still selected at 640 x 480')
            game.select("Down", small[5], '"Back" selected')
            game.select("Return", harness.menu_entry(2, (640, 480)), '"Options" selected in the rebuilt main menu')
            game.select("Up", harness.menu_entry(1, (640, 480)), '"New Game" selected')
            game.press("Return", work.has_levels, "the ten level files")
            game.wait_drawn()
            for key in ("Right", "Down", "Left", "Up"):
                game.press(key)
            game.escape("the session", timeout=120)
        assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin is {work.read('SaveData.bin')!r}"


harness.run_cases([suppressions_spare_the_game, unreleased_sdl_objects_still_reported, session_ends_without_leaks])
