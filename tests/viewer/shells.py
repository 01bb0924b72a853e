"""How each shell's viewer is started and names its files, what its window's frame is, and how
its converter writes the reference pictures. Everything else is the same for both (harness.py)."""

import os
import subprocess

from harness import Display, Image, check


class NativeShell:
    """dragndrop (SDL2) on a private Xvfb."""
    name = "native"
    long_path = 320  # bytes: Linux paths have no 260-byte limit
    frame = (0, 0)  # no window manager: no frame around the client area
    first_client = (384, 280)
    launcher = []
    # Started where no display can be reached, the viewer says this and ends with status 1.
    unseen_reason = b"cannot open a display"

    def __init__(self, args):
        self.viewer, self.converter = args.dragndrop, args.imag2png

    def display(self):
        return Display()

    def command(self, args, program=None):
        return [*self.launcher, program or self.viewer,
                *(self.path(a) if a.startswith("/") else a for a in args)]

    def without_display(self):
        env = dict(os.environ, DISPLAY=":" + str(64000 + os.getpid() % 1000),
                   DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent")  # as on the test display
        env.pop("WAYLAND_DISPLAY", None)
        return self.command([]), env

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
        with open(os.path.join(self.state, "display"), encoding="ascii") as name:
            return Display(":" + name.read().strip())

    def without_display(self):
        """Wine itself, as wine-run would run it but with no display to reach."""
        prefix = os.path.abspath(os.path.join(self.state, "prefix"))
        env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
        env.pop("DISPLAY", None)
        return ["wine", self.viewer], env

    def set_dpi(self, display, dpi):
        """The desktop's scale, as the Windows display settings store it."""
        subprocess.run([*self.launcher, "reg", "add", r"HKCU\Control Panel\Desktop", "/v",
                        "LogPixels", "/t", "REG_DWORD", "/d", str(dpi or 96), "/f"],
                       capture_output=True, check=True)

    def path(self, path):
        """Wine shows the root of the file system as drive Z:."""
        return "Z:" + path.replace("/", "\\")


SHELLS = {shell.name: shell for shell in (NativeShell, WineShell)}


def converted(shell, path, out, *options, read=None):
    """The picture the shell's converter writes for `path` (or into `read`, when it writes
    several): what the viewer must show."""
    result = subprocess.run(shell.command([*options, path, out], shell.converter),
                            capture_output=True, check=False)
    check(result.returncode == 0, f"the converter refused {path}: {result.stderr!r}")
    with open(read or out, "rb") as ppm:
        return Image.from_ppm(ppm.read())
