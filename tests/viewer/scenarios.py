#!/usr/bin/python3
"""The viewer's scenarios, run against one shell: what to start, what to press or drop, and what
the caption and the screen must then show. Expected pixels come from the converter.

Exit 0 when every check passed, 1 on the first failure, 77 (skipped) without Xvfb (without
chromium for the web shell).
"""

import argparse
import collections
import json
import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from harness import (FRAME_H, FRAME_W, GREY, SKIP, TITLE, Failure, Image, ManagedDesktop,
                     check, wait_until)
from shells import SHELLS


class Run:
    """One shell, its display, the test files and the converter's pictures of them."""

    def __init__(self, shell, display, folder, samples):
        self.shell, self.display, self.folder = shell, display, folder
        self.files = make_files(folder, samples, shell)
        self.pictures = {}

    def path(self, key):
        return self.files.get(key, key)

    def picture(self, key, *options, page=None):
        """What the shell's converter writes for the file, or for picture `page` (from 1) of a
        CAT: what the viewer must show."""
        if (key, options, page) not in self.pictures:
            out = os.path.join(self.folder, "reference.ppm")
            result = subprocess.run(self.shell.command(
                [*options, *(["--all"] if page else []), self.path(key), out],
                self.shell.converter), capture_output=True, check=False)
            check(result.returncode == 0, f"the converter refused {key}: {result.stderr!r}")
            read = os.path.join(self.folder, f"reference-{page}.ppm") if page else out
            self.pictures[key, options, page] = Image.from_ppm(Path(read).read_bytes())
        return self.pictures[key, options, page]


def bundled(samples):
    """(stem, file name) of each bundled sample picture."""
    return sorted((os.path.splitext(name)[0], name) for name in os.listdir(samples)
                  if name.endswith((".img", ".imag")))


def make_files(folder, samples, shell):
    """Every file a scenario names, by key: the bundled samples by their stem, and the odd ones."""
    files = {stem: os.path.join(samples, name) for stem, name in bundled(samples)}
    files["accurate-clut4"] = os.path.join(samples, "accurate", "clut4.imag")
    files["cat"] = os.path.join(samples, "accurate", "cat-two-pictures.imag")

    def make(key, *parts, data=None, source="clut8-chart"):
        """folder/parts... holding `data`, or else what the file `source` holds."""
        files[key] = os.path.join(folder, *parts)
        os.makedirs(os.path.dirname(files[key]), exist_ok=True)
        Path(files[key]).write_bytes(Path(files[source]).read_bytes() if data is None else data)

    make("two words", "two words.img")
    make("odd name", "a b \u00f1\u00e9 \u65e5.img", source="clut4-chart")
    make("unicode", "\u65e5\u672c\u8a9e \u03a9\u03bc\u03ad\u03b3\u03b1.imag", source="rl7-chart")
    # Folders of up to 100 letters, so that the viewer's name for the file is `long_path` long.
    room, parts = (shell.long_path or 0) - len(shell.path(os.path.join(folder, "long.img"))), []
    while room > 0:
        parts.append("d" * min(room - 1, 99) or "d")
        room -= len(parts[-1]) + 1
    make("long", *parts, "long.img", source="clut7-chart")
    check(shell.long_path in (None, len(shell.path(files["long"]))),
          "the long path has the wrong length")
    make("bad utf8", os.fsdecode(b"bad\xff name.img"), source="rl3-bars")
    make("refused", "ilbm.img", data=b"FORM\0\0\0\x10ILBMBMHD\0\0\0\0")  # an IFF of another type
    make("notes", "notes.txt", data=b"not a picture\n")
    # Its last rows cut off: a warning.
    make("cut short", "cut short.img", data=Path(files["clut8-chart"]).read_bytes()[:-4000])
    files["missing"] = os.path.join(folder, "missing.img")
    # A folder of pictures in natural order, and a file that is none (it sorts first).
    make("pic2", "pics", "pic2.img", source="rl7-chart")
    make("pic10", "pics", "pic10.img", source="dyuv-chart")
    make("pics notes", "pics", "notes.txt", source="notes")
    files["pics"] = os.path.dirname(files["pic2"])
    # Saved beside the file, in a folder and under a name in any letters.
    make("to save", "save \u03a9\u03bc", "\u65e5\u672c pic.img", source="clut4-chart")
    # Paths a file manager may drop that are no pictures, and every fuzz seed.
    files["fifo"] = os.path.join(folder, "a fifo")
    os.mkfifo(files["fifo"])
    make("empty", "empty.img", data=b"")
    files["no pictures"] = os.path.join(folder, "no pictures")
    os.mkdir(files["no pictures"])
    for name in SEEDS:  # less the fuzzer's selector byte
        make(name, name + ".img", data=Path(HERE, "..", "fuzz", "corpus", name).read_bytes()[1:])
    # A dump holding two pictures among other data, for --scan.
    dump = b""
    for source, at in (("clut8-chart", DUMP_FIRST), ("rl7-chart", DUMP_SECOND)):
        dump = dump.ljust(at, b"\xee") + Path(files[source]).read_bytes()
    make("dump", "dump.bin", data=dump + b"\xee" * 100)
    return files


