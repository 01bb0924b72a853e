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

    def __init__(self, args):
        self.viewer, self.converter, self.drag = args.dragndrop, args.imag2png, args.drag

    def display(self):
        return Display()

    def command(self, args):
        return [self.viewer, *args]

    def start(self, args, env):
        return subprocess.Popen(self.command(args), env=env, stderr=subprocess.PIPE)

    # Started where no display can be reached, the viewer says this and ends with status 1.
    unseen_reason = b"cannot open a display"

    def without_display(self):
        env = dict(os.environ, DISPLAY=":" + str(64000 + os.getpid() % 1000))
        env.pop("WAYLAND_DISPLAY", None)
        return self.command([]), env

    def path(self, path):
        """The file as the viewer names it in its caption."""
        return path

    def convert(self, path, out, *options):
        return subprocess.run([self.converter, *options, path, out], capture_output=True,
                              check=False)


class WineShell:
    """dragndrop.exe under Wine, on the display and in the prefix that the test run shares
    (tests/windows/wine-session). Managed windows: their X window is exactly the client area."""
    name = "wine"
    long_path = 258  # a Windows path holds 259 characters at most
    # Wine draws this window style with 4-pixel sizing borders and a 19-pixel caption: the
    # 392 x 308 window it opens at has a client area of 384 x 281.
    frame = (8, 27)
    first_client = (384, 281)

    def __init__(self, args):
        self.run, self.state = args.wine_run, args.wine_state
        self.viewer, self.converter, self.drag = args.dragndrop, args.imag2png, args.drag

    def display(self):
        with open(os.path.join(self.state, "display"), encoding="ascii") as name:
            return Display(":" + name.read().strip())

    def command(self, args):
        return [self.run, self.viewer, *(self.path(a) if a.startswith("/") else a for a in args)]

    def start(self, args, env):
        return subprocess.Popen(self.command(args), env=env, stdin=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)

    unseen_reason = b"cannot create the window"

    def without_display(self):
        """Wine itself, as wine-run would run it but with no display to reach."""
        prefix = os.path.abspath(os.path.join(self.state, "prefix"))
        env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
        env.pop("DISPLAY", None)
        return ["wine", self.viewer], env

    def path(self, path):
        """Wine shows the root of the file system as drive Z:."""
        return "Z:" + path.replace("/", "\\")

    def convert(self, path, out, *options):
        return subprocess.run([self.run, self.converter, *options, self.path(path), self.path(out)],
                              capture_output=True, check=False)


SHELLS = {shell.name: shell for shell in (NativeShell, WineShell)}


def converted(shell, path, folder, *options):
    """The picture the shell's converter writes for `path`: what the viewer must show."""
    out = os.path.join(folder, "reference.ppm")
    result = shell.convert(path, out, *options)
    said = result.stderr.decode(errors="replace")
    check(result.returncode == 0, f"the converter refused {path}: {said}")
    with open(out, "rb") as ppm:
        return Image.from_ppm(ppm.read())
