#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Quitting after a diagram copy on a desktop whose clipboard manager saves
the clipboard when its owner exits (it asks for every target at
SAVE_TARGETS): the program ends with status 0 and the manager holds a valid
PNG and SVG of the diagram."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zlib

import harness as h

BITBTN1 = (496, 152)  # FRESNEL
MENU_QUITTER = (24, 9)
TOOLBUTTON = (20, 20)


def take_option(name):
    i = sys.argv.index(name)
    value = sys.argv[i + 1]
    del sys.argv[i:i + 2]
    return value


def png_problem(data):
    """Why data is not a whole, well-formed 8-bit PNG, or None."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return "no PNG signature"
    pos, chunks, idat = 8, [], b""
    while pos + 12 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            return f"bad CRC in {kind!r}"
        chunks.append(kind)
        idat += body if kind == b"IDAT" else b""
        pos += 12 + length
    if not chunks or chunks[0] != b"IHDR" or chunks[-1] != b"IEND":
        return f"chunks {chunks}"
    width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or not channels:
        return f"depth {depth}, colour type {colour}"
    if len(zlib.decompress(idat)) != height * (1 + width * channels):
        return "pixel data of the wrong length"
    return None


def copy_then_quit(app, manager, saved):
    app.click_main(*BITBTN1)
    app.click(app.wait_window("Form4"), *TOOLBUTTON)
    targets = app.clipboard("TARGETS").decode().split()
    h.check("image/png" in targets and "image/svg+xml" in targets, f"clipboard targets {targets}")
    asked = time.monotonic()
    app.click(app.main, *MENU_QUITTER)
    rc = app.wait_exit(15)
    took = time.monotonic() - asked
    h.check(rc == 0, f"exit status {rc} after {took:.1f} s: {app.stderr_text()[-600:]}")
    report = manager.stdout.readline().strip()
    h.check(report.startswith("saved"), f"the manager reported {report!r}")
    files = sorted(os.listdir(saved))
    print(f"      exit 0 in {took * 1000:.0f} ms, the manager saved {files}")
    h.check({"image_png", "image_svg+xml"} <= set(files), f"the manager saved only {files}")
    with open(os.path.join(saved, "image_png"), "rb") as f:
        problem = png_problem(f.read())
    h.check(problem is None, f"saved PNG: {problem}")
    with open(os.path.join(saved, "image_svg+xml"), "rb") as f:
        svg = ET.fromstring(f.read())
    h.check(svg.tag.endswith("svg") and svg.get("viewBox"), "saved SVG has no svg root with a viewBox")
    h.check(any(e.tag.endswith("polyline") for e in svg.iter()), "saved SVG draws no line")


def body(args):
    h.require("Xvfb", "xdotool", "xclip", "import")
    with h.Xvfb() as x:
        saved = tempfile.mkdtemp(prefix="kelvoran-saved-")
        manager = subprocess.Popen([args.manager, saved], env=x.env, stdout=subprocess.PIPE, text=True)
        try:
            h.check(manager.stdout.readline().strip() == "ready", "the clipboard manager did not start")
            with h.Program(args.binary, x.env) as app:
                return h.run_scenarios([("copy, then quit with a saving clipboard manager",
                                         lambda app: copy_then_quit(app, manager, saved))], app)
        finally:
            manager.kill()
            manager.wait()
            shutil.rmtree(saved, ignore_errors=True)


if __name__ == "__main__":
    manager_path = take_option("--manager")

    def with_manager(args):
        args.manager = manager_path
        return body(args)

    h.main(with_manager)
