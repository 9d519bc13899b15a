"""The game against a careless or hostile start: a stored window size larger than the screen or than any window
can be, no display at all, closed standard streams or a standard output whose reader has gone, a file size
limit, a closed terminal (SIGHUP) and the display going away under the running game."""

import os
import re
import shutil
import signal
import subprocess

import harness
from harness import EMPTY, LEVEL_NAMES, SCREEN_H, SCREEN_W, Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()
WINDOWED = settings_text(100, 100, 1280, 720, False)
WINDOW_FAILED = rb"Window initialisation failed: [^\n]+\nPress any key to continue\n"
RENDERER_FAILED = rb"Renderer initialisation failed: [^\n]+\nPress any key to continue\n"
NO_DISPLAY = b"No display found: there is no screen to show the game's window on\nPress any key to continue\n"
# Starts the game with a standard output whose reading end is already closed, as `quarrow | head -c1` leaves
# it once head has its byte. The game replaces this interpreter, so it keeps its PID and dies with the test;
# it gets SIGPIPE back as a shell would give it (Python ignores it, and an ignored signal stays so across exec).
CLOSED_STDOUT = ["python3", "-c", "import os, signal, sys; r, w = os.pipe(); os.close(r); os.dup2(w, 1); "
                 "signal.signal(signal.SIGPIPE, signal.SIG_DFL); os.execv(sys.argv[1], sys.argv[1:])"]
# Starts the game under a file size limit of FILE_LIMIT bytes, as `ulimit -f` does, with SIGXFSZ as a shell
# leaves it (Python ignores it too).
FILE_LIMIT = 4096
LIMITED = ["python3", "-c", f"import os, resource, signal, sys; resource.setrlimit(resource.RLIMIT_FSIZE, "
           f"({FILE_LIMIT}, {FILE_LIMIT})); signal.signal(signal.SIGXFSZ, signal.SIG_DFL); "
           "os.execv(sys.argv[1], sys.argv[1:])"]


def closing(*streams):
    """Starts the game with the given standard streams closed, as `quarrow 1>&-` leaves them."""
    return ["python3", "-c", f"import os, sys\nfor fd in {streams!r}: os.close(fd)\n"
            "os.execv(sys.argv[1], sys.argv[1:])"]


def a_size_no_window_can_have_opens_the_desktop():
    # A stored size larger than the screen, one the options offer and one no window can have: the window is
    # no larger than the screen and lies on it, nothing is reported, the picture laid out for the stored size
    # is fitted into the window and the mouse works where things show. The stored size stays for the options
    # menu to change.
    with Display() as display:
        for size in ((4096, 2160), (40000, 30000)):
            stored = settings_text(100, 100, *size, False)
            with Workdir(RESOURCES, settings=stored) as work, Game(display, BINARY, work) as game:
                try:
                    img = game.open_menu(size)
                    assert game.geometry() == (0, 0, SCREEN_W, SCREEN_H), f"the window is at {game.geometry()}"
                    work.keep_shot(img, f"main_menu_{size[0]}x{size[1]}.png")
                    harness.check_main_menu(img, size)
                    game.open_options_by_mouse(size)
                    assert work.read("Settings.ini") == stored, f"Settings.ini is {work.read('Settings.ini')!r}"
                    game.escape()
                    assert game.output() == b"", f"the game reported {game.output()[:300]!r}"
                    assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"
                except AssertionError as e:
                    raise AssertionError(f"a stored size of {size[0]} x {size[1]}: {e}") from None


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


def no_display_reached_ends_the_game_writing_nothing():
    # No display named, and one that does not answer: where SDL would fall back to a video driver that shows
    # nothing, the game says so and ends, storing no settings on a first start and no save over the player's.
    stored = bytes(range(1, 9))
    unused = next(n for n in range(9999, 9000, -1) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
    starts = {"no DISPLAY": ["env", "-u", "SDL_VIDEODRIVER", "-u", "DISPLAY"],
              "a display that does not answer": ["env", "-u", "SDL_VIDEODRIVER", f"DISPLAY=:{unused}"]}
    with Display() as display:
        for how, prefix in starts.items():
            with Workdir(RESOURCES, savedata=stored) as work, Game(display, BINARY, work, prefix=prefix) as game:
                status = game.wait_exit()
                assert status == 1, f"{how}: the game ended with status {status}\n{game.diagnostics()}"
                assert game.output() == NO_DISPLAY, f"{how}: the game printed {game.output()!r}"
                files = sorted(os.listdir(work.data_path()))
                assert files == ["SaveData.bin"], f"{how}: Resources/Data holds {files}"
                assert work.read("SaveData.bin") == stored, f"{how}: SaveData.bin is {work.read('SaveData.bin')!r}"


def a_failing_sound_system_keeps_the_picture():
    # A sound driver that cannot start costs the sound alone, said in one line: a first start stores the
    # screen's size with full screen on, the picture covers the screen, and a click held on "Options" (where
    # the picture shows it) opens the options.
    with Display() as display, Workdir(RESOURCES) as work:
        with Game(display, BINARY, work, env={"SDL_AUDIODRIVER": "nosuchdriver"}) as game:
            img = game.open_menu()
            assert game.geometry() == (0, 0, SCREEN_W, SCREEN_H), f"the window is at {game.geometry()}"
            harness.check_main_menu(img, (SCREEN_W, SCREEN_H))
            full = settings_text(100, 100, SCREEN_W, SCREEN_H, True)
            assert work.read("Settings.ini") == full, f"Settings.ini is {work.read('Settings.ini')!r}"
            game.open_options_by_mouse((SCREEN_W, SCREEN_H))
            assert not work.has_levels(), "the click on Options started a new game"
            game.escape()
        assert re.fullmatch(rb"Sound initialisation failed, the game plays silent: [^\n]+\n", game.output()), \
            f"the game printed {game.output()!r}"


def started_from_another_folder_plays_from_its_own():
    # Started in a folder with no Resources, the game plays from the folder its program lies in; where
    # neither has them, it names both folders and ends, with nothing written anywhere.
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED) as work, \
            Workdir(RESOURCES) as elsewhere:
        shutil.rmtree(os.path.join(elsewhere.path, "Resources"))
        program = os.path.join(work.path, "quarrow")
        shutil.copy(BINARY, program)
        with Game(display, program, work, cwd=elsewhere.path) as game:
            harness.check_main_menu(game.open_menu(), (1280, 720))
            game.escape()
        assert game.output() == b"", f"the game printed {game.output()!r}"
        assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written beside the program"
        assert os.listdir(elsewhere.path) == [], f"the working folder holds {os.listdir(elsewhere.path)}"

        lonely = os.path.join(elsewhere.path, "bin")
        os.mkdir(lonely)
        shutil.move(program, lonely)
        with Game(display, os.path.join(lonely, "quarrow"), work, cwd=elsewhere.path) as game:
            status = game.wait_exit()
            looked = (f"The game's Resources folder is in neither the working folder ({elsewhere.path}) nor the "
                      f"program's folder ({lonely}/)\nPress any key to continue\n")
            assert status == 1, f"with no Resources the game ended with status {status}\n{game.diagnostics()}"
            assert game.output() == looked.encode(), f"the game printed {game.output()!r}"
        assert sorted(os.listdir(elsewhere.path)) == ["bin"], f"the working folder holds {os.listdir(elsewhere.path)}"


