"""The web build in headless Chromium, served from this machine's loopback: its main menu against the Linux
build's pixels, Options and Apply taking the canvas to the new size, New Game printing every line to the page
and keeping the ten levels, the player walking, Escape ending the game with its exit save, reloads straight
after New Game and after Apply losing nothing, the exit save of a page left, the desktop's walking pace, and a
browser that refuses the page its storage still playing; spoilt storage skipped, a copy of the game in another
folder keeping files of its own, a hidden page standing still and playing on when shown, a new picture for each
frame shown with no busy loop between them, a page whose files are not all served saying so.
The player's files are read from the IndexedDB where the page keeps them for its folder."""

import base64
import json
import os
import random
import shutil
import tempfile
import time

import harness
from browser import DATA, Browser, Page, PadPage, Server
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
HIDDEN_SHARE = 0.1  # of a core, the whole browser's while the game's page is hidden
YIELDS_A_FRAME = 4  # at most, of the game's page to the browser for each frame shown
# A bare page: a WebGL canvas cleared (a new picture) for each frame the browser shows.
BARE_PAGE = """const gl = document.body.appendChild(document.createElement("canvas")).getContext("webgl");
const draw = time => { gl.clearColor(time % 1, 0, 0, 1); gl.clear(gl.COLOR_BUFFER_BIT); requestAnimationFrame(draw); };
requestAnimationFrame(draw);"""
# Storage the page did not write: a picture of the game's own, a path that leads out of the player's folder, and
# journal entries of no bytes.
SPOILT = b"BM not a picture"
SPOILT_JOURNAL = {"/Resources/Assets/Button.bmp": {"time": 1e15, "bytes": base64.b64encode(SPOILT).decode()},
                  f"{DATA}/../../x": {"time": 1e15, "bytes": "eA=="}, f"{DATA}/Level0.level": None,
                  f"{DATA}/Level1.level": {"time": 1e15, "bytes": "%%"}}


def linux_menu():
    """The Linux build's fresh main menu at W x H, drawn by SDL's software renderer, and the scene's art."""
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS) as work:
        with Game(display, LINUX_GAME, work, env={"SDL_RENDER_DRIVER": "software"}) as linux:
            return linux.open_menu(), harness.SceneArt(work)


def corridor(game, art):
    """From the fresh main menu at W x H with CORRIDOR stored as the first level: Continue, to its start."""
    game.open_menu()
    game.select("Up", harness.menu_entry(0, (W, H)), '"Continue"')
    start = harness.scene_picture(art, CORRIDOR, START, (W, H), harness.DOWN)
    game.press("Return", lambda: harness.picture_differences(game.shot(), start, limit=MAX_BAD)[0] <= MAX_BAD,
               "the corridor's scene")


def tiles_walked(game, art):
    """From the fresh main menu at W x H with CORRIDOR stored as the first level: Continue, then Right held for
    HOLD seconds; (tiles walked, seconds held), the tiles counted once the player has come to rest."""
    corridor(game, art)
    began = time.monotonic()
    game.press("Right", lambda: time.monotonic() - began >= HOLD, "the time to pass", timeout=HOLD + 30)
    held = time.monotonic() - began
    return tiles_right(game, art), held


def tiles_right(game, art):
    """How many tiles right of the start cell the player has come to rest, facing right, on CORRIDOR."""

    def resting():
        img = game.shot()
        return next((cell - START[0] for cell in range(START[0] + 1, 149) for frame in range(4)
                     if harness.picture_differences(img, harness.scene_picture(
                         art, CORRIDOR, (cell, START[1]), (W, H), harness.RIGHT, frame), limit=MAX_BAD)[0] <= MAX_BAD),
                    None)

    return harness.poll_until(resting, 30, "the player at rest on the corridor", test=lambda n: n is not None)


