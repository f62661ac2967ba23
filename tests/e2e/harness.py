# SPDX-License-Identifier: GPL-3.0-or-later
"""What every end-to-end scenario stands on: display servers and the program
under test, by PID; X11 input and clipboard (xdotool, xclip); the scenario loop."""
import argparse
import functools
import importlib.util
import json
import os
import pwd
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAYLAND_USER = "kelvoran-e2e"  # sway refuses to run as root
DEBIAN_PYTHON = "/usr/bin/python3"  # where Debian's python3-* modules live


class Failure(Exception):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)
    return cond


def require(*tools):
    """Executables, or Python modules written "py:name". A missing one skips
    the test (exit 77), and fails it under CI."""
    missing = []
    for tool in tools:
        if tool.startswith("py:"):
            if importlib.util.find_spec(tool[3:]) is None:
                # Debian installs its python3-* modules for its own Python only.
                if os.path.exists(DEBIAN_PYTHON) and os.path.realpath(sys.executable) != os.path.realpath(DEBIAN_PYTHON):
                    os.execv(DEBIAN_PYTHON, [DEBIAN_PYTHON] + sys.argv)
                missing.append(tool[3:])
        elif not shutil.which(tool):
            missing.append(tool)
    if missing:
        if os.environ.get("CI", "").lower() == "true":
            raise Failure(f"not installed: {' '.join(missing)}")
        print(f"SKIP: not installed: {' '.join(missing)}")
        sys.exit(SKIP)


def wait(predicate, timeout, interval=0.05):
    """predicate's first true value, or None after timeout."""
    end = time.time() + timeout
    while time.time() < end:
        result = predicate()
        if result:
            return result
        time.sleep(interval)
    return None


def _stop(proc, timeout=5):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def _quiet(args, env, timeout=10):
    try:
        return subprocess.run(args, env=env, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(args, 124, b"", b"timeout")


class _Server:
    """A background process with its log in a file, stopped by PID."""

    def _start(self, args, env, **kwargs):
        self.log_file = tempfile.TemporaryFile()
        kwargs.setdefault("stdout", subprocess.DEVNULL)
        self.proc = subprocess.Popen(args, env=env, stderr=self.log_file, **kwargs)

    def log(self):
        self.log_file.seek(0)
        state = "running" if self.proc.poll() is None else f"exited ({self.proc.returncode})"
        return f"[{self.__class__.__name__} {state}] " + self.log_file.read().decode(errors="replace").strip()[-2000:]

    def fail(self, what):
        log = self.log()
        self.stop()
        raise Failure(f"{what}: {log}")

    def stop(self, timeout=5):
        _stop(self.proc, timeout)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class Xvfb(_Server):
    def __init__(self, size="1280x1024", depth=24):
        require("Xvfb", "xdpyinfo")
        self.size = tuple(int(v) for v in size.split("x"))
        # -displayfd: a number that looks free in /tmp may be held, through its
        # abstract socket, by a server whose /tmp we do not see. -noreset: the
        # probe is the server's first client, and a reset when it leaves would
        # race with the program's own connection.
        read_fd, write_fd = os.pipe()
        self._start(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{size}x{depth}",
                     "-nolisten", "tcp", "-noreset"], None, pass_fds=(write_fd,))
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline() if select.select([pipe], [], [], 15)[0] else b""
        if not number.strip():
            self.fail("Xvfb gave no display number")
        self.display = f":{number.decode().strip()}"
        self.env = dict(os.environ, DISPLAY=self.display)
        for var in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "SWAYSOCK"):
            self.env.pop(var, None)
        answers = ["xdpyinfo", "-display", self.display]
        if not wait(lambda: self.proc.poll() is not None or _quiet(answers, self.env).returncode == 0, 10, 0.1) \
                or self.proc.poll() is not None:
            self.fail(f"Xvfb on {self.display} does not answer")


class Openbox(_Server):
    def __init__(self, x):
        require("openbox", "xprop")
        self.env = x.env
        self._start(["openbox", "--sm-disable"], self.env)
        if not wait(lambda: b"window id" in _quiet(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env).stdout, 5):
            self.fail("openbox did not start")


