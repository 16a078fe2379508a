#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Drops files on an X window as a file manager does, through XDND: the drag source that
# stands in for the shell when the window runs under Wine, whose X11 driver hands the
# dropped text/uri-list to the Windows program as an OLE drop of CF_HDROP.
#   XdndDrop.py WINDOW X Y PATH...
# WINDOW is an X window id (decimal or 0x hex); X, Y a point in it, relative to it.
# Exits 0 once the target has accepted the drop and said it finished; 2 when it refused
# the drop; 1 on anything else (no XDND-aware window, no answer in time), with the reason.
import argparse
import os
import select
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display, error
from Xlib.protocol import event

OUR_VERSION = 5
URI_LIST = "text/uri-list"


class Refused(Exception):
    pass


def fail(message, status=1):
    print("XdndDrop: " + message, file=sys.stderr)
    sys.exit(status)


def uri_list(paths):
    # Absolute Unix paths: Wine maps them onto its drive for the Unix root (Z:).
    lines = ("file://" + urllib.parse.quote(os.path.abspath(p)) for p in paths)
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


class Drag:
    def __init__(self, dpy, paths, timeout):
        self.dpy = dpy
        self.data = uri_list(paths)
        self.timeout = timeout
        self.atom = lambda name: dpy.intern_atom(name)
        self.root = dpy.screen().root
        self.source = self.root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent,
                                              event_mask=X.PropertyChangeMask)
        self.types = [self.atom(URI_LIST)]
        self.served = 0

    def server_time(self):
        # A real timestamp for the selection and the messages: CurrentTime is not one.
        self.source.change_property(self.atom("XdndDropTime"), Xatom.INTEGER, 32, [0])
        self.dpy.flush()
        while True:
            e = self.dpy.next_event()
            if e.type == X.PropertyNotify and e.window == self.source:
                return e.time

    def aware_version(self, window):
        prop = window.get_full_property(self.atom("XdndAware"), Xatom.ATOM)
        return prop.value[0] if prop and len(prop.value) else None

    def proxy(self, window):
        # XdndProxy counts only when the proxy names itself as its own proxy.
        prop = window.get_full_property(self.atom("XdndProxy"), Xatom.WINDOW)
        if not prop or not len(prop.value):
            return window
        proxy = self.dpy.create_resource_object("window", prop.value[0])
        try:
            again = proxy.get_full_property(self.atom("XdndProxy"), Xatom.WINDOW)
        except error.BadWindow:
            return window
        return proxy if again and len(again.value) and again.value[0] == proxy.id else window

    def find_target(self, window, x, y):
        """The deepest XDND-aware window at the point, from WINDOW down through its
        children (Wine may make its client area the aware one)."""
        found = None
        current, cx, cy = window, x, y
        while current:
            version = self.aware_version(current)
            if version is not None:
                found = (current, version)
            reply = current.translate_coords(current, cx, cy)
            child = reply.child
            if not child or child == X.NONE:
                break
            at = child.translate_coords(current, cx, cy)
            current, cx, cy = child, at.x, at.y
        return found

    def send(self, target, to, name, data):
        message = event.ClientMessage(window=target, client_type=self.atom(name),
                                      data=(32, (data + [0] * 5)[:5]))
        to.send_event(message, event_mask=X.NoEventMask)
        self.dpy.flush()

    def serve(self, request):
        # Answers the target's conversions of the drag's selection, at any point of the
        # drag: Wine reads the data already on XdndEnter, before any position.
        prop = request.property or request.target
        answered = X.NONE
        if request.selection == self.atom("XdndSelection"):
            if request.target == self.atom(URI_LIST):
                request.requestor.change_property(prop, self.atom(URI_LIST), 8, self.data)
                answered = prop
                self.served += 1
            elif request.target == self.atom("TARGETS"):
                request.requestor.change_property(prop, Xatom.ATOM, 32,
                                                  [self.atom("TARGETS")] + self.types)
                answered = prop
        notify = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                       selection=request.selection, target=request.target,
                                       property=answered)
        request.requestor.send_event(notify)
        self.dpy.flush()

    def wait_for(self, name, what):
        wanted = self.atom(name)
        deadline = time.monotonic() + self.timeout
        while True:
            while self.dpy.pending_events():
                e = self.dpy.next_event()
                if e.type == X.SelectionRequest:
                    self.serve(e)
                elif e.type == X.ClientMessage and e.client_type == wanted:
                    return e.data[1]  # the message's five longs
            left = deadline - time.monotonic()
            if left <= 0:
                fail("no %s from the target within %g s (%s)" % (name, self.timeout, what))
            select.select([self.dpy.fileno()], [], [], left)

    def drop(self, window, x, y):
        found = self.find_target(window, x, y)
        if not found:
            fail("no XdndAware window at %d,%d in 0x%x or its children" % (x, y, window.id))
        target, theirs = found
        if theirs < 3:
            fail("0x%x speaks XDND version %d; 3 is the oldest with XdndPosition's time"
                 % (target.id, theirs))
        version = min(OUR_VERSION, theirs)  # a target ignores newer versions than its own
        to = self.proxy(target)
        at = self.root.translate_coords(window, x, y)
        root_x, root_y = at.x, at.y
        now = self.server_time()
        self.source.set_selection_owner(self.atom("XdndSelection"), now)
        if self.dpy.get_selection_owner(self.atom("XdndSelection")) != self.source:
            fail("could not own XdndSelection")
        self.source.change_property(self.atom("XdndTypeList"), Xatom.ATOM, 32, self.types)
        more = 1 if len(self.types) > 3 else 0
        listed = self.types[:3] if not more else []
        self.send(target.id, to, "XdndEnter",
                  [self.source.id, (version << 24) | more] + listed)
        self.send(target.id, to, "XdndPosition",
                  [self.source.id, 0, (root_x << 16) | root_y, now,
                   self.atom("XdndActionCopy")])
        status = self.wait_for("XdndStatus", "after XdndPosition")
        if not status[1] & 1:
            self.send(target.id, to, "XdndLeave", [self.source.id, 0])
            raise Refused("0x%x refused the drop at %d,%d" % (target.id, root_x, root_y))
        self.send(target.id, to, "XdndDrop", [self.source.id, 0, now])
        finished = self.wait_for("XdndFinished", "after XdndDrop")
        if version >= 5 and not finished[1] & 1:
            raise Refused("0x%x finished without taking the drop" % target.id)
        return target, version


def main():
    parser = argparse.ArgumentParser(description="Drop files on an X window through XDND.")
    parser.add_argument("window", type=lambda s: int(s, 0))
    parser.add_argument("x", type=int)
    parser.add_argument("y", type=int)
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--timeout", type=float, default=10.0, help="seconds per answer")
    args = parser.parse_args()
    for path in args.paths:
        if not os.path.exists(path):
            fail("%s does not exist" % path)
    dpy = display.Display()
    window = dpy.create_resource_object("window", args.window)
    try:
        window.get_geometry()
    except error.BadDrawable:
        fail("no window 0x%x" % args.window)
    drag = Drag(dpy, args.paths, args.timeout)
    try:
        target, version = drag.drop(window, args.x, args.y)
    except Refused as refused:
        fail(str(refused), 2)
    if drag.served == 0:
        fail("the target finished without reading the file list")
    print("dropped %d path(s) on 0x%x (XDND %d)" % (len(args.paths), target.id, version))


if __name__ == "__main__":
    main()
