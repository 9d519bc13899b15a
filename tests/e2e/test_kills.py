"""The game killed outright (SIGKILL) at random moments while it writes its files: during a slider drag,
which rewrites Settings.ini at every update, and during "New Game", which writes ten level files. Whatever
the moment, every Settings.ini and level file left behind must be whole: the old one or the new one, never
a torn or empty file. The moments are drawn from a seeded generator; the seed is printed and can be given
back through QUARROW_KILL_SEED to replay a failing series."""

import os
import random
import re
import subprocess
import threading
import time

import harness
from harness import Display, Game, SettingsReader, Workdir, settings_text, settings_values

BINARY, RESOURCES = harness.arguments()

SEED = int(os.environ.get("QUARROW_KILL_SEED", str(time.time_ns() % 1_000_000_007)))
print(f"kill moments drawn with QUARROW_KILL_SEED={SEED}", flush=True)

W, H = 1000, 800
MUSIC_SLIDER = harness.options_controls((W, H))[0]
BAR_LEFT = 550  # the music slider's bar spans 550..650: the value is the pointer's offset from 550
SLIDER_RUNS = 20
NEW_GAME_RUNS = 20

# A kill between making a file's uniquely named temporary copy and renaming it over the file leaves that
# copy behind (NAME.tmp., the game's process number, a dot and six letters or digits); it never takes the
# file's own name. The next game removes it as it starts.
LEFTOVER = re.compile(r"(Settings\.ini|level\d\.level)\.tmp\.(\d+)\.[A-Za-z0-9]{6}")


def data_files(work, killed):
    """The files in Resources/Data, but for temporary copies the game just killed (process `killed`) left
    behind; any an earlier killed game left must be gone, removed by the start of the game after it."""
    names = os.listdir(work.data_path())
    stale = [n for n in names if (m := LEFTOVER.fullmatch(n)) and int(m.group(2)) != killed]
    assert not stale, f"leftovers of earlier games in Resources/Data: {stale}"
    return {n for n in names if not LEFTOVER.fullmatch(n)}


def slider_drag_killed():
    rng = random.Random(SEED)
    changed = reads = 0
    with Display() as display, Workdir(RESOURCES, settings=settings_text(37, 64, W, H, False)) as work:
        for run in range(SLIDER_RUNS):
            before = work.read("Settings.ini")
            old = settings_values(before)
            assert old is not None, f"run {run}: Settings.ini is not in its six-line form at the start: {before!r}"
            first = rng.choice([v for v in range(0, 101) if v != old[0]])
            delay = rng.uniform(0.0, 0.5)
            pointer = random.Random(f"{SEED}/{run}")  # how many moves fit before the kill varies
            with Game(display, BINARY, work) as game:
                game.open_menu()
                game.open_options((W, H))
                visited = {first}
                game.move(BAR_LEFT + first, MUSIC_SLIDER[1])
                watcher = SettingsReader(work)
                watcher.start()
                display.mouse_down()
                try:
                    # The drag is live once the file holds the value under the pointer; from then on the
                    # file is rewritten at every update, and the kill comes at a random moment among them.
                    harness.poll_until(lambda: watcher.bad or watcher.music == first, 30,
                                       f"run {run}: MusicVolume={first} in Settings.ini after the press", 0.005)
                    timer = threading.Timer(delay, game.proc.kill)
                    timer.start()
                    try:
                        while game.proc.poll() is None and not watcher.bad:
                            value = pointer.randrange(0, 101)
                            visited.add(value)
                            display.run("xdotool", "mousemove", "--window", game.window,
                                        str(BAR_LEFT + value), str(MUSIC_SLIDER[1]), check=False)
                    finally:
                        timer.join()
                finally:
                    display.mouse_up()
                    watcher.halt()
                assert not watcher.bad, f"run {run}: Settings.ini read while being rewritten: {watcher.bad[0]!r}"
                game.reap_killed()
            reads += watcher.reads
            after = work.read("Settings.ini")
            got = settings_values(after)
            assert got is not None, f"run {run}: Settings.ini torn by the kill: {after!r}"
            assert got[1:] == old[1:], f"run {run}: the kill changed other settings: {got} after {old}"
            assert got[0] in visited, f"run {run}: MusicVolume={got[0]} is none of the values dragged over"
            left = data_files(work, game.proc.pid)
            assert left == {"Settings.ini"}, f"run {run}: Resources/Data holds {sorted(left)}"
            changed += after != before
    print(f"{SLIDER_RUNS} kills during a drag, Settings.ini read {reads} times meanwhile; "
          f"it changed in {changed} of the runs", flush=True)


def identity(path):
    st = os.stat(path) if os.path.exists(path) else None
    return st and (st.st_ino, st.st_mtime_ns, st.st_size)


def new_game_killed():
    rng = random.Random(SEED + 1)
    tally = {"before": 0, "during": 0, "after": 0}
    allowed = set(harness.LEVEL_NAMES) | {"Settings.ini"}
    with Display() as display, Workdir(RESOURCES, settings=settings_text(100, 100, W, H, False)) as work:
        level0 = work.data_path("level0.level")
        for run in range(NEW_GAME_RUNS):
            old = {n: identity(work.data_path(n)) for n in harness.LEVEL_NAMES}
            with Game(display, BINARY, work) as game:
                game.open_menu()
                # Generation starts within two updates (about 20 ms) of the press reaching the game, so the
                # moments are counted from the press itself; xdotool takes some milliseconds to send it.
                press = subprocess.Popen(["xdotool", "keydown", "Return"], env=display.env,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    if run % 2:
                        # Right after the first new file is in place, while the other nine are written.
                        harness.poll_until(lambda: identity(level0) != old["level0.level"], 30,
                                           f"run {run}: a new level0.level", 0)
                        end = time.perf_counter() + rng.uniform(0.0, 0.001)
                        while time.perf_counter() < end:
                            pass
                    else:
                        # A moment drawn at random, not a wait: before, among or after the ten files.
                        time.sleep(rng.uniform(0.0, 0.06))
                    game.proc.kill()
                finally:
                    press.wait(timeout=harness.TOOL_TIMEOUT)
                    display.run("xdotool", "keyup", "Return")
                game.reap_killed()
            rewritten = []
            for n in harness.LEVEL_NAMES:
                if not work.exists(n):
                    assert old[n] is None, f"run {run}: {n} disappeared"
                    continue
                harness.check_level_file(f"run {run}: {n}", work.read(n))
                if identity(work.data_path(n)) != old[n]:
                    rewritten.append(n)
            # The files are written in order, so the new ones are always the first few.
            assert rewritten == harness.LEVEL_NAMES[: len(rewritten)], f"run {run}: new files {rewritten} are not a prefix"
            left = data_files(work, game.proc.pid)
            assert left <= allowed, f"run {run}: Resources/Data holds {sorted(left)}"
            assert settings_values(work.read("Settings.ini")), f"run {run}: Settings.ini is {work.read('Settings.ini')!r}"
            tally["before" if not rewritten else "during" if len(rewritten) < 10 else "after"] += 1
    print(f"{NEW_GAME_RUNS} kills around New Game: {tally['before']} before the first file, "
          f"{tally['during']} between files, {tally['after']} after the last", flush=True)
    assert tally["during"] > 0, "no kill landed while the level files were being written"


harness.run_cases([slider_drag_killed, new_game_killed])