DUMP_FIRST, DUMP_SECOND = 0x800, 0x10000
HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = sorted(os.listdir(os.path.join(HERE, "..", "fuzz", "corpus")))  # each a CD-i picture


# What the screen must show, as a function of the run and of the client area's size.

def frame(key, factor=1, left=0, top=0):
    """The 384 x 280 frame, enlarged `factor` times with nearest neighbour, its top-left at
    (left, top), grey around it."""
    return lambda run, w, h: run.picture(key, "--classic").scaled(factor).on_grey(w, h, left, top)


def accurate(key, factor=1, page=None):
    """The accurate picture (or picture `page`, from 1, of a CAT) enlarged `factor` times:
    centred in the 384 x 280 floor at the top-left when smaller than it, grey around it."""
    def screen(run, w, h):
        shown = run.picture(key, "--accurate", page=page).scaled(factor)
        return shown.on_grey(w, h, max((min(w, FRAME_W) - shown.width) // 2, 0),
                             max((min(h, FRAME_H) - shown.height) // 2, 0))
    return screen


def fitted(key):
    """The frame at the largest whole scale that fits the client area, centred."""
    def screen(run, w, h):
        factor = max(min(w // FRAME_W, h // FRAME_H, 16), 1)
        left, top = (w - FRAME_W * factor) // 2, (h - FRAME_H * factor) // 2
        return run.picture(key).scaled(factor).on_grey(w, h, left, top)
    return screen


def black(run, w, h):
    return Image.solid(FRAME_W, FRAME_H, b"\0\0\0").on_grey(w, h)


def grey(run, w, h):
    return Image.solid(w, h, GREY)


# What the caption must be.

def named(key, suffix=""):
    return lambda run: run.shell.path(run.path(key)) + suffix


def named_in_its_profile(key):
    """The caption of a file shown in the profile the converter's --info chooses for it."""
    def caption(run):
        result = subprocess.run(
            run.shell.command(["--info", "--json", run.path(key)], run.shell.converter),
            capture_output=True, check=False)
        first = json.loads(result.stdout.decode().splitlines()[0])
        accurate = first.get("profile") == "accurate"
        pages = f" [accurate 1/{first['pictures']}]" if first.get("pictures", 1) > 1 else " [accurate]"
        return run.shell.path(run.path(key)) + (pages if accurate else "")
    return caption


def found(offset, suffix=""):
    """A picture found in the dump by --scan."""
    return lambda run: run.shell.path(run.path("dump")) + f"@{offset:#x}" + suffix


def title(run):
    return TITLE


# What to do.

def act(method):
    """Actions (or checks) that call the viewer's `method` with the arguments a step gives."""
    return lambda *args: lambda run, viewer: getattr(viewer, method)(*args)


press, resize, placed, ctrl_wheel, drag_by, has_icon = (
    act(m) for m in ("key", "resize", "place", "ctrl_wheel", "drag", "has_icon"))


def drop(*keys, kind="both"):
    return lambda run, viewer: viewer.drop([run.path(k) for k in keys], kind)


def save_beside(key):
    """Ctrl+S, with the browser's downloads going beside the file."""
    def action(run, viewer):
        viewer.saves_to(os.path.dirname(run.path(key)))
        viewer.key("ctrl+s")
    return action


def sized(width, height=None):
    """The client area becomes width x height, or the shell's size named `width`."""
    def then(run, viewer):
        def size():
            shot = viewer.screenshot()
            return shot.width, shot.height
        wanted = (width, height) if height else getattr(run.shell, width)
        wait_until("a client area of %dx%d" % wanted, lambda: size() == wanted,
                   explain=lambda: "it is %dx%d" % size())
    return then


def zoomed_to(width, height):
    """The window took the zoomed picture's size (the browser's window is the user's)."""
    def then(run, viewer):
        if run.shell.sizes_to_zoom:
            sized(width, height)(run, viewer)
    return then


def as_large_as_the_screen(run, viewer):
    """The whole window fills the 1024 x 768 screen: its client area is that less its frame."""
    zoomed_to(1024 - run.shell.frame[0], 768 - run.shell.frame[1])(run, viewer)


filling_the_screen = sized("full_screen")
windowed = sized("first_client")  # back to its size when the window opened


def text_over(key):
    """Something is written over the frame: the screen is not the frame alone."""
    def then(run, viewer):
        shot = viewer.screenshot()
        check(frame(key)(run, shot.width, shot.height).differences(shot) != "",
              "no text over the frame")
    return then


def at_once(screen):
    """The screen is `screen` within 1.5 s: sooner than a message about the picture before
    would have gone by itself."""
    return lambda run, viewer: viewer.wait_for_screen(
        lambda w, h: screen(run, w, h), "the screen without the last picture's message", 1.5)


def hint_in_the_middle(run, viewer):
    """An empty window: grey, with a line of text across its middle."""
    shot = viewer.screenshot()
    band = shot.height // 4
    check((shot.pixels[:band] == 128).all() and (shot.pixels[-band:] == 128).all(),
          "the window is not grey above and below its middle")
    check((shot.pixels[shot.height // 2 - 4:shot.height // 2 + 4] != 128).any(),
          "nothing is written across the middle of the empty window")


def on_the_work_area(run, viewer):
    """The whole window, its frame included, lies on the work area (the screen less the panel),
    and so does its client area, where the panel and messages are drawn. Without a window
    manager the frame is the shell's own and the work area the screen."""
    def geometry(*window):
        said = viewer.display.run("xwininfo", *window).stdout.decode()
        return [int(re.search(name + r":\s+(-?\d+)", said)[1]) for name in
                ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    def where():
        extents = viewer.display.run("xprop", "-id", viewer.window, "_NET_FRAME_EXTENTS")
        sides = re.findall(r"\d+", extents.stdout.decode().split("=", 1)[-1])
        across, down = run.shell.frame  # borders alike on all sides, the caption on top
        left, right, top, bottom = ([int(n) for n in sides[:4]] if run.desktop else
                                    [across // 2, across // 2, down - across // 2, across // 2])
        x, y, width, height = geometry("-id", viewer.window)
        return (x - left, y - top, x + width + right, y + height + bottom)
    def work_area():
        return run.desktop.work_area() if run.desktop else geometry("-root")
    def inside():
        (x0, y0, x1, y1), (wx, wy, ww, wh) = where(), work_area()
        return x0 >= wx and y0 >= wy and x1 <= wx + ww and y1 <= wy + wh
    wait_until("the window on the work area", inside,
               explain=lambda: f"it spans {where()}, the work area is {work_area()}")


def saved_as(name, key):
    """Ctrl+S wrote `name` beside the file, holding the frame the converter shows for `key`."""
    def then(run, viewer):
        path = os.path.join(os.path.dirname(run.path("to save")), name)
        wait_until(f"{name} to be written", lambda: os.path.exists(path))
        why = run.picture(key).differences(Image.read(path))
        check(why == "", f"{name} is not the frame: {why}")
    return then


DESKTOP = ("native", "wine")
NATIVE = ("native",)


Step = collections.namedtuple("Step", "action caption screen then shells",
                              defaults=(None, None, (*DESKTOP, "web")))


def shows(action, key, factor=1, **more):
    """A step after which the caption names `key` and the screen is its frame `factor` times."""
    return Step(action, named(key), frame(key, factor), **more)


SCENARIOS = {
    "command_line_then_resize": (["dyuv-chart"], [
        shows(None, "dyuv-chart", then=has_icon()),
        shows(resize(500, 400), "dyuv-chart"),  # grey beyond it
        shows(resize(200, 120), "dyuv-chart"),  # its top-left part
    ]),
    **{f"sample_{key}": ([key], [shows(None, key)])
       for key, _ in bundled(os.path.join(HERE, "..", "..", "samples"))},
    # Names as long as the system allows, and letters outside any one code page, on the
    # command line and dropped.
    "long_path": (["long"], [
        shows(None, "long"),
        shows(drop("unicode"), "unicode"),
        shows(drop("long"), "long"),
    ]),
    "refused_on_command_line": (["refused"], [Step(resize(450, 330), title, black)]),
    "no_file": ([], [Step(None, title, then=hint_in_the_middle)]),
    "missing_file": (["missing"], [Step(None, title, grey)]),
    # A path with a blank, split in two arguments: the blank-joined text names the file.
    "blank_in_path": ([os.path.join("{folder}", "two"), "words.img"], [shows(None, "two words")]),
    "drops": ([], [
        shows(drop("rl3-bars"), "rl3-bars"),
        Step(drop("notes"), title, black),
        shows(drop("rl7-chart", "dyuv-chart"), "rl7-chart"),
        Step(drop("missing"), title, frame("rl7-chart")),  # the picture stays
        shows(drop("odd name"), "odd name"),
        shows(drop("clut7-chart", kind="plain"), "clut7-chart", shells=NATIVE),
        Step(drop("bad utf8"), lambda run: run.path("bad utf8").encode(
            "utf-8", "surrogateescape").decode("utf-8", "replace"), frame("bad utf8"),
            shells=NATIVE),
    ]),
    # Whatever is dropped, the viewer stays up: each file is shown or refused, and a FIFO is
    # never waited on.
    "hostile_drops": ([], [
        *(Step(drop(name), named_in_its_profile(name)) for name in SEEDS),
        *(Step(drop(key), title) for key in ("empty", "no pictures", "missing")),
        *(Step(drop(key), title, shells=NATIVE) for key in ("fifo", "/dev/zero")),
        shows(drop("pics", "fifo"), "pic2", shells=NATIVE),
    ]),
    # Several arguments that name no file together: each is a file. No wrap at either end.
    "next_and_previous": (["clut8-chart", "rl7-chart", "dyuv-chart"], [
        shows(None, "clut8-chart"),
        *(shows(press(key), shown) for key, shown in (
            ("n", "rl7-chart"), ("Right", "dyuv-chart"), ("space", "dyuv-chart"),
            ("Home", "clut8-chart"), ("Left", "clut8-chart"), ("End", "dyuv-chart"),
            ("p", "rl7-chart"), ("BackSpace", "clut8-chart"))),
    ]),
    "drop_makes_the_list": ([], [
        shows(drop("rl7-chart", "dyuv-chart"), "rl7-chart"),
        shows(press("n"), "dyuv-chart"),
        shows(drop("pics"), "pic2"),
        shows(press("End"), "pic10"),
    ]),
    # The screen is 1024 x 768: at 3x the window is as large as the screen allows.
    "zoom_and_pan": (["clut8-chart"], [
        shows(press("plus"), "clut8-chart", 2, then=zoomed_to(768, 560)),
        shows(press("equal"), "clut8-chart", 3, then=as_large_as_the_screen),
        Step(drag_by(-100, -40), named("clut8-chart"), frame("clut8-chart", 3, -100, -40)),
        shows(drag_by(300, 300), "clut8-chart", 3),  # stops at 0
        shows(press("minus"), "clut8-chart", 2, then=zoomed_to(768, 560)),
        shows(press("KP_Add"), "clut8-chart", 3),
        shows(press("KP_Subtract"), "clut8-chart", 2),
        shows(ctrl_wheel(5), "clut8-chart", then=zoomed_to(384, 280)),
        shows(ctrl_wheel(4), "clut8-chart", 2, then=zoomed_to(768, 560)),
        shows(press("0"), "clut8-chart", then=zoomed_to(384, 280)),
    ]),
    "fit_follows_the_window": (["rl3-bars"], [
        shows(placed(1000, 700), "rl3-bars"),
        Step(press("w"), named("rl3-bars"), fitted("rl3-bars")),
        Step(resize(900, 300), named("rl3-bars"), fitted("rl3-bars")),
    ]),
    "full_screen": (["dyuv-chart"], [
        Step(press("f"), named("dyuv-chart"), then=filling_the_screen),
        Step(None, named("dyuv-chart"), fitted("dyuv-chart")),
        Step(press("Escape"), named("dyuv-chart"), then=windowed),  # and does not quit
        shows(None, "dyuv-chart"),
        Step(press("F11"), named("dyuv-chart"), then=filling_the_screen),
        Step(press("F11"), named("dyuv-chart"), then=windowed),
    ]),
    "options_on_the_command_line": (["--zoom", "2", "--", "clut7-chart"], [
        shows(None, "clut7-chart", 2, then=zoomed_to(768, 560))]),
    "full_screen_and_fit_options": (["--fit", "--fullscreen", "clut7-chart"], [
        Step(None, named("clut7-chart"), then=filling_the_screen),
        Step(None, named("clut7-chart"), fitted("clut7-chart")),
        Step(press("Escape"), named("clut7-chart"), then=windowed),  # fit stays
        shows(press("0"), "clut7-chart"),
    ]),
    # The profile holds for the next files; PageDown and PageUp step through a CAT.
    "accurate_profile_and_cat_pages": (["--accurate", "cat", "accurate-clut4"], [
        Step(None, named("cat", " [accurate 1/2]"), accurate("cat", page=1)),
        Step(press("Next"), named("cat", " [accurate 2/2]"), accurate("cat", page=2)),
        Step(press("Next"), named("cat", " [accurate 2/2]"), accurate("cat", page=2)),
        Step(press("Prior"), named("cat", " [accurate 1/2]"), accurate("cat", page=1)),
        Step(press("n"), named("accurate-clut4", " [accurate]"), accurate("accurate-clut4")),
        shows(press("Tab"), "accurate-clut4"),
        shows(press("p"), "cat"),
    ]),
    # A message (here: that the picture data ends early) shows for a while, then the specified
    # pixels are back exactly; so with the panel.
    "message_then_exact_pixels": (["cut short"], [
        Step(None, named("cut short"), then=text_over("cut short")),
        shows(None, "cut short"),
        Step(press("i"), named("cut short"), then=text_over("cut short")),
        shows(press("i"), "cut short"),
    ]),
    # A picture's message goes with it: the next picture shows without it, at once.
    "message_belongs_to_its_picture": (["cut short", "clut8-chart"], [
        Step(None, named("cut short"), then=text_over("cut short")),
        Step(press("n"), named("clut8-chart"), then=at_once(frame("clut8-chart"))),
    ]),
    # A picture smaller than the 384 x 280 floor is centred in it at every zoom, the window
    # never smaller than the floor.
    "small_picture_on_the_floor": (["--accurate", "accurate-clut4"], [
        Step(None, named("accurate-clut4", " [accurate]"), accurate("accurate-clut4")),
        *(Step(press(keys), named("accurate-clut4", " [accurate]"), accurate("accurate-clut4", n),
               then=sized(width, 280))
          for keys, n, width in (("plus", 2, 384), ("plus", 3, 576), ("minus minus", 1, 384))),
    ]),
    # Under a window manager, on a 1920 x 1080 screen less a panel: a zoomed window grows about
    # its centre and stays on the work area, frame and all; a zoom larger than it pans.
    "on_the_work_area": (["--zoom", "3", "rl7-chart"], [
        shows(None, "rl7-chart", 3, then=on_the_work_area),
        shows(press("plus plus plus plus plus"), "rl7-chart", 8, then=on_the_work_area),
        shows(press("0"), "rl7-chart", then=on_the_work_area),
    ], {"managed": True}),
    # On a 192-dpi desktop everything is twice as large: the window, the frame, the text.
    "twice_as_large_at_192_dpi": (["clut7-chart"], [
        shows(None, "clut7-chart", 2, then=sized(768, 560)),
        shows(press("plus"), "clut7-chart", 4),
        shows(press("0"), "clut7-chart", 2, then=sized(768, 560)),
    ], {"dpi": 192}),
    # Each picture found inside a file is an entry, shown as the picture alone would be.
    "scan_lists_the_pictures_in_a_dump": (["--scan", "dump"], [
        Step(None, found(DUMP_FIRST), frame("clut8-chart")),
        Step(press("n"), found(DUMP_SECOND), frame("rl7-chart")),
        Step(press("Tab"), found(DUMP_SECOND, " [accurate]"), accurate("rl7-chart")),
    ]),
    "save_never_overwrites": (["to save"], [
        Step(save_beside("to save"), named("to save"),
             then=saved_as("\u65e5\u672c pic.img.png", "to save")),
        # The browser names a second download itself.
        Step(save_beside("to save"), named("to save"),
             then=saved_as("\u65e5\u672c pic.img-2.png", "to save"), shells=DESKTOP),
    ]),
}


def run_scenario(run, name, scenario):
    start, steps, *desktop = scenario
    args = [run.path(a).replace("{folder}", run.folder) for a in start]
    dpi, managed = (desktop[0].get(what) for what in ("dpi", "managed")) if desktop else (0, 0)
    if dpi:
        run.shell.set_dpi(run.display, dpi)
    # (Wine learns the work area when its session starts, on a display without a window manager:
    # its windows are checked against the screen.)
    run.desktop = ManagedDesktop() if managed and run.shell.name == "native" else None
    viewer = run.shell.viewer(run.desktop.display if run.desktop else run.display, args)
    try:
        viewer.wait_for_window()
        for n, step in enumerate(steps):
            if run.shell.name not in step.shells:
                continue
            if step.action:
                step.action(run, viewer)
            viewer.wait_for_caption(step.caption(run))
            if step.screen:
                viewer.wait_for_screen(lambda w, h: step.screen(run, w, h), f"{name}, step {n + 1}")
            if step.then:
                step.then(run, viewer)
        viewer.close()
        return viewer.stderr()
    except Failure as failure:
        raise Failure(f"{name}: {failure}") from None
    finally:
        viewer.kill()
        if dpi:
            run.shell.set_dpi(run.display, None)
        if run.desktop:
            run.desktop.close()


def help_version_and_usage(shell):
    """--help and --version print to standard output and end with 0; a wrong option with 2."""
    for args, code, stream, text in ((["--version"], 0, "stdout", b"dragndrop "),
                                     (["--bogus"], 2, "stderr", b"--bogus"),
                                     (["--zoom", "17"], 2, "stderr", b"17"),
                                     (["--help"], 0, "stdout", b"PageDown")):
        ran = subprocess.run(shell.command(args), capture_output=True, timeout=30, check=False)
        said = getattr(ran, stream)
        check(ran.returncode == code and text in said,
              f"{args}: exit {ran.returncode}, said {said!r}")
    # The README's key list is the one the viewer has (--help's, the last above).
    keys = said.replace(b"\r\n", b"\n")  # Windows writes text lines with CR LF
    documented = Path(HERE, "..", "..", "README.md").read_bytes()
    for line in keys.split(b"Keys:\n", 1)[1].splitlines():
        check(line.strip() in documented, f"the README lacks the key line {line.strip()!r}")


def readme_screenshot(run):
    """The README's screenshot is what the viewer shows for the DYUV sample: the picture its
    scenario holds the viewer to. Taken again with imag2png samples/dyuv-chart.imag OUT.png."""
    shot = Image.read(os.path.join(HERE, "..", "..", "docs", "screenshot.png"))
    why = run.picture("dyuv-chart").differences(shot)
    check(why == "", f"docs/screenshot.png is no longer what the viewer shows: {why}")


def page_shot(run, out):
    """The README's picture of the page: the DYUV sample dropped on it, shown at 2x."""
    viewer = run.shell.viewer(run.display, [run.path("dyuv-chart")])
    try:
        viewer.wait_for_window()
        viewer.resize(FRAME_W * 2, FRAME_H * 2)
        viewer.key("plus")
        viewer.wait_for_screen(lambda w, h: frame("dyuv-chart", 2)(run, w, h), "the page shot")
        Path(out).write_bytes(viewer.driver.get_screenshot_as_png())
    finally:
        viewer.kill()


def no_display(shell):
    """Without a display the viewer says why and ends, rather than wait unseen."""
    command, env = shell.without_display()
    try:
        ran = subprocess.run(command, env=env, capture_output=True, timeout=30, check=False)
    except subprocess.TimeoutExpired:
        raise Failure("without a display the viewer kept running, with no window") from None
    check(ran.returncode == 1 and shell.unseen_reason in ran.stderr,
          f"without a display: exit {ran.returncode}, said {ran.stderr!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", choices=SHELLS, required=True)
    for option in ("--imag2png", "--samples"):
        parser.add_argument(option, required=True)
    parser.add_argument("--dragndrop", help="the viewer (native and wine shells)")
    parser.add_argument("--site", help="the page's site, as the web preset builds it")
    parser.add_argument("--from-disk", action="store_true",
                        help="web shell: the single-file page opened from the disk")
    parser.add_argument("--page-shot", metavar="PNG",
                        help="web shell: also write a screenshot of the page (the README's)")
    parser.add_argument("--wine-run")
    parser.add_argument("--wine-state")
    parser.add_argument("names", nargs="*", help="scenarios to run (default: all)")
    args = parser.parse_args()
    if SHELLS[args.shell].missing():
        print("SKIPPED: " + SHELLS[args.shell].missing())
        return SKIP
    shell = SHELLS[args.shell](args)
    display = shell.display()
    try:
        with tempfile.TemporaryDirectory(prefix="dragndrop-test-") as folder:
            run = Run(shell, display, folder, os.path.abspath(args.samples))
            for name in args.names or SCENARIOS:
                if name in shell.skipped:
                    print(f"skipped {name}: not in the {shell.name} shell", flush=True)
                    continue
                started = time.monotonic()
                said = run_scenario(run, name, SCENARIOS[name])
                if name == "drops" and shell.name == "native":
                    check(f"dragndrop: {run.path('notes')}: " in said,
                          "no reason printed for the refused file")
                if name == "hostile_drops":  # a reason for each refused file, and nothing else
                    for line in said.splitlines():
                        check(line.startswith("dragndrop: "), f"unexpected output: {line!r}")
                print(f"ok {name} ({time.monotonic() - started:.1f} s)", flush=True)
            if not args.names:
                if shell.name != "web":  # the page has no command line and needs no display
                    help_version_and_usage(shell)
                    no_display(shell)
                readme_screenshot(run)
            if args.page_shot and shell.name == "web":
                page_shot(run, args.page_shot)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        display.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
