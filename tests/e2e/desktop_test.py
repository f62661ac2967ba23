#!/usr/bin/env python3
"""End-to-end scenarios on a real desktop: the program under openbox on its
own Xvfb. Outer sizes and places with the frame openbox draws, the diagram
window's proportions through seeded edge and corner drags (with the delay
from each pointer step to the repaint at the new size), maximising, raising a
covered window, the keyboard, the size bound and memory, and at twice the
scale a diagram drawn at device resolution."""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_test import (SKIP, BITBTN1, BITBTN2, MENU_PARAMETRES, Failure, Session, check,  # noqa: E402
                      start_xvfb, stop_xvfb)

SCREEN_W, SCREEN_H = 1280, 1024
MENU_APROPOS = (220, 9)
EDIT6 = (344, 194)
TOLERANCE = 1
DRAGS = 40
STEPS = 8


class Desktop(Session):
    def stacking(self):
        out = self.run("xprop", "-root", "_NET_CLIENT_LIST_STACKING").decode()
        return [int(w, 16) for w in out.split("#")[-1].replace(",", " ").split()]

    def active(self):
        out = self.run("xprop", "-root", "_NET_ACTIVE_WINDOW").decode()
        return int(out.split("#")[-1].split(",")[0], 16)

    def outer(self, window):
        """Outer geometry: the client's place on the root and openbox's frame."""
        info = self.run("xwininfo", "-id", window).decode()
        v = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            if key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
                v[key] = int(value)
        ext = self.run("xprop", "-id", window, "_NET_FRAME_EXTENTS").decode().split("=")[-1].split(",")
        left, right, top, bottom = [int(e) for e in ext] if len(ext) == 4 else (0, 0, 0, 0)
        return (v["Absolute upper-left X"] - left, v["Absolute upper-left Y"] - top,
                v["Width"] + left + right, v["Height"] + top + bottom)

    def settled(self, window, timeout=2.0):
        last, end = None, time.time() + timeout
        while time.time() < end:
            now = self.outer(window)
            if now == last:
                return now
            last = now
            time.sleep(0.06)
        return last

    def activate(self, window):
        self.xdo("windowactivate", "--sync", window)
        time.sleep(0.1)

    def peak_rss_mb(self):
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
        return 0.0


def check_outer(s, window, expected, what):
    got = s.settled(window)
    check(all(abs(g - e) <= TOLERANCE for g, e in zip(got, expected)),
          f"{what}: outer geometry {got}, expected {expected}")


def on_rule(geometry):
    return geometry[3] == geometry[2] + 75


def start_openbox(env):
    ob = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    for _ in range(100):
        out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True)
        if b"window id" in out.stdout:
            return ob
        time.sleep(0.05)
    ob.kill()
    raise Failure("openbox did not start")


def read_paints(path):
    paints = []
    with open(path) as f:
        for line in f:
            t, w, h = line.split()
            paints.append((float(t) / 1000.0, int(w), int(h)))
    return paints


def scenario_places_raise_keyboard(s: Desktop):
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


def scenario_drags(s: Desktop):
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


def scenario_maximise_and_bound(s: Desktop):
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
    peak = s.peak_rss_mb()
    print(f"      largest diagram {big[2]}x{big[3]}; 20,000 px asked: {bounded[2]}x{bounded[3]}, "
          f"answered in {answered * 1000:.0f} ms; peak resident memory {peak:.0f} MB")
    check(peak <= 300, f"peak resident memory {peak:.0f} MB")


def scenario_double_scale(binary, display):
    os.environ["QT_SCALE_FACTOR"] = "2"
    try:
        s = Desktop(binary, display)
    finally:
        del os.environ["QT_SCALE_FACTOR"]
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


def main():
    import argparse
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    args = parser.parse_args()
    for tool in ("xdotool", "xclip", "import", "xdpyinfo", "xprop", "xwininfo", "openbox"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return SKIP
    xvfb, display = start_xvfb()
    if xvfb is None:
        print("SKIP: Xvfb could not start")
        return SKIP
    env = dict(os.environ, DISPLAY=display)
    passed = failed = 0
    openbox = session = None
    log_dir = tempfile.mkdtemp(prefix="kelvoran-desktop-")
    try:
        openbox = start_openbox(env)
        paint_log = os.path.join(log_dir, "paints.log")
        os.environ["KELVORAN_PAINT_LOG"] = paint_log
        session = Desktop(args.binary, display)
        del os.environ["KELVORAN_PAINT_LOG"]
        session.paint_log = paint_log
        scenarios = [
            ("outer places, raise, Return and Escape", lambda: scenario_places_raise_keyboard(session)),
            (f"{DRAGS} seeded drags keep the rule", lambda: scenario_drags(session)),
            ("maximise, size bound and memory", lambda: scenario_maximise_and_bound(session)),
            ("twice the scale: drawn at device resolution",
             lambda: (session.stop(), scenario_double_scale(args.binary, display))),
        ]
        for name, run in scenarios:
            try:
                run()
                passed += 1
                print(f"PASS: {name}")
            except Failure as e:
                failed += 1
                print(f"FAIL: {name}: {e}")
                shot = os.path.join(tempfile.gettempdir(), f"kelvoran-desktop-{passed + failed}.png")
                subprocess.run(["import", "-window", "root", shot], env=env, timeout=20)
                print(f"      screenshot: {shot}")
    except Failure as e:
        failed += 1
        print(f"FAIL: start-up: {e}")
    finally:
        if session:
            session.stop()
        if openbox:
            openbox.terminate()
            openbox.wait(timeout=5)
        stop_xvfb(xvfb)
        shutil.rmtree(log_dir, ignore_errors=True)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
