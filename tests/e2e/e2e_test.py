#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end scenarios: the real program under its own Xvfb, driven with
xdotool as a user would, read back only through the clipboard with xclip."""
import os
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import oracle  # noqa: E402
from harness import check  # noqa: E402

DEFAULT_FIELDS = ["10", "0", "10", "-5", "5", "10"]


def put_aside(s, window):
    """Out of the main window's way: no window manager raises windows on click."""
    s.xdo("windowmove", "--sync", window, "820", "0")
    time.sleep(0.1)


def select_label(s, x, y, width):  # a mouse drag over it, client coordinates
    y += s.menu_height
    s.xdo("mousemove", "--window", s.main, str(x + 1), str(y))
    s.xdo("mousedown", "1")
    s.xdo("mousemove", "--window", s.main, str(x + width), str(y))
    s.xdo("mouseup", "1")
    time.sleep(0.1)


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


def copy_report(s):
    s.clear_clipboard()
    s.key(s.main, "ctrl+c")
    return check(h.wait(lambda: (data := s.clipboard()) != b"e2e-marker" and data, 3, 0.1),
                 "Ctrl+C put nothing on the clipboard")


def check_default_report(s, what):
    compare_report(copy_report(s), oracle.report(oracle.solve(DEFAULT_FIELDS, [True] * 3, True)), what)


def type_fields(s, texts):
    """Types the six texts into Edit1..Edit6, each clicked in its place."""
    for k, text in enumerate(texts):
        s.click_main(EDIT1[0] + (84 if k >= 3 else 0), EDIT1[1] + 72 * (k % 3))
        s.key(s.main, "ctrl+a")
        if text:
            s.type(s.main, text)
        else:
            s.key(s.main, "BackSpace")


def scenario_default_report(s):
    check_default_report(s, "default")


def scenario_typed_fields_and_switch(s):
    fields = ["1.5x", "2,5", "  -2.5E+2", "", "7", "-3"]
    type_fields(s, fields)
    s.click_main(*SWITCH[3])  # opens line 3
    s.click_main(*BITBTN3)
    expected = oracle.report(oracle.solve(fields, [True, True, False], True))
    compare_report(copy_report(s), expected, "typed fields, line 3 open")
    s.click_main(*SWITCH[3])  # closes it again for the next scenarios
    type_fields(s, DEFAULT_FIELDS)
    s.click_main(*BITBTN3)


def scenario_neutral_open_polar(s):
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
    select_label(s, 96, 392, 110)
    label = copy_report(s).decode()
    expected = oracle.label_text(state["vz"][0], False)
    check(label == expected, f"Label6 reads {label!r}, expected {expected!r}")
    put_aside(s, dlg)


def scenario_short_circuit(s):
    type_fields(s, ["0", "0", "10", "0", "0", "10"])
    s.click_main(*BITBTN3)
    box = s.wait_window("Confirmation")
    s.key(box, "Return")
    check(s.window_gone("Confirmation"), "the short-circuit box did not close on Enter")
    check(s.proc.poll() is None, "the program ended after the short circuit")
    type_fields(s, DEFAULT_FIELDS)
    s.click_main(*BITBTN3)
    check_default_report(s, "after the short circuit")


def scenario_diagram_copy(s):
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
    put_aside(s, form4)


def scenario_diagram_size_bound(s):
    """Asked 20,000 pixels, the diagram window stays within the screen (its
    picture with it): bounded memory, and the program answers at once."""
    form4 = s.wait_window("Form4")
    asked = time.monotonic()
    s.xdo("windowsize", form4, "20000", "20000")
    report = copy_report(s)
    answered = time.monotonic() - asked
    check(report.count(b"\r\n") == 62, "no report copied after the large resize")
    _, _, width, height = s.geometry(form4)
    check((width, height) == (949, 1024), f"asked 20,000 px, the diagram window is {width}x{height}")
    check(answered < 3.0, f"the program answered {answered:.1f} s after the large resize")
    peak = s.rss_peak_mib()
    check(peak < 1024, f"peak resident memory {peak:.0f} MB")
    print(f"      20,000 px asked: {width}x{height}, answered in {answered * 1000:.0f} ms, peak {peak:.0f} MB")
    s.xdo("windowsize", "--sync", form4, "600", "500")


def scenario_series_calculator(s):
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
    put_aside(s, calc)


def scenario_quit(s):
    s.click(s.main, *MENU_QUITTER)
    rc = s.wait_exit(1.5)
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


def body(args):
    h.require("xdotool", "xclip", "import")
    with h.Xvfb() as x, h.Program(args.binary, x.env) as app:
        print(f"Xvfb on {x.display}")
        return h.run_scenarios([
            ("no display", lambda _: check_no_display(args.binary)),
            ("default start, Ctrl+C report", scenario_default_report),
            ("typed fields, switch, calculate", scenario_typed_fields_and_switch),
            ("short circuit answered with Enter", scenario_short_circuit),
            ("diagram resized and copied", scenario_diagram_copy),
            ("diagram window bounded by the screen", scenario_diagram_size_bound),
            ("series calculator", scenario_series_calculator),
            ("neutral open, polar notation", scenario_neutral_open_polar),
            ("Quitter", scenario_quit),
        ], app)


if __name__ == "__main__":
    h.main(body)
