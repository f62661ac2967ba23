#!/usr/bin/env python3
"""End-to-end scenarios on a real desktop: the program under openbox on its
own Xvfb. Outer sizes and places with the frame openbox draws, the diagram
window's proportions through seeded edge and corner drags (with the delay
from each pointer step to the repaint at the new size), maximising, raising a
covered window, the keyboard, the size bound and memory, and at twice the
scale a diagram drawn at device resolution."""
import os
import random
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from e2e_test import BITBTN1, BITBTN2, MENU_PARAMETRES  # noqa: E402
from harness import check  # noqa: E402

SCREEN_W, SCREEN_H = 1280, 1024
MENU_APROPOS = (220, 9)
EDIT6 = (344, 194)
TOLERANCE = 1
DRAGS = 40
STEPS = 8


def check_outer(s, window, expected, what):
    got = s.settled(window)
    check(all(abs(g - e) <= TOLERANCE for g, e in zip(got, expected)),
          f"{what}: outer geometry {got}, expected {expected}")


def on_rule(geometry):
    return geometry[3] == geometry[2] + 75


def read_paints(path):
    paints = []
    with open(path) as f:
        for line in f:
            t, w, h = line.split()
            paints.append((float(t) / 1000.0, int(w), int(h)))
    return paints


def scenario_places_raise_keyboard(s):
    check_outer(s, s.main, (250, 117, 555, 583), "main window")
    s.click_main(*BITBTN1)
    form4 = s.wait_window("Form4")
    check_outer(s, form4, (307, 142, 450, 525), "diagram window")
    # The diagram window covers the series button: the main window comes up first.
    s.activate(s.main)
    s.click_main(*BITBTN2)
    calc = s.wait_window("Calcul du modèle série")
    check_outer(s, calc, (376, 511, 528, 218), "series calculator")
    # Covered by the main window, the calculator comes back up on its button.
    s.activate(s.main)
    check(s.stacking().index(int(calc)) < s.stacking().index(int(s.main)), "the calculator is not covered")
    s.click_main(*BITBTN2)
    time.sleep(0.3)
    check(s.stacking()[-1] == int(calc) and s.active() == int(calc),
          f"the series button did not raise and activate the calculator: stacking {s.stacking()}")
    s.xdo("key", "Escape")
    check(s.window_gone("Calcul du modèle série"), "Escape did not hide the series calculator")
    # Return on the focused series button (Tab from Edit6: FRESNEL, then the series button).
    s.activate(s.main)
    s.click_main(*EDIT6)
    s.xdo("key", "--delay", "40", "Tab", "Tab", "Return")
    s.wait_window("Calcul du modèle série")
    for item, title, outer in ((MENU_PARAMETRES, "Parametres", (437, 401)), (MENU_APROPOS, "A propos", (300, 234))):
        s.activate(s.main)
        s.click(s.main, *item)
        dialog = s.wait_window(title)
        x, y, w, h = s.settled(dialog)
        centre = (x + w / 2, y + h / 2)
        check(abs(centre[0] - SCREEN_W / 2) <= TOLERANCE and abs(centre[1] - SCREEN_H / 2) <= TOLERANCE
              and (w, h) == outer, f"{title}: outer {(x, y, w, h)} not centred with size {outer}")
        s.xdo("key", "Escape")
        check(s.window_gone(title), f"Escape did not hide {title!r}")


