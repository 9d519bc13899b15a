"""The game against a careless or hostile start: a stored window size no window can have, no display at all, a
standard output whose reader has gone, and a closed terminal (SIGHUP)."""

import os
import re
import signal
import subprocess

import harness
from harness import LEVEL_NAMES, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()
WINDOWED = settings_text(100, 100, 1280, 720, False)
TOO_LARGE = settings_text(100, 100, 40000, 30000, False)
WINDOW_FAILED = rb"Window initialisation failed: [^\n]+\nPress any key to continue\n"
RENDERER_FAILED = rb"Renderer initialisation failed: [^\n]+\nPress any key to continue\n"
# Starts the game with a standard output whose reading end is already closed, as `quarrow | head -c1` leaves
# it once head has its byte. The game replaces this interpreter, so it keeps its PID and dies with the test;
# it gets SIGPIPE back as a shell would give it (Python ignores it, and an ignored signal stays so across exec).
CLOSED_STDOUT = ["python3", "-c", "import os, signal, sys; r, w = os.pipe(); os.close(r); os.dup2(w, 1); "
                 "signal.signal(signal.SIGPIPE, signal.SIG_DFL); os.execv(sys.argv[1], sys.argv[1:])"]


def a_size_no_window_can_have_opens_the_desktop():
    with Display() as display, Workdir(RESOURCES, settings=TOO_LARGE) as work:
        with Game(display, BINARY, work) as game:
            game.find_window()
            size = game.geometry()[2:]
            assert size == (harness.SCREEN_W, harness.SCREEN_H), f"the window is {size}, not the desktop's size"
            assert re.fullmatch(WINDOW_FAILED, game.output()), f"the failed window was not reported\n{game.diagnostics()}"
            # The stored size stays for the options menu to change.
            assert work.read("Settings.ini") == TOO_LARGE, f"Settings.ini is {work.read('Settings.ini')!r}"
            game.escape()
            assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"


def no_window_at_all_ends_the_game():
    # No display to open a window on: each failure is reported and waits for a key, then the game ends.
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED) as work:
        unused = next(n for n in range(9999, 9000, -1) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        with Game(display, BINARY, work, env={"DISPLAY": f":{unused}"}, stdin=subprocess.PIPE) as game:

            def waits_with(pattern, what, key):
                """The output comes to `pattern` and stays so while the game waits; then `key` is typed."""

                def printed(out):
                    return game.proc.poll() is not None or re.fullmatch(pattern, out)

                try:
                    out = harness.poll_until(game.output, 30, what, test=printed)
                except AssertionError as e:
                    raise AssertionError(f"{e}; the game printed {game.output()[:400]!r}") from None
                game.alive()
                harness.stays(lambda: game.proc.poll() is None and game.output() == out, 1.0,
                              f"{what}: the game waiting for a key, printing nothing more")
                game.proc.stdin.write(key)
                game.proc.stdin.flush()

            waits_with(WINDOW_FAILED, "the window failure and its prompt", b"x")
            waits_with(WINDOW_FAILED + RENDERER_FAILED, "the renderer failure and its prompt after one key", b"y")
            status = game.wait_exit()
            assert status == 1, f"with no window the game ended with status {status}\n{game.diagnostics()}"
            # Start-up went on to its end (the particles' texture reports the missing renderer) before it ended.
            assert re.match(WINDOW_FAILED + RENDERER_FAILED, game.output()), game.diagnostics()
            assert work.read("Settings.ini") == WINDOWED, f"Settings.ini is {work.read('Settings.ini')!r}"


def a_closed_standard_output_never_ends_the_game():
    old = b"old level\r\n"
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED, files={n: old for n in LEVEL_NAMES}) as work:
        with Game(display, BINARY, work, prefix=CLOSED_STDOUT) as game:
            game.find_window()
            game.move(*harness.EMPTY)

            def all_new():
                game.alive()
                return all(work.read(n) != old for n in LEVEL_NAMES)

            # "New Game" is selected at start: Return prints ten maps into the closed pipe while writing them.
            game.press("Return", all_new, "ten new levels")
            work.levels()  # each checked for its form
            game.escape()
            assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"


def a_closed_terminal_ends_the_game_with_its_exit_save():
    # A closed terminal (SIGHUP) ends the game as a kill request (SIGTERM) does.
    with Display() as display:
        for sent in (signal.SIGHUP, signal.SIGTERM):
            with Workdir(RESOURCES, settings=WINDOWED) as work, Game(display, BINARY, work) as game:
                game.find_window()
                game.wait_drawn()
                game.proc.send_signal(sent)
                game.check_exit(game.wait_exit(), sent.name)
                assert work.read("SaveData.bin") == bytes(8), f"SaveData.bin was not written at exit on {sent.name}"


harness.run_cases([a_size_no_window_can_have_opens_the_desktop, no_window_at_all_ends_the_game,
                   a_closed_standard_output_never_ends_the_game, a_closed_terminal_ends_the_game_with_its_exit_save])
