#!/usr/bin/python3
"""dragndrop on a real X server (Xvfb): the frame on screen, the grey around it, the caption, and
drops delivered through XDND by xdnd_drag.

usage: viewer_x11_test.py --dragndrop BIN --drag BIN --imag2png BIN --samples DIR

Exit 0 when every check passed, 1 on the first failure, 77 (skipped) when Xvfb is missing.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

TITLE = "Pelmora 'DragnDrop' viewer"
FRAME_W, FRAME_H = 384, 280
GREY = (128, 128, 128)
SKIP = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def read_ppm(data):
    """(width, height, rgb bytes) of a binary 8-bit PPM."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    check(fields[0] == b"P6" and fields[3] == b"255", "not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    check(len(pixels) == width * height * 3, "short PPM")
    return width, height, pixels


def crop(image, width, height):
    w, h, pixels = image
    check(w >= width and h >= height, f"image is {w}x{h}, smaller than {width}x{height}")
    return b"".join(pixels[y * w * 3:(y * w + width) * 3] for y in range(height))


def wait_until(what, probe, timeout=5.0, explain=None):
    """Calls probe() until it returns a true value; fails after `timeout` seconds, saying what
    explain() says then."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = probe()
        if result:
            return result
        time.sleep(0.01)
    raise Failure(f"timed out waiting for {what}" + (f": {explain()}" if explain else ""))


class Display:
    """A private Xvfb for this run."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-noreset",
             "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        check(number, "Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name,
                        DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent")
        self.env.pop("WAYLAND_DISPLAY", None)
        # -noreset: without it the server resets whenever its last client leaves, and refuses
        # connections meanwhile. It names its display a moment before it takes clients.
        wait_until("Xvfb to take clients", lambda: self.run("xprop", "-root").returncode == 0)

    def close(self):
        self.server.terminate()
        self.server.wait()

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, check=False)


class Viewer:
    """One dragndrop process and its window."""

    def __init__(self, args, display, path):
        self.args, self.display = args, display
        argv = [args.dragndrop] + ([path] if path is not None else [])
        self.process = subprocess.Popen(argv, env=display.env, stderr=subprocess.PIPE)
        self.window = None

    def windows(self):
        found = self.display.run("xdotool", "search", "--pid", str(self.process.pid))
        return found.stdout.decode().split()

    def caption_of(self, window):
        out = self.display.run("xprop", "-id", window, "-notype", "-f", "_NET_WM_NAME", "8c",
                               "_NET_WM_NAME").stdout.decode()
        if "=" not in out:
            return None
        return bytes(int(n) for n in out.split("=", 1)[1].split(",") if n.strip()).decode(
            "utf-8", "strict")

    def caption(self):
        return self.caption_of(self.window)

    def wait_for_window(self, caption):
        """The window, found once its caption is `caption`: that happens after the first frame."""
        seen = {}

        def probe():
            if self.process.poll() is not None:
                said = self.process.stderr.read().decode("utf-8", "replace")
                raise Failure(f"dragndrop ended early (exit {self.process.returncode}): {said}")
            seen.clear()
            for window in self.windows():
                seen[window] = self.caption_of(window)
            return next((window for window, name in seen.items() if name == caption), None)
        try:
            self.window = wait_until(f"a window captioned {caption!r}", probe)
        except Failure as failure:
            raise Failure(f"{failure}; its windows: {seen}") from None
        return self.window

    def screenshot(self):
        shot = self.display.run("import", "-silent", "-window", self.window, "-depth", "8",
                                "ppm:-")
        check(shot.returncode == 0, "import failed: " + shot.stderr.decode())
        return read_ppm(shot.stdout)

    def wait_for_frame(self, expected, what):
        wait_until(what, lambda: crop(self.screenshot(), FRAME_W, FRAME_H) == expected)

    def drop(self, *files, kind="both"):
        result = self.display.run(self.args.drag, "--display", self.display.name, "--window",
                                  self.window, "--type", kind, *files)
        check(result.returncode == 0, "xdnd_drag failed: " + result.stderr.decode())

    def quit_with(self, keys):
        self.display.run("xdotool", "windowfocus", "--sync", self.window)
        self.display.run("xdotool", "key", keys)
        try:
            code = self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure(f"{keys} did not close the window")
        if code != 0:
            self.stderr = self.process.stderr.read().decode("utf-8", "replace")
            raise Failure(f"exit code {code} after {keys}; it said: {self.stderr}")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def reference(args, path, folder):
    """The 384 x 280 frame imag2png writes for `path`: what the window must show."""
    out = os.path.join(folder, os.path.basename(path) + ".ppm")
    result = subprocess.run([args.imag2png, path, out], capture_output=True, check=False)
    check(result.returncode == 0, "imag2png failed: " + result.stderr.decode())
    with open(out, "rb") as ppm:
        return crop(read_ppm(ppm.read()), FRAME_W, FRAME_H)


