"""How each shell starts its viewer and converter, how the viewer names files, and what frame its
window has. Everything else is the same for all three (harness.py; browser.py for the page)."""

import os
import shutil
import subprocess
from pathlib import Path

from harness import Display, Viewer, check, x_env


class NativeShell:
    """dragndrop (SDL2) on a private Xvfb."""
    name = "native"
    long_path = 320  # bytes: Linux paths have no 260-byte limit
    frame = (0, 0)  # no window manager: no frame around the client area
    first_client = (384, 280)
    full_screen = (1024, 768)  # the client area in full screen: the whole screen
    sizes_to_zoom = True  # the window takes the zoomed picture's size
    launcher = []
    # Started where no display can be reached, the viewer says this and ends with status 1.
    unseen_reason = b"cannot open a display"
    skipped = ()  # scenarios it cannot run, by name
    needs = {"Xvfb": "xvfb"}  # programs it runs, and the Debian packages that have them

    def __init__(self, args):
        self.program, self.converter = args.dragndrop, args.imag2png

    @classmethod
    def missing(cls):
        """Why the shell cannot be tested here, or None."""
        return next((f"{tool} is not installed (Debian package {package})"
                     for tool, package in cls.needs.items() if shutil.which(tool) is None), None)

    def display(self):
        return Display()

    def viewer(self, display, args):
        return Viewer(self, display, args)

    def command(self, args, program=None):
        return [*self.launcher, program or self.program,
                *(self.path(a) if a.startswith("/") else a for a in args)]

    def without_display(self):
        return self.command([]), x_env(":" + str(64000 + os.getpid() % 1000))

    def path(self, path):
        """The file as the viewer names it in its caption."""
        return path

    def set_dpi(self, display, dpi):
        """The desktop's scale for the viewers started next: Xft.dpi, or none (96)."""
        if dpi:
            display.run("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set",
                        "RESOURCE_MANAGER", f"Xft.dpi:\t{dpi}\n")
        else:
            display.run("xprop", "-root", "-remove", "RESOURCE_MANAGER")


class WineShell(NativeShell):
    """dragndrop.exe under Wine, on the display and in the prefix that the test run shares
    (tests/windows/wine-session). Managed windows: their X window is exactly the client area."""
    name = "wine"
    long_path = 258  # a Windows path holds 259 characters at most
    # Wine draws this window style with 4-pixel sizing borders and a 19-pixel caption: the
    # 392 x 308 window it opens at has a client area of 384 x 281.
    frame = (8, 27)
    first_client = (384, 281)
    unseen_reason = b"cannot create the window"

    def __init__(self, args):
        super().__init__(args)
        self.state, self.launcher = args.wine_state, [args.wine_run]

    def display(self):
        return Display(":" + Path(self.state, "display").read_text(encoding="ascii").strip())

    def without_display(self):
        """Wine itself, as wine-run would run it but with no display to reach."""
        prefix = os.path.abspath(os.path.join(self.state, "prefix"))
        env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
        env.pop("DISPLAY", None)
        return ["wine", self.program], env

    def set_dpi(self, display, dpi):
        """The desktop's scale, as the Windows display settings store it."""
        subprocess.run([*self.launcher, "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                        "LogPixels", "/t", "REG_DWORD", "/d", str(dpi or 96), "/f"],
                       capture_output=True, check=True)

    def path(self, path):
        """Wine shows the root of the file system as drive Z:."""
        return "Z:" + path.replace("/", "\\")


class WebShell(NativeShell):
    """The page in chromium (browser.py), beside the native converter. A page has no command
    line: the files a scenario starts with are dropped on it once it is up."""
    name = "web"
    long_path = None  # the page knows a file by its name alone, never by its folders
    # A headless browser keeps 56 rows of its 1024 x 768 screen for itself in full screen.
    full_screen = (1024, 712)
    sizes_to_zoom = False  # the browser's window is the user's to size, not the page's
    skipped = ("missing_file",  # no drop can bring a file that does not exist
               "blank_in_path", "options_on_the_command_line", "full_screen_and_fit_options",
               "accurate_profile_and_cat_pages", "small_picture_on_the_floor", "on_the_work_area",
               # the desktop's scale reaches a page as the browser's own zoom, not as Xft.dpi
               "twice_as_large_at_192_dpi")
    needs = {"chromium": "chromium", "chromedriver": "chromium-driver"}

    def __init__(self, args):
        super().__init__(args)
        self.site, self.from_disk = args.site, args.from_disk

    def display(self):
        """The page's site served on 127.0.0.1: the browser needs no X server."""
        check(os.path.exists(os.path.join(self.site, "index.html")),
              f"no site in {self.site}: build it with cmake --preset web")
        from browser import Site  # pylint: disable=import-outside-toplevel
        return Site(self.site, self.from_disk)

    def viewer(self, display, args):
        from browser import PageViewer  # pylint: disable=import-outside-toplevel
        return PageViewer(self, display, args)

    def command(self, args, program=None):
        return [program or self.program, *args]

    def path(self, path):
        """The page's name for a file: the name the drop gave it."""
        return os.path.basename(path)


SHELLS = {shell.name: shell for shell in (NativeShell, WineShell, WebShell)}
