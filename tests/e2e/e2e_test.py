#!/usr/bin/env python3
"""End-to-end scenarios: the real program under its own Xvfb, driven with
xdotool as a user would, read back only through the clipboard with xclip."""
import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402

SKIP = 77
DEFAULT_FIELDS = ["10", "0", "10", "-5", "5", "10"]


class Failure(Exception):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)


def answers(display):
    try:
        return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=10).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def start_xvfb():
    """Starts Xvfb on a display it picks itself (-displayfd): a number that
    looks free in /tmp may be held, through its abstract socket, by a server
    whose /tmp we do not see. Xvfb writes the number once it accepts clients."""
    if not shutil.which("Xvfb"):
        return None, None
    read_fd, write_fd = os.pipe()
    log = tempfile.TemporaryFile()
    # -noreset: the probe below is the server's first client, and a reset when
    # it leaves would race with the program's own connection.
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp", "-noreset"],
                            stdout=subprocess.DEVNULL, stderr=log, pass_fds=(write_fd,))
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as pipe:
        while not number.endswith(b"\n") and select.select([pipe], [], [], 15)[0]:
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    display = f":{number.decode().strip()}" if number.strip() else None
    if display:
        for _ in range(100):
            if proc.poll() is not None:
                break
            if answers(display):
                proc.log = log
                return proc, display
            time.sleep(0.1)
    log.seek(0)
    print(f"Xvfb did not start: {log.read().decode(errors='replace').strip()}")
    if proc.poll() is None:
        proc.kill()
        proc.wait()
    return None, None


def xvfb_output(xvfb):
    xvfb.log.seek(0)
    state = "running" if xvfb.poll() is None else f"exited ({xvfb.returncode})"
    return f"[{state}] " + xvfb.log.read().decode(errors="replace").strip()[-2000:]


def stop_xvfb(xvfb):
    xvfb.send_signal(signal.SIGTERM)
    try:
        xvfb.wait(timeout=5)
    except subprocess.TimeoutExpired:
        xvfb.kill()
        xvfb.wait()


class Session:
    def __init__(self, binary, display):
        self.env = dict(os.environ, DISPLAY=display)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="kelvoran-e2e-")
        # A home of its own: the program must leave it empty.
        self.home = tempfile.mkdtemp(prefix="kelvoran-home-")
        self.env["HOME"] = self.home
        for var in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
            self.env.pop(var, None)
        # A file, not a pipe: a chatty program must never block on a full pipe.
        self.stderr = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([binary], env=self.env, stdout=subprocess.DEVNULL, stderr=self.stderr)
        try:
            self.main = self.wait_window("Installation triphasée")
            self.menu_height = self.client_origin()
        except Failure:
            self.stop()
            raise

    # -- X helpers ---------------------------------------------------------
    def run(self, *args, check_rc=True):
        out = subprocess.run(list(args), env=self.env, capture_output=True, timeout=20)
        if check_rc and out.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {out.stderr.decode(errors='replace')}")
        return out.stdout

    def xdo(self, *args):
        return self.run("xdotool", *args).decode().strip()

    def wait_window(self, name, timeout=10.0, visible=True):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise Failure(f"program exited ({self.proc.returncode}) while waiting for {name!r}: "
                              f"{self.error_output()}")
            args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{re.escape(name)}$"]
            out = self.run("xdotool", *args, check_rc=False).decode().split()
            if out:
                return out[0]
            time.sleep(0.05)
        raise Failure(f"window {name!r} did not appear")

    def window_gone(self, name, timeout=5.0):
        end = time.time() + timeout
        while time.time() < end:
            out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(name)}$",
                           check_rc=False).decode().split()
            if not out:
                return True
            time.sleep(0.05)
        return False

    def geometry(self, window):
        out = self.xdo("getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def client_origin(self):
        """Height of the menu bar: the first white row of the schematic panel."""
        for _ in range(20):
            txt = self.run("import", "-window", self.main, "-crop", "1x80+200+0", "txt:-").decode()
            for line in txt.splitlines()[1:]:
                m = re.match(r"\d+,(\d+):.*#FFFFFF", line)
                if m:
                    return int(m.group(1))
            time.sleep(0.1)
        raise Failure("could not find the schematic panel below the menu bar")

    def click(self, window, x, y):
        self.xdo("mousemove", "--window", window, str(x), str(y))
        self.xdo("click", "1")
        time.sleep(0.08)

    def click_main(self, x, y):
        """Click at client coordinates of the main window (below the menu bar)."""
        self.click(self.main, x, y + self.menu_height)

    def put_aside(self, window):
        """Drags a secondary window out of the main window's way (there is no
        window manager to raise windows on click)."""
        self.xdo("windowmove", "--sync", window, "820", "0")
        time.sleep(0.1)

    def select_label(self, x, y, width):
        """Selects a result label's text with a mouse drag, client coordinates."""
        y += self.menu_height
        self.xdo("mousemove", "--window", self.main, str(x + 1), str(y))
        self.xdo("mousedown", "1")
        self.xdo("mousemove", "--window", self.main, str(x + width), str(y))
        self.xdo("mouseup", "1")
        time.sleep(0.1)

    def focus(self, window):
        self.xdo("windowfocus", "--sync", window)

    def key(self, window, *keys):
        self.focus(window)
        self.xdo("key", "--clearmodifiers", "--delay", "30", *keys)
        time.sleep(0.08)

    def type(self, window, text):
        self.focus(window)
        if text:
            self.xdo("type", "--delay", "20", "--", text)
        time.sleep(0.05)

    def clipboard(self, target=None, timeout=3.0):
        args = ["xclip", "-selection", "clipboard", "-o"] + (["-t", target] if target else [])
        end = time.time() + timeout
        last = b""
        while time.time() < end:
            out = subprocess.run(args, env=self.env, capture_output=True, timeout=10)
            if out.returncode == 0:
                return out.stdout
            last = out.stderr
            time.sleep(0.1)
        raise Failure(f"clipboard {target or 'text'} unreadable: {last!r}")

    def clear_clipboard(self):
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], env=self.env, input=b"e2e-marker",
                       timeout=10)
        time.sleep(0.1)

    def error_output(self):
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace")[-2000:]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        shutil.rmtree(self.env["XDG_RUNTIME_DIR"], ignore_errors=True)
        shutil.rmtree(self.home, ignore_errors=True)


