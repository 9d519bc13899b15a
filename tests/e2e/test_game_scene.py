"""New Game, Continue and the game scene in a real 1000 x 800 window: the ten level files, the map drawn
around the player under the camera, one-tile moves under the arrow keys, and which level file the scene
shows. What New Game prints is checked whole by test_files.py, on the log of a killed game."""

import os

import harness
from harness import Display, Game, Workdir, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
START = (1, 1)  # the player's start cell: map position (12.5 + 128, 128)
LEFT, UP, RIGHT, DOWN = harness.LEFT, harness.UP, harness.RIGHT, harness.DOWN
KEYS = {LEFT: "Left", UP: "Up", RIGHT: "Right", DOWN: "Down"}
SETTINGS = settings_text(100, 100, W, H, False)
MAX_BAD = 50  # the scene is drawn pixel for pixel; allow a few stray pixels, never a misplaced sprite


def resting(art, rows, cell, facing, frames=range(4)):
    """The window with the player resting on `cell`, facing `facing`: one picture per animation frame."""
    return [harness.scene_picture(art, rows, cell, (W, H), facing, f) for f in frames]


def shows(game, pictures):
    """Whether the window shows one of the pictures, but for at most MAX_BAD stray pixels."""
    img = game.shot()
    return any(harness.picture_differences(img, p, limit=MAX_BAD)[0] <= MAX_BAD for p in pictures)


def step(cell, facing):
    dx, dy = {LEFT: (-1, 0), UP: (0, -1), RIGHT: (1, 0), DOWN: (0, 1)}[facing]
    return cell[0] + dx, cell[1] + dy


def floor(rows, cell):
    c, r = cell
    return 0 <= r < len(rows) and 0 <= c < len(rows[r]) and rows[r][c] == "1"


def walk_until_stopped(game, art, rows, cell):
    """Hold an arrow key toward a run of two or more floor cells that ends in a wall: the player walks tile
    after tile on one press and stops on the last floor cell, where he rests once the key is let go."""
    runs = {}
    for facing in (DOWN, RIGHT, UP, LEFT):
        path = [cell]
        while floor(rows, step(path[-1], facing)) and len(path) <= 20:
            path.append(step(path[-1], facing))
        runs[facing] = path
    facing = next((f for f, path in runs.items() if 3 <= len(path) <= 20), None)
    assert facing is not None, f"no run of 2 to 19 floor cells from {cell} on this map: {runs}"
    end = runs[facing][-1]
    at_end = resting(art, rows, end, facing)
    game.press(KEYS[facing], lambda: shows(game, at_end), f"the player walking {KEYS[facing]} to cell {end}",
               timeout=120)
    harness.stays(lambda: shows(game, at_end), 1.0,
                  f"the player resting on cell {end} after walking {len(runs[facing]) - 1} tiles")


def new_game_levels_and_moves():
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS) as work, Game(display, BINARY, work) as game:
        art = harness.SceneArt(work)
        game.open_menu()
        game.press("Return", work.has_levels, "level0.level .. level9.level after New Game")
        rows = [row.decode("ascii") for row in work.levels()[0]]
        start = game.wait_picture(resting(art, rows, START, DOWN, (0,)), "the game scene after New Game",
                                  allowed=MAX_BAD)
        work.keep_shot(start, "game_scene_start.png")

        # A press toward open floor, let go as soon as the player moves: exactly one move of one tile,
        # finished after the release, then the player rests there with the view one tile on.
        facing = next(f for f in (RIGHT, DOWN, LEFT, UP) if floor(rows, step(START, f)))
        cell = step(START, facing)
        game.press(KEYS[facing], lambda: game.shot().data != start.data, "the player to start moving")
        resting_there = resting(art, rows, cell, facing)
        moved = game.wait_picture(resting_there, f"one move {KEYS[facing]} to cell {cell}", allowed=MAX_BAD)
        work.keep_shot(moved, "game_scene_one_move.png")
        harness.stays(lambda: shows(game, resting_there), 1.5,
                      f"the player resting on cell {cell} after a single short press")
        walk_until_stopped(game, art, rows, cell)
        game.escape()


# A level as "New Game" writes them: CR LF line ends, 40 x 40, the start and a diagonal pattern of floor.
LEVEL_ROWS = ["".join("1" if (c, r) == START or (c + 2 * r) % 5 == 0 else "0" for c in range(38)) + "00"
              for r in range(38)] + ["0" * 40] * 2
LEVEL = "".join(row + "\r\n" for row in LEVEL_ROWS).encode("ascii")


def continue_shows_the_level_on_disk():
    # Continue plays level0.level as it is: nothing is generated, printed or changed.
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS, files={"level0.level": LEVEL}) as work:
        art = harness.SceneArt(work)
        with Game(display, BINARY, work) as game:
            picture = resting(art, LEVEL_ROWS, START, DOWN, (0,))
            game.open_menu()
            game.select("Up", harness.menu_entry(0, (W, H)), '"Continue" selected')
            game.press("Return", lambda: shows(game, picture), "the game scene after Continue")
            game.escape()
        assert game.output() == b"", f"Continue printed {game.output()[:300]!r}"
        files = sorted(os.listdir(work.data_path()))
        assert files == ["SaveData.bin", "Settings.ini", "level0.level"], f"Resources/Data holds {files}"
        assert work.read("level0.level") == LEVEL, "Continue changed level0.level"


harness.run_cases([new_game_levels_and_moves, continue_shows_the_level_on_disk])
