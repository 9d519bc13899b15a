"""The web zip a player downloads: scripts/package-web run twice gives the same bytes; the zip holds the page,
its script, its program and its data with every licence; unzipped and served by a plain static server, its
index.html plays in headless Chromium from a fresh profile (a first start: the menu drawn, Escape ending the
game with its exit save kept in the page's storage). Run by scripts/test after the web build, whose tree
package-web packs."""

import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import harness  # noqa: E402
from browser import Browser, Page, Server  # noqa: E402

REPO = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PAGE = {"index.html", "quarrow.js", "quarrow.wasm", "quarrow.data"}
LICENCES = {"LICENSES/Quarrow-MIT.txt", "LICENSES/DejaVuSans-Bitstream-Vera.txt", "LICENSES/SDL2-zlib.txt",
            "LICENSES/SDL2_ttf-zlib.txt", "LICENSES/FreeType-FTL.txt", "LICENSES/Emscripten-copyright.txt"}


def package(out):
    """Run scripts/package-web into `out`; return the zip's path."""
    res = subprocess.run([os.path.join(REPO, "scripts", "package-web"), out], capture_output=True, timeout=1200,
                         stdin=subprocess.DEVNULL)
    assert res.returncode == 0, f"scripts/package-web failed:\n{res.stderr[-3000:].decode(errors='replace')}"
    zips = [name for name in os.listdir(out) if name.endswith("-web.zip")]
    assert len(zips) == 1, f"{out} holds {os.listdir(out)}"
    return os.path.join(out, zips[0])


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def web_zip_packs_alike_and_plays():
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second, \
            tempfile.TemporaryDirectory() as site:
        made = package(first)
        assert digest(made) == digest(package(second)), "two runs of package-web gave different zips"
        with zipfile.ZipFile(made) as z:
            names = set(z.namelist())
            z.extractall(site)
        files = {name for name in names if not name.endswith("/")}
        assert files == PAGE | LICENCES, f"the zip holds {sorted(files)}"
        assert all(os.path.getsize(os.path.join(site, name)) > 0 for name in files), "an empty file in the zip"

        with Server(site) as server, Browser() as browser:
            with Page(browser, server.url + "index.html") as game:
                game.open_menu()
                game.escape()
            saved = harness.poll_until(browser.files, 30, "the exit save stored",
                                       test=lambda f: f.get("SaveData.bin") == bytes(8))
            assert harness.settings_values(saved.get("Settings.ini")), f"the files kept: {sorted(saved)}"


harness.run_cases([web_zip_packs_alike_and_plays])
