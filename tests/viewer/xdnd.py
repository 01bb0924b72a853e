"""Drops files on an X window the way a file manager does, through the XDND protocol: it owns the
XdndSelection, sends XdndEnter, XdndPosition (the window's centre) and XdndDrop, answers the
target's selection request with the files as file:// URIs, one per line, and waits for
XdndFinished. It offers text/uri-list ("uri"), text/plain ("plain"), or both, text/uri-list
first."""

import os
import select
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

VERSION = 5


class DropFailed(Exception):
    pass


def drop(display_name, window, paths, kind="both", timeout=5.0):
    """Drops `paths` on `window` (an X window id) as file:// URIs, every byte but unreserved ones
    and '/' written as %XX."""
    uris = b"".join(b"file://%s\r\n" % urllib.parse.quote_from_bytes(
        os.fsencode(path), safe="/").encode("ascii") for path in paths)
    x = display.Display(display_name)
    try:
        _drag(x, x.create_resource_object("window", int(window, 0)), uris, kind,
              time.monotonic() + timeout)
    finally:
        x.close()


def _drag(x, target, uris, kind, deadline):
    atom = x.intern_atom
    types = [atom(name) for offer, name in (("uri", "text/uri-list"), ("plain", "text/plain"))
             if kind in (offer, "both")]
    aware = target.get_full_property(atom("XdndAware"), Xatom.ATOM)
    if aware is None or not aware.value:
        raise DropFailed("the window does not take drops (no XdndAware)")
    version = min(aware.value[0], VERSION)
    root = x.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)

    def send(name, *data):
        target.send_event(event.ClientMessage(window=target, client_type=atom(name),
                                              data=(32, [source.id, *data])))
        x.flush()

    def wait_for(name):
        """The client message `name` to the source; selection requests are answered meanwhile."""
        while True:
            if not x.pending_events():
                left = deadline - time.monotonic()
                if left <= 0:
                    raise DropFailed(f"no {name} from the target")
                select.select([x], [], [], left)
                continue
            got = x.next_event()
            if got.type == X.SelectionRequest:
                answer(got)
            elif got.type == X.ClientMessage and got.client_type == atom(name):
                return got.data[1]

    def answer(request):
        stored = request.property or request.target
        if request.target in types:
            request.requestor.change_property(stored, request.target, 8, uris)
        request.requestor.send_event(event.SelectionNotify(
            time=request.time, requestor=request.requestor, selection=request.selection,
            target=request.target, property=stored if request.target in types else X.NONE))
        x.flush()

    send("XdndEnter", version << 24, *types, *[0] * (3 - len(types)))
    size = target.get_geometry()
    centre = root.translate_coords(target, size.width // 2, size.height // 2)
    send("XdndPosition", 0, centre.x << 16 | centre.y & 0xFFFF, X.CurrentTime,
         atom("XdndActionCopy"))
    if not wait_for("XdndStatus")[1] & 1:
        send("XdndLeave", 0, 0, 0, 0)
        raise DropFailed("the target refused the drop")
    send("XdndDrop", 0, X.CurrentTime, 0, 0)
    if version >= 5 and not wait_for("XdndFinished")[1] & 1:
        raise DropFailed("the target did not take it")