def closed_standard_streams_never_end_the_game():
    # "New Game" prints ten maps into nothing while writing them; Escape ends the game well, with its save
    # written and nothing else left behind. With a stream closed, no file or connection of the game's (SDL's
    # to the display, say) may take its number.
    old = b"old level\r\n"
    starts = {"a standard output whose reader is gone": CLOSED_STDOUT, "0<&- 1>&- 2>&-": closing(0, 1, 2),
              "1>&-": closing(1)}
    with Display() as display:
        for how, prefix in starts.items():
            with Workdir(RESOURCES, settings=WINDOWED, files={n: old for n in LEVEL_NAMES}) as work, \
                    Game(display, BINARY, work, prefix=prefix) as game:
                try:
                    game.find_window()
                    game.move(*EMPTY)

                    def all_new():
                        game.alive()
                        return all(work.read(n) != old for n in LEVEL_NAMES)

                    # "New Game" is selected at start.
                    game.press("Return", all_new, "ten new levels")
                    work.levels()  # each checked for its form
                    game.escape()
                    assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"
                    files = sorted(os.listdir(work.data_path()))
                    expected = sorted(["SaveData.bin", "Settings.ini", *LEVEL_NAMES])
                    assert files == expected, f"Resources/Data holds {files}"
                except AssertionError as e:
                    raise AssertionError(f"started with {how}: {e}") from None


def a_file_size_limit_never_ends_the_game():
    # Under a limit of FILE_LIMIT bytes a file the game writes stops growing there: Settings.ini and the save
    # fit, a level file only when its map is small, and what the game prints stops at the limit.
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED) as work:
        with Game(display, BINARY, work, prefix=LIMITED) as game:
            game.find_window()
            game.move(*EMPTY)
            # "New Game" is selected at start; the maps it prints while writing them reach the limit.
            game.press("Return", lambda: game.alive() or len(game.output()) >= FILE_LIMIT,
                       "the printed maps up to the limit")
            game.escape()
        out = game.output()
        assert len(out) == FILE_LIMIT and re.match(rb"[01]{40,150}\n", out), f"the game printed {out[:200]!r}"
        names = set(os.listdir(work.data_path()))
        assert names <= {"SaveData.bin", "Settings.ini", *LEVEL_NAMES}, f"Resources/Data holds {sorted(names)}"
        assert work.read("Settings.ini") == WINDOWED, f"Settings.ini is {work.read('Settings.ini')!r}"
        assert work.read("SaveData.bin") == bytes(8), "SaveData.bin was not written at exit"
        for name in sorted(names & set(LEVEL_NAMES)):
            harness.check_level_file(name, work.read(name))


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


def the_display_going_away_ends_the_game_with_its_exit_save():
    # The X server killed under the game in its menu: Xlib's own handler ends the process (with status 1),
    # and the save is written all the same, cut back to its 8 bytes.
    stored = bytes(range(1, 9))
    with Display() as display, Workdir(RESOURCES, settings=WINDOWED, savedata=stored + b"tail") as work:
        with Game(display, BINARY, work) as game:
            game.open_menu()
            display.xvfb.kill()
            status = game.wait_exit()
            assert status == 1, f"the display going away ended the game with status {status}\n{game.diagnostics()}"
            assert work.read("SaveData.bin") == stored, f"SaveData.bin is {work.read('SaveData.bin')!r}"


harness.run_cases([a_size_no_window_can_have_opens_the_desktop, no_window_at_all_ends_the_game,
                   no_display_reached_ends_the_game_writing_nothing, a_failing_sound_system_keeps_the_picture,
                   started_from_another_folder_plays_from_its_own,
                   closed_standard_streams_never_end_the_game, a_file_size_limit_never_ends_the_game,
                   a_closed_terminal_ends_the_game_with_its_exit_save,
                   the_display_going_away_ends_the_game_with_its_exit_save])
