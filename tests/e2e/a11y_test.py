#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keyboard alone and a screen reader: the program under Xvfb with a private
D-Bus session and AT-SPI, driven by keys only and read back through AT-SPI,
as Orca would read it (and the clipboard for the copied diagram)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import oracle  # noqa: E402

MAIN = "Installation triphasée"
# Every window's expected accessible names, in one place. The main window's
# list is also its Tab order; the parameters dialog's is by page.
NAMES = {
    MAIN: ["Résistance phase 1 (ohm)", "Réactance phase 1 (ohm)", "Interrupteur ligne 1",
           "Résistance phase 2 (ohm)", "Réactance phase 2 (ohm)", "Interrupteur ligne 2",
           "Résistance phase 3 (ohm)", "Réactance phase 3 (ohm)", "Interrupteur ligne 3",
           "Interrupteur du neutre", "Calculer", "Calculer et afficher le diagramme de Fresnel",
           "Calcul du modèle série",
           "Courant I1", "Courant I2", "Courant I3", "Courant IN",
           "Tension VZ1", "Tension VZ2", "Tension VZ3", "Tension VN",
           "Composante directe des courants", "Composante inverse des courants",
           "Composante homopolaire des courants", "Composante directe des tensions",
           "Composante inverse des tensions", "Composante homopolaire des tensions"],
    "Parametres": [f"Couleur de {c}" for c in ("v1", "v2", "v3", "vZ1", "vZ2", "vZ3", "i1", "i2", "i3",
                                               "udirect", "uinv", "u0", "idirect", "iinv", "i0", "vN", "iN")]
                  + ["Epaisseur vecteurs tensions", "Epaisseur vecteurs courants", "Réinitialiser couleurs",
                     "Tension simple efficace V1 (V)", "Affichage de IN", "Affichage de VN",
                     "Ecriture sous forme algèbrique", "Ecriture sous forme polaire", "OK"],
    "Calcul du modèle série": ["Résistance parallèle Rp (ohm)", "Réactance parallèle Xp (ohm)", "Calculer",
                               "Résistance série Rs (ohm)", "Réactance série Xs (ohm)"],
    "A propos": ["OK"],
    "Form4": ["Copier le diagramme", "Diagramme de Fresnel"],
}
MENU = ["Quitter", "Copier données", "Paramètres", "A propos"]
FIELDS = ["20", "0", "10", "-5", "5", "10"]


def text_of(acc):
    try:
        t = acc.queryText()
        return t.getText(0, -1)
    except NotImplementedError:
        return None


class Reader:
    """The screen reader's side: the program's windows through AT-SPI."""

    def __init__(self, pyatspi):
        self.at = pyatspi

    def app(self):
        found = h.wait(lambda: next((a for a in self.at.Registry.getDesktop(0)
                                     if a is not None and a.name == "kelvoran"), None), 10, 0.1)
        return h.check(found, "kelvoran is not on the accessibility bus")

    def window(self, title, timeout=5):
        found = h.wait(lambda: next((w for w in self.app() if w.name == title
                                     and w.getState().contains(self.at.STATE_SHOWING)), None), timeout)
        return h.check(found, f"no showing window {title!r} on the accessibility bus")

    def showing(self, acc):
        for child in acc:
            if child is not None and child.getState().contains(self.at.STATE_SHOWING):
                yield child
                yield from self.showing(child)

    def find(self, win, name):
        for a in self.showing(win):
            if a.name == name:
                return a
        raise h.Failure(f"{win.name!r}: no control named {name!r}")

    def focused(self, win):
        return next((a for a in self.showing(win) if a.getState().contains(self.at.STATE_FOCUSED)), None)

    def interactive(self, win):
        """Showing controls that take the focus or offer an action."""
        for a in self.showing(win):
            try:
                acts = a.queryAction().nActions
            except NotImplementedError:
                acts = 0
            if acts or a.getState().contains(self.at.STATE_FOCUSABLE):
                yield a


def wait_for(cond, message, timeout=5):
    h.check(h.wait(cond, timeout), message)


def tab_to(app, sr, title, name, limit=40):
    x = app.wait_window(title)
    for _ in range(limit):
        f = sr.focused(sr.window(title))
        if f is not None and f.name.replace("\u00a0", " ").rstrip(" :") == name.rstrip(" :"):
            return f
        app.key(x, "Tab")
    raise h.Failure(f"{title}: Tab never reached {name!r}")


