"""The viewer in the browser, seen as the scenarios see a window: the site that the web preset
builds, served on 127.0.0.1, in Debian's chromium driven through chromedriver (Selenium). Files
go in as real drops (the DevTools command Input.dispatchDragEvent), keys and the mouse as
DevTools input events, and the screen is the canvas's pixels; the caption is the page's title,
and what the viewer reports is what the page writes to the console."""

import base64
import functools
import http.server
import json
import os
import shutil
import tempfile
import threading

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service

from harness import Failure, Image, Viewer, check, wait_until

# Chromium as root, headless, offline and quiet; its screen as large as the X shells' screen.
CHROMIUM_FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--window-size=1024,768",
                  "--screen-info={1024x768}")

# xdotool's key names (as the scenarios write them) as KeyboardEvent key, code and the Windows
# virtual key that DevTools wants.
NAMED_KEYS = {
    "space": (" ", "Space", 32), "plus": ("+", "Equal", 187), "equal": ("=", "Equal", 187),
    "minus": ("-", "Minus", 189), "KP_Add": ("+", "NumpadAdd", 107),
    "KP_Subtract": ("-", "NumpadSubtract", 109), "Next": ("PageDown", "PageDown", 34),
    "Prior": ("PageUp", "PageUp", 33), "Home": ("Home", "Home", 36), "End": ("End", "End", 35),
    "Left": ("ArrowLeft", "ArrowLeft", 37), "Right": ("ArrowRight", "ArrowRight", 39),
    "BackSpace": ("Backspace", "Backspace", 8), "Escape": ("Escape", "Escape", 27),
    "F11": ("F11", "F11", 122), "Tab": ("Tab", "Tab", 9),
}
CTRL = 2  # DevTools' modifier bit


def key_event(name):
    """The DevTools key event of an xdotool key name ("n", "Next", "ctrl+s")."""
    *held, name = name.split("+")
    if name in NAMED_KEYS:
        key, code, virtual = NAMED_KEYS[name]
    else:
        key, virtual = name, ord(name.upper())
        code = ("Digit" if name.isdigit() else "Key") + name.upper()
    event = {"key": key, "code": code, "windowsVirtualKeyCode": virtual,
             "modifiers": CTRL if "ctrl" in held else 0}
    if len(key) == 1 and not held:
        event["text"] = key
    return event


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):  # pylint: disable=arguments-differ
        pass


