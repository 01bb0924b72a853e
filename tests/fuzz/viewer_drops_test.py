#!/usr/bin/python3
"""dragndrop under abuse: a thousand drops, on a real X server (Xvfb), of every fuzz seed and of
paths that are no pictures at all (a folder, a FIFO, devices, missing and empty files, several
files at once). After each drop the caption must be the path when the container is a CD-i image
and the title when it is not; the viewer must stay up, keep its memory flat, end cleanly and say
nothing but one reason per refused file.

usage: viewer_drops_test.py --dragndrop BIN --drag BIN --corpus DIR [--drops N]

Exit 0 when every check passed, 1 on the first failure, 77 (skipped) when Xvfb is missing.
"""

import argparse
import os
import shutil
import sys
import tempfile

# The viewer harness: the Xvfb display, the viewer's window and the drops.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "viewer"))
import harness  # noqa: E402
from harness import TITLE, Failure, check  # noqa: E402
from shells import NativeShell  # noqa: E402


def shows(data):
    """Whether the viewer takes a file of these bytes: a FORM or CAT of type IMAG."""
    return len(data) >= 12 and data[0:4] in (b"FORM", b"CAT ") and data[8:12] == b"IMAG"


def drops_from(corpus, folder):
    """(paths, expected caption) for each drop: the seeds without their selector byte, and
    paths that are no pictures."""
    items = []
    for name in sorted(os.listdir(corpus)):
        with open(os.path.join(corpus, name), "rb") as seed:
            data = seed.read()[1:]
        path = os.path.join(folder, name.replace(".fuzz", ".img"))
        with open(path, "wb") as out:
            out.write(data)
        items.append(([path], path if shows(data) else TITLE))
    # A picture padded to 2 MiB by a chunk the walk passes over: were its copy kept after the
    # decode, the memory check below would see it.
    big = os.path.join(folder, "big.img")
    with open(big, "wb") as out:
        body = 2 << 20
        out.write(b"FORM" + (body + 12).to_bytes(4, "big") + b"IMAG" + b"ANNO" +
                  body.to_bytes(4, "big") + bytes(body))
    items.append(([big], big))
    fifo = os.path.join(folder, "a fifo")
    os.mkfifo(fifo)
    empty = os.path.join(folder, "empty.img")
    open(empty, "wb").close()
    first = items[0][0][0]
    # A dropped folder opens the pictures in it, the first in natural order; one without any
    # is refused as a folder.
    pictures, no_pictures = os.path.join(folder, "pictures"), os.path.join(folder, "no pictures")
    os.mkdir(pictures)
    os.mkdir(no_pictures)
    for name in ("pic10.img", "pic9.img"):
        shutil.copyfile(big, os.path.join(pictures, name))
    os.mkfifo(os.path.join(pictures, "a fifo"))  # passed over unopened
    items.append(([pictures], os.path.join(pictures, "pic9.img")))
    for path in (no_pictures, fifo, "/dev/zero", "/dev/urandom", empty,
                 os.path.join(folder, "missing.img")):
        items.append(([path], TITLE))
    items.append(([first, fifo, "/dev/zero"], first))  # only the first of a drop counts
    items.append(([fifo, first], TITLE))
    return items


def resident_kib(pid):
    """Resident memory, or None under ASan: freed memory sits in its quarantine, so resident
    size says nothing there; its leak check at exit stands in."""
    with open(f"/proc/{pid}/maps") as maps:
        if "libasan" in maps.read():
            return None
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def run(args, display, folder):
    items = drops_from(args.corpus, folder)
    viewer = harness.Viewer(NativeShell(args), display, [])
    try:
        viewer.wait_for_window()
        settled = None
        for n in range(args.drops):
            paths, caption = items[n % len(items)]
            viewer.drop(paths)
            try:
                viewer.wait_for_caption(caption)
            except Failure as failure:
                raise Failure(f"drop {n} of {paths}: {failure}") from None
            if n == len(items):  # every kind of drop seen once: memory should stay put from now on
                settled = resident_kib(viewer.process.pid)
        if settled:
            grown = resident_kib(viewer.process.pid) - settled
            check(grown < 8 * 1024, f"memory grew by {grown} KiB over the later drops")
        viewer.close()
        for line in viewer.stderr().splitlines():
            check(line.startswith("dragndrop: "), f"unexpected output: {line!r}")
    finally:
        viewer.kill()


def main():
    parser = argparse.ArgumentParser()
    for option in ("--dragndrop", "--drag", "--corpus"):
        parser.add_argument(option, required=True)
    parser.add_argument("--drops", type=int, default=1000)
    parser.set_defaults(imag2png=None)
    args = parser.parse_args()
    if shutil.which("Xvfb") is None:
        print("Xvfb is not installed: skipped")
        return harness.SKIP
    display = harness.Display()
    try:
        with tempfile.TemporaryDirectory(prefix="dragndrop-drops-") as folder:
            run(args, display, folder)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        display.close()
    print(f"{args.drops} drops: all shown or refused as they should be")
    return 0


if __name__ == "__main__":
    sys.exit(main())