# Client coordinates of the main window's controls (centres).
SWITCH = {1: (176, 80), 2: (176, 152), 3: (176, 224), "N": (360, 288)}
EDIT1 = (260, 50)
BITBTN3, BITBTN1, BITBTN2 = (496, 96), (496, 152), (496, 208)
# Menu bar items, window coordinates (measured with the default font).
MENU_QUITTER, MENU_PARAMETRES = (24, 9), (160, 9)
# Diagram window tool button (window coordinates) and the clicks that select
# "Ecriture sous forme polaire" in the parameters dialog (dialog coordinates).
TOOLBUTTON = (20, 20)
POLAR_CLICKS = [(350, 18), (80, 86)]
GRAPHICS_TAB, COLOR_V1 = (80, 18), (36, 56)


def compare_report(got: bytes, expected: str, what: str):
    text = got.decode("utf-8")
    got_lines = text.split("\r\n")
    want_lines = expected.split("\r\n")
    for k, (g, w) in enumerate(zip(got_lines, want_lines), start=1):
        check(g == w, f"{what}: report line {k}: got {g!r}, expected {w!r}")
    check(len(got_lines) == len(want_lines) == 63 and text.endswith("\r\n"),
          f"{what}: report has {len(got_lines) - 1} lines, expected 62 ending in CR LF")


def copy_report(s: Session):
    s.clear_clipboard()
    s.key(s.main, "ctrl+c")
    end = time.time() + 3
    while time.time() < end:
        data = s.clipboard()
        if data != b"e2e-marker":
            return data
        time.sleep(0.1)
    raise Failure("Ctrl+C put nothing on the clipboard")


def type_fields(s: Session, texts):
    """Types the six texts through the tab order Edit1..Edit6."""
    s.click_main(*EDIT1)
    for k, text in enumerate(texts):
        s.key(s.main, "ctrl+a")
        if text:
            s.type(s.main, text)
        else:
            s.key(s.main, "BackSpace")
        if k < 5:
            s.key(s.main, "Tab")


def scenario_default_report(s: Session):
    compare_report(copy_report(s), oracle.report(oracle.solve(DEFAULT_FIELDS, [True] * 3, True)), "default")


def scenario_typed_fields_and_switch(s: Session):
    fields = ["1.5x", "2,5", "  -2.5E+2", "", "7", "-3"]
    type_fields(s, fields)
    s.click_main(*SWITCH[3])  # opens line 3
    s.click_main(*BITBTN3)
    expected = oracle.report(oracle.solve(fields, [True, True, False], True))
    compare_report(copy_report(s), expected, "typed fields, line 3 open")
    s.click_main(*SWITCH[3])  # closes it again for the next scenarios
    type_fields(s, DEFAULT_FIELDS)
    s.click_main(*BITBTN3)


