"""The web build in headless Chromium (Debian's, driven through its chromedriver by selenium), served from a
loopback HTTP server of the test's own: a fresh browser profile for each Browser, a page driven like the game
in a window (keys and the left button held until the game has visibly reacted), pictures taken as screenshots
of the canvas element (the canvas read back inside the page gives black), what the game printed caught from the
console, and the player's files read straight from the IndexedDB where the page keeps them for its folder."""

import base64
import functools
import http.server
import os
import shutil
import subprocess
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

import harness
from harness import FRAMES_SEEN, TOOL_TIMEOUT, parse_ppm, poll_until

# Without the networking switches Chromium reaches for the network on its own; the page is all it may load.
FLAGS = ["--headless=new", "--use-gl=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
         "--disable-quic", "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--disable-default-apps", "--window-size=1280,1024", "--force-device-scale-factor=1"]
# The folder of the player's files in the page, and how the page lays them out in IndexedDB: a database for each
# page folder, a record for each file, keyed by its path.
DATA = "/Resources/Data"
IDB_VERSION, IDB_STORE = 1, "files"
OPEN_STORE = f"""const opening = indexedDB.open("quarrow:" + place, {IDB_VERSION});
opening.onupgradeneeded = () => opening.result.createObjectStore("{IDB_STORE}");"""
KEYS = {"Escape": Keys.ESCAPE, "Return": Keys.ENTER, "Up": Keys.ARROW_UP, "Down": Keys.ARROW_DOWN,
        "Left": Keys.ARROW_LEFT, "Right": Keys.ARROW_RIGHT, "Tab": Keys.TAB}
# Every line the page logs is kept whole for the test, before the page's own script runs.
CATCH_PRINTED = """window.printed = [];
const log = console.log.bind(console);
console.log = (...parts) => { window.printed.push(parts.join(" ")); log(...parts); };"""
# Counted in a page (window.paced) from its start: the frames the browser shows (its animation frames), those of
# them with a new picture (the page presented: SDL begins each present by clearing the canvas), and the times the
# page hands control back to the browser to be called again (an animation frame, a timer or a message asked for).
COUNT_FRAMES = """{
const paced = window.paced = {frames: 0, pictures: 0, yields: 0};
const nextFrame = requestAnimationFrame.bind(window);
let drawn = false;
const shown = () => { paced.frames++; paced.pictures += drawn; drawn = false; nextFrame(shown); };
nextFrame(shown);
for (const kind of [WebGLRenderingContext, WebGL2RenderingContext]) {
  const clear = kind.prototype.clear;
  kind.prototype.clear = function (...args) { drawn = true; return clear.apply(this, args); };
}
for (const [owner, name] of [[window, "requestAnimationFrame"], [window, "setTimeout"], [window, "postMessage"],
                             [MessagePort.prototype, "postMessage"]]) {
  const asked = owner[name];
  owner[name] = function (...args) { paced.yields++; return asked.apply(this, args); };
}
}"""


