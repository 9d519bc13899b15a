"""The player's files through the running game: two games saving the same Settings.ini at once, and the log
of a game killed right after "New Game". The game must never tear what it writes, and keep its log whole."""

import os

import harness
from harness import Display, Game, Workdir, options_controls, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
PLAYER_W, PLAYER_H = 100, 128  # each 25 x 32 frame is drawn at the whole sheet's size


def two_games_saving_at_once():
    # Two games on two screens share one work dir. With a volume slider held down, each saves
    # Settings.ini at every update; a reader must only ever find one game's whole file or the other's.
    w, h = 640, 480
    bar_x, bar_y = options_controls((w, h))[0]
    bar_left = bar_x - 50  # the music slider's value is the pointer's offset from its bar's left end
    with Display() as one, Display() as two, Workdir(RESOURCES, settings=settings_text(50, 50, w, h, False)) as work:
        with Game(one, BINARY, work, name="first") as first, Game(two, BINARY, work, name="second") as second:
            for game in (first, second):
                game.open_menu()
                game.open_options((w, h))
            reader = harness.SettingsReader(work)
            # The first game's music slider is held at 10..30, the second's at 70..90.
            first.move(bar_left + 10, bar_y)
            second.move(bar_left + 90, bar_y)
            step = [0]

            def turns():
                step[0] += 1
                first.move(bar_left + 10 + step[0] % 21, bar_y)
                second.move(bar_left + 90 - step[0] % 21, bar_y)
                seen = reader.seen
                return reader.bad or sum(1 for a, b in zip(seen, seen[1:]) if (a < 50) != (b < 50)) >= 10

            reader.start()
            one.mouse_down()
            two.mouse_down()
            try:
                harness.poll_until(turns, 120, "the two games' saves to take turns ten times", 0.05)
            finally:
                one.mouse_up()
                two.mouse_up()
                reader.halt()
            assert not reader.bad, f"a read of Settings.ini found {reader.bad[0]!r}"
            print(f"Settings.ini read {reader.reads} times; the two games' saves took turns", flush=True)
            for game in (first, second):
                game.frames()
                game.escape()
        final = work.settings()
        dragged_to = final and (final[0] <= 30 or final[0] >= 70)
        assert dragged_to and final[1:] == (50, w, h, 0), f"Settings.ini is {work.read('Settings.ini')!r}"
        files = sorted(os.listdir(work.data_path()))
        assert files == ["SaveData.bin", "Settings.ini"], f"Resources/Data holds {files}"


def killed_game_log_is_whole():
    with Display() as display, Workdir(RESOURCES, settings=settings_text(10, 20, W, H, False)) as work:
        art = harness.SceneArt(work)
        with Game(display, BINARY, work) as game:
            game.open_menu()
            game.press("Return", lambda: work.exists("level9.level"), "level9.level")
            rows = harness.check_level_file("level0.level", work.read("level0.level"))
            expected = harness.scene_picture(art, rows, (1, 1), (W, H))
            # The first level on screen: the maps and room lists have all been printed by then.
            game.wait_picture([expected], "the first level", skip=(W // 2, H // 2, PLAYER_W, PLAYER_H))
            game.proc.kill()
            game.reap_killed()
            out = game.output()
        expected = harness.printed_levels(work.levels())
        at = next((i for i, (a, b) in enumerate(zip(out, expected)) if a != b), min(len(out), len(expected)))
        assert out == expected, (f"the killed game's log ({len(out)} bytes) is not the ten maps and room lists it "
                                 f"printed ({len(expected)} bytes); from byte {at}: {out[at:at + 60]!r} instead of "
                                 f"{expected[at:at + 60]!r}")


harness.run_cases([two_games_saving_at_once, killed_game_log_is_whole])
