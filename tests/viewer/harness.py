"""The viewer on an X server, whichever shell draws it: dragndrop (SDL) natively, or
dragndrop.exe under Wine, whose windows are X windows as well. Captions and pixels are read from
the X server, keys go in through xdotool, files are dropped through XDND (xdnd.py). A shell
(shells.py) says only how to start its program, how it names files, and how to convert them."""

import os
import re
import subprocess
import time

import numpy as np

import xdnd

TITLE = "Pelmora 'DragnDrop' viewer"
FRAME_W, FRAME_H = 384, 280
GREY = bytes((128, 128, 128))
SKIP = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def x_env(display):
    """The environment of X clients on `display`, with no session bus or Wayland to reach."""
    env = dict(os.environ, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent")
    env.pop("WAYLAND_DISPLAY", None)
    return env


def wait_until(what, probe, timeout=10.0, explain=None):
    """probe()'s first true value; a failure, saying what explain() says, after `timeout` s."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}" + (f": {explain()}" if explain else ""))
        time.sleep(0.02)


class Image:
    """8-bit RGB pixels: an array of rows of pixels of red, green and blue."""

    def __init__(self, pixels):
        self.pixels = pixels
        self.height, self.width = pixels.shape[:2]

    @staticmethod
    def solid(width, height, colour):
        return Image(np.full((height, width, 3), list(colour), np.uint8))

    @staticmethod
    def from_ppm(data):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        check(header is not None, "not an 8-bit binary PPM")
        width, height = int(header[1]), int(header[2])
        check(len(data) - header.end() >= width * height * 3, "a PPM cut short")
        return Image(np.frombuffer(data, np.uint8, width * height * 3, header.end())
                     .reshape(height, width, 3))

    @staticmethod
    def read(path, data=None):
        """A picture file, or `data` when the path is "png:-"."""
        got = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "ppm:-"], input=data,
                             capture_output=True, check=False)
        check(got.returncode == 0, f"{path} is not an image: {got.stderr.decode()}")
        return Image.from_ppm(got.stdout)

    def scaled(self, factor):
        """Nearest-neighbour enlargement by a whole factor."""
        return Image(self.pixels.repeat(factor, axis=0).repeat(factor, axis=1))

    def on_grey(self, width, height, left=0, top=0):
        """A width x height grey area with this image at (left, top), cut where it overflows."""
        out = Image.solid(width, height, GREY)
        x0, y0 = max(left, 0), max(top, 0)
        x1, y1 = min(left + self.width, width), min(top + self.height, height)
        if x0 < x1 and y0 < y1:
            out.pixels[y0:y1, x0:x1] = self.pixels[y0 - top:y1 - top, x0 - left:x1 - left]
        return out

    def differences(self, other):
        """Why `other` is not this image, or "" when it is."""
        if (self.width, self.height) != (other.width, other.height):
            return f"{other.width}x{other.height}, not {self.width}x{self.height}"
        wrong = np.argwhere((self.pixels != other.pixels).any(axis=2))
        if len(wrong) == 0:
            return ""
        y, x = wrong[0]
        return (f"pixel ({x}, {y}) is {tuple(other.pixels[y, x].tolist())}, not "
                f"{tuple(self.pixels[y, x].tolist())}")


class Display:
    """An X server: a private Xvfb, or one already running (name given)."""

    def __init__(self, name=None, screen="1024x768x24"):
        self.server = None
        if name is None:
            read_end, write_end = os.pipe()
            # -noreset: otherwise the server resets, refusing clients, whenever its last one leaves
            self.server = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen,
                 "-noreset", "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as reader:
                name = ":" + reader.readline().strip()
            check(name != ":", "Xvfb did not start")
        self.env = x_env(name)
        # The server names its display a moment before it takes clients.
        wait_until("the X server to take clients",
                   lambda: self.run("xprop", "-root").returncode == 0)

    def close(self):
        if self.server:
            self.server.terminate()
            self.server.wait()

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, check=False)


class ManagedDesktop:
    """A 1920 x 1080 display of its own with a window manager (openbox) and a 40-pixel panel along
    the bottom of the screen, so that the work area (_NET_WORKAREA) is the screen less the panel
    and windows get a frame (_NET_FRAME_EXTENTS)."""

    PANEL = 40

    def __init__(self):
        self.display, self.x, self.manager = Display(screen="1920x1080x24"), None, None
        try:
            self.manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.display.env,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self._add_panel()
        except BaseException:
            self.close()
            raise

    def _add_panel(self):
        from Xlib import X, Xatom, Xutil, display as xdisplay
        display = self.display
        wait_until("the window manager", lambda: b"window id" in display.run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK").stdout)
        self.x = xdisplay.Display(display.env["DISPLAY"])
        screen = self.x.screen()
        width, height = screen.width_in_pixels, screen.height_in_pixels
        panel = screen.root.create_window(0, height - self.PANEL, width, self.PANEL, 0,
                                          screen.root_depth, X.InputOutput, X.CopyFromParent,
                                          background_pixel=screen.black_pixel)
        panel.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.USSize, x=0,
                                  y=height - self.PANEL, width=width, height=self.PANEL)
        atom = self.x.intern_atom
        panel.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                              [atom("_NET_WM_WINDOW_TYPE_DOCK")])
        panel.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32,
                              [0, 0, 0, self.PANEL] + [0] * 6 + [0, width - 1])

        def strut_taken():
            # Mapped again until the manager has taken it: one that is still starting may have
            # let it through unmanaged.
            if self.work_area()[3] == height - self.PANEL:
                return True
            panel.unmap()
            panel.map()
            self.x.sync()
            time.sleep(0.2)
            return False
        wait_until("the panel's strut", strut_taken, timeout=30,
                   explain=lambda: f"the work area is {self.work_area()}")

    def work_area(self):
        """x, y, width, height."""
        said = self.display.run("xprop", "-root", "_NET_WORKAREA").stdout.decode()
        return [int(n) for n in re.findall(r"\d+", said.split("=", 1)[-1])][:4] or [0, 0, 0, 0]

    def close(self):
        if self.x:
            self.x.close()
        if self.manager:
            self.manager.terminate()
            self.manager.wait()
        self.display.close()


class Viewer:
    """One viewer process, started by `shell`, and its window."""

    def __init__(self, shell, display, args):
        self.shell, self.display = shell, display
        self.process = subprocess.Popen(shell.command(args), env=display.env,
                                        stdin=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.window, self.said = None, None

    def caption_of(self, window):
        out = self.display.run("xprop", "-id", window, "-notype", "-f", "_NET_WM_NAME", "8c",
                               "_NET_WM_NAME").stdout.decode()
        if "=" not in out:
            return None
        return bytes(int(n) for n in out.split("=", 1)[1].split(",") if n.strip()).decode(
            "utf-8", "strict")

    def wait_for_window(self):
        """The viewer's window, once it is on the screen with a caption."""
        def probe():
            if self.process.poll() is not None:
                raise Failure(f"the viewer ended early (exit {self.process.returncode}): "
                              f"{self.stderr()}")
            found = self.display.run("xdotool", "search", "--onlyvisible", "--pid",
                                     str(self.process.pid))
            return next((w for w in found.stdout.decode().split() if self.caption_of(w)), None)
        # A busy machine may take a while to start Wine's programs.
        self.window = wait_until("the viewer's window", probe, timeout=30)
        return self.window

    def wait_for_caption(self, caption):
        wait_until(f"caption {caption!r}", lambda: self.caption_of(self.window) == caption,
                   explain=lambda: f"it is {self.caption_of(self.window)!r}")

    def screenshot(self):
        shot = self.display.run("import", "-silent", "-window", self.window, "-depth", "8", "ppm:-")
        check(shot.returncode == 0, "import failed: " + shot.stderr.decode())
        return Image.from_ppm(shot.stdout)

    def wait_for_screen(self, expected, what, timeout=10.0):
        """`expected` is a function of the screenshot's size that gives the image it must be."""
        def why():
            shot = self.screenshot()
            return expected(shot.width, shot.height).differences(shot)
        wait_until(what, lambda: why() == "", timeout, explain=why)

    def key(self, keys):
        self.display.run("xdotool", "windowfocus", "--sync", self.window)
        self.display.run("xdotool", "key", "--delay", "20", *keys.split())

    def resize(self, width, height):
        self.display.run("xdotool", "windowsize", "--sync", self.window, str(width), str(height))

    def place(self, width, height):
        """At the screen's top-left and width x height, so that all of it is on the screen."""
        self.display.run("xdotool", "windowmove", "--sync", self.window, "0", "0")
        self.resize(width, height)

    def ctrl_wheel(self, button):
        """Ctrl and a turn of the mouse wheel: button 4 is up, 5 down."""
        self.display.run("xdotool", "windowfocus", "--sync", self.window)
        self.display.run("xdotool", "mousemove", "--window", self.window, "100", "100",
                         "keydown", "ctrl", "click", str(button), "keyup", "ctrl")

    def drag(self, dx, dy):
        self.display.run("xdotool", "mousemove", "--window", self.window, "300", "200", "mousedown",
                         "1", "mousemove", "--window", self.window, str(300 + dx), str(200 + dy),
                         "sleep", "0.1", "mouseup", "1")

    def saves_to(self, folder):
        """Saves go beside the file shown, wherever that is."""

    def has_icon(self):
        found = self.display.run("xprop", "-id", self.window, "_NET_WM_ICON").stdout
        check(b"not found" not in found and b"=" in found, "the window has no icon")

    def drop(self, files, kind="both"):
        try:
            xdnd.drop(self.display.env["DISPLAY"], self.window, files, kind)
        except xdnd.DropFailed as why:
            raise Failure(f"the drop of {files} failed: {why}") from None

    def close(self):
        """Asks the viewer to quit as a user would (Esc); it must end with status 0."""
        self.key("Escape")
        wait_until("Esc to close the window", lambda: self.process.poll() is not None)
        code = self.process.returncode
        check(code == 0, f"exit code {code} on closing; it said: {self.stderr()}")

    def stderr(self):
        """What the viewer wrote to standard error, once it has ended."""
        if self.process.poll() is None:
            return ""
        if self.said is None:
            self.said = self.process.stderr.read().decode("utf-8", "replace")
        return self.said

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
