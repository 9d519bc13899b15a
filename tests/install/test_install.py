"""The installed game: `cmake --install` into a scratch prefix lays out the launcher, the game, the assets, the
menu entry, the icons and the manual; the launcher makes the player's folder, starts the game in it, keeps the
player's files across starts and a moved installation, clears what starts killed midway left, and refuses with
one line when there is no place for them, the installation is broken or one of its own steps is killed.
Arguments: CMAKE BUILD_DIR [CASE]."""

import filecmp
import gzip
import os
import re
import shutil
import struct
import subprocess
import tempfile
from xml.etree import ElementTree

import installed
from installed import ASSETS, DESKTOP, DOC, GAME, LAUNCHER, MANUAL, METAINFO, REPO, UNPRIVILEGED, harness
from harness import read_file, write_file

CMAKE, BUILD = harness.arguments("CMAKE BUILD_DIR")


class Installation:
    """A scratch folder, readable by every user, with the build installed under `prefix` inside it."""

    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="quarrow-install-")
        os.chmod(self.tmp, 0o755)
        self.prefix = os.path.join(self.tmp, "prefix")
        harness.tool(CMAKE, "--install", BUILD, "--prefix", self.prefix, timeout=120)
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.tmp, *parts)

    def folder(self, *parts):
        path = self.path(*parts)
        os.makedirs(path)
        return path


def installed_tree_is_complete():
    with Installation() as inst:
        p = lambda rel: os.path.join(inst.prefix, rel)  # noqa: E731
        for program in (LAUNCHER, GAME):
            mode = os.stat(p(program)).st_mode & 0o777
            assert mode == 0o755, f"{program} is installed with mode {mode:o}, expected 755"
        assert read_file(p(LAUNCHER)).startswith(b"#!/bin/sh\n"), "the launcher is not a POSIX shell script"

        # Every asset of the repository, byte for byte.
        source = os.path.join(REPO, "Resources", "Assets")
        names = sorted(os.listdir(source))
        got = sorted(os.listdir(p(ASSETS)))
        assert got == names, f"installed assets {got}, repository's {names}"
        _, mismatch, errors = filecmp.cmpfiles(source, p(ASSETS), names, shallow=False)
        assert not mismatch and not errors, f"installed assets differ from the repository's: {mismatch + errors}"

        res = subprocess.run(["desktop-file-validate", p(DESKTOP)], capture_output=True, text=True, timeout=30)
        report = (res.stdout + res.stderr).strip()
        assert res.returncode == 0 and not report, f"desktop-file-validate: {report}"
        with open(p(DESKTOP)) as f:
            entry = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        assert entry.get("Exec") == "quarrow" and entry.get("Icon") == "quarrow", f"desktop entry {entry}"
        assert "Game" in entry.get("Categories", "").split(";"), f"desktop entry categories {entry.get('Categories')}"

        hicolor = p("share/icons/hicolor")
        sizes = sorted(os.listdir(hicolor))
        assert {"16x16", "24x24", "48x48", "64x64"} <= set(sizes), f"icon sizes {sizes}"
        for size in sizes:
            head = read_file(os.path.join(hicolor, size, "apps", "quarrow.png"))[:24]
            assert head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"the {size} icon is not a PNG file"
            assert "%dx%d" % struct.unpack(">II", head[16:24]) == size, f"the {size} icon is {head[16:24]!r}"

        page = gzip.decompress(read_file(p(MANUAL)))
        # (The first line asks man for tbl, which lays out the controls' table.)
        assert page.startswith(b"'\\\" t\n.TH QUARROW 6 ") and b"XDG_DATA_HOME" in page, f"manual page: {page[:80]!r}"


def dep5_paragraphs(text):
    """The paragraphs of a machine-readable copyright file, each a dict of its fields; a field's continuation
    lines are unfolded (" ." is an empty line)."""
    paragraphs = []
    for block in text.strip("\n").split("\n\n"):
        fields, name = {}, None
        for line in block.split("\n"):
            if line.startswith(" "):
                fields[name] += "\n" + ("" if line == " ." else line[1:])
            else:
                name, _, value = line.partition(":")
                fields[name] = value.strip()
        paragraphs.append(fields)
    return paragraphs


