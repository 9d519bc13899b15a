"""The Windows build in a real window, under wine on Xvfb, started from another folder than its own: its main
menu the very pixels of the Linux build's, Apply taking the window to the new size and saving Settings.ini, New
Game writing and printing the ten levels, the player walking, and Escape ending it with the save written, each
as on Linux; and a session that ends (log-off, shutdown) with the game's menu open writing the save before the
game is ended. Wine runs in a prefix kept in the cache, whose first start takes some ten seconds."""

import os
import shutil
import subprocess
import tempfile

import harness
from harness import WINE, WINE_ENV, Display, Game, Workdir, settings_text, start_wine

EXE, RESOURCES, LINUX_GAME = harness.arguments("WINDOWS_EXE RESOURCES_DIR LINUX_GAME")

(W, H), NEW, SETTINGS = harness.PORT_SIZE, harness.PORT_NEW, harness.PORT_SETTINGS
SAVE_BYTES, START, MAX_BAD = harness.PORT_SAVE, harness.PORT_START, harness.PORT_BAD
# Ending a session ends every program in it: that case has a session of its own.
SESSION_ENV = dict(WINE_ENV, WINEPREFIX=WINE_ENV["WINEPREFIX"] + "-session")


def plays_under_wine():
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS) as linux_work:
        with Game(display, LINUX_GAME, linux_work, env={"SDL_RENDER_DRIVER": "software"}) as linux:
            menu = linux.open_menu()
        start_wine(display)
        # Started from a folder without Resources, as from another prompt or a shortcut with no working folder:
        # it plays from its program's folder.
        with Workdir(RESOURCES, settings=SETTINGS, savedata=SAVE_BYTES) as work, tempfile.TemporaryDirectory() as away:
            laid_out = os.stat(work.data_path("SaveData.bin")).st_ino
            program = os.path.join(work.path, "quarrow.exe")
            shutil.copy(EXE, program)
            with Game(display, program, work, env=WINE_ENV, prefix=WINE, cwd=away) as game:
                # The first frame comes up to seconds after the window: the menu is waited for, then compared.
                game.open_menu()
                game.wait_picture([menu], "the main menu with the Linux build's very pixels", tol=0)

                # One resolution step, then Apply.
                harness.apply_next_resolution(game, (W, H), lambda: game.geometry() == (250, 50, *NEW),
                                              f"a {NEW[0]} x {NEW[1]} window")
                harness.wait_settings(work, lambda v: v[2:4] == NEW, f"Settings.ini with {NEW[0]} x {NEW[1]}")
                settings = work.read("Settings.ini")
                assert settings == settings_text(100, 100, *NEW, False), f"Settings.ini after Apply: {settings!r}"

                # Back, and New Game from the menu laid out for the new size.
                game.select("Down", harness.options_controls(NEW)[5], '"Back"')
                game.select("Return", harness.menu_entry(2, NEW), '"Options" in the main menu')
                game.select("Up", harness.menu_entry(1, NEW), '"New Game"')
                game.press("Return", work.has_levels, "level0.level .. level9.level after New Game")
                levels = work.levels()

                # Holding Right walks the player one tile on, the view following him.
                rows = [row.decode("ascii") for row in levels[0]]
                harness.walk_one_tile_right(game, harness.SceneArt(work), rows, START, NEW, MAX_BAD)
                game.escape()

            # Printed byte for byte as on Linux.
            harness.check_printed_levels(game.output(), levels)
            assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
            assert os.stat(work.data_path("SaveData.bin")).st_ino != laid_out, "SaveData.bin was not written"


def session_end_saves():
    """wineboot ends the session as Windows does at log-off: it sends the game's window WM_QUERYENDSESSION and
    WM_ENDSESSION and then (--kill) ends what still runs. The game writes its exit save first and ends with
    status 0."""
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS, savedata=SAVE_BYTES) as work:
        start_wine(display, SESSION_ENV)
        laid_out = os.stat(work.data_path("SaveData.bin")).st_ino
        with Game(display, EXE, work, env=SESSION_ENV, prefix=WINE) as game:
            game.open_menu()
            subprocess.run(["wineboot", "--end-session", "--kill"], env=dict(display.env, **SESSION_ENV),
                           timeout=300, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            status = game.proc.wait(timeout=60)
        assert status == 0, f"the session's end ended the game with status {status}\n{game.diagnostics()}"
        assert work.read("SaveData.bin") == SAVE_BYTES, f"SaveData.bin is {work.read('SaveData.bin')!r}"
        assert os.stat(work.data_path("SaveData.bin")).st_ino != laid_out, "SaveData.bin was not written"


harness.run_cases([plays_under_wine, session_end_saves])
