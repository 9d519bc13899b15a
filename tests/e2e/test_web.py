"""The web build in headless Chromium, served from this machine's loopback: its main menu against the Linux
build's pixels, Options and Apply taking the canvas to the new size, New Game printing every line to the page
and keeping the ten levels, the player walking, Escape ending the game with its exit save, reloads straight
after New Game and after Apply losing nothing, the exit save of a page left, the desktop's walking pace, and a
browser that refuses the page its storage still playing.
The player's files are read from the page origin's IndexedDB, where the page keeps them."""

import random
import time

import harness
from browser import Browser, Page, Server
from harness import Display, Game, Workdir, settings_text

PAGE_DIR, RESOURCES, LINUX_GAME = harness.arguments("PAGE_DIR RESOURCES_DIR LINUX_GAME")

(W, H), NEW, SETTINGS = harness.PORT_SIZE, harness.PORT_NEW, harness.PORT_SETTINGS
SAVE_BYTES, START, MAX_BAD = harness.PORT_SAVE, harness.PORT_START, harness.PORT_BAD
# A corridor along row 1 from the start cell to column 148, with floor cells at random above and below it, so that
# the view around each cell of it is its own.
_MARKS = random.Random(7)
CORRIDOR = [f"0{''.join(_MARKS.choice('01') for _ in range(148))}0" if row in (0, 2) else
            "0" + "1" * 148 + "0" if row == 1 else "0" * 150 for row in range(40)]
HOLD = 10  # seconds with Right held: some eleven tiles


def linux_menu():
    """The Linux build's fresh main menu at W x H, drawn by SDL's software renderer, and the scene's art."""
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS) as work:
        with Game(display, LINUX_GAME, work, env={"SDL_RENDER_DRIVER": "software"}) as linux:
            return linux.open_menu(), harness.SceneArt(work)


def tiles_walked(game, art):
    """From the fresh main menu at W x H with CORRIDOR stored as the first level: Continue, then Right held for
    HOLD seconds; (tiles walked, seconds held), the tiles counted once the player has come to rest."""
    game.open_menu()
    game.select("Up", harness.menu_entry(0, (W, H)), '"Continue"')
    start = harness.scene_picture(art, CORRIDOR, START, (W, H), harness.DOWN)
    game.press("Return", lambda: harness.picture_differences(game.shot(), start, limit=MAX_BAD)[0] <= MAX_BAD,
               "the corridor's scene")
    began = time.monotonic()
    game.press("Right", lambda: time.monotonic() - began >= HOLD, "the time to pass", timeout=HOLD + 30)
    held = time.monotonic() - began

    def resting():
        img = game.shot()
        return next((cell - START[0] for cell in range(START[0] + 1, 149) for frame in range(4)
                     if harness.picture_differences(img, harness.scene_picture(
                         art, CORRIDOR, (cell, START[1]), (W, H), harness.RIGHT, frame), limit=MAX_BAD)[0] <= MAX_BAD),
                    None)

    return harness.poll_until(resting, 30, "the player at rest on the corridor", test=lambda n: n is not None), held


def walks_at_the_desktops_pace():
    level = "".join(row + "\r\n" for row in CORRIDOR).encode("ascii")
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS, files={"Level0.level": level}) as work:
        art = harness.SceneArt(work)
        with Game(display, LINUX_GAME, work, env={"SDL_RENDER_DRIVER": "software"}) as linux:
            desktop, desktop_held = tiles_walked(linux, art)
    with Server(PAGE_DIR) as server, Browser() as browser:
        browser.driver.get(server.url)
        browser.store({"Settings.ini": SETTINGS, "Level0.level": level})
        with Page(browser, server.url + "quarrow.html") as game:
            web, web_held = tiles_walked(game, art)
            # Left at once for another page: the exit save, which no file held before, is there at the next start.
            browser.driver.get(server.url)
            browser.driver.get(game.url)
            game.find_window()
            game.wait_stored(lambda f: len(f.get("SaveData.bin", b"")) == 8, "the exit save of the page left")
    # The same tiles a second within 5 %, or a tile where 5 % is less: a walk ends on whole tiles.
    expected = desktop * web_held / desktop_held
    print(f"desktop: {desktop} tiles in {desktop_held:.2f} s; browser: {web} tiles in {web_held:.2f} s")
    assert abs(web - expected) <= max(1.0, 0.05 * expected), (
        f"the browser walked {web} tiles in {web_held:.2f} s, the desktop {desktop} in {desktop_held:.2f} s")