def keyboard_journey(app, sr):
    main = sr.window(MAIN)
    app.focus(app.main)
    wait_for(lambda: sr.focused(main) is not None, "nothing has the focus in the main window")
    # The Tab order follows the screen, from the first field.
    order = []
    for _ in NAMES[MAIN]:
        f = sr.focused(main)
        order.append(f.name if f else None)
        app.key(app.main, "Tab")
    h.check(order == NAMES[MAIN], f"main window Tab order: {order}")
    # An impedance, then line 2's switch opened with Space.
    tab_to(app, sr, MAIN, "Résistance phase 1 (ohm)")
    app.key(app.main, "ctrl+a")
    app.type(app.main, FIELDS[0])
    switch = tab_to(app, sr, MAIN, "Interrupteur ligne 2")
    h.check(switch.getState().contains(sr.at.STATE_CHECKED), "a closed switch is not checked")
    app.key(app.main, "space")
    wait_for(lambda: not switch.getState().contains(sr.at.STATE_CHECKED), "Space did not open the switch")
    h.check(sr.find(main, "Avertissement").getState().contains(sr.at.STATE_SHOWING), "no warning after Space")
    # CALCULS, then I1 read as a screen reader reads it.
    tab_to(app, sr, MAIN, "Calculer")
    app.key(app.main, "Return")
    i1 = sr.find(main, "Courant I1")
    expected = oracle.label_text(oracle.solve(FIELDS, [True, False, True], True)["i"][0], True)
    wait_for(lambda: text_of(i1) == expected, f"I1 reads {text_of(i1)!r}, not {expected!r}")

    # The menu's access keys: the captions read as before.
    menu = [a.name for a in sr.showing(main) if a.getRoleName() == "menu item"]
    h.check(menu == MENU, f"menu items {menu}")
    app.key(app.main, "alt+p")
    dialog = sr.window("Parametres")
    # The rms voltage: Return in its field asks, rather than closing the dialog.
    tab_to(app, sr, "Parametres", "Tension simple efficace V1 (V)")
    app.key(app.wait_window("Parametres"), "Return")
    app.key(app.wait_window("Tension simple"), "ctrl+a")
    app.type(app.wait_window("Tension simple"), "230")
    app.key(app.wait_window("Tension simple"), "Return")
    h.check(app.window_gone("Tension simple"), "the rms query did not close")
    wait_for(lambda: text_of(sr.find(dialog, "Tension simple efficace V1 (V)")) == "230", "rms field not 230")
    h.check(sr.find(main, "Veff = 230 V") is not None, "Veff caption")
    # i2's colour: Ctrl+Tab round to the colours, Space on the label, a colour typed in the picker.
    dlg = app.wait_window("Parametres")
    app.key(dlg, "ctrl+Tab", "ctrl+Tab")
    tab_to(app, sr, "Parametres", "Couleur de i2")
    app.key(dlg, "space")
    picker = next(w.name for w in sr.app() if w.name not in (MAIN, "Parametres", "Form4")
                  and w.getState().contains(sr.at.STATE_SHOWING))
    tab_to(app, sr, picker, "HTML:")
    app.key(app.wait_window(picker), "ctrl+a")
    app.type(app.wait_window(picker), "#c000c0")
    app.key(app.wait_window(picker), "Return")
    h.check(app.window_gone(picker), "the colour picker did not close")
    app.key(dlg, "Escape")
    h.check(app.window_gone("Parametres"), "Escape did not hide the parameters dialog")

    # FRESNEL, the diagram read, copied and left by keys.
    tab_to(app, sr, MAIN, "Calculer et afficher le diagramme de Fresnel")
    app.key(app.main, "Return")
    form4 = sr.window("Form4")
    s = oracle.solve(FIELDS, [True, False, True], True, veff=230.0)
    i1 = s["i"][0]
    wanted = f"I1 : module {oracle.fmt(oracle.cmodule(i1))}, argument {oracle.fmt(oracle.cargument(i1))}"
    described = sr.find(form4, "Diagramme de Fresnel").description
    h.check(wanted in described, f"diagram description {described!r} lacks {wanted!r}")
    tab_to(app, sr, "Form4", "Copier le diagramme")
    app.key(app.wait_window("Form4"), "space")
    svg = app.clipboard("image/svg+xml").decode(errors="replace").lower()
    h.check("#c000c0" in svg, "the copied diagram does not show i2 in the colour chosen by keyboard")
    app.key(app.wait_window("Form4"), "Escape")
    h.check(app.window_gone("Form4"), "Escape did not hide the diagram window")


def every_control_named(app, sr):
    seen = {}

    def collect(title):
        win = sr.window(title)
        names = []
        for a in sr.interactive(win):
            h.check(a.name.strip(), f"{title}: an unnamed {a.getRoleName()} under {a.parent.name!r}"
                    f" ({a.parent.getRoleName()})")
            names.append(a.name)
        return names

    seen[MAIN] = collect(MAIN)
    app.key(app.main, "alt+a")
    seen["A propos"] = collect("A propos")
    app.key(app.wait_window("A propos"), "Return")
    tab_to(app, sr, MAIN, "Calcul du modèle série")
    app.key(app.main, "space")
    seen["Calcul du modèle série"] = collect("Calcul du modèle série")
    app.key(app.wait_window("Calcul du modèle série"), "Escape")
    tab_to(app, sr, MAIN, "Calculer et afficher le diagramme de Fresnel")
    app.key(app.main, "space")
    seen["Form4"] = collect("Form4") + [sr.find(sr.window("Form4"), "Diagramme de Fresnel").name]
    app.key(app.wait_window("Form4"), "Escape")
    app.key(app.main, "alt+p")
    seen["Parametres"] = []
    for _ in range(3):  # the three pages
        seen["Parametres"] += collect("Parametres")
        app.key(app.wait_window("Parametres"), "ctrl+Tab")
    app.key(app.wait_window("Parametres"), "Escape")
    print("      interactive controls, all named: "
          + ", ".join(f"{t} {len(n)}" for t, n in seen.items()) + f"; {sum(map(len, seen.values()))} in all")
    for title, expected in NAMES.items():
        missing = [n for n in expected if n not in seen[title]]
        h.check(not missing, f"{title}: missing names {missing}")


def body(args):
    h.require("Xvfb", "xdotool", "xclip", "dbus-daemon", "/usr/libexec/at-spi-bus-launcher",
              "/usr/libexec/at-spi2-registryd", "py:pyatspi")
    with h.Xvfb() as x, h.DBusSession(x.env) as bus, h.AtSpi(bus) as a11y:
        # pyatspi finds the accessibility bus through the session bus it is given.
        os.environ.update(a11y.env)
        import pyatspi
        app = h.Program(args.binary, a11y.env)
        try:
            sr = Reader(pyatspi)
            sr.app()
            return h.run_scenarios([
                ("keyboard journey", lambda a: keyboard_journey(a, sr)),
                ("every control named", lambda a: every_control_named(a, sr)),
            ], app)
        finally:
            app.stop()


if __name__ == "__main__":
    h.main(body)
