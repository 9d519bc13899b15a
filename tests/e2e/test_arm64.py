"""The arm64 build in a real window, under qemu on Xvfb with the loader and libraries of its sysroot (Debian's
arm64 packages): its main menu the very pixels of the amd64 build's, New Game writing and printing the ten
levels, the player walking, and Escape ending it with the save written, each as on amd64."""

import os
import shutil

import harness
from harness import Display, Game, Workdir

GAME, RESOURCES, LINUX_GAME, SYSROOT = harness.arguments("ARM64_GAME RESOURCES_DIR LINUX_GAME SYSROOT")

QEMU = [shutil.which("qemu-aarch64-static") or "qemu-aarch64-static", "-L", SYSROOT]
SIZE, SETTINGS, SAVE_BYTES = harness.PORT_SIZE, harness.PORT_SETTINGS, harness.PORT_SAVE
# The sysroot holds no graphics drivers: both builds draw with SDL's software renderer, pixel for pixel alike.
SOFTWARE = {"SDL_RENDER_DRIVER": "software"}


def plays_under_qemu():
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS) as linux_work:
        with Game(display, LINUX_GAME, linux_work, env=SOFTWARE) as linux:
            menu = linux.open_menu()
        with Workdir(RESOURCES, settings=SETTINGS, savedata=SAVE_BYTES) as work:
            laid_out = os.stat(work.data_path("SaveData.bin")).st_ino
            with Game(display, GAME, work, env=SOFTWARE, prefix=QEMU) as game:
                # Emulated, the first frame comes seconds after the window: the menu is waited for, then compared.
                game.open_menu()
                game.wait_picture([menu], "the main menu with the amd64 build's very pixels", tol=0)
                game.press("Return", work.has_levels, "level0.level .. level9.level after New Game")
                levels = work.levels()
                rows = [row.decode("ascii") for row in levels[0]]
                harness.walk_one_tile_right(game, harness.SceneArt(work), rows, harness.PORT_START, SIZE,
                                            harness.PORT_BAD)
                game.escape()
            harness.check_printed_levels(game.output(), levels)
            assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
            assert os.stat(work.data_path("SaveData.bin")).st_ino != laid_out, "SaveData.bin was not written"


harness.run_cases([plays_under_qemu])