def scenario_neutral_open_polar(s: Session):
    s.click_main(*SWITCH["N"])
    s.click_main(*BITBTN3)
    s.click(s.main, *MENU_PARAMETRES)
    dlg = s.wait_window("Parametres")
    # The colour picker, confirmed on "v1" (black stays black): Qt would save
    # its custom colours in the user's home at exit.
    s.click(dlg, *GRAPHICS_TAB)
    s.click(dlg, *COLOR_V1)
    picker = s.wait_window("Sélectionner une couleur")
    s.key(picker, "Return")
    check(s.window_gone("Sélectionner une couleur"), "the colour picker did not close on Enter")
    for x, y in POLAR_CLICKS:
        s.click(dlg, x, y)
    state = oracle.solve(DEFAULT_FIELDS, [True] * 3, False)
    compare_report(copy_report(s), oracle.report(state), "neutral open, polar")
    # One result read back as a user would: select Label6 (VZ1) and copy it.
    s.select_label(96, 392, 110)
    label = copy_report(s).decode()
    expected = oracle.label_text(state["vz"][0], False)
    check(label == expected, f"Label6 reads {label!r}, expected {expected!r}")
    s.put_aside(dlg)


def scenario_short_circuit(s: Session):
    type_fields(s, ["0", "0", "10", "0", "0", "10"])
    s.click_main(*BITBTN3)
    box = s.wait_window("Confirmation")
    s.key(box, "Return")
    check(s.window_gone("Confirmation"), "the short-circuit box did not close on Enter")
    check(s.proc.poll() is None, "the program ended after the short circuit")
    type_fields(s, DEFAULT_FIELDS)
    s.click_main(*BITBTN3)
    compare_report(copy_report(s), oracle.report(oracle.solve(DEFAULT_FIELDS, [True] * 3, True)),
                   "after the short circuit")


def scenario_diagram_copy(s: Session):
    s.click_main(*BITBTN1)
    form4 = s.wait_window("Form4")
    s.xdo("windowsize", "--sync", form4, "600", "500")  # a drag of the right edge
    time.sleep(0.3)
    _, _, width, height = s.geometry(form4)
    check(height == width + 75 or abs(height - (width + 75)) <= 40,
          f"diagram window is {width}x{height}, the height should follow the width")
    s.clear_clipboard()
    s.click(form4, *TOOLBUTTON)
    targets = s.clipboard("TARGETS").decode().splitlines()
    for t in ("image/svg+xml", "image/png", "image/emf", "image/x-emf",
              'application/x-openoffice-emf;windows_formatname="Image EMF"'):
        check(t in targets, f"clipboard TARGETS lacks {t}: {targets}")
    svg = s.clipboard("image/svg+xml")
    root = ET.fromstring(svg)
    view = root.get("viewBox").split()
    image_w, image_h = int(view[2]), int(view[3])
    check(image_w == width and image_h > 0, f"SVG viewBox {view} for a window {width} wide")
    check(root.get("width") == str(image_w) and root.get("height") == str(image_h),
          f"SVG size {root.get('width')}x{root.get('height')} differs from its viewBox")
    ns = "{http://www.w3.org/2000/svg}"
    texts = [t for t in root.iter(f"{ns}text")]
    names = sorted("".join(t.itertext()).strip() for t in texts)
    # Default flags with the neutral closed: V1-V3, VZ1-VZ3, VN, I1-I3, IN and the two scale labels.
    for name in ("V1", "V2", "V3", "VZ1", "VZ2", "VZ3", "VN", "I1", "I2", "I3", "IN"):
        check(name in names, f"SVG lacks the name {name}: {names}")
    check(len(texts) == 13, f"SVG holds {len(texts)} texts, expected 13: {names}")
    # Lines: ten vectors of non-zero length (VN is zero with the neutral
    # closed), the underline of each of the eleven names, the two scale bars.
    lines = list(root.iter(f"{ns}polyline")) + list(root.iter(f"{ns}line"))
    check(len(lines) == 23, f"SVG holds {len(lines)} lines, expected 23")
    emf = s.clipboard("image/emf")
    check(emf[:4] == b"\x01\x00\x00\x00" and emf[40:44] == b" EMF", "image/emf is not an enhanced metafile")
    png = s.clipboard("image/png")
    check(png[:8] == b"\x89PNG\r\n\x1a\n", "image/png is not a PNG")
    s.put_aside(form4)


