"""The Windows zip and installer (scripts/package-windows): two copies of the repository at different paths, the
second on another filesystem where the machine has one, pack the same bytes, every time in the zip the last
commit's; the zip holds exactly the game, the repository's pictures and font, an empty Resources/Data, the
README with Windows' line ends and every licence, and its program needs no DLL but Windows' own, has Windows'
hardening flags and carries the game's icon, its version and its manifest; unzipped into a folder named beyond
ASCII, it plays under wine in a real window on Xvfb and keeps its files there. The installer, run quietly by a
player without privileges in a fresh wine prefix, installs the zip's tree with a Start-menu shortcut and an
"Apps & features" entry, upgrades and uninstalls keeping the player's files, never writes over a file it did
not install, and its uninstaller removes nothing where it finds no install of its own."""

import functools
import lzma
import os
import pwd
import re
import shutil
import subprocess
import tempfile
import time
import types
import zipfile
from xml.etree import ElementTree

import installed
from installed import REPO, UNPRIVILEGED, copy_of_repository, digest, harness, one
from harness import LEVEL_NAMES, WINE, WINE_ENV, Display, Game, read_file, settings_text, start_wine, tool

harness.arguments("")

# The three libraries linked into quarrow.exe, whose licences scripts/windows-deps keeps in its prefix.
LIBRARY_LICENCES = ("SDL2-zlib.txt", "SDL2_ttf-zlib.txt", "FreeType-FTL.txt")
# Windows' own DLLs, which every Windows has: anything else would have to come with the zip.
SYSTEM_DLLS = {f"{name}.dll" for name in ("kernel32", "user32", "gdi32", "msvcrt", "advapi32", "shell32", "ole32",
                                          "oleaut32", "imm32", "setupapi", "version", "winmm", "cfgmgr32",
                                          "comdlg32", "comctl32", "dwmapi", "uxtheme", "shlwapi", "rpcrt4")}
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT = 0x20, 0x40, 0x100  # DllCharacteristics
ICON = os.path.join(REPO, "packaging", "icons", "quarrow.ico")
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"  # their supportedOS Id
PICTURE = os.path.join(REPO, "packaging", "icons", "installer.bmp")  # the welcome and finish pages'
RECORD = "installed-files.txt"
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
        assert len(os.listdir(out)) == 2, f"scripts/package-windows wrote {os.listdir(out)}"
        packed.append((copy, one(os.path.join(out, "quarrow-*-windows-x64.zip"))))
    return packed


def setup_of(zip_path):
    """The installer packed beside a zip."""
    return zip_path[: -len(".zip")] + "-setup.exe"


def version_of(zip_path):
    return re.fullmatch(r"quarrow-(.+)-windows-x64\.zip", os.path.basename(zip_path)).group(1)


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
    assert digest(setup_of(first)) == digest(setup_of(second)), "two installers of one commit differ"


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


def icon_pictures(ico):
    """The pictures an icon file holds, each entry's bytes, sorted."""
    count = int.from_bytes(ico[4:6], "little")
    entries = [ico[6 + 16 * i : 22 + 16 * i] for i in range(count)]
    return sorted(ico[int.from_bytes(e[12:16], "little"):][: int.from_bytes(e[8:12], "little")] for e in entries)


def check_icon(exe):
    """The program's icon (as wrestool, from icoutils, rebuilds its icon file) holds the painted icon's pictures."""
    got = icon_pictures(tool("wrestool", "-x", "--type=14", exe, text=False))
    expected = icon_pictures(read_file(ICON))
    assert got == expected, f"{os.path.basename(exe)}'s icon holds {len(got)} pictures, not those of {ICON}"