class DBusSession(_Server):
    def __init__(self, env):
        require("dbus-daemon")
        self._start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env, stdout=subprocess.PIPE)
        ready = select.select([self.proc.stdout], [], [], 10)[0]
        address = self.proc.stdout.readline().decode().strip() if ready else ""
        if not address:
            self.fail("dbus-daemon gave no address")
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=address)


class AtSpi(_Server):
    """The accessibility bus on a private session bus, and its registry."""
    LAUNCHER, REGISTRY = "/usr/libexec/at-spi-bus-launcher", "/usr/libexec/at-spi2-registryd"

    def __init__(self, bus):
        require(self.LAUNCHER, self.REGISTRY, "dbus-send")
        self.env = dict(bus.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self._start([self.LAUNCHER, "--launch-immediately"], bus.env)
        self.registry = None
        owner = ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
                 "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"]
        if not wait(lambda: b"boolean true" in _quiet(owner, self.env).stdout, 10, 0.1):
            self.fail("at-spi-bus-launcher did not take org.a11y.Bus")
        self.registry = subprocess.Popen([self.REGISTRY], env=bus.env, stdout=subprocess.DEVNULL,
                                         stderr=self.log_file)

    def stop(self):
        if self.registry is not None:
            _stop(self.registry)
        super().stop()


def _wayland_user():
    """The unprivileged account sway runs as when we are root, made if missing."""
    if os.geteuid() != 0:
        return None
    try:
        return pwd.getpwnam(WAYLAND_USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", WAYLAND_USER],
                       check=True, capture_output=True)
        return pwd.getpwnam(WAYLAND_USER)


class Sway(_Server):
    """Headless sway. A client running as root reaches its socket through an
    absolute WAYLAND_DISPLAY, so the program keeps its own XDG_RUNTIME_DIR."""

    def __init__(self, scale=1, size="1280x1024"):
        require("sway", "swaymsg")
        self.size = tuple(int(v) for v in size.split("x"))
        self.user = _wayland_user()
        self.runtime = tempfile.mkdtemp(prefix="kelvoran-sway-")
        os.chmod(self.runtime, 0o700)
        config = os.path.join(self.runtime, "config")
        with open(config, "w") as f:
            f.write(f"xwayland disable\noutput HEADLESS-1 resolution {size} position 0 0 scale {scale}\n"
                    "default_border none\n")
        base = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        self.client_env = dict(base, XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime, WLR_BACKENDS="headless",
                               WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
        if self.user:
            os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
            os.chown(config, self.user.pw_uid, self.user.pw_gid)
        self._start(self._as_user(["sway", "-c", config]), self.client_env, cwd=self.runtime)
        socket = wait(lambda: self.proc.poll() is not None or self._sockets(), 10, 0.1)
        if self.proc.poll() is not None or not socket:
            self.fail("sway did not start")
        wayland, ipc = socket
        self.env = dict(base, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=os.path.join(self.runtime, wayland),
                        SWAYSOCK=os.path.join(self.runtime, ipc), QT_QPA_PLATFORM="wayland")
        self.client_env.update(WAYLAND_DISPLAY=wayland, SWAYSOCK=self.env["SWAYSOCK"])
        if not wait(lambda: self.msg("-t", "get_outputs", quiet=True), 10, 0.1):
            self.fail("swaymsg -t get_outputs does not answer")

    def _sockets(self):
        names = os.listdir(self.runtime)
        wayland = [n for n in names if re.fullmatch(r"wayland-\d+", n)]
        ipc = [n for n in names if n.startswith("sway-ipc.")]
        return (wayland[0], ipc[0]) if wayland and ipc else None

    def _as_user(self, args):
        if not self.user:
            return list(args)
        return ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}", "--init-groups", *args]

    def msg(self, *args, quiet=False):
        """swaymsg's answer as JSON; quiet: None instead of a Failure."""
        out = _quiet(["swaymsg", "-s", self.env["SWAYSOCK"], "-r", *args], self.env)
        if out.returncode != 0 and quiet:
            return None
        check(out.returncode == 0, f"swaymsg {' '.join(args)}: {out.stderr.decode(errors='replace')}")
        return json.loads(out.stdout)

    def run(self, *args, input=None, timeout=20):
        """Runs a Wayland client (grim, wl-paste...) as the compositor's user."""
        return subprocess.run(self._as_user(args), env=self.client_env, input=input, capture_output=True,
                              timeout=timeout, cwd=self.runtime)

    def stop(self):
        super().stop()
        shutil.rmtree(self.runtime, ignore_errors=True)