class Server:
    """A static HTTP server on a free loopback port, serving one folder's files at every folder of the site (copies
    of the game at several places), stopped at the end of its block. `types` overrides content types by suffix;
    `headers` are sent with every file."""

    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def translate_path(self, path):
            return super().translate_path("/" + path.split("?")[0].rsplit("/", 1)[-1])

    def __init__(self, folder, types=None, headers=None):
        def end_headers(handler):
            for name, value in (headers or {}).items():
                handler.send_header(name, value)
            self.Quiet.end_headers(handler)

        handler = type("Handler", (self.Quiet,), {"extensions_map": {**self.Quiet.extensions_map, **(types or {})},
                                                  "end_headers": end_headers})
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(handler, directory=folder))
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"

    def __enter__(self):
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium with a fresh profile, quit (and its profile removed) at the end of its block. With
    storage refused the profile blocks every site's data, IndexedDB included, as a locked-down browser does."""

    def __init__(self, storage=True):
        self.profile = tempfile.mkdtemp(prefix="quarrow-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in FLAGS + [f"--user-data-dir={self.profile}"]:
            options.add_argument(flag)
        if not storage:
            options.add_experimental_option("prefs", {"profile.default_content_setting_values.cookies": 2})
        self.options = options
        self.driver = None

    def __enter__(self):
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=self.options)
        self.driver.set_script_timeout(30)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": CATCH_PRINTED})
        return self

    def __exit__(self, *exc):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def emulate(self, width, height, touch=False, screen=None):
        """Show pages in a viewport of width x height CSS pixels (one device pixel each) on a screen of
        `screen` (by default the viewport's size); with `touch`, as a phone or tablet does: a touch screen,
        laid out for its width."""
        screen = screen or (width, height)
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": touch,
            "screenWidth": screen[0], "screenHeight": screen[1]})
        self.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": touch, "maxTouchPoints": 5})

    def files(self, place="/"):
        """{name: bytes} of the player's files the page at folder `place` keeps in IndexedDB (empty when none)."""
        stored = self.driver.execute_async_script(f"""
            const [place, done] = arguments;
            {OPEN_STORE}
            opening.onerror = () => done({{}});
            opening.onsuccess = () => {{
                const db = opening.result, found = {{}};
                const cursor = db.transaction("{IDB_STORE}").objectStore("{IDB_STORE}").openCursor();
                cursor.onsuccess = () => {{
                    const at = cursor.result;
                    if (!at) {{ db.close(); return done(found); }}
                    if (at.value && at.value.contents instanceof Uint8Array) {{
                        found[at.key] = btoa(Array.from(at.value.contents, c => String.fromCharCode(c)).join(""));
                    }}
                    at.continue();
                }};
            }};""", place)
        return {path[len(DATA) + 1:]: base64.b64decode(data) for path, data in stored.items()
                if path.startswith(DATA + "/") and "/" not in path[len(DATA) + 1:]}

    def store(self, files, place="/"):
        """Put files into IndexedDB as the page at folder `place` keeps them, as if a game had written them."""
        payload = {f"{DATA}/{name}": base64.b64encode(data).decode("ascii") for name, data in files.items()}
        error = self.driver.execute_async_script(f"""
            const [files, place, done] = arguments;
            {OPEN_STORE}
            opening.onerror = () => done(String(opening.error));
            opening.onsuccess = () => {{
                const db = opening.result, writing = db.transaction("{IDB_STORE}", "readwrite");
                for (const [path, data] of Object.entries(files)) {{
                    const contents = Uint8Array.from(atob(data), c => c.charCodeAt(0));
                    writing.objectStore("{IDB_STORE}").put({{time: Date.now(), contents}}, path);
                }}
                writing.oncomplete = () => {{ db.close(); done(null); }};
                writing.onerror = () => done(String(writing.error));
            }};""", payload, place)
        assert error is None, f"storing {sorted(files)} in IndexedDB: {error}"

    def cpu_seconds(self, renderers=False):
        """Processor time used so far by the browser, every process of it, or with `renderers` its pages'
        processes alone."""
        children = {}
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/stat") as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    renderer = b"--type=renderer" in f.read()
            except OSError:
                continue
            children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12]), renderer))
        ticks, todo = 0, [self.driver.service.process.pid]
        while todo:
            for pid, used, renderer in children.get(todo.pop(), []):
                ticks += used if renderer or not renderers else 0
                todo.append(pid)
        return ticks / os.sysconf("SC_CLK_TCK")

    def count_frames(self):
        """Count, in every page this tab opens from now on, what COUNT_FRAMES counts."""
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": COUNT_FRAMES})

    def paced(self, seconds):
        """Over `seconds` of the tab's page, counted since count_frames: the frames shown a second, the share of
        them with a new picture, the yields a second, and the pages' processes' processor time (of a core)."""
        def now():
            return (self.driver.execute_script("return Object.assign({}, window.paced)"),
                    self.cpu_seconds(renderers=True), time.monotonic())
        before, cpu, began = now()
        time.sleep(seconds)
        after, cpu_after, ended = now()
        frames = after["frames"] - before["frames"]
        span = ended - began
        return {"frames": frames / span, "pictures": (after["pictures"] - before["pictures"]) / max(frames, 1),
                "yields": (after["yields"] - before["yields"]) / span, "cpu": (cpu_after - cpu) / span}


