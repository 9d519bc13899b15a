"""The Windows zip (scripts/package-windows): two copies of the repository at different paths, the second on
another filesystem where the machine has one, pack the same bytes, every time in them the last commit's; the
zip holds exactly the game, the repository's pictures and font, an empty Resources/Data, the README with
Windows' line ends and every licence, and its program needs no DLL but Windows' own and has Windows' hardening
flags; unzipped into a folder named beyond ASCII, it plays under wine in a real window on Xvfb and keeps its
files there."""

import functools
import os
import re
import subprocess
import tempfile
import time
import types
import zipfile

import installed
from installed import REPO, copy_of_repository, digest, harness, one
from harness import LEVEL_NAMES, WINE, WINE_ENV, Display, Game, read_file, start_wine, tool

harness.arguments("")

# The three libraries linked into quarrow.exe, whose licences scripts/windows-deps keeps in its prefix.
LIBRARY_LICENCES = ("SDL2-zlib.txt", "SDL2_ttf-zlib.txt", "FreeType-FTL.txt")
# Windows' own DLLs, which every Windows has: anything else would have to come with the zip.
SYSTEM_DLLS = {f"{name}.dll" for name in ("kernel32", "user32", "gdi32", "msvcrt", "advapi32", "shell32", "ole32",
                                          "oleaut32", "imm32", "setupapi", "version", "winmm", "cfgmgr32",
                                          "comdlg32", "comctl32", "dwmapi", "uxtheme", "shlwapi", "rpcrt4")}
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x20, 0x40, 0x100  # DllCharacteristics
# The second copy goes to a RAM disk where there is one: each kind of filesystem lists a folder in its own order.
OTHER_PLACE = "/dev/shm"
SCRATCH = []  # the copies' folders, removed when the test ends


def other_filesystem():
    """OTHER_PLACE if it is another filesystem than the temporary folder's, with room for a copy and its build
    and programs allowed to run from it; else None."""
    try:
        fs, other = os.statvfs(OTHER_PLACE), os.stat(OTHER_PLACE).st_dev != os.stat(tempfile.gettempdir()).st_dev
    except OSError:
        return None
    usable = fs.f_bavail * fs.f_frsize > 1 << 30 and not fs.f_flag & os.ST_NOEXEC and os.access(OTHER_PLACE, os.W_OK)
    return OTHER_PLACE if other and usable else None