def plays_in_chromium():
    menu, art = linux_menu()
    with Server(PAGE_DIR) as server, Browser() as browser:
        # The origin's storage laid out as a player's earlier game left it, from a page of the origin's own.
        browser.driver.get(server.url)
        browser.store({"Settings.ini": SETTINGS, "SaveData.bin": SAVE_BYTES})
        with Page(browser, server.url + "quarrow.html") as game:
            game.open_menu()
            # SDL's OpenGL ES renderer draws the menu's textures as the software renderer does, pixel for pixel.
            game.wait_picture([menu], "the main menu with the Linux build's very pixels", tol=0)

            harness.apply_next_resolution(game, (W, H), lambda: game.geometry()[2:] == NEW,
                                          f"a {NEW[0]} x {NEW[1]} canvas")
            game.select("Down", harness.options_controls(NEW)[5], '"Back"')
            game.select("Return", harness.menu_entry(2, NEW), '"Options" in the main menu')
            files = game.wait_stored(lambda f: harness.settings_values(f.get("Settings.ini")) == (100, 100, *NEW, 0),
                                     f"Settings.ini stored with {NEW[0]} x {NEW[1]}")
            assert files["Settings.ini"] == settings_text(100, 100, *NEW, False), files["Settings.ini"]

            # A reload straight after Apply finds the new size.
            game.reload()
            game.open_menu()
            assert game.geometry()[2:] == NEW, f"the canvas after a reload is {game.geometry()[2:]}"

            # New Game (selected in the fresh menu): the ten levels stored and every line printed; a reload
            # straight after loses none.
            game.press("Return", lambda: len(game.printed()) > 0 and game.printed()[-1].startswith("room"),
                       "New Game's maps printed")
            output = game.output()
            game.reload()
            game.find_window()
            files = browser.files()
            levels = [harness.check_level_file(name, files.get(name, b"")) for name in harness.LEVEL_NAMES]
            # Every line printed reached the page, the maps byte for byte as on the desktop.
            assert output == harness.printed_levels(levels), f"the lines printed differ: {output[:400]!r}"

            # Continue shows the stored first level; holding Right walks the player one tile on.
            game.open_menu(NEW)
            game.select("Up", harness.menu_entry(0, NEW), '"Continue"')
            rows = [row.decode("ascii") for row in levels[0]]
            game.press("Return", lambda: not harness.near(harness.green_centre(game.shot()), harness.menu_entry(0, NEW)),
                       "the game scene")
            harness.walk_one_tile_right(game, art, rows, START, NEW, MAX_BAD)

            # Escape ends the game with its exit save, stored; the page offers to start again.
            game.escape()
            game.wait_stored(lambda f: f.get("SaveData.bin") == SAVE_BYTES and len(f) == 12,
                             "the exit save stored beside the settings and the ten levels")
            assert browser.driver.find_element("id", "ended").is_displayed(), "the page offers no new start"


def storage_refused_still_plays():
    with Server(PAGE_DIR) as server, Browser(storage=False) as browser:
        with Page(browser, server.url + "quarrow.html") as game:
            game.open_menu()
            told = [line for line in game.printed() if line.startswith("Nothing will be kept")]
            assert len(told) == 1, f"the refused storage told {len(told)} times: {game.printed()}"
            game.press("Return", lambda: any(line.startswith("room") for line in game.printed()), "New Game")
            assert not browser.files(), "files were kept in refused storage"


harness.run_cases([plays_in_chromium, walks_at_the_desktops_pace, storage_refused_still_plays])