def installed_documents_and_metadata():
    with Installation() as inst:
        doc = os.path.join(inst.prefix, DOC)
        assert sorted(os.listdir(doc)) == ["README.md", "changelog.gz", "copyright", "docs"], f"{doc} holds {os.listdir(doc)}"
        assert os.listdir(os.path.join(doc, "docs")) == ["players.md"], "the README's players' details are not beside it"
        for name in ("README.md", "docs/players.md"):
            assert filecmp.cmp(os.path.join(REPO, name), os.path.join(doc, name), shallow=False), f"{name} differs"
        changelog = gzip.decompress(read_file(os.path.join(doc, "changelog.gz")))
        assert changelog == read_file(os.path.join(REPO, "CHANGELOG")), "changelog.gz is not the repository's CHANGELOG"

        # The copyright file: the game under MIT, the font under its own licence, each licence in full.
        header, *paragraphs = dep5_paragraphs(read_file(os.path.join(doc, "copyright")).decode())
        assert header["Format"] == "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/", header
        files = {par["Files"]: par for par in paragraphs if "Files" in par}
        assert files["*"]["License"] == "MIT" and "The Quarrow developers" in files["*"]["Copyright"], files
        assert files["Resources/Assets/DejaVuSans.ttf"]["License"] == "Bitstream-Vera", files
        texts = {par["License"].split("\n", 1)[0]: par["License"] for par in paragraphs if "Files" not in par}
        assert sorted(texts) == ["Bitstream-Vera", "MIT"], f"licence texts for {sorted(texts)}"
        for name, text in texts.items():
            with open(os.path.join(REPO, "LICENSES", f"{name}.txt")) as f:
                assert text.split("\n", 1)[1] == f.read().rstrip("\n"), f"the {name} text differs from LICENSES/"

        # What software centres list: valid, launching the menu entry, releasing the changelog's version.
        report = harness.tool("appstreamcli", "validate", "--pedantic", "--no-net", os.path.join(inst.prefix, METAINFO))
        assert not re.search(r"^[EW]:", report, re.M), f"appstreamcli: {report}"
        component = ElementTree.parse(os.path.join(inst.prefix, METAINFO)).getroot()
        assert component.findtext("launchable") == os.path.basename(DESKTOP), component.findtext("launchable")
        version = re.match(rb"quarrow \(([^)]+)\)", changelog).group(1).decode()
        assert component.find("releases/release").get("version") == version, f"the metainfo's release is not {version}"


def launcher_makes_and_keeps_the_players_folder():
    with Installation() as inst, harness.Display() as display:
        home, cwd, other, bin_dir = (inst.folder(name) for name in ("home", "cwd", "other", "bin"))
        root = os.path.join(home, ".local", "share", "quarrow")

        # First start, XDG_DATA_HOME unset: the folder is made under HOME, from any working directory; the
        # defaults written then open the game on the whole screen.
        installed.play_once(display, os.path.join(inst.prefix, LAUNCHER), cwd, {"HOME": home},
                            prefix=["env", "-u", "XDG_DATA_HOME"], size=(harness.SCREEN_W, harness.SCREEN_H))
        installed.check_user_folder(root, inst.prefix, installed.DEFAULT_SETTINGS)
        assert set(os.listdir(cwd)) <= {"stdout.txt", "stderr.txt"}, f"the game wrote into {cwd}: {os.listdir(cwd)}"

        # The player changes a setting and keeps a file of their own; then the installation moves and the
        # game is started by name from the PATH, through a link, with XDG_DATA_HOME naming the same place.
        settings = harness.settings_text(37, 100, 1000, 800, False)
        data = os.path.join(root, "Resources", "Data")
        write_file(os.path.join(data, "Settings.ini"), settings)
        write_file(os.path.join(data, "notes.txt"), b"mine")
        moved = inst.path("moved")
        os.rename(inst.prefix, moved)
        os.symlink(os.path.join(moved, LAUNCHER), os.path.join(bin_dir, "quarrow"))
        env = {"HOME": other, "XDG_DATA_HOME": os.path.dirname(root), "PATH": bin_dir + os.pathsep + os.environ["PATH"]}
        installed.play_once(display, "quarrow", cwd, env, size=(1000, 800))

        installed.check_user_folder(root, moved, settings)
        assert read_file(os.path.join(data, "notes.txt")) == b"mine", "the player's own file changed"
        assert not os.path.exists(os.path.join(other, ".local")), "HOME was used although XDG_DATA_HOME was set"