class Site:
    """The site's folder served over HTTP on 127.0.0.1, as scripts/web.sh serves it; or its
    single-file page opened from the disk."""

    def __init__(self, folder, from_disk=False):
        handler = functools.partial(QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = f"http://127.0.0.1:{self.server.server_port}/index.html"
        if from_disk:
            self.url = "file://" + os.path.abspath(os.path.join(folder, "pelmora.html"))

    def close(self):
        self.server.shutdown()


class PageViewer(Viewer):
    """One browser showing the page; files named at the start are dropped on it once it is up."""

    def __init__(self, shell, display, args):  # pylint: disable=super-init-not-called
        self.shell, self.display, self.args = shell, display, args
        self.profile = tempfile.mkdtemp(prefix="dragndrop-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in (*CHROMIUM_FLAGS, "--user-data-dir=" + self.profile):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.window, self.said, self.lines = "page", None, []

    def script(self, code, *args):
        return self.driver.execute_script(code, *args)

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def wait_until_ready(self, what):
        wait_until(what, lambda: self.script(
            "return document.getElementById('screen').dataset.state") == "ready", timeout=30)

    def wait_for_window(self):
        self.driver.get(self.display.url)
        self.wait_until_ready("the page to start")
        self.resize(*self.shell.first_client)
        files = [arg for arg in self.args if arg != "--scan"]
        if len(files) < len(self.args):  # the page's box for what --scan does
            self.script("document.getElementById('scan').click()")
        if files:  # what a command line names, the page is given as a drop
            self.drop(files)
        return self.window

    def caption_of(self, window):
        """The title's last path part: the page knows a file by its name in the drop alone."""
        return self.script("return document.title").rsplit("/", 1)[-1]

    def screenshot(self):
        url = self.script("return document.getElementById('screen').toDataURL('image/png')")
        return Image.read("png:-", base64.b64decode(url.split(",", 1)[1]))

    def canvas_at(self, x, y):
        """Page coordinates of the point (x, y) of the canvas."""
        left, top = self.script("const r = document.getElementById('screen')"
                                ".getBoundingClientRect(); return [r.left, r.top];")
        return left + x, top + y

    def key(self, keys):
        for name in keys.split():
            event = key_event(name)
            self.cdp("Input.dispatchKeyEvent", type="keyDown", **event)
            event.pop("text", None)
            self.cdp("Input.dispatchKeyEvent", type="keyUp", **event)

    def resize(self, width, height):
        """The browser's window made such that the canvas is width x height."""
        def canvas():
            return tuple(self.script("const c = document.getElementById('screen');"
                                     "return [c.width, c.height];"))
        for _ in range(4):
            have = canvas()
            if have == (width, height):
                return
            size = self.driver.get_window_size()
            self.driver.set_window_size(size["width"] + width - have[0],
                                        size["height"] + height - have[1])
            wait_until("the canvas to follow the window", lambda h=have: canvas() != h, timeout=2)

    place = resize

    def drop(self, files, kind="both"):
        x, y = self.canvas_at(10, 10)
        data = {"items": [], "files": [os.path.abspath(f) for f in files], "dragOperationsMask": 1}
        try:
            for event in ("dragEnter", "dragOver", "drop"):
                self.cdp("Input.dispatchDragEvent", type=event, x=x, y=y, data=data)
        except WebDriverException as why:
            raise Failure(f"the drop of {files} failed: {why.msg}") from None
        self.wait_until_ready(f"the page to read {files}")

    def ctrl_wheel(self, button):
        x, y = self.canvas_at(100, 100)
        self.cdp("Input.dispatchMouseEvent", type="mouseWheel", x=x, y=y, deltaX=0,
                 deltaY=-120 if button == 4 else 120, modifiers=CTRL)

    def drag(self, dx, dy):
        x, y = self.canvas_at(300, 200)
        self.cdp("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button="left",
                 buttons=1, clickCount=1)
        self.cdp("Input.dispatchMouseEvent", type="mouseMoved", x=x + dx, y=y + dy,
                 button="left", buttons=1)
        self.cdp("Input.dispatchMouseEvent", type="mouseReleased", x=x + dx, y=y + dy,
                 button="left", buttons=0, clickCount=1)

    def saves_to(self, folder):
        self.cdp("Browser.setDownloadBehavior", behavior="allow", downloadPath=folder)

    def has_icon(self):
        loaded = self.driver.execute_async_script(
            "const done = arguments[0], icon = new Image();"
            "icon.onload = () => done(icon.naturalWidth); icon.onerror = () => done(0);"
            "icon.src = document.querySelector('link[rel=icon]').href;")
        check(loaded > 0, "the page has no icon")

    def console(self):
        """What the page wrote to its console since the last call: its reports and any error."""
        for entry in self.driver.get_log("browser"):
            message = entry["message"]
            text = message[message.index('"'):] if '"' in message else message
            try:
                text = json.loads(text)
            except ValueError:
                pass
            self.lines.append(text if entry["level"] == "WARNING" else "error: " + text)

    def close(self):
        """Nothing closes a page but its tab: the page must simply have had no errors."""
        self.console()
        errors = [line for line in self.lines if line.startswith("error: ")]
        check(not errors, f"the page had errors: {errors}")
        self.kill()

    def stderr(self):
        return "\n".join(self.lines)

    def kill(self):
        if self.driver is not None:
            self.driver.quit()
            self.driver = None
            shutil.rmtree(self.profile, ignore_errors=True)