def walks_at_the_desktops_pace():
    level = "".join(row + "\r\n" for row in CORRIDOR).encode("ascii")
    with Display() as display, Workdir(RESOURCES, settings=SETTINGS, files={"Level0.level": level}) as work:
        art = harness.SceneArt(work)
        with Game(display, LINUX_GAME, work, env={"SDL_RENDER_DRIVER": "software"}) as linux:
            desktop, desktop_held = tiles_walked(linux, art)
    with Server(PAGE_DIR) as server, Browser() as browser:
        browser.driver.get(server.url)
        browser.store({"Settings.ini": SETTINGS, "Level0.level": level})
        browser.count_frames()
        with Page(browser, server.url + "quarrow.html") as game:
            web, web_held = tiles_walked(game, art)
            # Left at once for another page: the exit save, which no file held before, is there at the next start.
            browser.driver.get(server.url)
            browser.driver.get(game.url)
            game.find_window()
            game.wait_stored(lambda f: len(f.get("SaveData.bin", b"")) == 8, "the exit save of the page left")

            # Hidden (another tab in front), the page uses next to no processor time and still writes its exit
            # save (removed by the game first); shown again, the player stands where he was and walks on.
            corridor(game, art)
            browser.driver.execute_script("FS.unlink(arguments[0]); Module.playerFiles.store()", DATA + "/SaveData.bin")
            game.wait_stored(lambda f: "SaveData.bin" not in f, "the save removed")
            shown = browser.driver.current_window_handle
            browser.driver.switch_to.new_window("tab")
            browser.driver.get(server.url)
            used, began = browser.cpu_seconds(), time.monotonic()
            game.wait_stored(lambda f: len(f.get("SaveData.bin", b"")) == 8, "the exit save of the hidden page")
            time.sleep(max(0.0, 8 - (time.monotonic() - began)))
            hidden = (browser.cpu_seconds() - used) / (time.monotonic() - began)
            browser.driver.close()
            browser.driver.switch_to.window(shown)
            harness.walk_one_tile_right(game, art, CORRIDOR, START, (W, H), MAX_BAD)

            # Shown, the page has a new picture for each frame the browser shows, as a bare page has in the same
            # browser, and hands control back to the browser a handful of times a frame at most.
            paced = browser.paced(3)
            browser.driver.get(server.url)
            browser.driver.execute_script(BARE_PAGE)
            bare = browser.paced(3)
    print(f"new pictures a shown frame: {paced['pictures']:.2f} (a bare page: {bare['pictures']:.2f}); yields a second:"
          f" {paced['yields']:.0f} for {paced['frames']:.0f} frames")
    assert paced["pictures"] >= 0.9 or bare["pictures"] < 0.9, f"a new picture in {paced['pictures']:.0%} of the frames"
    assert paced["yields"] <= YIELDS_A_FRAME * paced["frames"], f"{paced['yields']:.0f} yields a second"
    print(f"the browser hidden: {100 * hidden:.1f} % of a core")
    assert hidden < HIDDEN_SHARE, f"the browser used {100 * hidden:.0f} % of a core with the game's page hidden"
    # The same tiles a second within 5 %, or a tile where 5 % is less: a walk ends on whole tiles.
    expected = desktop * web_held / desktop_held
    print(f"desktop: {desktop} tiles in {desktop_held:.2f} s; browser: {web} tiles in {web_held:.2f} s")
    assert abs(web - expected) <= max(1.0, 0.05 * expected), (
        f"the browser walked {web} tiles in {web_held:.2f} s, the desktop {desktop} in {desktop_held:.2f} s")


