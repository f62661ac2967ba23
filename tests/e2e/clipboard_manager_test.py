#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Quitting after a diagram copy on a desktop whose clipboard manager saves
the clipboard when its owner exits (it asks for every target at
SAVE_TARGETS): the program ends with status 0 and the manager holds a valid
PNG and SVG of the diagram."""
import os
import select
import subprocess
import sys
import threading
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402

BITBTN1 = (496, 152)  # FRESNEL
MENU_QUITTER = (24, 9)
TOOLBUTTON = (20, 20)


class Manager(threading.Thread):
    """A minimal clipboard manager, as desktop ones behave: it owns
    CLIPBOARD_MANAGER and, asked to SAVE_TARGETS, keeps in saved every target
    the clipboard's owner offers, then answers."""

    def __init__(self, display):
        from Xlib import X, display as xdisplay  # after h.require, which may re-run us under Debian's Python
        super().__init__(daemon=True)
        self.X, self.d = X, xdisplay.Display(display)
        self.atom = self.d.intern_atom
        self.w = self.d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent, X.InputOnly,
                                                    X.CopyFromParent, event_mask=X.PropertyChangeMask)
        self.w.set_selection_owner(self.atom("CLIPBOARD_MANAGER"), X.CurrentTime)
        h.check(self.d.get_selection_owner(self.atom("CLIPBOARD_MANAGER")) == self.w,
                "the clipboard manager does not own CLIPBOARD_MANAGER")
        self.saved, self.done = {}, threading.Event()

    def event(self, kind, timeout=10):
        """The next event of that kind, others dropped; None after timeout."""
        end = time.time() + timeout
        while self.d.pending_events() or select.select([self.d], [], [], max(0, end - time.time()))[0]:
            e = self.d.next_event()
            if e.type == kind:
                return e
        return None

    def take(self):
        p = self.w.get_property(self.atom("KELVORAN_SAVED"), self.X.AnyPropertyType, 0, 1 << 28, True)
        self.d.flush()
        return p

    def convert(self, target):
        """One target of CLIPBOARD, whole or in INCR chunks (the last one
        empty); None when refused."""
        self.w.convert_selection(self.atom("CLIPBOARD"), target, self.atom("KELVORAN_SAVED"), self.X.CurrentTime)
        e = self.event(self.X.SelectionNotify)
        if not e or e.property == self.X.NONE:
            return None
        p = self.take()
        if p.property_type != self.atom("INCR"):
            return p.value
        data = b""
        while (e := self.event(self.X.PropertyNotify)) is not None:
            if e.atom == self.atom("KELVORAN_SAVED") and e.state == self.X.PropertyNewValue:
                chunk = self.take().value
                if not chunk:
                    return data
                data += chunk
        return None

    def run(self):
        from Xlib.protocol import event
        while not ((r := self.event(self.X.SelectionRequest, 60)) and r.target == self.atom("SAVE_TARGETS")):
            pass
        for target in self.convert(self.atom("TARGETS")) or []:
            name = self.d.get_atom_name(target)
            if name not in ("TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"):
                if (data := self.convert(target)) is not None:
                    self.saved[name] = data
        r.requestor.send_event(event.SelectionNotify(time=r.time, requestor=r.requestor, selection=r.selection,
                                                     target=r.target, property=r.property))
        self.d.close()
        self.done.set()


def png_problem(data):
    """Why data is not a whole 8-bit PNG that ImageMagick decodes without a warning, or None."""
    out = subprocess.run(["convert", "-regard-warnings", "png:-", "-format", "%z", "info:-"], input=data,
                         capture_output=True, timeout=30)
    if out.returncode != 0:
        return out.stderr.decode(errors="replace").strip()[-300:]
    return None if out.stdout == b"8" else f"depth {out.stdout.decode()}"


def copy_then_quit(app, manager):
    app.click_main(*BITBTN1)
    app.click(app.wait_window("Form4"), *TOOLBUTTON)
    targets = app.clipboard("TARGETS").decode().split()
    h.check("image/png" in targets and "image/svg+xml" in targets, f"clipboard targets {targets}")
    asked = time.monotonic()
    app.click(app.main, *MENU_QUITTER)
    rc = app.wait_exit(15)
    took = time.monotonic() - asked
    h.check(rc == 0, f"exit status {rc} after {took:.1f} s: {app.stderr_text()[-600:]}")
    h.check(manager.done.wait(5), "the manager never answered SAVE_TARGETS")
    saved = sorted(manager.saved)
    print(f"      exit 0 in {took * 1000:.0f} ms, the manager saved {saved}")
    h.check({"image/png", "image/svg+xml"} <= set(saved), f"the manager saved only {saved}")
    problem = png_problem(manager.saved["image/png"])
    h.check(problem is None, f"saved PNG: {problem}")
    svg = ET.fromstring(manager.saved["image/svg+xml"])
    h.check(svg.tag.endswith("svg") and svg.get("viewBox"), "saved SVG has no svg root with a viewBox")
    h.check(any(e.tag.endswith("polyline") for e in svg.iter()), "saved SVG draws no line")


def body(args):
    h.require("Xvfb", "xdotool", "xclip", "import", "convert", "py:Xlib")
    with h.Xvfb() as x:
        manager = Manager(x.display)
        manager.start()
        with h.Program(args.binary, x.env) as app:
            return h.run_scenarios([("copy, then quit with a saving clipboard manager",
                                     lambda app: copy_then_quit(app, manager))], app)


if __name__ == "__main__":
    h.main(body)
