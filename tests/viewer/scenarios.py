#!/usr/bin/python3
"""The viewer's scenarios, run against one shell: what to start, what to press or drop, and what
the caption and the screen must then show. Expected pixels come from the converter.

usage: scenarios.py --shell native|wine --dragndrop BIN --imag2png BIN --drag BIN --samples DIR
                    [--wine-run SCRIPT --wine-state DIR] [NAME...]

Exit 0 when every check passed, 1 on the first failure, 77 (skipped) without Xvfb.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from harness import FRAME_H, FRAME_W, GREY, SKIP, TITLE, Failure, Image, Viewer, check
from shells import SHELLS, converted


class Run:
    """One shell, its display, the test files and the converter's pictures of them."""

    def __init__(self, shell, display, folder, samples):
        self.shell, self.display, self.folder = shell, display, folder
        self.files = make_files(folder, samples, shell)
        self.pictures = {}

    def path(self, key):
        return self.files.get(key, key)

    def picture(self, key, *options):
        if (key, options) not in self.pictures:
            self.pictures[key, options] = converted(self.shell, self.path(key), self.folder,
                                                    *options)
        return self.pictures[key, options]


def bundled(samples):
    """(stem, file name) of each bundled sample picture."""
    return sorted((os.path.splitext(name)[0], name) for name in os.listdir(samples)
                  if name.endswith((".img", ".imag")))


def make_files(folder, samples, shell):
    """Every file a scenario names, by key: the bundled samples by their stem, and the odd ones."""
    files = {stem: os.path.join(samples, name) for stem, name in bundled(samples)}
    files["accurate-clut4"] = os.path.join(samples, "accurate", "clut4.imag")

    def copy(key, *parts, source="clut8-chart"):
        files[key] = os.path.join(folder, *parts)
        os.makedirs(os.path.dirname(files[key]), exist_ok=True)
        shutil.copyfile(files[source], files[key])

    copy("two words", "two words.img")
    copy("odd name", "a b \u00f1\u00e9 \u65e5.img", source="clut4-chart")
    copy("unicode", "\u65e5\u672c\u8a9e \u03a9\u03bc\u03ad\u03b3\u03b1.imag", source="rl7-chart")
    # Folders of up to 100 letters, so that the viewer's name for the file is `long_path` long.
    room, parts = shell.long_path - len(shell.path(os.path.join(folder, "long.img"))), []
    while room > 0:
        parts.append("d" * min(room - 1, 99) or "d")
        room -= len(parts[-1]) + 1
    copy("long", *parts, "long.img", source="clut7-chart")
    check(len(shell.path(files["long"])) == shell.long_path, "the long path has the wrong length")
    bad = os.path.join(os.fsencode(folder), b"bad\xff name.img")
    shutil.copyfile(files["rl3-bars"], bad)
    files["bad utf8"] = os.fsdecode(bad)
    files["refused"] = os.path.join(folder, "ilbm.img")  # an IFF file of another type
    with open(files["refused"], "wb") as out:
        out.write(b"FORM\0\0\0\x10ILBMBMHD\0\0\0\0")
    files["notes"] = os.path.join(folder, "notes.txt")
    with open(files["notes"], "w", encoding="ascii") as text:
        text.write("not a picture\n")
    files["missing"] = os.path.join(folder, "missing.img")
    return files


# What the screen must show, as a function of the run and of the client area's size.

def frame(key):
    """The 384 x 280 frame at the top-left, grey around it."""
    return lambda run, w, h: run.picture(key).on_grey(w, h)


def accurate(key):
    """The accurate picture at its own size at the top-left, grey around it."""
    return lambda run, w, h: run.picture(key, "--accurate").on_grey(w, h)


def black(run, w, h):
    return Image.solid(FRAME_W, FRAME_H, b"\0\0\0").on_grey(w, h)


def grey(run, w, h):
    return Image.solid(w, h, GREY)


# What the caption must be.

def named(key, suffix=""):
    return lambda run: run.shell.path(run.path(key)) + suffix


def title(run):
    return TITLE


# What to do.

def press(keys):
    return lambda run, viewer: viewer.key(keys)


def drop(*keys, kind="both"):
    return lambda run, viewer: viewer.drop([run.path(k) for k in keys], kind)


def resize(width, height):
    return lambda run, viewer: viewer.resize(width, height)


def window_as_specified(run, viewer):
    """A client area that holds the frame, an icon, and a window that takes drops."""
    shot = viewer.screenshot()
    check(shot.width >= FRAME_W and shot.height >= FRAME_H,
          f"the client area is {shot.width}x{shot.height}, smaller than the frame")
    for atom, what in (("_NET_WM_ICON", "no icon"), ("XdndAware", "does not take drops")):
        found = run.display.run("xprop", "-id", viewer.window, atom).stdout
        check(b"not found" not in found and b"=" in found, f"the window has {what}")


class Step:
    def __init__(self, action, caption, screen=None, then=None, shells=("native", "wine")):
        self.action, self.caption, self.screen, self.then = action, caption, screen, then
        self.shells = shells


class Scenario:
    def __init__(self, start, steps, shells=("native", "wine")):
        self.start, self.steps, self.shells = start, steps, shells


