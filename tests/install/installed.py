"""What the install and package tests share: starting an installed launcher the way a player does, under the
real-window harness, checking the per-user folder it leaves, and copies of the repository to pack."""

import glob
import hashlib
import os
import shutil
import sys
import types

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from harness import Game, tool  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Under an installation prefix.
LAUNCHER = "games/quarrow"
GAME = "lib/games/quarrow/quarrow"
ASSETS = "share/games/quarrow/Assets"
DESKTOP = "share/applications/quarrow.desktop"
MANUAL = "share/man/man6/quarrow.6.gz"
METAINFO = "share/metainfo/example.quarrow.quarrow.metainfo.xml"
DOC = "share/doc/quarrow"

# A player without privileges, for what root may do and a player may not.
UNPRIVILEGED = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]

# What start-up writes when there is no Settings.ini: the desktop's size, full screen on.
DEFAULT_SETTINGS = harness.settings_text(100, 100, harness.SCREEN_W, harness.SCREEN_H, True)


def play_once(display, launcher, cwd, env, prefix=(), size=None):
    """Start `launcher` from `cwd`, wait for a drawn window (of `size` when given), press Escape and check
    that the game ends with status 0 having loaded every picture and the font."""
    # Game needs of a work dir only its path, where it is started and its output goes.
    with Game(display, launcher, types.SimpleNamespace(path=cwd), env=env, prefix=prefix) as game:
        game.find_window()
        if size is not None:
            harness.poll_until(lambda: game.geometry()[2:] == size, 30, f"a window of {size[0]} x {size[1]}")
        game.move(*harness.EMPTY)
        game.wait_drawn()
        game.escape("Escape in the installed game")
        game.check_no_failures()
        assert b"quarrow: " not in game.stderr(), f"the launcher complained\n{game.diagnostics()}"


def check_user_folder(root, prefix, settings):
    """The per-user folder `root` after a run from the tree at `prefix`: Resources and nothing else, holding a
    real Data folder, and Assets linked to the installed pictures; Data holds the given Settings.ini and the
    SaveData.bin that the game writes, unless settings is None (a stand-in for the game, which writes none)."""
    resources = os.path.join(root, "Resources")
    assert sorted(os.listdir(root)) == ["Resources"], f"{root} holds {sorted(os.listdir(root))}"
    assert sorted(os.listdir(resources)) == ["Assets", "Data"], f"{resources} holds {sorted(os.listdir(resources))}"
    data, assets = os.path.join(resources, "Data"), os.path.join(resources, "Assets")
    assert os.path.isdir(data) and not os.path.islink(data), f"{data} is not a real folder"
    assert os.path.islink(assets), f"{assets} is not a link"
    target = os.path.realpath(os.path.join(prefix, ASSETS))
    assert os.path.realpath(assets) == target, f"{assets} leads to {os.path.realpath(assets)}, not {target}"
    for name, expected in (("Settings.ini", settings), ("SaveData.bin", bytes(8))) if settings else ():
        got = harness.read_file(os.path.join(data, name))
        assert got == expected, f"{name} is {got!r}, expected {expected!r}"


def copy_of_repository(path):
    """A clone of the repository at `path` holding the working tree's tracked files as they are now, so that
    uncommitted changes are packed too; the time comes from the last commit, as in any clone."""
    tool("git", "clone", "-q", REPO, path)
    for name in tool("git", "-C", REPO, "ls-files", "-z").split("\0"):
        if not name:
            continue
        source, target = os.path.join(REPO, name), os.path.join(path, name)
        if os.path.lexists(source):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(source, target, follow_symlinks=False)
        elif os.path.lexists(target):
            os.remove(target)


def digest(path):
    return hashlib.sha256(harness.read_file(path)).hexdigest()


def one(pattern):
    found = glob.glob(pattern)
    assert len(found) == 1, f"expected one {pattern}, found {found}"
    return found[0]