def scenario_drags(s):
    form4 = s.wait_window("Form4")
    s.activate(form4)
    rng = random.Random(12)
    latencies, gaps, broken = [], [], []
    for k in range(DRAGS):
        x, y, w, h = s.settled(form4)
        # Back within the screen, room left of it for the left edge's drags.
        if x < 80 or x + w > SCREEN_W or y + h > SCREEN_H:
            s.xdo("windowmove", "--sync", form4, "307", "162")
            s.xdo("windowsize", "--sync", form4, "448", "500")
            x, y, w, h = s.settled(form4)
        edge = ("right", "bottom", "corner", "left")[k % 4]
        target = rng.randint(260, 760)
        while abs(target - w) < 40:  # every step changes the size
            target = rng.randint(260, 760)
        if edge == "right":
            start, delta = (x + w - 1, y + h // 2), (target - w, rng.randint(-60, 60))
        elif edge == "left":
            dx = max(w - target, 20 - x)
            start, delta = (x, y + h // 2), (dx if abs(dx) >= 40 else 60, rng.randint(-60, 60))
        elif edge == "bottom":
            start, delta = (x + w // 2, y + h - 2), (rng.randint(-60, 60), target - w)
        else:
            start, delta = (x + w - 3, y + h - 2), (target - w, target - w)
        s.xdo("mousemove", str(start[0]), str(start[1]))
        s.xdo("mousedown", "1")
        # openbox starts a drag once the pointer has moved past its threshold:
        # the timed steps follow that first move.
        unit = (1 if delta[0] > 0 else -1 if delta[0] < 0 else 0, 1 if delta[1] > 0 else -1 if delta[1] < 0 else 0)
        start = (start[0] + 10 * unit[0], start[1] + 10 * unit[1])
        s.xdo("mousemove", str(start[0]), str(start[1]))
        time.sleep(0.15)
        paints_before = len(read_paints(s.paint_log))
        steps = []
        for i in range(1, STEPS + 1):
            steps.append(time.monotonic())
            s.xdo("mousemove", str(start[0] + delta[0] * i // STEPS), str(start[1] + delta[1] * i // STEPS))
            time.sleep(0.03)
        s.xdo("mouseup", "1")
        released = time.monotonic()
        after = s.settled(form4)
        if not on_rule(after):
            broken.append((edge, delta, after))
        paints = read_paints(s.paint_log)[paints_before:]
        during = [p for p in paints if steps[0] <= p[0] <= released + 0.2]
        for a, b in zip(during, during[1:]):
            gaps.append((b[0] - a[0], edge, a[1:], b[1:]))
        # Each step: the first paint after it at a size other than the one shown before it.
        for t in steps:
            shown = [p for p in paints if p[0] < t]
            size = shown[-1][1:] if shown else None
            later = [p for p in paints if p[0] >= t and p[1:] != size]
            if later and later[0][0] - t < 1.0:
                latencies.append(later[0][0] - t)
    check(not broken, f"{len(broken)} of {DRAGS} drags left the rule broken: {broken[:3]}")
    check(len(latencies) >= DRAGS * STEPS // 2, f"only {len(latencies)} of {DRAGS * STEPS} steps repainted")
    median, worst, (longest, *where) = statistics.median(latencies), max(latencies), max(gaps)
    print(f"      {DRAGS} drags, {len(latencies)} steps: step to repaint median {median * 1000:.1f} ms, "
          f"max {worst * 1000:.1f} ms; longest gap between repaints {longest * 1000:.1f} ms {where}")
    # The goal is 50 ms median and no gap over 200 ms; on a loaded machine a
    # single gap may stretch, a frozen window (seconds) never passes.
    check(median <= 0.05, f"median delay from pointer step to repaint {median * 1000:.0f} ms")
    check(longest < 1.0, f"the diagram stopped repainting for {longest:.2f} s during a drag")


def scenario_maximise_and_bound(s):
    form4 = s.wait_window("Form4")
    s.activate(form4)
    x, y, w, h = s.settled(form4)
    s.xdo("mousemove", str(x + w // 2), str(y + 8))
    s.xdo("click", "--repeat", "2", "--delay", "80", "1")
    time.sleep(0.5)
    big = s.settled(form4)
    largest = min(SCREEN_W, SCREEN_H - 75)
    check(big[0] >= 0 and big[1] >= 0 and big[0] + big[2] <= SCREEN_W and big[1] + big[3] <= SCREEN_H
          and on_rule(big) and big[2] == largest, f"maximised diagram window {big}")
    # A copy at the largest size, every window open: peak memory.
    s.click(form4, 20, 20)
    png = s.clipboard("image/png")
    check(png[:4] == b"\x89PNG", "no PNG copy at the largest size")
    s.xdo("click", "--repeat", "2", "--delay", "80", "1")
    time.sleep(0.5)
    check(on_rule(s.settled(form4)), f"restored diagram window {s.settled(form4)}")
    # Asked for 20,000 pixels: bounded, and the program answers at once.
    asked = time.monotonic()
    s.xdo("windowsize", form4, "20000", "20000")
    s.clear_clipboard()
    s.key(s.main, "ctrl+c")
    report = s.clipboard()
    answered = time.monotonic() - asked
    bounded = s.settled(form4)
    check(report != b"e2e-marker" and report.count(b"\r\n") == 62, "no report copied after the large resize")
    check(bounded[2] <= largest and on_rule(bounded), f"20,000 px asked: {bounded}")
    check(answered < 3.0, f"the program answered after {answered:.1f} s")
    peak = s.rss_peak_mib()
    print(f"      largest diagram {big[2]}x{big[3]}; 20,000 px asked: {bounded[2]}x{bounded[3]}, "
          f"answered in {answered * 1000:.0f} ms; peak resident memory {peak:.0f} MB")
    check(peak <= 300, f"peak resident memory {peak:.0f} MB")


def scenario_double_scale(binary, env):
    s = harness.Program(binary, dict(env, QT_SCALE_FACTOR="2"))
    try:
        # FRESNEL from the keyboard (the window is larger than the screen).
        s.activate(s.main)
        s.click(s.main, 2 * EDIT6[0], s.menu_height + 2 * EDIT6[1])
        s.xdo("key", "--delay", "40", "Tab", "Return")
        form4 = s.wait_window("Form4")
        # Wholly on the screen, where the server keeps its pixels.
        s.xdo("windowmove", "--sync", form4, "0", "0")
        time.sleep(0.4)
        raw = s.run("import", "-window", form4, "-depth", "8", "rgb:-")
        info = s.run("xwininfo", "-id", form4).decode()
        w = int(info.split("Width:")[1].split()[0])
        h = int(info.split("Height:")[1].split()[0])
        check(len(raw) == w * h * 3, f"screenshot of {len(raw)} bytes for {w}x{h}")
        top = 2 * 41 + 2  # below the tool bar
        uniform = mixed = 0
        for y in range(top, h - 1, 2):
            row0, row1 = raw[y * w * 3:(y + 1) * w * 3], raw[(y + 1) * w * 3:(y + 2) * w * 3]
            for x in range(0, w - 1, 2):
                block = (row0[3 * x:3 * x + 3], row0[3 * x + 3:3 * x + 6], row1[3 * x:3 * x + 3],
                         row1[3 * x + 3:3 * x + 6])
                if all(p == b"\xff\xff\xff" for p in block):
                    continue
                if block.count(block[0]) == 4:
                    uniform += 1
                else:
                    mixed += 1
        share = mixed / max(1, uniform + mixed)
        print(f"      scale 2: {mixed} of {uniform + mixed} inked 2x2 blocks hold more than one colour")
        check(uniform + mixed > 500 and share > 0.3, f"the diagram looks pixel-doubled ({share:.0%} mixed)")
    finally:
        s.stop()


def body(args):
    harness.require("xdotool", "xclip", "import", "xprop", "xwininfo")
    with tempfile.TemporaryDirectory(prefix="kelvoran-desktop-") as logs, harness.Xvfb() as x, harness.Openbox(x) as wm:
        paint_log = os.path.join(logs, "paints.log")
        with harness.Program(args.binary, dict(wm.env, KELVORAN_PAINT_LOG=paint_log)) as app:
            app.paint_log = paint_log
            return harness.run_scenarios([
                ("outer places, raise, Return and Escape", scenario_places_raise_keyboard),
                (f"{DRAGS} seeded drags keep the rule", scenario_drags),
                ("maximise, size bound and memory", scenario_maximise_and_bound),
                ("twice the scale: drawn at device resolution",
                 lambda s: (s.stop(), scenario_double_scale(args.binary, wm.env))),
            ], app)


if __name__ == "__main__":
    harness.main(body)