NATIVE = ("native",)
SCENARIOS = {
    "command_line_then_resize": Scenario(["dyuv-chart"], [
        Step(None, named("dyuv-chart"), frame("dyuv-chart"), then=window_as_specified),
        Step(resize(500, 400), named("dyuv-chart"), frame("dyuv-chart")),  # grey beyond it
        Step(resize(200, 120), named("dyuv-chart"), frame("dyuv-chart")),  # its top-left part
    ]),
    **{f"sample_{key}": Scenario([key], [Step(None, named(key), frame(key))])
       for key, _ in bundled(os.path.join(os.path.dirname(__file__), "..", "..", "samples"))},
    "long_path": Scenario(["long"], [
        Step(None, named("long"), frame("long")),
        Step(drop("rl3-bars"), named("rl3-bars"), frame("rl3-bars")),
        Step(drop("long"), named("long"), frame("long")),
    ]),
    "refused_on_command_line": Scenario(["refused"], [
        Step(resize(450, 330), title, black),
    ]),
    "no_file": Scenario([], [Step(None, title, grey)]),
    "missing_file": Scenario(["missing"], [Step(None, title, grey)]),
    # A path with a blank, split in two arguments: the blank-joined text names the file.
    "blank_in_path": Scenario([os.path.join("{folder}", "two"), "words.img"], [
        Step(None, named("two words"), frame("two words")),
    ]),
    "drops": Scenario([], [
        Step(drop("rl3-bars"), named("rl3-bars"), frame("rl3-bars")),
        Step(drop("clut8-chart"), named("clut8-chart"), frame("clut8-chart")),
        Step(drop("notes"), title, black),
        Step(drop("rl7-chart", "dyuv-chart"), named("rl7-chart"), frame("rl7-chart")),
        Step(drop("missing"), title, frame("rl7-chart")),  # the picture stays
        Step(drop("odd name"), named("odd name"), frame("odd name")),
        Step(drop("clut7-chart", kind="plain"), named("clut7-chart"), frame("clut7-chart"),
             shells=NATIVE),
        Step(drop("bad utf8"), lambda run: run.path("bad utf8").encode(
            "utf-8", "surrogateescape").decode("utf-8", "replace"), frame("bad utf8"),
            shells=NATIVE),
        Step(drop("refused"), title, black),
    ]),
    # Letters outside any one code page, on the command line and dropped.
    "unicode_name": Scenario(["unicode"], [
        Step(None, named("unicode"), frame("unicode")),
        Step(drop("rl3-bars"), named("rl3-bars"), frame("rl3-bars")),
        Step(drop("unicode"), named("unicode"), frame("unicode")),
    ]),
    "tab_switches_profile": Scenario(["accurate-clut4"], [
        Step(None, named("accurate-clut4"), frame("accurate-clut4")),
        Step(press("Tab"), named("accurate-clut4", " [accurate]"), accurate("accurate-clut4")),
        Step(press("Tab"), named("accurate-clut4"), frame("accurate-clut4")),
    ]),
}


def run_scenario(run, name, scenario):
    folder = run.folder
    args = [run.path(a).replace("{folder}", folder) for a in scenario.start]
    viewer = Viewer(run.shell, run.display, args)
    try:
        viewer.wait_for_window()
        for n, step in enumerate(scenario.steps):
            if run.shell.name not in step.shells:
                continue
            what = f"{name}, step {n + 1}"
            if step.action:
                step.action(run, viewer)
            viewer.wait_for_caption(step.caption(run))
            if step.screen:
                viewer.wait_for_screen(lambda w, h: step.screen(run, w, h), what)
            if step.then:
                step.then(run, viewer)
        viewer.close()
        return viewer.stderr()
    except Failure as failure:
        raise Failure(f"{name}: {failure}") from None
    finally:
        viewer.kill()


def no_display(shell):
    """Without a display the native viewer says so and ends, rather than wait unseen."""
    env = dict(os.environ, DISPLAY=":" + str(64000 + os.getpid() % 1000))
    env.pop("WAYLAND_DISPLAY", None)
    try:
        ran = subprocess.run([shell.viewer], env=env, capture_output=True, timeout=10, check=False)
    except subprocess.TimeoutExpired:
        raise Failure("without a display dragndrop kept running, with no window") from None
    check(ran.returncode == 1 and b"cannot open a display" in ran.stderr,
          f"without a display: exit {ran.returncode}, said {ran.stderr!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", choices=SHELLS, required=True)
    for option in ("--dragndrop", "--drag", "--imag2png", "--samples"):
        parser.add_argument(option, required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--wine-state")
    parser.add_argument("names", nargs="*", help="scenarios to run (default: all)")
    args = parser.parse_args()
    if shutil.which("Xvfb") is None:
        print("SKIPPED: Xvfb is not installed (Debian package xvfb); no X server to test on")
        return SKIP
    shell = SHELLS[args.shell](args)
    display = shell.display()
    try:
        with tempfile.TemporaryDirectory(prefix="dragndrop-test-") as folder:
            run = Run(shell, display, folder, os.path.abspath(args.samples))
            for name in args.names or SCENARIOS:
                scenario = SCENARIOS[name]
                if shell.name not in scenario.shells:
                    continue
                started = time.monotonic()
                said = run_scenario(run, name, scenario)
                if name == "drops" and shell.name == "native":
                    check(f"dragndrop: {run.path('notes')}: " in said,
                          "no reason printed for the refused file")
                print(f"ok {name} ({time.monotonic() - started:.1f} s)", flush=True)
            if shell.name == "native" and not args.names:
                no_display(shell)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        display.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