def plays_in_chromium():
    menu, art = linux_menu()
    with Server(PAGE_DIR) as server, Browser() as browser:
        # The page's storage laid out as a player's earlier game left it, spoilt besides.
        browser.driver.get(server.url)
        browser.store({"Settings.ini": SETTINGS, "SaveData.bin": SAVE_BYTES, "../Assets/Button.bmp": SPOILT})
        browser.driver.execute_script("localStorage.setItem('quarrow-unstored:/', arguments[0])",
                                      json.dumps(SPOILT_JOURNAL))
        with Page(browser, server.url + "quarrow.html") as game:
            game.open_menu()
            # SDL's OpenGL ES renderer draws the menu's textures as the software renderer does, pixel for pixel:
            # none of the game's pictures was replaced.
            game.wait_picture([menu], "the main menu with the Linux build's very pixels", tol=0)
            assert not browser.driver.execute_script("return FS.analyzePath('/x').exists"), "a spoilt journal wrote /x"
            notes = browser.driver.find_element("id", "files").text
            assert "private window forgets" in notes, f"the page says: {notes}"

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
            assert not browser.driver.find_element("id", "failed").is_displayed(), "the page says the game failed"

        # A copy of the game in another folder of the site has files of its own: none of the levels. Two tabs of
        # it share its folder as two copies of the game share one: the levels that one stores outlast the end of
        # the other, opened before.
        def levels(files):
            return [name for name in files if name.endswith(".level")]

        with Page(browser, server.url + "copy/quarrow.html") as older:
            older.open_menu()
            held = browser.driver.execute_script("return FS.readdir(arguments[0])", DATA)
            assert not levels(held), f"the copy's folder holds {held}"
            first = browser.driver.current_window_handle
            browser.driver.switch_to.new_window("tab")
            with Page(browser, older.url) as newer:
                newer.open_menu()
                newer.press("Return", lambda: len(levels(browser.files("/copy/"))) == 10, "New Game's levels stored")
            browser.driver.close()
            browser.driver.switch_to.window(first)
            older.escape()
            harness.poll_until(lambda: browser.files("/copy/"), 30, "the older tab's exit save beside the levels",
                               test=lambda f: len(levels(f)) == 10 and "SaveData.bin" in f)

        # A standard pad plugged into a copy that runs: its D-pad moves the menu, A starts New Game, its stick
        # walks a tile and Back ends the game with its save.
        browser.store({"Settings.ini": SETTINGS}, "/pad/")
        with PadPage(browser, server.url + "pad/quarrow.html") as pad:
            pad.open_menu()
            pad.select("Down", harness.menu_entry(2, (W, H)), '"Options"')
            pad.select("Up", harness.menu_entry(1, (W, H)), '"New Game"')
            pad.press("Return", lambda: len(levels(browser.files("/pad/"))) == 10, "New Game's levels stored")
            level = harness.check_level_file("level0.level", browser.files("/pad/")["level0.level"])
            harness.walk_one_tile_right(pad, art, [row.decode("ascii") for row in level], START, (W, H), MAX_BAD)
            pad.press("Escape", lambda: pad.exit_status() is not None, "the game to end")
            assert pad.exit_status() == 0, pad.diagnostics()
            harness.poll_until(lambda: browser.files("/pad/"), 30, "the exit save", test=lambda f: "SaveData.bin" in f)


def storage_refused_still_plays():
    # Nor may the page use controllers (a frame's permissions policy): it plays on keys.
    with Server(PAGE_DIR, headers={"Permissions-Policy": "gamepad=()"}) as server, Browser(storage=False) as browser:
        with Page(browser, server.url + "quarrow.html") as game:
            game.open_menu()
            told = [line for line in game.printed() if line.startswith("Nothing will be kept")]
            assert len(told) == 1, f"the refused storage told {len(told)} times: {game.printed()}"
            game.press("Return", lambda: any(line.startswith("room") for line in game.printed()), "New Game")
            assert not browser.files(), "files were kept in refused storage"


