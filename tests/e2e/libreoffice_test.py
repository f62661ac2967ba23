#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The copied diagram in a real LibreOffice, as a user would get it: the real
program under its own Xvfb, FRESNEL and the copy tool button clicked with
xdotool; the copied enhanced metafile converted to PDF headlessly (no text
background box, every name as text), then a plain paste (Ctrl+V, the
dispatcher's .uno:Paste) into a Writer document that reads kelvoran's X
clipboard, and a paste special as GDI metafile."""
import os
import re
import subprocess
import sys
import tempfile
import time
import zlib

try:
    import uno  # noqa: F401
    from com.sun.star.beans import PropertyValue
except ImportError:  # harness.require re-runs under Debian's Python, or skips
    uno = None

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
from e2e_test import BITBTN1, TOOLBUTTON  # noqa: E402
from harness import check  # noqa: E402

EMF_LO = 'application/x-openoffice-emf;windows_formatname="Image EMF"'
# Default settings, neutral closed: the names and the two scale labels.
NAMES = ["V1", "V2", "V3", "VZ1", "VZ2", "VZ3", "VN", "I1", "I2", "I3", "IN"]
GDIMETAFILE_FORMAT = 3  # LibreOffice's clipboard format id of its GDI metafile
PIXEL, VECTOR = 1, 2    # com.sun.star.graphic.GraphicType


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def pdf_content(pdf: bytes) -> str:
    """The page descriptions of a PDF, its compressed streams inflated."""
    out = []
    for m in re.finditer(rb"stream\r?\n(.*?)endstream", pdf, re.S):
        try:
            out.append(zlib.decompress(m.group(1)).decode("latin-1"))
        except zlib.error:
            pass
    return "\n".join(out)


def check_emf_in_pdf(emf: bytes, work: str):
    path = os.path.join(work, "copied.emf")
    with open(path, "wb") as f:
        f.write(emf)
    profile = "file://" + os.path.join(work, "convert-profile")
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    out = subprocess.run(["soffice", f"-env:UserInstallation={profile}", "--headless", "--convert-to", "pdf",
                          "--outdir", work, path], env=env, capture_output=True, timeout=120)
    pdf_path = os.path.join(work, "copied.pdf")
    check(out.returncode == 0 and os.path.exists(pdf_path),
          f"soffice could not convert the EMF: {out.stderr.decode(errors='replace')[-500:]}")
    with open(pdf_path, "rb") as f:
        content = pdf_content(f.read())
    # A filled rectangle is what LibreOffice paints behind an underlined
    # text; the diagram has no fill at all (the page's own background is a
    # path, not a rectangle).
    boxes = re.findall(r"[-\d.]+ [-\d.]+ [-\d.]+ [-\d.]+ re f\*?\b", content)
    check(not boxes, f"the PDF fills {len(boxes)} rectangles, the first: {boxes[:1]}")
    check(content.count(" Tf") >= len(NAMES) + 2, "the PDF draws fewer texts than the diagram has")
    text = subprocess.run(["pdftotext", pdf_path, "-"], capture_output=True, timeout=60).stdout.decode()
    words = text.split()
    missing = [n for n in NAMES if n not in words]
    check(not missing, f"the PDF's text lacks {missing}: {words}")
    check("100" in words and "V" in words and "A" in words, f"scale labels missing from {words}")
    return len(words)


class Office(h._Server):
    """A LibreOffice with its X11 backend on the test's display, so that it
    reads the clipboard kelvoran owns there, driven through UNO."""

    def __init__(self, display, work):
        pipe = f"kelvoran_lo_{os.getpid()}"
        env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        profile = "file://" + os.path.join(work, "paste-profile")
        self._start(["soffice", f"-env:UserInstallation={profile}", "--invisible", "--norestore", "--nologo",
                     "--nodefault", "--nolockcheck", f"--accept=pipe,name={pipe};urp;"],
                    dict(env, DISPLAY=display, SAL_USE_VCLPLUGIN="gen"))
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)

        def resolve():  # in a tuple: whether a UNO proxy is true is not ours to rely on
            try:
                return (resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext"),)
            except Exception:
                if self.proc.poll() is not None:
                    self.fail("LibreOffice ended before answering")
        ctx = (h.wait(resolve, 90, 0.3) or self.fail("LibreOffice did not answer"))[0]
        self.desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        self.dispatcher = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.DispatchHelper", ctx)

    def paste_into_writer(self, command, args=()):
        doc = self.desktop.loadComponentFromURL("private:factory/swriter", "_blank", 0, (prop("Hidden", True),))
        try:
            frame = doc.getCurrentController().getFrame()
            self.dispatcher.executeDispatch(frame, command, "", 0, tuple(args))
            graphics = doc.getGraphicObjects()
            check(graphics.getCount() == 1, f"{command}: {graphics.getCount()} pictures in the document, expected 1")
            shape = graphics.getByIndex(0)
            graphic = shape.Graphic
            size = shape.Size
            return {"type": graphic.GraphicType, "mime": graphic.MimeType,
                    "pixels": (graphic.SizePixel.Width, graphic.SizePixel.Height),
                    "mm100": (size.Width, size.Height)}
        finally:
            doc.close(True)

    def stop(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        super().stop(timeout=20)


def body(args):
    h.require("py:uno", "soffice", "pdftotext", "xdotool", "xclip", "import")
    with tempfile.TemporaryDirectory(prefix="kelvoran-lo-") as work, h.Xvfb() as x, \
            h.Program(args.binary, x.env) as app:
        return h.run_scenarios([("EMF in PDF, pasted into Writer", lambda s: paste_scenario(s, x.display, work))], app)


def paste_scenario(session, display, work):
    office = None
    try:
        session.click_main(*BITBTN1)
        form4 = session.wait_window("Form4")
        session.clear_clipboard()
        session.click(form4, *TOOLBUTTON)
        targets = session.clipboard("TARGETS").decode().splitlines()
        check(EMF_LO in targets and "image/png" in targets, f"clipboard TARGETS: {targets}")
        svg = session.clipboard("image/svg+xml").decode()
        view = re.search(r'viewBox="0 0 (\d+) (\d+)"', svg)
        check(view is not None, "the SVG has no viewBox")
        width, height = int(view.group(1)), int(view.group(2))

        started = time.time()
        words = check_emf_in_pdf(session.clipboard(EMF_LO), work)
        print(f"      the EMF in PDF: no filled rectangle, {words} words of text "
              f"({time.time() - started:.1f} s)")

        started = time.time()
        office = Office(display, work)
        print(f"      LibreOffice up in {time.time() - started:.1f} s")
        # Plain paste: LibreOffice ranks any raster above a metafile, so it
        # takes the PNG, which must be three times as dense and land at the
        # size of the vector pictures (1 px = 1/96 in).
        plain = office.paste_into_writer(".uno:Paste")
        expected_mm100 = (round(width * 2540 / 96), round(height * 2540 / 96))
        check(plain["type"] == PIXEL and plain["pixels"][0] >= 3 * width and plain["pixels"][1] >= 3 * height,
              f"plain paste gave {plain}, expected a raster of at least {3 * width}x{3 * height}")
        check(all(abs(a - b) <= 30 for a, b in zip(plain["mm100"], expected_mm100)),
              f"plain paste is {plain['mm100']} (0.01 mm), expected {expected_mm100}")
        print(f"      Writer Ctrl+V: {plain['mime']} {plain['pixels'][0]}x{plain['pixels'][1]} px for a "
              f"{width}x{height} diagram, {plain['mm100'][0] / 100:.1f} x {plain['mm100'][1] / 100:.1f} mm")
        special = office.paste_into_writer(".uno:ClipboardFormatItems",
                                           [prop("SelectedFormat", GDIMETAFILE_FORMAT)])
        check(special["type"] == VECTOR, f"paste special as GDI metafile gave {special}")
        check(all(abs(a - b) <= 30 for a, b in zip(special["mm100"], expected_mm100)),
              f"the metafile is {special['mm100']} (0.01 mm), expected {expected_mm100}")
        print(f"      Writer paste special, GDI metafile: a vector picture of "
              f"{special['mm100'][0] / 100:.1f} x {special['mm100'][1] / 100:.1f} mm")
    finally:
        if office:
            office.stop()


if __name__ == "__main__":
    h.main(body)
