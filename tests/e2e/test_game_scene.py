"""New Game, Continue and the game scene in a real 1000 x 800 window: the ten level files and what the game
prints about them, the map drawn around the player under the camera, one-tile moves under the arrow keys,
and which level file the scene shows."""

import collections

import harness
from harness import Display, Game, Workdir, is_green_tint, settings_text

BINARY, RESOURCES = harness.arguments()

W, H = 1000, 800
TILE = harness.TILE
START = (1, 1)  # the player's start cell: map position (12.5 + 128, 128)
LEFT, UP, RIGHT, DOWN = harness.LEFT, harness.UP, harness.RIGHT, harness.DOWN
EMPTY = (5, 5)
SETTINGS = settings_text(100, 100, W, H, False)
LEVEL_NAMES = [f"level{n}.level" for n in range(10)]


# ----------------------------------------------------------------------------------------------------------
# What the scene should look like


def scene_picture(art, rows, cell, facing=None, frame=0):
    return harness.scene_picture(art, rows, cell, (W, H), facing, frame)


MAX_BAD = 50  # the scene is drawn pixel for pixel; allow a few stray pixels, never a misplaced sprite


def matches(img, expected):
    return harness.picture_differences(img, expected, limit=MAX_BAD)[0] <= MAX_BAD


def wait_scene(game, art, rows, cell, facing, frames=(0,), what="the game scene"):
    """Wait until the window shows the map with the player resting on `cell`, facing `facing` on one of
    the given animation frames; return the screenshot."""
    pictures = [scene_picture(art, rows, cell, facing, f) for f in frames]
    return game.wait_picture(pictures, f"{what} (the player on cell {cell})", allowed=MAX_BAD, timeout=10)


# ----------------------------------------------------------------------------------------------------------
# Level files


def read_level(work, name):
    """The rows of a generated level file, checked for its shape."""
    return [row.decode("ascii") for row in harness.check_level_file(name, work.read(name))]


def check_generated_level(name, rows):
    height, width = len(rows), len(rows[0])
    assert rows[0][0] == "1" and rows[1][1] == "1", f"{name}: cells (0, 0) and (1, 1) must be floor"
    for r in range(height):
        assert rows[r][-2:] == "00", f"{name}: the last two columns must be solid (row {r})"
    assert rows[-1] == rows[-2] == "0" * width, f"{name}: the last two rows must be solid"
    # Every floor cell can be reached from the start.
    floor = {(c, r) for r in range(height) for c in range(width) if rows[r][c] == "1"}
    seen, todo = {START}, collections.deque([START])
    while todo:
        c, r = todo.popleft()
        for n in ((c + 1, r), (c - 1, r), (c, r + 1), (c, r - 1)):
            if n in floor and n not in seen:
                seen.add(n)
                todo.append(n)
    assert seen == floor, f"{name}: {len(floor) - len(seen)} floor cells cannot be reached from the start"


def expected_console(levels):
    """Each map as printed (LF line ends), followed by its room list."""
    text = []
    for rows in levels:
        text.extend(row + "\n" for row in rows)
        across, down = len(rows[0]) // 10, len(rows) // 10
        k = 1
        for j in range(down):
            for i in range(across):
                text.append(f"room {k}: {10 * i}, {10 * j}\n")
                k += 1
    return "".join(text)


def open_menu(game):
    game.wait_window()
    game.move(*EMPTY)
    game.wait_shot(lambda img: img.bbox(is_green_tint), what="the main menu")


def choose(game, entry):
    """From a freshly shown menu ("New Game" selected) carry out "New Game" or "Continue" by keyboard."""
    if entry == "Continue":
        game.key("Up")
        game.wait_selected((0.5 * W, 0.6 * H), '"Continue" selected')
    game.key("Return")


def escape(game):
    game.key("Escape")
    status = game.wait_exit()
    assert status == 0, f"Escape ended the game with status {status}\n{game.diagnostics()}"


def step(cell, facing):
    dx, dy = {LEFT: (-1, 0), UP: (0, -1), RIGHT: (1, 0), DOWN: (0, 1)}[facing]
    return cell[0] + dx, cell[1] + dy


def floor(rows, cell):
    c, r = cell
    return 0 <= r < len(rows) and 0 <= c < len(rows[r]) and rows[r][c] == "1"


# ----------------------------------------------------------------------------------------------------------
# Cases

state = {}