def test_start_and_resize(args, display, folder):
    sample = os.path.join(args.samples, "dyuv-chart.imag")
    viewer = Viewer(args, display, sample)
    try:
        viewer.wait_for_window(sample)
        expected = reference(args, sample, folder)
        # The caption changes just before the frame is painted.
        viewer.wait_for_frame(expected, "the command-line picture as imag2png shows it")
        width, height, _ = viewer.screenshot()
        check((width, height) == (FRAME_W, FRAME_H), f"client area {width}x{height}")

        display.run("xdotool", "windowsize", "--sync", viewer.window, "500", "400")

        def painted_around():
            """Why the grown window is not yet right, or "" when it is."""
            w, h, pixels = image = viewer.screenshot()
            if (w, h) != (500, 400):
                return f"window is {w}x{h}"
            if crop(image, FRAME_W, FRAME_H) != expected:
                return "frame differs after resize"
            for y in range(h):
                row = pixels[y * w * 3:(y + 1) * w * 3]
                outside = row[FRAME_W * 3:] if y < FRAME_H else row
                if outside != bytes(GREY) * (len(outside) // 3):
                    return f"row {y} is not grey beside the frame"
            return ""
        wait_until("grey around the frame at 500x400", lambda: painted_around() == "",
                   explain=painted_around)
        viewer.quit_with("Escape")
    finally:
        viewer.close()


def test_long_path_and_small_window(args, display, folder):
    deep = os.path.join(folder, *(["a folder with a rather long name"] * 10))
    os.makedirs(deep)
    picture = os.path.join(deep, "picture.img")
    shutil.copyfile(os.path.join(args.samples, "clut8-chart.imag"), picture)
    check(len(picture) > 300, "the path is not long")
    viewer = Viewer(args, display, picture)
    try:
        viewer.wait_for_window(picture)
        bypass = display.run("xprop", "-id", viewer.window, "_NET_WM_BYPASS_COMPOSITOR")
        check(b"= 1" not in bypass.stdout, "the window asks the compositor to step aside")
        whole = reference(args, picture, folder)
        viewer.wait_for_frame(whole, "the frame of a long command-line path")
        display.run("xdotool", "windowsize", "--sync", viewer.window, "200", "120")
        top_left = crop((FRAME_W, FRAME_H, whole), 200, 120)

        def shrunk():
            image = viewer.screenshot()
            return image[:2] == (200, 120) and crop(image, 200, 120) == top_left
        wait_until("the top-left 200x120 of the frame in a small window", shrunk)
        viewer.quit_with("Escape")
    finally:
        viewer.close()


def accurate_reference(args, path, folder):
    """(width, height, pixels) imag2png --accurate writes for `path`."""
    out = os.path.join(folder, os.path.basename(path) + ".accurate.ppm")
    result = subprocess.run([args.imag2png, "--accurate", path, out], capture_output=True,
                            check=False)
    check(result.returncode == 0, "imag2png --accurate failed: " + result.stderr.decode())
    with open(out, "rb") as ppm:
        return read_ppm(ppm.read())


def test_tab_switches_profile(args, display, folder):
    sample = os.path.join(args.samples, "accurate", "clut4.imag")
    viewer = Viewer(args, display, sample)
    try:
        viewer.wait_for_window(sample)
        classic = reference(args, sample, folder)
        viewer.wait_for_frame(classic, "the classic frame first")
        width, height, pixels = accurate_reference(args, sample, folder)
        check(width <= FRAME_W and height <= FRAME_H, "the accurate sample does not fit")
        expected = b"".join(pixels[y * width * 3:(y + 1) * width * 3] + bytes(GREY) *
                            (FRAME_W - width) for y in range(height)) + \
            bytes(GREY) * (FRAME_W * (FRAME_H - height))
        display.run("xdotool", "windowfocus", "--sync", viewer.window)
        display.run("xdotool", "key", "Tab")
        wait_until("the accurate caption", lambda: viewer.caption() == sample + " [accurate]")
        viewer.wait_for_frame(expected, "the accurate picture at its own size, grey around it")
        display.run("xdotool", "key", "Tab")
        wait_until("the classic caption again", lambda: viewer.caption() == sample)
        viewer.wait_for_frame(classic, "the classic frame again")
        viewer.quit_with("Escape")
    finally:
        viewer.close()


def test_no_display(args, display, folder):
    env = dict(display.env, DISPLAY=":" + str(64000 + os.getpid() % 1000))
    try:
        ran = subprocess.run([args.dragndrop], env=env, capture_output=True, timeout=10,
                             check=False)
    except subprocess.TimeoutExpired:
        raise Failure("without a display dragndrop kept running, with no window") from None
    check(ran.returncode == 1 and b"cannot open a display" in ran.stderr,
          f"without a display: exit {ran.returncode}, said {ran.stderr!r}")
    del folder


def test_drops(args, display, folder):
    samples = {name: os.path.join(args.samples, name + ".imag")
               for name in ("rl3-bars", "clut8-chart", "rl7-chart", "dyuv-chart", "clut4-chart",
                            "clut7-chart")}
    odd_name = os.path.join(folder, "a b \u00f1\u00e9 \u65e5.img")
    shutil.copyfile(samples["clut4-chart"], odd_name)
    bad_utf8 = os.path.join(os.fsencode(folder), b"bad\xff name.img")
    shutil.copyfile(samples["rl3-bars"], bad_utf8)
    not_image = os.path.join(folder, "notes.txt")
    with open(not_image, "w", encoding="ascii") as text:
        text.write("not a picture\n")
    black = bytes(FRAME_W * FRAME_H * 3)

    viewer = Viewer(args, display, None)
    try:
        viewer.wait_for_window(TITLE)

        def dropped(files, caption, frame, what, kind="both"):
            viewer.drop(*files, kind=kind)
            wait_until(f"caption {caption!r} after {what}", lambda: viewer.caption() == caption)
            viewer.wait_for_frame(frame, what)

        dropped([samples["rl3-bars"]], samples["rl3-bars"],
                reference(args, samples["rl3-bars"], folder), "a good file")
        second = reference(args, samples["clut8-chart"], folder)
        check(second != reference(args, samples["rl3-bars"], folder), "samples look alike")
        dropped([samples["clut8-chart"]], samples["clut8-chart"], second, "a second file")
        dropped([not_image], TITLE, black, "a file that is no picture")
        dropped([samples["rl7-chart"], samples["dyuv-chart"]], samples["rl7-chart"],
                reference(args, samples["rl7-chart"], folder), "two files at once")
        dropped([odd_name], odd_name, reference(args, odd_name, folder),
                "a name with a blank and non-ASCII letters")
        clut7 = reference(args, samples["clut7-chart"], folder)
        dropped([samples["clut7-chart"]], samples["clut7-chart"], clut7, "a text/plain drop",
                kind="plain")
        dropped([os.path.join(folder, "missing.img")], TITLE, clut7, "a path that is gone")
        dropped([os.fsdecode(bad_utf8)], os.fsdecode(bad_utf8).encode(
            "utf-8", "surrogateescape").decode("utf-8", "replace"),
            reference(args, os.fsdecode(bad_utf8), folder), "a name that is not UTF-8")
        viewer.quit_with("ctrl+q")
        stderr = viewer.process.stderr.read().decode("utf-8", "replace")
        check(f"dragndrop: {not_image}: " in stderr, "no reason printed for the refused file")
    finally:
        viewer.close()


def main():
    parser = argparse.ArgumentParser()
    for option in ("--dragndrop", "--drag", "--imag2png", "--samples"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    if shutil.which("Xvfb") is None:
        print("SKIPPED: Xvfb is not installed (Debian package xvfb); no X server to test on")
        return SKIP
    for tool in ("xdotool", "xprop", "import"):
        if shutil.which(tool) is None:
            print(f"FAILED: {tool} is missing")
            return 1
    display = Display()
    try:
        with tempfile.TemporaryDirectory(prefix="dragndrop-test-") as folder:
            for test in (test_start_and_resize, test_drops, test_long_path_and_small_window,
                         test_tab_switches_profile, test_no_display):
                started = time.monotonic()
                test(args, display, folder)
                print(f"ok {test.__name__} ({time.monotonic() - started:.1f} s)")
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        display.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
