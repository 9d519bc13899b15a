"""The installed game: `cmake --install` into a scratch prefix lays out the launcher, the game, the assets, the
menu entry, the icons and the manual; the launcher makes the player's folder, starts the game in it, keeps the
player's files across starts and a moved installation, and refuses with one line when there is no place for
them or the installation is broken.

Usage: test_install.py CMAKE BUILD_DIR [CASE]
"""

import filecmp
import gzip
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import installed
from installed import ASSETS, DESKTOP, GAME, LAUNCHER, MANUAL, harness

if len(sys.argv) not in (3, 4):
    sys.exit(f"usage: {sys.argv[0]} CMAKE BUILD_DIR [CASE]")
CMAKE, BUILD = sys.argv[1], os.path.abspath(sys.argv[2])
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
UNPRIVILEGED = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


class Installation:
    """A scratch folder, readable by every user, with the build installed under `prefix` inside it."""

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="quarrow-install-")
        os.chmod(self.tmp, 0o755)
        self.prefix = os.path.join(self.tmp, "prefix")
        res = subprocess.run(
            [CMAKE, "--install", BUILD, "--prefix", self.prefix], capture_output=True, text=True, timeout=120
        )
        assert res.returncode == 0, f"cmake --install failed ({res.returncode}): {res.stdout}{res.stderr}"
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def folder(self, *parts):
        path = self.path(*parts)
        os.makedirs(path)
        return path


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"{path} is not a PNG file"
    return struct.unpack(">II", head[16:24])


def installed_tree_is_complete():
    with Installation() as inst:
        p = lambda rel: os.path.join(inst.prefix, rel)  # noqa: E731
        for program in (LAUNCHER, GAME):
            mode = os.stat(p(program)).st_mode & 0o777
            assert mode == 0o755, f"{program} is installed with mode {mode:o}, expected 755"
        with open(p(LAUNCHER), "rb") as f:
            assert f.readline() == b"#!/bin/sh\n", "the launcher is not a POSIX shell script"

        # Every asset of the repository, byte for byte, the font's licence included.
        source = os.path.join(REPO, "Resources", "Assets")
        names = sorted(os.listdir(source))
        assert "DejaVuSans-LICENSE.txt" in names and sorted(os.listdir(p(ASSETS))) == names, (
            f"installed assets {sorted(os.listdir(p(ASSETS)))}, repository's {names}"
        )
        _, mismatch, errors = filecmp.cmpfiles(source, p(ASSETS), names, shallow=False)
        assert not mismatch and not errors, f"installed assets differ from the repository's: {mismatch + errors}"

        res = subprocess.run(["desktop-file-validate", p(DESKTOP)], capture_output=True, text=True, timeout=30)
        assert res.returncode == 0 and not (res.stdout + res.stderr).strip(), (
            f"desktop-file-validate: {res.stdout}{res.stderr}"
        )
        with open(p(DESKTOP)) as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        assert entry.get("Exec") == "quarrow" and entry.get("Icon") == "quarrow", f"desktop entry {entry}"
        assert "Game" in entry.get("Categories", "").split(";"), f"desktop entry categories {entry.get('Categories')}"

        hicolor = p("share/icons/hicolor")
        sizes = sorted(os.listdir(hicolor))
        assert "64x64" in sizes, f"icon sizes {sizes}"
        for size in sizes:
            w, h = png_size(os.path.join(hicolor, size, "apps", "quarrow.png"))
            assert f"{w}x{h}" == size, f"the {size} icon is {w} x {h}"

        with gzip.open(p(MANUAL), "rb") as f:
            page = f.read()
        assert page.startswith(b'.TH QUARROW 6 ') and b"XDG_DATA_HOME" in page, f"manual page begins {page[:80]!r}"