def launcher_first_starts_at_once():
    """Many first starts at the same moment all reach the game, which finds its folder complete; the folders
    made are the player's alone (0700), and no temporary name is left. What a start killed while it set things
    up leaves behind is cleared by the next start, unless that start still runs. The game is replaced by a
    script that checks its working directory and that it runs with the player's umask, so that this case
    needs no window."""
    with Installation() as inst:
        game = os.path.join(inst.prefix, GAME)
        write_file(game, b'#!/bin/sh\n[ -d Resources/Data ] && [ -f Resources/Assets/Player.bmp ] &&\n'
                         b'    [ "$(umask)" = "$PLAYER_UMASK" ] && exit 0\nexit 3\n')
        os.chmod(game, 0o755)
        launcher = os.path.join(inst.prefix, LAUNCHER)
        umask = os.umask(0o022)
        os.umask(umask)
        for attempt in range(10):
            home = inst.folder(f"home{attempt}")
            env = {"PATH": os.environ["PATH"], "HOME": home, "PLAYER_UMASK": f"{umask:04o}"}
            starts = [subprocess.Popen([launcher], env=env, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
                      for _ in range(8)]
            results = [(start.communicate(timeout=60)[1], start.returncode) for start in starts]
            failed = [result for result in results if result[1] != 0]
            assert not failed, f"{len(failed)} of 8 simultaneous first starts failed: {failed}"
            for folder in (".local", ".local/share", ".local/share/quarrow"):
                mode = os.stat(os.path.join(home, folder)).st_mode & 0o777
                assert mode == 0o700, f"the launcher made {folder} with mode {mode:o}, expected 700"
            installed.check_user_folder(os.path.join(home, ".local", "share", "quarrow"), inst.prefix, None)

        # Starts killed while they set things up, one whose process is gone and one whose process still runs
        # (this test's): each left a half-made folder beside Resources and a link beside Assets (the gone
        # start's leads nowhere any more). The next start clears the gone one's alone.
        root = os.path.join(home, ".local", "share", "quarrow")
        resources, assets = os.path.join(root, "Resources"), os.path.join(inst.prefix, ASSETS)
        ended = subprocess.Popen(["true"])
        ended.wait()
        for pid, target in ((ended.pid, inst.path("gone")), (os.getpid(), assets)):
            os.makedirs(os.path.join(root, f".Resources.{pid}", "Data"))
            os.symlink(assets, os.path.join(root, f".Resources.{pid}", "Assets"))
            os.symlink(target, os.path.join(resources, f".Assets.{pid}"))
        res = subprocess.run([launcher], env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        assert res.returncode == 0, f"the start after killed ones failed ({res.returncode}): {res.stderr!r}"
        running = f".{os.getpid()}"
        assert sorted(os.listdir(root)) == [".Resources" + running, "Resources"], f"{root} holds {os.listdir(root)}"
        held = sorted(os.listdir(resources))
        assert held == [".Assets" + running, "Assets", "Data"], f"{resources} holds {held}"
        kept = sorted(os.listdir(os.path.join(root, ".Resources" + running)))
        assert kept == ["Assets", "Data"], f"the running start's folder holds {kept}"


def refusal(argv, env, what):
    """Run the launcher where it must stop before starting the game: a non-zero status and one line on
    standard error, which is returned."""
    res = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
    err = res.stderr.decode(errors="replace")
    assert res.returncode != 0, f"{what}: the launcher exited with status 0"
    lines = err.splitlines()
    assert len(lines) == 1 and lines[0].startswith("quarrow: "), f"{what}: standard error was {err!r}"
    return err


def launcher_refuses_without_a_place_for_files():
    with Installation() as inst:
        launcher = os.path.join(inst.prefix, LAUNCHER)
        path = {"PATH": os.environ["PATH"]}

        err = refusal([launcher], path, "no HOME and no XDG_DATA_HOME")
        assert "HOME" in err, f"the error line does not name HOME: {err!r}"

        # A data home another user owns, named either way; nothing may be left in it.
        locked = inst.folder("locked")
        for env in ({"XDG_DATA_HOME": locked, "HOME": locked}, {"HOME": locked}):
            refusal(UNPRIVILEGED + [launcher], {**path, **env}, f"an unwritable data home ({env})")
            assert os.listdir(locked) == [], f"a refused start left {os.listdir(locked)} in {locked}"
        # The player's folder a link to another user's, which the player may not even look into: still one line.
        theirs, linked = inst.folder("theirs"), inst.folder("linked")
        os.chmod(theirs, 0o700)
        os.symlink(theirs, os.path.join(linked, "quarrow"))
        err = refusal(UNPRIVILEGED + [launcher], {**path, "XDG_DATA_HOME": linked}, "a link to a closed folder")
        assert err == f"quarrow: cannot set up {linked}/quarrow/Resources: Permission denied\n", f"the line is {err!r}"

        # A file where the Resources folder belongs stays as it is.
        xdg = inst.folder("xdg", "quarrow")
        write_file(os.path.join(xdg, "Resources"), b"not a folder")
        err = refusal([launcher], {**path, "XDG_DATA_HOME": os.path.dirname(xdg)}, "a file in the way")
        assert err == f"quarrow: {xdg}/Resources is in the way: it should be a folder\n", f"the line is {err!r}"
        assert os.listdir(xdg) == ["Resources"] and os.path.isfile(os.path.join(xdg, "Resources")), os.listdir(xdg)
        # So does a link leading nowhere where the game's own folder belongs, and a file where Data belongs:
        # each named in the same words, and left as it is.
        dangling = inst.folder("dangling")
        os.symlink("nowhere", os.path.join(dangling, "quarrow"))
        err = refusal([launcher], {**path, "XDG_DATA_HOME": dangling}, "a dangling link in the way")
        assert err == f"quarrow: {dangling}/quarrow is in the way: it should be a folder\n", f"the line is {err!r}"
        assert os.readlink(os.path.join(dangling, "quarrow")) == "nowhere", "the dangling link was changed"
        data = inst.folder("data", "quarrow", "Resources")
        write_file(os.path.join(data, "Data"), b"not a folder")
        err = refusal([launcher], {**path, "XDG_DATA_HOME": os.path.dirname(os.path.dirname(data))}, "Data")
        assert err == f"quarrow: {data}/Data is in the way: it should be a folder\n", f"the line is {err!r}"
        assert read_file(os.path.join(data, "Data")) == b"not a folder", "the file in Data's place was changed"

        # A step killed outright says nothing of its own: the line names the signal. Here `mv` is killed as it
        # would put the first start's folder in place, and, with a folder there, as it would put the link to
        # the pictures in place; neither start leaves anything half-made.
        fake = inst.folder("fake")
        write_file(os.path.join(fake, "mv"), b"#!/bin/sh\nkill -KILL $$\n")
        os.chmod(os.path.join(fake, "mv"), 0o755)
        data_home = inst.path("killed")
        resources = os.path.join(data_home, "quarrow", "Resources")
        env = {"PATH": fake + os.pathsep + os.environ["PATH"], "XDG_DATA_HOME": data_home}
        err = refusal([launcher], env, "mv killed in a first start")
        assert err == f"quarrow: cannot set up {resources}: stopped by signal 9\n", f"the error line is {err!r}"
        assert os.listdir(data_home) == [], f"the refused start left {os.listdir(data_home)}"
        os.makedirs(resources)
        err = refusal([launcher], env, "mv killed while linking the pictures")
        assert err == f"quarrow: cannot link {resources}/Assets: stopped by signal 9\n", f"the error line is {err!r}"
        assert os.listdir(resources) == ["Data"], f"the refused start left {os.listdir(resources)} in {resources}"

        # An installation without its pictures: refused before anything is made.
        os.rename(os.path.join(inst.prefix, ASSETS), os.path.join(inst.prefix, ASSETS + ".away"))
        fresh = inst.path("fresh")
        refusal([launcher], {**path, "XDG_DATA_HOME": fresh}, "no installed assets")
        assert not os.path.exists(fresh), f"a refused start made {fresh}"


harness.run_cases([installed_tree_is_complete, installed_documents_and_metadata,
                   launcher_makes_and_keeps_the_players_folder, launcher_first_starts_at_once,
                   launcher_refuses_without_a_place_for_files])
