"""The Debian package: scripts/package builds it; its control fields and file list are checked, and the
launcher of an unpacked copy starts the game, which keeps its files in the player's folder.

Usage: test_package.py
"""

import glob
import os
import re
import shutil
import subprocess
import tempfile

import installed
from installed import harness

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def dpkg_deb(*args):
    return subprocess.run(["dpkg-deb", *args], capture_output=True, text=True, check=True, timeout=60).stdout


def expected_files():
    """Every file the package must hold, from the repository's assets and icons."""
    files = {f"./usr/{rel}" for rel in (installed.LAUNCHER, installed.GAME, installed.DESKTOP, installed.MANUAL)}
    files |= {f"./usr/{installed.ASSETS}/{name}" for name in os.listdir(os.path.join(REPO, "Resources", "Assets"))}
    for icon in os.listdir(os.path.join(REPO, "packaging", "icons")):
        size = re.fullmatch(r"quarrow-(\d+)\.png", icon).group(1)
        files.add(f"./usr/share/icons/hicolor/{size}x{size}/apps/quarrow.png")
    return files


def package_builds_installs_and_runs():
    tmp = tempfile.mkdtemp(prefix="quarrow-package-")
    try:
        out = os.path.join(tmp, "out")
        res = subprocess.run(
            [os.path.join(REPO, "scripts", "package"), out], capture_output=True, text=True, timeout=560
        )
        assert res.returncode == 0, f"scripts/package failed ({res.returncode}):\n{res.stdout[-3000:]}{res.stderr[-3000:]}"
        debs = glob.glob(os.path.join(out, "*.deb"))
        assert len(debs) == 1, f"scripts/package made {os.listdir(out)}"
        deb = debs[0]

        fields = {name: dpkg_deb("-f", deb, name).strip() for name in
                  ("Package", "Version", "Architecture", "Maintainer", "Section", "Depends", "Description")}
        arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True, check=True).stdout
        assert fields["Package"] == "quarrow" and fields["Section"] == "games", fields
        assert re.fullmatch(r"\d+\.\d+\.\d+", fields["Version"]) and fields["Architecture"] == arch.strip(), fields
        assert os.path.basename(deb) == f"quarrow_{fields['Version']}_{fields['Architecture']}.deb", deb
        assert re.fullmatch(r"[^<>]+ <[^@<>\s]+@[^@<>\s]+>", fields["Maintainer"]), fields["Maintainer"]
        summary, _, body = fields["Description"].partition("\n")
        assert summary and body.strip(), f"Description needs a summary and a body: {fields['Description']!r}"
        depends = {alt.split()[0] for dep in fields["Depends"].split(",") for alt in dep.split("|")}
        for runtime in ("libsdl2-2.0-0", "libsdl2-ttf-2.0-0"):
            assert runtime in depends, f"Depends does not name {runtime}: {fields['Depends']}"

        # ./usr/... only, owned by root, programs 755 and data 644, and exactly the expected files.
        listing = {}
        for line in dpkg_deb("-c", deb).splitlines():
            mode, owner, _size, _date, _time, path = line.split(None, 5)
            assert owner == "root/root" and path.startswith("./usr/"), line
            if not mode.startswith("d"):
                listing[path] = mode
        assert set(listing) == expected_files(), (
            f"missing {sorted(expected_files() - set(listing))}, unexpected {sorted(set(listing) - expected_files())}"
        )
        programs = {f"./usr/{installed.LAUNCHER}", f"./usr/{installed.GAME}"}
        for path, mode in listing.items():
            assert mode == ("-rwxr-xr-x" if path in programs else "-rw-r--r--"), f"{path} has mode {mode}"

        root_dir = os.path.join(tmp, "root")
        dpkg_deb("-x", deb, root_dir)
        xdg, cwd = os.path.join(tmp, "xdg"), os.path.join(tmp, "cwd")
        os.makedirs(cwd)
        with harness.Display() as display:
            launcher = os.path.join(root_dir, "usr", installed.LAUNCHER)
            installed.play_once(display, launcher, cwd, {"HOME": os.path.join(tmp, "home"), "XDG_DATA_HOME": xdg})
        installed.check_user_folder(os.path.join(xdg, "quarrow"), os.path.join(root_dir, "usr"),
                                    installed.DEFAULT_SETTINGS)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


harness.run_cases([package_builds_installs_and_runs])