def scenario_series_calculator(s: Session):
    s.click_main(*BITBTN2)
    calc = s.wait_window("Calcul du modèle série")
    s.click(calc, 184 + 44, 64 + 28)  # "Calculer"
    results = []
    for x in (304 + 36, 416 + 36):  # Edit3, Edit4
        s.clear_clipboard()
        s.click(calc, x, 72 + 10)
        s.key(calc, "ctrl+a", "ctrl+c")
        results.append(s.clipboard().decode())
    check(results == ["5", "5"], f"series calculator shows {results}, expected ['5', '5']")
    s.put_aside(calc)


def scenario_quit(s: Session):
    s.click(s.main, *MENU_QUITTER)
    try:
        rc = s.proc.wait(timeout=1.5)
    except subprocess.TimeoutExpired:
        raise Failure("\"Quitter\" did not end the program within 1.5 s")
    check(rc == 0, f"the program ended with exit code {rc}")
    # Fontconfig may cache what it found; the program itself writes nothing.
    written = [os.path.relpath(os.path.join(d, f), s.home) for d, _, files in os.walk(s.home) for f in files]
    written = [w for w in written if not w.startswith(os.path.join(".cache", "fontconfig"))]
    check(not written, f"the program wrote into the user's home: {written}")


def check_no_display(binary):
    """Without any display the program says so in French, names the variable
    to set and ends with status 1: no abort, no core dump."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    out = subprocess.run([binary], env=env, capture_output=True, timeout=30)
    err = out.stderr.decode(errors="replace")
    check(out.returncode == 1, f"exit status {out.returncode} without a display: {err}")
    check("aucun affichage utilisable" in err and "DISPLAY" in err, f"no French explanation: {err}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    args = parser.parse_args()
    for tool in ("xdotool", "xclip", "import", "xdpyinfo"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return SKIP
    passed, failed = 0, 0
    try:
        check_no_display(args.binary)
        passed += 1
        print("PASS: no display")
    except Failure as e:
        failed += 1
        print(f"FAIL: no display: {e}")
    xvfb, display = start_xvfb()
    if xvfb is None:
        print("SKIP: Xvfb could not start")
        return SKIP
    print(f"Xvfb on {display}")
    session = None
    try:
        # A program that cannot reach its display is at fault only if another
        # client still can; a server that stopped answering is replaced.
        for attempt in range(3):
            try:
                session = Session(args.binary, display)
                break
            except Failure as e:
                if "could not connect to display" not in str(e) or answers(display):
                    raise
                print(f"RETRY: {e}".strip())
                print(f"      Xvfb said: {xvfb_output(xvfb)}")
                stop_xvfb(xvfb)
                xvfb = None
                if attempt == 2:
                    print("SKIP: Xvfb started three times but stopped answering its clients")
                    return SKIP
                xvfb, display = start_xvfb()
                if xvfb is None:
                    print("SKIP: Xvfb could not start again")
                    return SKIP
        scenarios = [
            ("default start, Ctrl+C report", scenario_default_report),
            ("typed fields, switch, calculate", scenario_typed_fields_and_switch),
            ("short circuit answered with Enter", scenario_short_circuit),
            ("diagram resized and copied", scenario_diagram_copy),
            ("series calculator", scenario_series_calculator),
            ("neutral open, polar notation", scenario_neutral_open_polar),
            ("Quitter", scenario_quit),
        ]
        for name, run in scenarios:
            try:
                run(session)
                passed += 1
                print(f"PASS: {name}")
            except Failure as e:
                failed += 1
                print(f"FAIL: {name}: {e}")
                shot = os.path.join(tempfile.gettempdir(), f"kelvoran-e2e-{passed + failed}.png")
                subprocess.run(["import", "-window", "root", shot], env=session.env, timeout=20)
                print(f"      screenshot: {shot}")
            if session.proc.poll() is not None and name != "Quitter":
                failed += 1
                print(f"FAIL: the program died ({session.proc.returncode}): "
                      f"{session.error_output()}")
                break
    except Failure as e:
        failed += 1
        print(f"FAIL: start-up: {e}")
        if xvfb is not None:
            print(f"      Xvfb said: {xvfb_output(xvfb)}")
    finally:
        if session:
            session.stop()
        if xvfb is not None:
            stop_xvfb(xvfb)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