def failed_loads_say_so():
    """Each file of the page left out or cut short: the page says in words that the game could not be loaded and
    what failed. The program served as another type plays, with the runtime's notice in the console only; an abort
    in play is said on the page."""
    failure = "const box = document.getElementById('failed'); return box.hidden ? '' : box.textContent"
    with tempfile.TemporaryDirectory() as site, Browser() as browser:
        for part in ["quarrow.js", "quarrow.data", "quarrow.wasm"]:
            folder = os.path.join(site, part)
            os.mkdir(folder)
            for name in ["quarrow.html", "quarrow.js", "quarrow.data"][:1 if part == "quarrow.js" else 3]:
                if name != part:
                    shutil.copy(os.path.join(PAGE_DIR, name), folder)
            with open(os.path.join(PAGE_DIR, "quarrow.wasm"), "rb") as whole:
                program = whole.read()
            with open(os.path.join(folder, "quarrow.wasm"), "wb") as cut:
                cut.write(program[:len(program) // 2 if part == "quarrow.wasm" else None])
            with Server(folder) as server:
                browser.driver.get(server.url + "quarrow.html")
                words = harness.poll_until(lambda: browser.driver.execute_script(failure), 30,
                                           f"the page to say that {part} failed")
                assert "could not be loaded" in words and part in words and "Reload" in words, words

        with Server(PAGE_DIR, types={".wasm": "application/octet-stream"}) as server, \
                Page(browser, server.url + "quarrow.html") as game:
            game.open_menu()
            panel = browser.driver.find_element("id", "output").text
            assert "wasm" not in panel, f"the panel shows {panel!r}"
            browser.driver.execute_script("setTimeout(() => abort('a fault of the test'))")
            words = harness.poll_until(lambda: browser.driver.execute_script(failure), 30, "the abort said")
            assert "stopped" in words and "a fault of the test" in words and "Reload" in words, words



def stored_settings(game, test, what):
    """The five values of the stored Settings.ini, once test(values) holds."""
    files = game.wait_stored(lambda f: (harness.settings_values(f.get("Settings.ini")) or None) and test(
        harness.settings_values(f["Settings.ini"])), what)
    return harness.settings_values(files["Settings.ini"])


# How the phone's page shows its pad and names the game: the gap between Quit and each arrow with that arrow's width,
# the pad buttons' border colour and the page's, and the canvas's accessible name.
PAD_LOOKS = """const box = label => document.querySelector(`button[aria-label="${label}"]`).getBoundingClientRect();
const quit = box("Quit the game");
return {quitGaps: ["Walk up", "Walk left", "Walk down", "Walk right"].map(box).map(b => [Math.hypot(
            Math.max(b.left - quit.right, quit.left - b.right, 0), Math.max(b.top - quit.bottom, quit.top - b.bottom, 0)),
            b.width]),
        border: getComputedStyle(document.querySelector("#pad button")).borderTopColor,
        page: getComputedStyle(document.body).backgroundColor,
        label: document.getElementById("canvas").getAttribute("aria-label")};"""


def contrast(one, other):
    """The contrast ratio of two CSS colours given as rgb(r, g, b)."""
    def luminance(colour):
        channels = [int(part) / 255 for part in colour[colour.index("(") + 1:colour.index(")")].split(",")[:3]]
        linear = [c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4 for c in channels]
        return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]
    light, dark = sorted([luminance(one), luminance(other)], reverse=True)
    return (light + 0.05) / (dark + 0.05)


def shown_whole(page, size):
    """The picture of `size` shown whole in the viewport, its aspect kept, and nothing to scroll across."""
    return (0 <= page["left"] and page["left"] + page["width"] <= page["innerWidth"] and 0 <= page["top"]
            and page["top"] + page["height"] <= page["innerHeight"] and page["scrollWidth"] <= page["innerWidth"]
            and abs(page["width"] * size[1] - page["height"] * size[0]) <= size[0] + size[1])


def fits_a_desktop_page():
    """A laptop's page (1366 x 657 of a 1366 x 768 screen), no touch screen: a first visit's picture is the
    page's room, whole, and stays in the page at the first key; in a smaller window it is shown whole, scaled,
    and the pointer acts where it is drawn; Apply with FullScreen on takes the page to full screen, whose end
    by the browser ends the game's; a reload plays in the page. The stored flag and size say so each time."""
    with Server(PAGE_DIR) as server, Browser() as browser:
        browser.emulate(1366, 657, screen=(1366, 768))
        with Page(browser, server.url + "quarrow.html") as game:
            game.find_window()
            music, fx, w, h, full = stored_settings(game, lambda v: True, "the first visit's Settings.ini")
            page = game.layout()
            assert full == 0 and page["pixels"] == [w, h] and (page["width"], page["height"]) == (w, h), page
            assert shown_whole(page, (w, h)) and not page["keys"], page
            harness.check_main_menu(game.open_menu(), (w, h))
            game.select("Down", harness.menu_entry(2, (w, h)), '"Options"')
            assert not game.layout()["full"], "the first key took the page to full screen"

            browser.emulate(700, 450)
            page = harness.poll_until(game.layout, 30, "the picture fitted into a smaller window",
                                      test=lambda p: shown_whole(p, (w, h)) and p["pixels"] == [w, h])
            # Tab takes the focus from the game as on any page; the click below gives the game its keys back.
            browser.driver.execute_script("document.getElementById('canvas').focus()")
            game.press("Tab", lambda: not browser.driver.execute_script(
                "return document.activeElement === document.getElementById('canvas')"), "the focus to leave the game")
            game.move(*harness.EMPTY)
            game.open_options_by_mouse((w, h))
            ctrl = harness.options_controls((w, h), game.geometry()[2:])

            def full_screen_applied():
                game.select("Down", ctrl[3], "the full-screen control")
                game.press("Return", lambda: harness.settings_values(browser.files()["Settings.ini"])[4] == 1,
                           "FullScreen On stored")
                game.select("Down", ctrl[4], '"Apply"')
                game.press("Return", lambda: game.layout()["full"], "the browser's full screen")
                assert stored_settings(game, lambda v: True, "")[2:] == (w, h, 1)

            for control in ctrl[1:3]:
                game.select("Down", control, "the next control")
            full_screen_applied()
            # The browser leaves its full screen by its own means (its Escape, which headless Chromium does not
            # have, F11, its controls); the game goes on with FullScreen Off.
            browser.driver.execute_script("document.exitFullscreen()")
            assert stored_settings(game, lambda v: v[4] == 0, "FullScreen Off stored")[2:] == (w, h, 0)
            game.alive()
            assert game.layout()["pixels"] == [w, h], "the picture is not at the stored size"

            game.select("Down", ctrl[5], '"Back"')
            for control in ctrl[:3]:
                game.select("Down", control, "the next control")
            full_screen_applied()
            game.reload()
            game.find_window()
            assert stored_settings(game, lambda v: v[4] == 0, "FullScreen Off stored after a reload")[2:] == (w, h, 0)
            game.open_menu((w, h))
            game.select("Down", harness.menu_entry(2, (w, h), game.geometry()[2:]), '"Options"')
            assert not game.layout()["full"], "a key after the reload took the page to full screen"


def plays_on_a_phone():
    """A phone's page (390 x 844, a touch screen): it fits the phone's width, the picture never smaller than
    Options' smallest size but shown whole; taps act as clicks on the menus, a slider and Apply; and the
    buttons for keys, there only on a touch screen, walk the player as the keys do (held, on and on) and quit.
    The walk is seen on a tablet (1024 x 768), where the picture shows unscaled."""
    level = "".join(row + "\r\n" for row in CORRIDOR).encode("ascii")
    with Server(PAGE_DIR) as server, Browser() as browser, Workdir(RESOURCES) as work:
        art = harness.SceneArt(work)
        browser.emulate(390, 844, touch=True)
        browser.driver.get(server.url)
        browser.store({"Level0.level": level})
        with Page(browser, server.url + "quarrow.html") as game:
            game.find_window()
            music, fx, w, h, full = stored_settings(game, lambda v: True, "the first visit's Settings.ini")
            page = game.layout()
            assert page["innerWidth"] == 390 and w >= 640 and h >= 480 and full == 0, (page, w, h)
            assert page["pixels"] == [w, h] and shown_whole(page, (w, h)), page
            assert sorted(page["keys"]) == ["Quit the game", "Select", "Walk down", "Walk left", "Walk right", "Walk up"]
            # Quit a button's width from every arrow; the buttons' edges and the game named for assistive tools.
            looks = browser.driver.execute_script(PAD_LOOKS)
            assert all(gap >= width for gap, width in looks["quitGaps"]), looks
            assert looks["label"] == "Quarrow game" and contrast(looks["border"], looks["page"]) >= 3, looks

            # The size the page chose is chosen again for a phone turned sideways, at a start and in play.
            browser.driver.get(server.url)
            browser.emulate(844, 390, touch=True)
            browser.driver.get(game.url)
            game.find_window()
            turned = stored_settings(game, lambda v: v[2] > v[3], "a sideways size stored")[2:4]
            harness.poll_until(game.layout, 30, "the sideways picture", test=lambda p: p["pixels"] == list(turned))
            browser.emulate(390, 844, touch=True)
            stored_settings(game, lambda v: v[2:4] == (w, h), "the upright size stored again")
            page = harness.poll_until(game.layout, 30, "the upright picture",
                                      test=lambda p: p["pixels"] == [w, h] and shown_whole(p, (w, h)))

            # A stray tap on the picture's empty top does nothing; the pad's arrows and OK open Options.
            window = page["width"], page["height"]
            game.open_menu((w, h))
            ctrl = harness.options_controls((w, h), window)
            game.touch(harness.on_window((0.5 * w, 0.1 * h), (w, h), window), lambda: game.frames() is None,
                       "frames with a stray tap")
            game.touch("Walk down", lambda: harness.near(harness.green_centre(game.shot()),
                                                         harness.menu_entry(2, (w, h), window)), '"Options"')
            game.touch("Select", lambda: harness.near(harness.green_centre(game.shot()), ctrl[0]), "the options menu")
            assert not any(line.startswith("room") for line in game.printed()), "a stray tap started a New Game"
            game.touch(harness.on_window((0.6 * w - 25, 0.5 * h), (w, h), window),
                       lambda: stored_settings(game, lambda v: True, "")[0] < 100, "the music volume lowered")
            before = game.shot()
            game.touch(ctrl[2], lambda: game.shot().data != before.data, "the next resolution shown")
            game.touch(ctrl[4], lambda: game.layout()["pixels"] == [W, H], f"a {W} x {H} picture applied")
            assert stored_settings(game, lambda v: True, "")[2:] == (W, H, 0)

            # On a tablet the 640 x 480 picture shows as it is, and Continue is a tap too.
            browser.emulate(1024, 768, touch=True)
            game.reload()
            game.find_window()
            harness.poll_until(game.layout, 30, "the picture unscaled on a tablet",
                               test=lambda p: (p["width"], p["height"]) == (W, H) and shown_whole(p, (W, H)))
            game.open_menu()
            game.touch(harness.menu_entry(0, (W, H)), lambda: harness.picture_differences(
                game.shot(), harness.scene_picture(art, CORRIDOR, START, (W, H), harness.DOWN),
                limit=MAX_BAD)[0] <= MAX_BAD, "the corridor's scene")
            start = game.shot()
            game.touch("Walk right", lambda: game.shot().data != start.data, "the player to start walking")
            game.wait_picture([harness.scene_picture(art, CORRIDOR, (START[0] + 1, START[1]), (W, H), harness.RIGHT,
                                                     frame) for frame in range(4)], "one tile right", allowed=MAX_BAD)
            # Held on, it walks on: more than the one tile a short hold gives.
            began = time.monotonic()
            game.touch("Walk right", lambda: time.monotonic() - began >= 3, "three seconds to pass")
            assert tiles_right(game, art) >= 3, "the held button did not keep walking"
            # A finger slid from one button to another takes the key with it.
            browser.driver.execute_script("""window.sent = [];
                for (const type of ["keydown", "keyup"]) addEventListener(type, e => sent.push(type + " " + e.key));""")
            game.slide(["Walk left", "Walk down"])
            harness.poll_until(lambda: browser.driver.execute_script("return sent"), 30, "the slide's keys",
                               test=lambda sent: sent == ["keydown ArrowLeft", "keyup ArrowLeft", "keydown ArrowDown",
                                                          "keyup ArrowDown"])
            game.touch("Quit the game", lambda: game.exit_status() is not None, "the game to end")
            assert game.exit_status() == 0
            game.wait_stored(lambda f: len(f.get("SaveData.bin", b"")) == 8, "the exit save")


harness.run_cases([plays_in_chromium, walks_at_the_desktops_pace, storage_refused_still_plays, failed_loads_say_so,
                   fits_a_desktop_page, plays_on_a_phone])
