#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program natively on Wayland, under a headless sway at scales 1 and 2:
nothing on stderr, a keyboard journey read back from the Wayland clipboard
against the independent reading, the diagram window tiled, floating, resized
by the compositor (a height-only change too) and fullscreen, always painted
at the size sway gives it, and at scale 2 drawn at device resolution."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import oracle  # noqa: E402
from e2e_test import compare_report  # noqa: E402
from harness import check  # noqa: E402

FIELDS = ["1.5x", "2,5", "  -2.5E+2", "", "7", "-3"]
TOOLBAR = 41  # the diagram window's tool bar, above the picture
SIZES = [  # sway commands, and the frame sway and the program then agree on (None: any on the rule)
    ("tiled", [], (640, 1024)),
    ("floating", [["floating", "enable"]], None),
    ("resized to 500x400", [["resize", "set", "width", "500", "px", "height", "400", "px"]], (500, 575)),
    ("height only, to 602", [["resize", "set", "height", "602", "px"]], (527, 602)),
    ("fullscreen", [["fullscreen", "enable"]], (1280, 1024)),
    ("tiled again", [["fullscreen", "disable"], ["floating", "disable"]], (640, 1024)),
]


def keys(way, *args):
    # A headless seat has no keyboard: wtype's virtual one waits until the program has bound it.
    out = subprocess.run(["wtype", "-s", "300", "-d", "10", *args], env=way.env, capture_output=True, timeout=30)
    check(out.returncode == 0, f"wtype: {out.stderr.decode(errors='replace')}")


def field(text):
    typed = ["-k", "minus", text[1:]] if text.startswith("-") else [text] if text else ["-k", "BackSpace"]
    return ["-M", "ctrl", "a", "-m", "ctrl", *typed]  # wtype would read "-3" as an option


def last_paint(app):
    paints = [line.split()[2:] for line in app.stderr_text().splitlines() if line.startswith("kelvoran.paint: paint")]
    return tuple(int(v) for v in paints[-1]) if paints else None


def scenario(app, way, scale):
    # Tab order: each line's resistance, reactance and switch, the neutral's switch, CALCULS, FRESNEL.
    journey = []
    for k in (0, 3, None, 1, 4, None, 2, 5):
        journey += (field(FIELDS[k]) if k is not None else []) + ["-k", "Tab"]
    keys(way, *journey, "-k", "space", "-k", "Tab", "-k", "Tab", "-k", "space", "-M", "ctrl", "c", "-m", "ctrl")
    report = h.wait(lambda: way.run("wl-paste", "-n").stdout, 3)
    compare_report(report or b"", oracle.report(oracle.solve(FIELDS, [True, True, False], True)), "Wayland clipboard")
    keys(way, "-k", "Tab", "-k", "Return")
    form4 = app.wait_window("Form4")
    for view in h.sway_windows(way.msg("-t", "get_tree")):
        check((view.get("app_id"), view.get("shell")) == ("kelvoran", "xdg_shell"),
              f"{view.get('name')!r}: app_id {view.get('app_id')!r}, shell {view.get('shell')!r}")
    def frame():
        return next(v for v in h.sway_windows(way.msg("-t", "get_tree")) if str(v["id"]) == form4)["rect"]


    def agreed(size):
        rect = frame()
        w, hgt = size or (rect["width"], rect["width"] + 75)
        return (rect["width"], rect["height"]) == (w, hgt) and last_paint(app) == (w, hgt - TOOLBAR)

    seen = []
    for what, commands, size in SIZES:
        # Sway 1.7 loses a command that comes while it waits for a client's
        # answer to the one before: the same command again, until it lands.
        for _ in range(3):
            for command in commands:
                check(all(r["success"] for r in way.msg(f"[con_id={form4}]", *command)), f"swaymsg {command}")
            if h.wait(lambda: agreed(size), 1.5):
                break
        else:
            raise h.Failure(f"{what}: sway's frame {frame()}, the picture {last_paint(app)}, expected {size or 'the rule'}")
        seen.append(f"{what} {frame()['width']}x{frame()['height']}")
    print(f"      scale {scale}: " + ", ".join(seen))
    rect = frame()
    if scale == 2:
        x, y, w, hgt = (rect[k] for k in ("x", "y", "width", "height"))
        ppm = way.run("grim", "-t", "ppm", "-g", f"{x},{y} {w}x{hgt}", "-").stdout
        header = ppm.split(b"\n", 3)
        check(header[1] == f"{2 * w} {2 * hgt}".encode(), f"grim gave {header[:3]}")
        inked, share = h.crisp_blocks(header[3], 2 * w, 2 * hgt, 2 * TOOLBAR + 2)
        print(f"      {share:.0%} of {inked} inked 2x2 blocks hold more than one colour")
        check(inked > 500 and share > 0.3, f"the diagram looks pixel-doubled ({share:.0%} mixed)")
    noise = [line for line in app.stderr_text().splitlines() if not line.startswith("kelvoran.paint:")]
    check(not noise, f"stderr: {noise[:5]}")


def body(args):
    h.require("sway", "swaymsg", "wtype", "wl-paste", "grim")
    rc = 0
    for scale in (1, 2):
        with h.Sway(scale=scale, size=f"{1280 * scale}x{1024 * scale}") as way, \
                h.Program(args.binary, dict(way.env, QT_LOGGING_RULES="kelvoran.paint=true")) as app:
            rc |= h.run_scenarios([(f"native Wayland at scale {scale}", lambda app: scenario(app, way, scale))], app)
    return rc


if __name__ == "__main__":
    h.main(body)