# A "standard" pad as the Gamepad API shows one, plugged in: listed by navigator.getGamepads and announced by a
# gamepadconnected event. Each change is a new sample, with a new timestamp.
PLUG_PAD = """if (!window.testPad) {
    window.testPad = {id: "Test pad", index: 0, connected: true, mapping: "standard", timestamp: 1, axes: [0, 0, 0, 0],
                  buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
    navigator.getGamepads = () => [window.testPad, null, null, null];
    dispatchEvent(Object.assign(new Event("gamepadconnected"), {gamepad: window.testPad}));
}"""
# The keys the tests press, as the standard layout's buttons (A, Back, the D-pad) and its left stick's x axis.
PAD_KEYS = {"Return": ("buttons", 0), "Escape": ("buttons", 8), "Up": ("buttons", 12), "Down": ("buttons", 13),
            "Right": ("axes", 0)}


class Page(harness.Game):
    """The game's page open in a Browser, driven and looked at as harness.Game does a window: the canvas is the
    window, its size the window's, and the page's end (the runtime's exit status) the process's end."""

    def __init__(self, browser, url):
        self.browser, self.driver, self.url = browser, browser.driver, url
        self._frames = None

    def __enter__(self):
        self.driver.get(self.url)
        return self

    def __exit__(self, *exc):
        pass

    def canvas(self):
        return self.driver.find_element(By.ID, "canvas")

    def exit_status(self):
        """The status the game ended with, or None while it runs."""
        status = self.driver.execute_script("return document.body.dataset.exitStatus")
        return None if status is None else int(status)

    def printed(self):
        return self.driver.execute_script("return window.printed || []")

    def output(self):
        """What the game printed, each line ended by a newline, as its standard output would hold it."""
        return "".join(line + "\n" for line in self.printed()).encode("utf-8")

    def diagnostics(self):
        return f"printed: {self.output()[-2000:]!r}"

    def alive(self):
        status = self.exit_status()
        if status is not None:
            raise AssertionError(f"the game ended early with status {status}\n{self.diagnostics()}")

    def find_window(self, timeout=60):
        """Wait for the game to have started: its main loop running behind a canvas of the page's."""
        poll_until(lambda: self.driver.execute_script("return !!(window.Module && Module.calledRun)"), timeout,
                   "the game to start in the page")
        return self.canvas()

    def geometry(self):
        size = self.canvas().size
        return 0, 0, size["width"], size["height"]

    def frames(self):
        """Wait while the page draws FRAMES_SEEN frames (the game presents one each, at the same pace)."""
        self.driver.execute_async_script("""
            const [count, done] = arguments;
            const next = left => left ? requestAnimationFrame(() => next(left - 1)) : done();
            next(count);""", FRAMES_SEEN)

    def press(self, key, done=None, what="", timeout=30):
        key = KEYS.get(key, key)
        return self._hold(lambda: ActionChains(self.driver).key_down(key).perform(),
                          lambda: ActionChains(self.driver).key_up(key).perform(), done,
                          f"{what} (with {key!r} held)", timeout)

    def click(self, done=None, what="", timeout=30):
        return self._hold(lambda: ActionChains(self.driver).click_and_hold().perform(),
                          lambda: ActionChains(self.driver).release().perform(), done,
                          f"{what} (with the button held)", timeout)

    def layout(self):
        """How the page lays the game out: the viewport (innerWidth, innerHeight), how far the page scrolls
        (scrollWidth, scrollHeight), the canvas's place and size as shown (left, top, width, height), its size
        in pixels (pixels), whether the stage is in the browser's full screen (full), and the labels of the
        buttons shown for keys (keys)."""
        return self.driver.execute_script("""
            const canvas = document.getElementById("canvas"), shown = canvas.getBoundingClientRect();
            const root = document.documentElement;
            return {innerWidth: innerWidth, innerHeight: innerHeight, scrollWidth: root.scrollWidth,
                    scrollHeight: root.scrollHeight, left: shown.left, top: shown.top, width: shown.width,
                    height: shown.height, pixels: [canvas.width, canvas.height],
                    full: document.fullscreenElement !== null,
                    keys: Array.from(document.querySelectorAll("button[aria-label]"))
                        .filter(button => button.getClientRects().length > 0)
                        .map(button => button.getAttribute("aria-label"))};""")

    def touch(self, where, done, what, timeout=30):
        """A finger held on the page at `where` (viewport CSS pixels) until done() holds: a canvas point, or
        the button for a key named by its label."""
        if isinstance(where, str):
            where = self.driver.execute_script("""
                const box = document.querySelector(`button[aria-label="${arguments[0]}"]`).getBoundingClientRect();
                return [box.left + box.width / 2, box.top + box.height / 2];""", where)
        else:
            shown = self.layout()
            where = shown["left"] + where[0], shown["top"] + where[1]
        finger = {"x": where[0], "y": where[1], "id": 1}
        cdp = self.driver.execute_cdp_cmd
        return self._hold(lambda: cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [finger]}),
                          lambda: cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []}), done,
                          f"{what} (with a finger held at {where})", timeout)

    def slide(self, labels):
        """A finger put on the first of the buttons for keys named by their labels, slid across the others in
        turn and lifted."""
        points = [self.driver.execute_script("""
            const box = document.querySelector(`button[aria-label="${arguments[0]}"]`).getBoundingClientRect();
            return {x: box.left + box.width / 2, y: box.top + box.height / 2, id: 1};""", label) for label in labels]
        for kind, at in [("touchStart", points[0])] + [("touchMove", at) for at in points[1:]] + [("touchEnd", None)]:
            self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [at] if at else []})

    def move(self, x, y):
        size = self.canvas().size
        ActionChains(self.driver).move_to_element_with_offset(
            self.canvas(), int(x - size["width"] // 2), int(y - size["height"] // 2)).perform()

    def shot(self):
        self.alive()
        png = self.canvas().screenshot_as_png
        return parse_ppm(subprocess.run(["convert", "png:-", "-alpha", "off", "-depth", "8", "ppm:-"], input=png,
                                        capture_output=True, check=True, timeout=TOOL_TIMEOUT).stdout)

    def escape(self, how="Escape", timeout=30):
        try:
            self._hold(lambda: ActionChains(self.driver).key_down(Keys.ESCAPE).perform(),
                       lambda: ActionChains(self.driver).key_up(Keys.ESCAPE).perform(),
                       lambda: self.exit_status() is not None, "the game to end", timeout)
        except AssertionError:
            raise AssertionError(f"the game did not end on Escape\n{self.diagnostics()}") from None
        assert self.exit_status() == 0, f"{how} ended the game with status {self.exit_status()}"

    def reload(self):
        self.driver.refresh()

    def wait_stored(self, test, what, timeout=30):
        """Poll the IndexedDB of the page's folder (the site's root) until test(files) holds; return the files."""
        return poll_until(self.browser.files, timeout, what, interval=0.1, test=test)


class PadPage(Page):
    """A Page played with a standard pad, plugged in once the game runs: its keys are the pad's."""

    def find_window(self, timeout=60):
        canvas = super().find_window(timeout)
        self.driver.execute_script(PLUG_PAD)
        return canvas

    def press(self, key, done=None, what="", timeout=30):
        def put(value):
            self.driver.execute_script("""const [part, index, value] = arguments, pad = window.testPad;
                pad[part][index] = part === "axes" ? value : {pressed: value > 0, value};
                pad.timestamp += 1;""", *PAD_KEYS[key], value)

        return self._hold(lambda: put(1), lambda: put(0), done, f"{what} (with the pad's {key} held)", timeout)