@functools.lru_cache(maxsize=None)
def packed_twice():
    """scripts/package-windows run in two copies of the repository at the same time; returns the copies and
    their zips, [(copy, zip), (copy, zip)]."""
    builds = []
    for place, parts in ((None, ("a", "quarrow")), (other_filesystem(), ("b", "other", "place"))):
        tmp = tempfile.TemporaryDirectory(prefix="quarrow-windows-zip-", dir=place, ignore_cleanup_errors=True)
        copy = os.path.join(tmp.name, *parts)
        copy_of_repository(copy)
        with open(copy + ".log", "wb") as log:
            proc = subprocess.Popen([os.path.join(copy, "scripts", "package-windows"), copy + "-out"],
                                    stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        SCRATCH.append(tmp)
        builds.append((copy, proc))
    packed = []
    for copy, proc in builds:
        status = proc.wait(timeout=800)
        log = read_file(copy + ".log").decode(errors="replace")
        assert status == 0, f"scripts/package-windows failed ({status}):\n{log[-3000:]}"
        out = copy + "-out"
        assert len(os.listdir(out)) == 1, f"scripts/package-windows wrote {os.listdir(out)}"
        packed.append((copy, one(os.path.join(out, "quarrow-*-windows-x64.zip"))))
    return packed


def two_copies_pack_the_same_bytes():
    (copy, first), (_, second) = packed_twice()
    with zipfile.ZipFile(first) as a, zipfile.ZipFile(second) as b:
        entries = [[(i.filename, i.date_time, i.external_attr, i.CRC, i.extra) for i in z.infolist()] for z in (a, b)]
    # The same time in any build: the commit's, in the zip's two-second steps, an odd second rounded up as zip
    # does (local time, as zip has it).
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH") or tool("git", "-C", copy, "log", "-1", "--format=%ct"))
    stamp = tuple(time.localtime(epoch + epoch % 2)[:6])
    other = [(name, at) for name, at, *_ in entries[0] if at != stamp]
    assert not other, f"entries whose time is not the last commit's ({stamp}): {other}"
    names = [[entry[0] for entry in listed] for listed in entries]
    unlike = [pair for pair in zip(*entries) if pair[0] != pair[1]]
    assert digest(first) == digest(second), "two builds of one commit differ: " + (
        f"the entries come in two orders, {names[0]} and {names[1]}" if names[0] != names[1] else
        f"these entries (name, time, attributes, CRC, extra fields) differ: {unlike[:3]}")


def check_program(exe):
    """quarrow.exe imports Windows' own DLLs alone, may load anywhere (with its relocations) in a 64-bit address
    space, keeps its data from running, and its header holds no time."""
    header = tool("x86_64-w64-mingw32-objdump", "-p", exe, env=dict(os.environ, TZ="UTC"))
    dlls = re.findall(r"^\s*DLL Name: (\S+)$", header, re.M)
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    assert dlls and not foreign, f"quarrow.exe needs DLLs that are not Windows' own: {foreign} (all: {dlls})"
    flags = int(re.search(r"^DllCharacteristics\s+([0-9a-f]+)$", header, re.M).group(1), 16)
    missing = [name for name, bit in (("HIGH_ENTROPY_VA", HIGH_ENTROPY_VA), ("DYNAMIC_BASE", DYNAMIC_BASE),
                                      ("NX_COMPAT", NX_COMPAT)) if not flags & bit]
    assert not missing, f"quarrow.exe lacks {missing} in DllCharacteristics ({flags:#x})"
    assert "relocations stripped" not in header, "quarrow.exe has no relocations, so it cannot load anywhere"
    assert re.search(r"^Time/Date\s+Thu Jan  1 00:00:00 1970$", header, re.M), "quarrow.exe's header holds a time"


def zip_holds_the_game_and_its_licences():
    copy, path = packed_twice()[0]
    with zipfile.ZipFile(path) as z:
        listed, content = z.namelist(), {info.filename: z.read(info) for info in z.infolist()}
    exe = os.path.join(copy, "quarrow.exe.unzipped")
    harness.write_file(exe, content["quarrow.exe"])
    check_program(exe)
    assets = os.path.join(REPO, "Resources", "Assets")
    cache = read_file(os.path.join(copy, "build", "windows", "CMakeCache.txt")).decode()
    prefix = re.search(r"^CMAKE_PREFIX_PATH:\w+=(.*)$", cache, re.M).group(1)
    expected = {f"Resources/Assets/{name}": read_file(os.path.join(assets, name)) for name in os.listdir(assets)
                if name.endswith(".bmp") or name == "DejaVuSans.ttf"}
    expected |= {f"LICENSES/{name}": read_file(os.path.join(prefix, "licenses", name)) for name in LIBRARY_LICENCES}
    expected |= {
        "README.txt": read_file(os.path.join(REPO, "packaging", "windows", "README.txt")).replace(b"\n", b"\r\n"),
        "LICENSES/Quarrow-MIT.txt": read_file(os.path.join(REPO, "LICENSE")),
        "LICENSES/DejaVuSans-Bitstream-Vera.txt": read_file(os.path.join(REPO, "LICENSES", "Bitstream-Vera.txt")),
    }
    names = set(expected) | {"quarrow.exe", "Resources/Data/"}
    assert sorted(listed) == sorted(names), (f"missing from the zip: {sorted(names - set(listed))}, unexpected: "
                                             f"{sorted(set(listed) - names)}, all: {listed}")
    for name, data in expected.items():
        got = content[name]
        at = next((i for i, (a, b) in enumerate(zip(got, data)) if a != b), min(len(got), len(data)))
        assert data.strip() and got == data, (f"{name} in the zip ({len(got)} bytes) differs from the {len(data)} "
                                              f"expected at byte {at}: {got[at:at + 16]!r}, not {data[at:at + 16]!r}")


def plays_from_the_unzipped_folder():
    """New Game (selected at the start) writes the levels, Escape the save and the settings, all into the
    unzipped Resources/Data: the game finds its folder from where it is started."""
    with tempfile.TemporaryDirectory(prefix="quarrow-windows-zip-", ignore_cleanup_errors=True) as tmp:
        folder = os.path.join(tmp, "Spiele ü 日本")
        with zipfile.ZipFile(packed_twice()[0][1]) as z:
            z.extractall(folder)
        data = os.path.join(folder, "Resources", "Data")
        with Display() as display:
            start_wine(display)
            exe = os.path.join(folder, "quarrow.exe")
            with Game(display, exe, types.SimpleNamespace(path=folder), env=WINE_ENV, prefix=WINE) as game:
                game.open_menu()
                game.press("Return", lambda: all(os.path.exists(os.path.join(data, name)) for name in LEVEL_NAMES),
                           "the ten levels in the unzipped Resources/Data after New Game")
                game.escape()
            game.check_no_failures()
        for name in LEVEL_NAMES:
            harness.check_level_file(name, read_file(os.path.join(data, name)))
        save, settings = (read_file(os.path.join(data, name)) for name in ("SaveData.bin", "Settings.ini"))
        assert save == bytes(8), f"SaveData.bin is {save!r}"
        assert settings == installed.DEFAULT_SETTINGS, f"Settings.ini is {settings!r}"


harness.run_cases([two_copies_pack_the_same_bytes, zip_holds_the_game_and_its_licences,
                   plays_from_the_unzipped_folder])
