#!/usr/bin/python3
"""Drops files at window point (X, Y) as a file manager does: an XDND source offering a
text/uri-list, which Wine turns into WM_DROPFILES.   xdnd_drop.py WINDOW_ID X Y PATH...
Exit status 0 once the target finished the drop, 1 when it never does."""
import sys
import time
import urllib.parse

from Xlib import X, display, protocol


def client_message(d, target, kind, data):
    event = protocol.event.ClientMessage(window=target, client_type=d.intern_atom(kind),
                                         data=(32, data + [0] * (5 - len(data))))
    target.send_event(event, event_mask=0)
    d.flush()


def main():
    window_id, x, y = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in sys.argv[4:]).encode()
    d = display.Display()
    target = d.create_resource_object("window", window_id)
    source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    uri_list = d.intern_atom("text/uri-list")
    selection = d.intern_atom("XdndSelection")
    source.set_selection_owner(selection, X.CurrentTime)
    at = target.translate_coords(d.screen().root, x, y)
    root_x, root_y = -at.x, -at.y  # the window's origin seen from the root, negated

    client_message(d, target, "XdndEnter", [source.id, 5 << 24, uri_list])
    client_message(d, target, "XdndPosition",
                   [source.id, 0, ((root_x + x) << 16) | (root_y + y), X.CurrentTime,
                    d.intern_atom("XdndActionCopy")])
    deadline = time.time() + 10
    dropped = False
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.02)
            continue
        event = d.next_event()
        if event.type == X.ClientMessage:
            kind = d.get_atom_name(event.client_type)
            if kind == "XdndStatus" and not dropped:
                client_message(d, target, "XdndDrop", [source.id, 0, X.CurrentTime])
                dropped = True
            elif kind == "XdndFinished":
                return 0
        elif event.type == X.SelectionRequest:
            # The target asks for the file list.
            event.requestor.change_property(event.property, uri_list, 8, uris)
            notify = protocol.event.SelectionNotify(time=event.time, requestor=event.requestor,
                                                    selection=event.selection,
                                                    target=event.target, property=event.property)
            event.requestor.send_event(notify)
            d.flush()
    return 1


if __name__ == "__main__":
    sys.exit(main())