def check_resources(exe, version):
    """quarrow.exe carries the game's icon, its version as numbers and as text, and a manifest that asks for
    long paths, names Windows 10 and 11 and leaves the scaling of a high-DPI display to Windows."""
    check_icon(exe)
    info = tool("wrestool", "-x", "--raw", "--type=16", exe, text=False)
    fixed = info.find(b"\xbd\x04\xef\xfe")  # VS_FIXEDFILEINFO's signature; the file version follows
    major, minor, patch, build = (int.from_bytes(info[fixed + at : fixed + at + 2], "little") for at in (10, 8, 14, 12))
    numbers = [int(n) for n in version.split(".")]
    assert fixed >= 0 and [major, minor, patch, build] == (numbers + [0] * 4)[:4], (
        f"quarrow.exe's file version is {major}.{minor}.{patch}.{build}, the package's {version}")
    texts = dict(re.findall(r"(FileVersion|ProductVersion|ProductName)\x00+([^\x00]+)",
                            info.decode("utf-16-le", errors="replace")))
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "Quarrow"}
    assert texts == expected, f"quarrow.exe's version texts are {texts}, not {expected}"
    manifest = ElementTree.fromstring(tool("wrestool", "-x", "--raw", "--type=24", exe, text=False))
    found = {element.tag.rpartition("}")[2]: element for element in manifest.iter()}
    settings = {name: found[name].text if name in found else None for name in ("longPathAware", "dpiAware")}
    assert settings == {"longPathAware": "true", "dpiAware": "false"}, f"quarrow.exe's manifest says {settings}"
    systems = [element.get("Id") for element in manifest.iter() if element.tag.endswith("}supportedOS")]
    assert systems == [WINDOWS_10_AND_11], f"quarrow.exe's manifest names the systems {systems}"


def installer_data(setup):
    """What an NSIS installer packs behind its stub, decompressed: its script's strings (UTF-16) and its files.
    Its first header ("NullsoftInst") is followed by one LZMA stream with its five bytes of properties."""
    data = read_file(setup)
    at = data.index(b"\xef\xbe\xad\xdeNullsoftInst") + 24
    return lzma.LZMADecompressor(lzma.FORMAT_ALONE).decompress(data[at : at + 5] + b"\xff" * 8 + data[at + 5 :])


def check_pages(setup):
    """The welcome and finish pages show the painted picture and the game's own words, not the stock ones."""
    data = installer_data(setup)
    for words in ("walk, one tile per turn", "The arrow keys walk"):
        assert words.encode("utf-16-le") in data, f"the installer's pages do not say {words!r}"
    for stock in ("update relevant system files", "has been installed on your computer"):
        assert stock.encode("utf-16-le") not in data, f"the installer's pages still say {stock!r}"
    assert read_file(PICTURE) in data, f"the installer's pages do not show {PICTURE}"


def zip_holds_the_game_and_its_licences():
    copy, path = packed_twice()[0]
    with zipfile.ZipFile(path) as z:
        listed, content = z.namelist(), {info.filename: z.read(info) for info in z.infolist()}
    exe = os.path.join(copy, "quarrow.exe.unzipped")
    harness.write_file(exe, content["quarrow.exe"])
    check_program(exe)
    check_resources(exe, version_of(path))
    check_icon(setup_of(path))
    check_pages(setup_of(path))
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


# ----------------------------------------------------------------------------------------------------------
# The installer, run as a player without privileges in a wine prefix of its own, made fresh


ENTRY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarrow"
PLAYER = pwd.getpwuid(65534).pw_name  # UNPRIVILEGED's, whose name wine gives the Windows profile
OLDER_README = b"Quarrow 0.9\r\n"
# Mono, Gecko and the desktop's menu entries are no part of the test: a fresh prefix goes without them.
NO_EXTRAS = "mscoree=;mshtml=;winemenubuilder.exe=d"