def launcher_makes_and_keeps_the_players_folder():
    with Installation() as inst, harness.Display() as display:
        home, cwd, other, bin_dir = (inst.folder(name) for name in ("home", "cwd", "other", "bin"))
        root = os.path.join(home, ".local", "share", "quarrow")

        # First start, XDG_DATA_HOME unset: the folder is made under HOME, from any working directory.
        installed.play_once(
            display, os.path.join(inst.prefix, LAUNCHER), cwd, {"HOME": home}, prefix=["env", "-u", "XDG_DATA_HOME"]
        )
        installed.check_user_folder(root, inst.prefix, installed.DEFAULT_SETTINGS)
        assert set(os.listdir(cwd)) <= {"stdout.txt", "stderr.txt"}, f"the game wrote into {cwd}: {os.listdir(cwd)}"

        # The player changes a setting and keeps a file of their own; then the installation moves and the
        # game is started by name from the PATH, through a link, with XDG_DATA_HOME naming the same place.
        settings = harness.settings_text(37, 100, 1000, 800, False)
        data = os.path.join(root, "Resources", "Data")
        with open(os.path.join(data, "Settings.ini"), "wb") as f:
            f.write(settings)
        with open(os.path.join(data, "notes.txt"), "wb") as f:
            f.write(b"mine")
        moved = inst.path("moved")
        os.rename(inst.prefix, moved)
        os.symlink(os.path.join(moved, LAUNCHER), os.path.join(bin_dir, "quarrow"))
        env = {"HOME": other, "XDG_DATA_HOME": os.path.dirname(root), "PATH": bin_dir + os.pathsep + os.environ["PATH"]}
        installed.play_once(display, "quarrow", cwd, env, size=(1000, 800))

        installed.check_user_folder(root, moved, settings)
        with open(os.path.join(data, "notes.txt"), "rb") as f:
            assert f.read() == b"mine", "the player's own file changed"
        assert not os.path.exists(os.path.join(other, ".local")), "HOME was used although XDG_DATA_HOME was set"


def launcher_refuses_without_a_place_for_files():
    with Installation() as inst:
        launcher = os.path.join(inst.prefix, LAUNCHER)
        path = {"PATH": os.environ["PATH"]}

        status, err = installed.run_launcher([launcher], path)
        installed.assert_one_error_line(status, err, "no HOME and no XDG_DATA_HOME")
        assert "HOME" in err, f"the error line does not name HOME: {err!r}"

        # A data home another user owns, named either way; nothing may be left in it.
        locked = inst.folder("locked")
        for env in ({"XDG_DATA_HOME": locked, "HOME": locked}, {"HOME": locked}):
            status, err = installed.run_launcher(UNPRIVILEGED + [launcher], {**path, **env})
            installed.assert_one_error_line(status, err, f"an unwritable data home ({env})")
            assert os.listdir(locked) == [], f"a refused start left {os.listdir(locked)} in {locked}"

        # A file where the Resources folder belongs stays as it is.
        xdg = inst.folder("xdg", "quarrow")
        with open(os.path.join(xdg, "Resources"), "wb") as f:
            f.write(b"not a folder")
        status, err = installed.run_launcher([launcher], {**path, "XDG_DATA_HOME": os.path.dirname(xdg)})
        installed.assert_one_error_line(status, err, "a file in the way")
        assert os.listdir(xdg) == ["Resources"] and os.path.isfile(os.path.join(xdg, "Resources")), os.listdir(xdg)

        # An installation without its pictures: refused before anything is made.
        os.rename(os.path.join(inst.prefix, ASSETS), os.path.join(inst.prefix, ASSETS + ".away"))
        fresh = inst.path("fresh")
        status, err = installed.run_launcher([launcher], {**path, "XDG_DATA_HOME": fresh})
        installed.assert_one_error_line(status, err, "no installed assets")
        assert not os.path.exists(fresh), f"a refused start made {fresh}"


harness.run_cases(
    [
        installed_tree_is_complete,
        launcher_makes_and_keeps_the_players_folder,
        launcher_refuses_without_a_place_for_files,
    ]
)
