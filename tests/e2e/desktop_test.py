#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program under openbox on its own Xvfb: outer places with openbox's frame,
the diagram's proportions through seeded drags (and the wait for each repaint),
maximising, raising, keys, the size bound and memory, twice the scale, small screens."""
import math
import os
import random
import sys
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


def check_outer(s, window, expected, what):
    got = s.settled(window)
    check(all(abs(g - e) <= TOLERANCE for g, e in zip(got, expected)),
          f"{what}: outer geometry {got}, expected {expected}")


def on_rule(geometry):
    return geometry[3] == geometry[2] + 75


# Each paint of the diagram on stderr, timed on the monotonic clock.
PAINT_LOG = {"QT_LOGGING_RULES": "kelvoran.paint=true", "QT_MESSAGE_PATTERN": "%{category} %{time boot} %{message}"}


def read_paints(s):
    s.stderr.seek(0)
    paints = []
    for line in s.stderr.read().decode(errors="replace").splitlines():
        f = line.split()
        if len(f) == 5 and f[0] == "kelvoran.paint" and f[2] == "paint":
            paints.append((float(f[1]), int(f[3]), int(f[4])))
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
    stacking = s.root_windows("_NET_CLIENT_LIST_STACKING")
    check(stacking.index(int(calc)) < stacking.index(int(s.main)), "the calculator is not covered")
    s.click_main(*BITBTN2)
    time.sleep(0.3)
    stacking, active = s.root_windows("_NET_CLIENT_LIST_STACKING"), s.root_windows("_NET_ACTIVE_WINDOW")
    check(stacking[-1] == int(calc) and active[:1] == [int(calc)],
          f"the series button did not raise and activate the calculator: stacking {stacking}, active {active}")
    s.xdo("key", "Escape")
    check(s.window_gone("Calcul du modèle série"), "Escape did not hide the series calculator")
    # Return on the focused series button (Tab from Edit6: line 3's and the neutral's
    # switches, CALCULS, FRESNEL, then the series button).
    s.activate(s.main)
    s.click_main(*EDIT6)
    s.xdo("key", "--delay", "40", "Tab", "Tab", "Tab", "Tab", "Tab", "Return")
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
    """Sides and corners at seeded angles, distances and paces. At release the
    rule holds and the width is where the pointer left it (openbox keeps the
    width of a corner drag; a top or bottom drag leaves it); while the pointer
    moves, no step waits long for a repaint at a new size."""
    form4 = s.wait_window("Form4")
    s.activate(form4)
    rng = random.Random(18)
    broken, stall = [], (0.0, None)
    for k in range(DRAGS):
        x, y, w, h = s.settled(form4)
        if x < 130 or y < 130 or x + w + 130 > SCREEN_W or y + h + 130 > SCREEN_H or not 250 <= w <= 700:
            s.xdo("windowmove", "--sync", form4, "300", "150")
            s.xdo("windowsize", "--sync", form4, "400", "450")
            x, y, w, h = s.settled(form4)
        edge = rng.choice(("right", "left", "bottom", "top", "br", "bl", "tr", "tl"))
        angle, distance = rng.uniform(0, 2 * math.pi), rng.randint(20, 120)
        pace, steps = rng.uniform(0.015, 0.045), rng.randint(3, 60)
        dx, dy = round(distance * math.cos(angle)), round(distance * math.sin(angle))
        px = x if edge in ("left", "bl", "tl") else x + w - 1 if edge in ("right", "br", "tr") else x + w // 2
        py = y if edge in ("top", "tl", "tr") else y + h - 1 if edge in ("bottom", "bl", "br") else y + h // 2
        grows = 1 if edge in ("right", "br", "tr") else -1 if edge in ("left", "bl", "tl") else 0
        s.xdo("mousemove", str(px), str(py))
        s.xdo("mousedown", "1")
        first = len(read_paints(s))
        times = []
        for i in range(1, steps + 1):
            times.append(time.monotonic())
            s.xdo("mousemove", str(px + dx * i // steps), str(py + dy * i // steps))
            time.sleep(pace)
        s.xdo("mouseup", "1")
        after = s.settled(form4)
        if not on_rule(after) or abs(after[2] - (w + grows * dx)) > TOLERANCE:
            broken.append((edge, (dx, dy), steps, (w, h), after[2:]))
        paints = read_paints(s)[first:]
        # Each step that asks a new width: the first paint at another size.
        for i, t in enumerate(times):
            if grows == 0 or dx * (i + 1) // steps == dx * i // steps:
                continue
            shown = [p[1:] for p in paints if p[0] < t][-1:]
            later = [p[0] for p in paints if p[0] >= t and [p[1:]] != shown]
            wait = (later[0] if later else time.monotonic()) - t
            stall = max(stall, (wait, (edge, (dx, dy), steps)))
    print(f"      {DRAGS - len(broken)} of {DRAGS} drags on the rule where the pointer left them; "
          f"longest wait for a repaint {stall[0] * 1000:.0f} ms {stall[1]}")
    check(not broken, f"{len(broken)} of {DRAGS} drags ended off the rule or the pointer: {broken[:3]}")
    # The goal is 200 ms; a loaded machine may stretch one, a frozen window never passes.
    check(stall[0] < 0.5, f"the diagram waited {stall[0]:.2f} s for a repaint during a drag {stall[1]}")


def scenario_small_screens(binary):
    """At 800x600 and 1024x600 under openbox every window, opened from the
    main window, is wholly on the screen."""
    problems = []
    for size in ("800x600", "1024x600"):
        with harness.Xvfb(size=size) as x, harness.Openbox(x) as wm, harness.Program(binary, wm.env) as s:
            width, height = x.size
            windows = {"main": s.main}
            for name, click, title in (("series", BITBTN2, "Calcul du modèle série"),
                                       ("parameters", MENU_PARAMETRES, "Parametres"),
                                       ("about", MENU_APROPOS, "A propos"), ("diagram", BITBTN1, "Form4")):
                s.activate(s.main)
                s.click(s.main, click[0], click[1] + (0 if click in (MENU_PARAMETRES, MENU_APROPOS) else s.menu_height))
                windows[name] = s.wait_window(title)
            for name, window in windows.items():
                gx, gy, gw, gh = s.settled(window)
                if gx < 0 or gy < 0 or gx + gw > width or gy + gh > height:
                    problems.append((size, name, (gx, gy, gw, gh)))
    check(not problems, f"windows off the screen: {problems}")


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
        s.xdo("key", "--delay", "40", "Tab", "Tab", "Tab", "Tab", "Return")
        form4 = s.wait_window("Form4")
        # Wholly on the screen, where the server keeps its pixels.
        s.xdo("windowmove", "--sync", form4, "0", "0")
        time.sleep(0.4)
        raw = s.run("import", "-window", form4, "-depth", "8", "rgb:-")
        _, _, w, h = s.geometry(form4)
        check(len(raw) == w * h * 3, f"screenshot of {len(raw)} bytes for {w}x{h}")
        inked, share = harness.crisp_blocks(raw, w, h, 2 * 41 + 2)  # below the tool bar
        print(f"      scale 2: {share:.0%} of {inked} inked 2x2 blocks hold more than one colour")
        check(inked > 500 and share > 0.3, f"the diagram looks pixel-doubled ({share:.0%} mixed)")
    finally:
        s.stop()


def body(args):
    harness.require("xdotool", "xclip", "import", "xprop", "xwininfo")
    with harness.Xvfb() as x, harness.Openbox(x) as wm:
        with harness.Program(args.binary, dict(wm.env, **PAINT_LOG)) as app:
            return harness.run_scenarios([
                ("outer places, raise, Return and Escape", scenario_places_raise_keyboard),
                (f"{DRAGS} seeded drags keep the rule", scenario_drags),
                ("maximise, size bound and memory", scenario_maximise_and_bound),
                ("800x600 and 1024x600: every window on the screen", lambda s: scenario_small_screens(args.binary)),
                ("twice the scale: drawn at device resolution",
                 lambda s: (s.stop(), scenario_double_scale(args.binary, wm.env))),
            ], app)


if __name__ == "__main__":
    harness.main(body)