class PlayerWine:
    """A scratch folder of the unprivileged player's, holding their home and a fresh wine prefix in it, its
    session started on `display`; ended and removed at the end of the `with` block."""

    def __init__(self, display):
        self.tmp = tempfile.TemporaryDirectory(prefix="quarrow-windows-setup-", ignore_cleanup_errors=True)
        self.path = self.tmp.name
        os.chmod(self.path, 0o755)
        self.home, self.prefix = os.path.join(self.path, "home"), os.path.join(self.path, "home", "wine")
        os.mkdir(self.home)
        os.chown(self.home, 65534, 65534)
        self.env = dict(display.env, HOME=self.home, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES=NO_EXTRAS, SDL_RENDER_DRIVER="software")
        self.profile = os.path.join(self.prefix, "drive_c", "users", PLAYER)

    def __enter__(self):
        self.start("wineboot").wait(timeout=300)
        return self

    def __exit__(self, *exc):
        subprocess.run(UNPRIVILEGED + ["wineserver", "-k"], env=self.env, timeout=60, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.tmp.cleanup()

    def start(self, *argv, out=subprocess.DEVNULL):
        """A program of the prefix's (or a Windows command) started by the player. Nothing of wine's writes
        into a pipe: its processes would hold it open as long as they run."""
        return subprocess.Popen(UNPRIVILEGED + ["wine", *argv], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=subprocess.DEVNULL)

    def run(self, *argv):
        """Run a Windows program to its end; return its exit status."""
        proc = self.start(*argv)
        try:
            return proc.wait(timeout=120)
        finally:
            harness._stop(proc)

    def entry(self):
        """The values of the "Apps & features" entry, {name: text as reg shows it}; {} when there is none."""
        with tempfile.TemporaryFile() as out:
            self.start("reg", "query", ENTRY, out=out).wait(timeout=60)
            out.seek(0)
            text = out.read().decode(errors="replace")
        return dict(re.findall(r"^ +(\S+) +REG_\w+ +(.*?)\r?$", text, re.M))

    def unix(self, windows_path):
        """Where a path of the player's C: drive lies here."""
        assert windows_path.startswith("C:\\"), windows_path
        return os.path.join(self.prefix, "drive_c", *windows_path[3:].split("\\"))

    def shortcut(self, place=("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")):
        """(target, working folder, icon) of the Start-menu shortcut (or the one in `place` under the profile) as
        lnkinfo (liblnk-utils) reads them, or None when there is none."""
        lnk = os.path.join(self.profile, *place, "Quarrow.lnk")
        if not os.path.exists(lnk):
            return None
        fields = r"^\t(Local path|Working directory|Icon location)\t+: (.*)$"
        info = dict(re.findall(fields, tool("lnkinfo", lnk), re.M))
        return info.get("Local path"), info.get("Working directory"), info.get("Icon location")


def tree_of(folder):
    """{path below folder: bytes, or None for a folder}, paths with "/"."""
    found = {}
    for root, dirs, files in os.walk(folder):
        rel = os.path.relpath(root, folder)
        for name in dirs:
            found[os.path.normpath(os.path.join(rel, name)).replace(os.sep, "/")] = None
        for name in files:
            found[os.path.normpath(os.path.join(rel, name)).replace(os.sep, "/")] = read_file(os.path.join(root, name))
    return found


def check_installed(wine, folder, zip_files, version):
    """The folder holds the zip's files, a Resources\\Data folder and the uninstaller; the Start-menu shortcut
    starts its quarrow.exe in it, and the "Apps & features" entry is its."""
    unix = wine.unix(folder)
    files = {name: data for name, data in tree_of(unix).items()
             if data is not None and not name.startswith("Resources/Data/")}
    assert files.pop("uninstall.exe", None), f"no uninstall.exe in {folder}"
    record = files.pop(RECORD, b"").decode().split("\r\n")
    listed = sorted(name.replace("\\", "/") for name in record[1:-1])
    assert record[0].startswith("Quarrow") and listed == sorted(zip_files) and record[-1] == "", (
        f"{RECORD} in {folder} does not list the zip's files: {record}")
    assert files == zip_files and os.path.isdir(os.path.join(unix, "Resources", "Data")), (
        f"{folder} differs from the zip: missing {sorted(set(zip_files) - set(files))}, unexpected "
        f"{sorted(set(files) - set(zip_files))}, other bytes in "
        f"{sorted(n for n in files if n in zip_files and files[n] != zip_files[n])}, or no Resources\\Data")
    check_icon(os.path.join(unix, "uninstall.exe"))
    exe = folder + "\\quarrow.exe"
    assert wine.shortcut() == (exe, folder, exe), f"the Start-menu shortcut is {wine.shortcut()}, not {(exe, folder, exe)}"
    assert wine.shortcut(place=("Desktop",)) is None, "a desktop shortcut nobody asked for"
    entry = wine.entry()
    size = int(entry.pop("EstimatedSize", "0"), 16)
    expected = {"DisplayName": "Quarrow", "DisplayVersion": version, "Publisher": "The Quarrow developers",
                "DisplayIcon": exe + ",0", "InstallLocation": folder,
                "NoModify": "0x1", "NoRepair": "0x1",
                "UninstallString": f'"{folder}\\uninstall.exe"',
                "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'}
    zipped = sum(len(data) for data in zip_files.values())
    assert entry == expected and zipped <= size * 1024 < zipped + 64 * 1024, (
        f"the Apps & features entry is {entry} with {size} KiB, not {expected} with the zip's {zipped} bytes")


def wait_uninstalled(wine, folder, left, what):
    """The uninstaller (a copy of itself, once started) has left exactly `left` ({path: bytes}) in the folder,
    and no uninstall.exe, or, with nothing left, no folder at all."""
    unix = wine.unix(folder)

    def now():
        try:
            return tree_of(unix) if os.path.isdir(unix) else None
        except FileNotFoundError:  # removed between the listing and the reading
            return "changing"

    harness.poll_until(now, 60, what, test=lambda tree: tree == (left or None))


def installs_plays_upgrades_and_uninstalls():
    """Quiet installs into the default folder and another one, the game started from the Start menu saving
    into its Resources\\Data, an upgrade waiting for that game to end and keeping the player's files byte for
    byte, a folder the player may not write or too long refused, one of the player's own files given a Quarrow
    folder inside it, and quiet uninstalls keeping what the player made and handing the shortcut and the entry
    on to the install left."""
    zip_path = packed_twice()[0][1]
    version = version_of(zip_path)
    with zipfile.ZipFile(zip_path) as z:
        zip_files = {info.filename: z.read(info) for info in z.infolist() if not info.is_dir()}
    with Display() as display, PlayerWine(display) as wine:
        setup = os.path.join(wine.path, os.path.basename(setup_of(zip_path)))
        shutil.copyfile(setup_of(zip_path), setup)
        locked = os.path.join(wine.path, "locked")
        os.mkdir(locked)

        # A folder the player may not write: refused (status 4) before anything is written.
        refused = wine.run(setup, "/S", r"/D=Z:" + locked.replace("/", "\\") + r"\Quarrow")
        assert refused == 4, f"the install into a locked folder ended with status {refused}"
        # A folder of 301 characters, longer than Windows reaches files in: refused (status 5), nothing written.
        top = rf"C:\users\{PLAYER}\{'d' * 140}"
        deep = top + "\\" + "e" * (300 - len(top))
        refused = wine.run(setup, "/S", "/D=" + deep)
        assert refused == 5, f"the install into a folder of {len(deep)} characters ended with status {refused}"
        assert os.listdir(locked) == [] and not os.path.exists(wine.unix(top)) and wine.entry() == {} and (
            wine.shortcut() is None), "a refused install left things behind"

        folder = rf"C:\users\{PLAYER}\AppData\Local\Programs\Quarrow"
        assert wine.run(setup, "/S") == 0, "the quiet install failed"
        check_installed(wine, folder, zip_files, version)
        # An install of an earlier version, which kept no list of its folders, is known by its entry.
        assert wine.run("reg", "delete", r"HKCU\Software\Quarrow", "/f") == 0, "the list of installs stayed"

        # The player's files, as a game leaves them; the game, started from the Start menu, takes them up.
        data = wine.unix(folder + r"\Resources\Data")
        player = {"Settings.ini": settings_text(37, 64, 640, 480, False), "SaveData.bin": bytes(range(31, 39)),
                  "level5.level": b"11111\r\n10001\r\n11111"}
        for name, content in player.items():
            harness.write_file(os.path.join(data, name), content)
            os.chown(os.path.join(data, name), 65534, 65534)
        laid_out = os.stat(os.path.join(data, "SaveData.bin")).st_ino
        # Started as the shortcut says, from its working folder. (Wine's start cannot wait for a shortcut's
        # program, and gives the console a window of its own that takes the keyboard from the game.)
        target, working, _ = wine.shortcut()
        from_shortcut = UNPRIVILEGED + ["env", "-u", "SDL_VIDEODRIVER", "-C", wine.unix(working), "wine"]
        with Game(display, wine.unix(target), types.SimpleNamespace(path=wine.path), env=wine.env,
                  prefix=from_shortcut) as game:
            game.open_menu()
            # The same installer again while the game runs, over a README of an older version: it waits for the
            # game to end before it touches any file.
            readme = os.path.join(wine.unix(folder), "README.txt")
            harness.write_file(readme, OLDER_README)
            upgrade = wine.start(setup, "/S")
            try:
                harness.stays(lambda: upgrade.poll() is None and read_file(readme) == OLDER_README, 2.0,
                              "the upgrade waiting for the running game, every file as it was")
                game.escape()
                assert upgrade.wait(timeout=120) == 0, "the upgrade failed"
            finally:
                harness._stop(upgrade)
        assert os.stat(os.path.join(data, "SaveData.bin")).st_ino != laid_out, "the game saved elsewhere"
        check_installed(wine, folder, zip_files, version)
        player_files = {f"Resources/Data/{name}": content for name, content in player.items()}
        data_now = {name: content for name, content in tree_of(wine.unix(folder)).items()
                    if name.startswith("Resources/Data/")}
        assert data_now == player_files, f"the upgrade did not keep the player's files byte for byte: {data_now}"
        kept = player_files | {"Resources": None, "Resources/Data": None}

        # A second install, its folder quoted, into a folder of the player's own files: it goes into a Quarrow
        # folder of its own there, and takes over the shortcut and the entry. Its uninstaller hands them back to
        # the first install and leaves the player's files as they were.
        games = rf"C:\users\{PLAYER}\My Games"
        theirs = {"README.txt": b"mine\r\n", "uninstall.exe": b"MZ mine", "Resources/Assets/Button.bmp": b"BM mine"}
        for name, content in theirs.items():
            path = os.path.join(wine.unix(games), name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            harness.write_file(path, content)
        subprocess.run(["chown", "-R", "65534:65534", wine.unix(games)], check=True)
        theirs |= {"Resources": None, "Resources/Assets": None}
        other = games + r"\Quarrow"
        assert wine.run(setup, "/S", f'/D="{games}"') == 0, "the install into a folder of the player's failed"
        check_installed(wine, other, zip_files, version)
        assert wine.run(wine.unix(other + r"\uninstall.exe"), "/S") == 0, "the second folder's uninstaller failed"
        wait_uninstalled(wine, other, {}, "the second folder removed whole")
        check_installed(wine, folder, zip_files, version)
        assert tree_of(wine.unix(games)) == theirs, "the player's folder changed"

        # Installed there again, the first folder's uninstaller leaves the shortcut and the entry to it, and its own
        # player's files where they are.
        assert wine.run(setup, "/S", "/D=" + games) == 0, "the install into a folder of the player's failed"
        check_installed(wine, other, zip_files, version)
        assert wine.run(wine.unix(folder + r"\uninstall.exe"), "/S") == 0, "the first folder's uninstaller failed"
        wait_uninstalled(wine, folder, kept, "the first folder's uninstall, keeping Resources\\Data")
        check_installed(wine, other, zip_files, version)

        # The newest install's uninstaller, as Apps & features runs it quietly, takes everything with it; run again
        # (from a copy, waited for as the README says) on the first folder, where only the player's files are, it
        # removes nothing and says so (status 2).
        again = os.path.join(wine.path, "uninstall-again.exe")
        shutil.copyfile(wine.unix(other + r"\uninstall.exe"), again)
        assert wine.run(wine.unix(other + r"\uninstall.exe"), "/S") == 0, "the quiet uninstall failed"
        wait_uninstalled(wine, other, {}, "the second folder removed whole")
        harness.poll_until(lambda: wine.entry() == {} and wine.shortcut() is None, 30, "the entry and shortcut gone")
        rerun = wine.run(again, "/S", "_?=" + folder)
        assert rerun == 2, f"the uninstaller run on the player's files alone ended with status {rerun}"
        assert not os.path.exists(wine.unix(other)) and wine.entry() == {} and wine.shortcut() is None
        assert tree_of(wine.unix(folder)) == kept, "the player's files of the first folder changed"
        assert tree_of(wine.unix(games)) == theirs, "the player's folder changed"
        # Pointed at a folder that is no install, though it holds files of the game's names, it removes nothing.
        mine = rf"C:\users\{PLAYER}\Mine"  # (no space: the folder after _?= is never quoted)
        subprocess.run(["cp", "-a", wine.unix(games), wine.unix(mine)], check=True)
        rerun = wine.run(again, "/S", "_?=" + mine)
        assert rerun == 2 and tree_of(wine.unix(mine)) == theirs, (
            f"the uninstaller run on a folder of the player's ended with status {rerun} and left "
            f"{sorted(tree_of(wine.unix(mine)))} of {sorted(theirs)}")

        # A folder known by its full form however it is written: a lower-case /d=, a "..", a forward slash and a
        # trailing dot; named plainly, it is upgraded in place, its quarrow.exe read-only but no game running.
        plain = rf"C:\users\{PLAYER}\G\Up"
        assert wine.run(setup, "/S", rf"/d=C:\users\{PLAYER}\G\..\G/Up.") == 0, "the install into Up. failed"
        check_installed(wine, plain, zip_files, version)
        os.chmod(os.path.join(wine.unix(plain), "quarrow.exe"), 0o444)
        upgraded = wine.run(setup, "/S", "/D=" + plain)
        assert upgraded == 0, f"the upgrade over a read-only quarrow.exe ended with status {upgraded}"
        check_installed(wine, plain, zip_files, version)


harness.run_cases([two_copies_pack_the_same_bytes, zip_holds_the_game_and_its_licences,
                   plays_from_the_unzipped_folder, installs_plays_upgrades_and_uninstalls])