def sway_windows(tree):
    """Every view of a sway tree, floating ones included."""
    for node in tree.get("nodes", []) + tree.get("floating_nodes", []):
        if node.get("pid"):
            yield node
        yield from sway_windows(node)


def crisp_blocks(rgb, width, height, top):
    """Of the inked, aligned 2x2 pixel blocks below row top: how many, and the
    share holding more than one colour (none in a picture drawn at half size
    and doubled)."""
    uniform = mixed = 0
    for y in range(top, height - 1, 2):
        row0, row1 = rgb[y * width * 3:(y + 1) * width * 3], rgb[(y + 1) * width * 3:(y + 2) * width * 3]
        for x in range(0, width - 1, 2):
            block = (row0[3 * x:3 * x + 3], row0[3 * x + 3:3 * x + 6], row1[3 * x:3 * x + 3], row1[3 * x + 3:3 * x + 6])
            if all(p == b"\xff\xff\xff" for p in block):
                continue
            uniform, mixed = (uniform + 1, mixed) if block.count(block[0]) == 4 else (uniform, mixed + 1)
    return uniform + mixed, mixed / max(1, uniform + mixed)


class Program(_Server):
    """The program under test, with its own HOME and XDG_RUNTIME_DIR, its
    stderr in a file (a chatty program must never block on a full pipe)."""

    def __init__(self, binary, env, args=(), name="Installation triphasée"):
        self.env = dict(env)
        self.wayland = "DISPLAY" not in self.env and "WAYLAND_DISPLAY" in self.env
        self.home = tempfile.mkdtemp(prefix="kelvoran-home-")
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=tempfile.mkdtemp(prefix="kelvoran-xdg-"))
        for var in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"):
            self.env.pop(var, None)
        # No bus unless the test gives one: libdbus would otherwise autolaunch
        # a daemon that outlives the test and leaves its address in HOME.
        self.env.setdefault("DBUS_SESSION_BUS_ADDRESS", f"unix:path={self.env['XDG_RUNTIME_DIR']}/no-bus")
        self._start([binary, *args], self.env)
        self.stderr, self.pid = self.log_file, self.proc.pid
        try:
            self.main = self.wait_window(name) if name else None
        except Failure:
            self.stop()
            raise

    def stderr_text(self):
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace")[-2000:]

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout} s")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
        try:
            self.proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
        shutil.rmtree(self.env["XDG_RUNTIME_DIR"], ignore_errors=True)
        shutil.rmtree(self.home, ignore_errors=True)

    def rss_peak_mib(self):
        with open(f"/proc/{self.pid}/status") as f:
            return next(int(line.split()[1]) for line in f if line.startswith("VmHWM:")) / 1024

    # -- windows -----------------------------------------------------------
    def run(self, *args, check_rc=True, input=None):
        out = subprocess.run(list(args), env=self.env, capture_output=True, timeout=20, input=input)
        if check_rc and out.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {out.stderr.decode(errors='replace')}")
        return out.stdout

    def xdo(self, *args):
        return self.run("xdotool", *args).decode().strip()

    def _find(self, name, visible=True):
        if self.wayland:
            out = self.run("swaymsg", "-s", self.env["SWAYSOCK"], "-r", "-t", "get_tree", check_rc=False)
            views = sway_windows(json.loads(out)) if out else []
            return [str(v["id"]) for v in views if v.get("pid") == self.pid and v.get("name") == name
                    and (v.get("visible") or not visible)]
        args = ["search"] + (["--onlyvisible"] if visible else []) + ["--name", f"^{re.escape(name)}$"]
        return self.run("xdotool", *args, check_rc=False).decode().split()

    def _alive(self, what):
        check(self.proc.poll() is None,
              f"program exited ({self.proc.returncode}) while waiting for {what}: {self.stderr_text()}")
        return True

    def wait_window(self, name, timeout=10.0, visible=True):
        found = wait(lambda: self._alive(repr(name)) and self._find(name, visible), timeout)
        return check(found, f"window {name!r} did not appear")[0]

    def window_gone(self, name, timeout=5.0):
        return bool(wait(lambda: not self._find(name), timeout))

    def geometry(self, window):
        out = self.xdo("getwindowgeometry", "--shell", window)
        values = dict(line.split("=") for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def settled(self, window, timeout=2.0):
        """The place on the root with the window manager's frame, once it stops changing."""
        def outer():
            info = self.run("xwininfo", "-id", window).decode()
            x, y, w, h = (int(re.search(rf"{k}:\s*(-?\d+)", info).group(1))
                          for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
            ext = self.run("xprop", "-id", window, "_NET_FRAME_EXTENTS").decode().split("=")[-1].split(",")
            left, right, top, bottom = [int(e) for e in ext] if len(ext) == 4 else (0, 0, 0, 0)
            return x - left, y - top, w + left + right, h + top + bottom
        seen = [None]
        wait(lambda: seen.append(outer()) or seen[-1] == seen[-2], timeout, 0.06)
        return seen[-1]

    def root_windows(self, prop):
        """The windows a root property lists: _NET_CLIENT_LIST_STACKING, _NET_ACTIVE_WINDOW."""
        out = self.run("xprop", "-root", prop).decode()
        return [int(w, 16) for w in out.split("#")[-1].replace(",", " ").split()]

    def activate(self, window):
        self.xdo("windowactivate", "--sync", window)
        time.sleep(0.1)

    @functools.cached_property
    def menu_height(self):
        """Height of the main window's menu bar: the first white row of the schematic panel."""
        def white_row():
            txt = self.run("import", "-window", self.main, "-crop", "1x80+200+0", "txt:-").decode()
            return next((int(m.group(1)) for m in map(re.compile(r"\d+,(\d+):.*#FFFFFF").match,
                                                      txt.splitlines()[1:]) if m), None)
        return check(wait(white_row, 2.0, 0.1), "could not find the schematic panel below the menu bar")

    # -- input -------------------------------------------------------------
    def click(self, window, x, y):
        self.xdo("mousemove", "--window", window, str(x), str(y))
        self.xdo("click", "1")
        time.sleep(0.08)

    def click_main(self, x, y):
        """Click at client coordinates of the main window (below the menu bar)."""
        self.click(self.main, x, y + self.menu_height)

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

    # -- clipboard and pictures ----------------------------------------------
    def clipboard(self, target=None, timeout=3.0):
        args = ["xclip", "-selection", "clipboard", "-o"] + (["-t", target] if target else [])
        tries = []
        out = wait(lambda: tries.append(_quiet(args, self.env)) or tries[-1].returncode == 0 and tries[-1],
                   timeout, 0.1)
        return check(out, f"clipboard {target or 'text'} unreadable: {tries[-1].stderr!r}").stdout

    def clear_clipboard(self):
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], env=self.env, input=b"e2e-marker", timeout=10)
        time.sleep(0.1)

    def screenshot(self, path=None, window="root"):
        if path is None:
            fd, path = tempfile.mkstemp(prefix="kelvoran-e2e-", suffix=".png")
            os.close(fd)
        if self.wayland:
            subprocess.run(["grim", path], env=self.env, capture_output=True, timeout=20)
        else:
            subprocess.run(["import", "-window", window, path], env=self.env, capture_output=True, timeout=20)
        return path


def run_scenarios(scenarios, app):
    """Runs fn(app) for each (name, fn), prints PASS or FAIL with a screenshot,
    stops once the program has died, and returns the exit status."""
    passed = failed = 0
    for k, (name, fn) in enumerate(scenarios):
        try:
            fn(app)
            passed += 1
            print(f"PASS: {name}", flush=True)
        except Failure as e:
            failed += 1
            print(f"FAIL: {name}: {e}")
            print(f"      screenshot: {app.screenshot()}", flush=True)
        if app.proc.poll() is not None and k + 1 < len(scenarios):
            failed += 1
            print(f"FAIL: the program died ({app.proc.returncode}): {app.stderr_text()}")
            break
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


def main(body):
    """Parses --binary, runs body(args) and exits with its status; a Failure
    in body's set-up counts as one failure."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    args = parser.parse_args()
    try:
        rc = body(args)
    except Failure as e:
        print(f"FAIL: start-up: {e}")
        print("0 passed, 1 failed")
        rc = 1
    sys.exit(rc)
