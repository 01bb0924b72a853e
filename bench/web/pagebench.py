#!/usr/bin/python3
"""The page's speed in Debian's chromium, from the timings the page itself records (DevTools'
User Timing): a drop to its first picture, a key to its frame, a repaint of a 3840 x 2160 canvas,
the site's size gzipped, and a scan of a 700 MB disc image in the worker. Checks what it times
first: the picture shown after the drop is the sample's.

usage: pagebench.py --site build-web/site --samples samples [--scan-mb 700]
"""

import argparse
import functools
import gzip
import http.server
import os
import statistics
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

WIDTH, HEIGHT = 3840, 2160


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):  # pylint: disable=arguments-differ
        pass


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 f"--window-size={WIDTH},{HEIGHT + 400}", f"--screen-info={{{WIDTH}x{HEIGHT + 400}}}",
                 "--user-data-dir=" + profile):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--site", required=True)
    parser.add_argument("--samples", required=True)
    parser.add_argument("--scan-mb", type=int, default=700)
    args = parser.parse_args()

    site = sum(len(gzip.compress(open(os.path.join(args.site, name), "rb").read(), 9))
               for name in ("index.html", "viewer.js", "pelmora.mjs", "pelmora.wasm", "icon.png"))
    print(f"site: {site / 1024:.1f} KB gzipped (target 150 KB)")

    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Quiet, directory=args.site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with tempfile.TemporaryDirectory() as folder:
        driver = browser(os.path.join(folder, "profile"))
        try:
            driver.get(f"http://127.0.0.1:{server.server_port}/index.html")
            script = driver.execute_script
            state = "return document.getElementById('screen').dataset.state"
            wait = lambda: [None for _ in iter(lambda: script(state) == "ready", True)]
            wait()
            last = lambda name: script(
                f"const m = performance.getEntriesByName('{name}'); return m.length ? "
                "[m[m.length - 1].duration, m[m.length - 1].detail] : null")

            def drop(*paths):
                point = script("const r = document.getElementById('screen')"
                               ".getBoundingClientRect(); return [r.left + 5, r.top + 5];")
                data = {"items": [], "files": list(paths), "dragOperationsMask": 1}
                for kind in ("dragEnter", "dragOver", "drop"):
                    driver.execute_cdp_cmd("Input.dispatchDragEvent", {
                        "type": kind, "x": point[0], "y": point[1], "data": data})
                wait()

            def key(name, code, vk):
                for kind in ("keyDown", "keyUp"):
                    driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
                        "type": kind, "key": name, "code": code, "windowsVirtualKeyCode": vk,
                        **({"text": name} if kind == "keyDown" else {})})

            samples = [os.path.abspath(os.path.join(args.samples, n))
                       for n in ("dyuv-chart.imag", "clut8-chart.imag")]
            times = []
            for _ in range(10):
                drop(*samples)
                times.append(last("drop to picture")[0])
            title = script("return document.title")
            assert title == "dyuv-chart.imag", f"the drop showed {title!r}"
            print(f"drop to first picture: {statistics.median(times):.1f} ms median of 10 "
                  "(target 100 ms)")

            times = []
            for i in range(20):
                key(*(("n", "KeyN", 78) if i % 2 == 0 else ("p", "KeyP", 80)))
                times.append(last("key to frame")[0])
            print(f"key to frame (next/previous file): {statistics.median(times):.1f} ms median "
                  "of 20 (target 16 ms)")

            script(f"document.getElementById('stage').style.flex = 'none';"
                   f"document.getElementById('stage').style.width = '{WIDTH}px';"
                   f"document.getElementById('stage').style.height = '{HEIGHT}px';")
            size = script("const c = document.getElementById('screen'); return [c.width, c.height]")
            key("w", "KeyW", 87)
            times = []
            for i in range(20):
                key("i", "KeyI", 73)  # the info panel on and off
                times.append(last("repaint")[0])
            print(f"repaint of a {size[0]} x {size[1]} canvas, picture fitted: "
                  f"{statistics.median(times):.1f} ms median of 20 (target 16 ms)")

            image = os.path.join(folder, "disc.bin")
            with open(image, "wb") as out, open(samples[1], "rb") as picture:
                chunk = os.urandom(1 << 20).replace(b"IMAG", b"imag")
                for _ in range(args.scan_mb - 1):
                    out.write(chunk)
                out.write(picture.read())
            script("document.getElementById('scan').click()")
            drop(image)
            duration, detail = last("scan")
            print(f"scan of a {args.scan_mb} MB file in the worker: "
                  f"{detail['bytes'] / duration / 1000:.0f} MB/s (target 200 MB/s), the worker's "
                  f"memory {detail['workerMemory'] / 2**20:.0f} MB; found: "
                  f"{script('return document.title')}")
        finally:
            driver.quit()
            server.shutdown()


if __name__ == "__main__":
    main()