def new_game_levels_and_moves():
    work = Workdir(RESOURCES, settings=SETTINGS)
    state["work"] = work
    art = harness.SceneArt(work)
    with Display() as display, Game(display, BINARY, work) as game:
        open_menu(game)
        choose(game, "New Game")
        harness.poll_until(lambda: all(work.exists(n) for n in LEVEL_NAMES), 15, "level0.level .. level9.level")
        levels = []
        for name in LEVEL_NAMES:
            rows = read_level(work, name)
            check_generated_level(name, rows)
            levels.append(rows)
        rows = levels[0]

        start = wait_scene(game, art, rows, START, DOWN, what="the game scene after New Game")
        work.keep_shot(start, "game_scene_start.png")
        state["start_shot"] = start
        state["levels"] = {n: work.read(n) for n in LEVEL_NAMES}

        # A short press toward open floor: exactly one move of one tile, then the player rests there.
        facing = next(f for f in (RIGHT, DOWN, LEFT, UP) if floor(rows, step(START, f)))
        key = {LEFT: "Left", UP: "Up", RIGHT: "Right", DOWN: "Down"}[facing]
        cell = step(START, facing)
        game.key(key)
        moved = wait_scene(game, art, rows, cell, facing, range(4), what=f"one move {key}")
        work.keep_shot(moved, "game_scene_one_move.png")
        # The view shifted by exactly one tile: the map part of the old picture, moved by 128 pixels.
        dx, dy = (START[0] - cell[0]) * TILE, (START[1] - cell[1]) * TILE
        for y in range(max(0, dy), min(H, H + dy)):
            if H // 2 - TILE <= y < H // 2 + art.player_h + TILE:
                continue  # the player's frame, old and new
            x0, x1 = max(0, dx), min(W, W + dx)
            assert moved.row(y, x0, x1) == start.row(y - dy, x0 - dx, x1 - dx), (
                f"window row {y} is not the previous picture shifted by ({dx}, {dy})"
            )
        resting_there = [scene_picture(art, rows, cell, facing, f) for f in range(4)]
        harness.stays(
            lambda: any(matches(game.shot(), p) for p in resting_there), 1.5,
            f"the player resting on cell {cell} after a single short press",
        )

        # Holding a key walks tile after tile at 150 pixels per second: a 2 s hold makes 2 or 3 moves.
        path = [cell]
        while len(path) < 5 and floor(rows, step(path[-1], DOWN)):
            path.append(step(path[-1], DOWN))
        assert len(path) >= 4, "expected three floor cells below the player in the first room"
        game.hold_key("Down", 2.0)

        resting_pictures = [[scene_picture(art, rows, c, DOWN, f) for f in range(4)] for c in path]

        def resting(img):
            for k, pictures in enumerate(resting_pictures):
                if any(matches(img, p) for p in pictures):
                    return k + 1
            return None

        # The move under way at the release is finished, not cut short; the player may also pass a cell
        # in the very frame a screenshot is taken, so the cell must be the same in two shots running.
        moves = harness.poll_settled(lambda: resting(game.shot()), 8, "the player resting on a cell below", 0.1)
        moves -= 1
        assert moves in (2, 3), f"holding Down for 2 s made {moves} one-tile moves, expected 2 or 3"
        escape(game)

    out = game.output().decode("latin-1")
    expected = expected_console(levels)
    assert expected in out, (
        "standard output does not hold the ten maps each followed by its room list; "
        f"it starts {out[:300]!r}"
    )
    first_rooms = [line for line in out.splitlines() if line.startswith("room ")][:2]
    assert first_rooms == ["room 1: 0, 0", "room 2: 10, 0"], f"first room lines are {first_rooms}"


def continue_shows_the_same_level():
    work = state.get("work")
    try:
        assert work and "start_shot" in state, "needs the New Game case to have run"
        with Display() as display, Game(display, BINARY, work) as game:
            open_menu(game)
            choose(game, "Continue")
            art = harness.SceneArt(work)
            rows = read_level(work, "level0.level")
            img = wait_scene(game, art, rows, START, DOWN, what="the game scene after Continue")
            first = state["start_shot"]
            same = sum(1 for y in range(H) if img.row(y) == first.row(y))
            assert same == H, f"{H - same} window rows differ from the start of the first run"
            escape(game)
        out = game.output()
        assert b"room " not in out, "Continue generated levels"
        for name, data in state["levels"].items():
            assert work.read(name) == data, f"Continue changed {name}"
    finally:
        if work:
            work.remove()


# A hand-made level: LF line ends, 12 x 10, floor on a diagonal pattern and at the start.
HAND_ROWS = [
    "".join("1" if (c, r) == START or (c + 2 * r) % 5 == 0 else "0" for c in range(12)) for r in range(10)
]
HAND_LEVEL = ("\n".join(HAND_ROWS) + "\n").encode("ascii")


def hand_made_level0_and_new_game():
    # A hand-made Level0.level is played by Continue; after New Game the generated level0.level is played,
    # on New Game and on every later Continue, although the hand-made file is still there.
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS, files={"Level0.level": HAND_LEVEL}) as work:
        art = harness.SceneArt(work)
        with Game(display, BINARY, work) as game:
            open_menu(game)
            choose(game, "Continue")
            wait_scene(game, art, HAND_ROWS, START, DOWN, what="the hand-made Level0.level")
            escape(game)
        with Game(display, BINARY, work) as game:
            open_menu(game)
            choose(game, "New Game")
            harness.poll_until(lambda: work.exists("level9.level"), 15, "level9.level")
            rows = read_level(work, "level0.level")
            wait_scene(game, art, rows, START, DOWN, what="the generated level0.level after New Game")
            escape(game)
        with Game(display, BINARY, work) as game:
            open_menu(game)
            choose(game, "Continue")
            wait_scene(game, art, rows, START, DOWN, what="the generated level0.level on Continue")
            escape(game)
        assert work.read("Level0.level") == HAND_LEVEL, "the hand-made Level0.level was changed"


harness.run_cases([new_game_levels_and_moves, continue_shows_the_same_level, hand_made_level0_and_new_game])
