"""A private X desktop for end-to-end tests: Xvfb with a window manager, the real player
started in it with private HOME and XDG folders, and helpers to look at what a person sees
(window titles, geometry, window-manager state, screenshots) and to type and click."""

import configparser
import os
import re
import shutil
import subprocess
import tempfile
import time
from urllib.parse import unquote


def wait_for(condition, what="condition", timeout=20):
    """Polls `condition` until it answers something true, which it returns; fails the test
    naming `what` when that does not happen in time."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting: {what}")


def settle(look, holds, timeout=30, pause=0.3):
    """Looks with `look` until `holds` accepts what it saw or `timeout` seconds pass, and
    returns the last thing seen: the caller asserts on it, so a failure still shows the value
    that was wrong rather than a bare time-out."""
    deadline = time.time() + timeout
    while True:
        seen = look()
        if holds(seen) or time.time() > deadline:
            return seen
        time.sleep(pause)


def mounted(point):
    """Whether a file system is mounted on `point` (as the kernel's mount table says)."""
    with open("/proc/self/mountinfo", encoding="utf-8", errors="replace") as table:
        return any(f" {point} " in line for line in table)


def copy_movies(folder, names, media, clip="long-mpeg1.mpg"):
    """Copies of one media fixture named `name`.mpg in `folder`; returns their paths."""
    paths = []
    for name in names:
        path = os.path.join(folder, name + ".mpg")
        shutil.copy(os.path.join(media, clip), path)
        paths.append(path)
    return paths


class WindowGone(RuntimeError):
    """An X call named a window that no longer exists."""


def _run(args, env, check=True, timeout=20):
    args = [str(arg) for arg in args]
    result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        error = WindowGone if "BadWindow" in result.stderr else RuntimeError
        raise error(f"{args[0]} failed: {result.stderr.strip()}")
    return result.stdout


class Window:
    """A top-level window of the player, known by its title. Qt replaces a window's native
    handle when a video surface first appears in it or its stays-on-top hint changes; the
    reference then finds the replacement by a title the window had or is expected to have."""

    def __init__(self, desktop, handle, pattern):
        self.desktop = desktop
        self.handle = handle
        self.patterns = [pattern]
        self.replacements = 0

    def __str__(self):
        return self.handle

    def __int__(self):
        return int(self.handle)

    def remember_title(self, title):
        pattern = "^" + re.escape(title) + "$"
        if pattern in self.patterns:
            self.patterns.remove(pattern)
        self.patterns.insert(0, pattern)

    def find_again(self, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for pattern in self.patterns:
                found = self.desktop.search_visible(pattern)
                if found and found[0] != self.handle:
                    self.handle = found[0]
                    self.replacements += 1
                    return
            time.sleep(0.2)
        raise WindowGone(f"the window named like {self.patterns[0]!r} is gone")


class Desktop:
    def __init__(self, width=1024, height=768, accessibility=False, session_bus=False):
        self.size = (width, height)
        self.accessibility = accessibility
        self.session_bus = session_bus or accessibility
        self.home = tempfile.mkdtemp(prefix="cinevan-e2e-")
        self.processes = []
        self.env = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            display = pipe.readline().strip()
        self.processes.append(xvfb)
        env = dict(os.environ)
        for var in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(var, None)
        env.update({
            "DISPLAY": f":{display}",
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "XDG_DATA_HOME": os.path.join(self.home, "data"),
            "XDG_CACHE_HOME": os.path.join(self.home, "cache"),
            "XDG_RUNTIME_DIR": os.path.join(self.home, "runtime"),
            "CINEVAN_AUDIO_OUTPUT": "null",
            "LIBGL_ALWAYS_SOFTWARE": "1",
        })
        for folder in ("config", "data", "cache", "runtime"):
            os.makedirs(os.path.join(self.home, folder), mode=0o700, exist_ok=True)
        self.env = env
        if self.session_bus:
            self._start_session_bus()
        if self.accessibility:
            self._start_accessibility_bus()
        self.processes.append(subprocess.Popen(
            ["openbox"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)
        return self

    def _start_session_bus(self):
        """A private session bus for the player and the test's own clients."""
        out = _run(["dbus-launch", "--sh-syntax"], self.env)
        for line in out.splitlines():
            # The address is quoted, the process id is not.
            match = re.match(r"(\w+)='?([^';]*)'?;", line)
            if match:
                self.env[match.group(1)] = match.group(2)
        pid = self.env.get("DBUS_SESSION_BUS_PID")
        if pid:
            self.bus_pid = int(pid)

    def _start_accessibility_bus(self):
        """The accessibility bus on the session bus, so that the player's widgets can be read
        and pressed as a screen reader does (pyatspi)."""
        self.processes.append(subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=self.env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_ACCESSIBILITY"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"
        # pyatspi in this process talks to the same bus.
        for var in ("DBUS_SESSION_BUS_ADDRESS", "DISPLAY"):
            os.environ[var] = self.env[var]
        time.sleep(0.5)

    def __exit__(self, *exc):
        if getattr(self, "bus_pid", None):
            try:
                os.kill(self.bus_pid, 15)
            except OSError:
                pass
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    # A thread stuck in a hung file system holds a killed process until the
                    # file system answers; its test ends that file system afterwards.
                    process.kill()
                    try:
                        process.wait(5)
                    except subprocess.TimeoutExpired:
                        pass
            if process.stdout:
                process.stdout.close()
        shutil.rmtree(self.home, ignore_errors=True)

    # -- the player ------------------------------------------------------------------------

    def start(self, program, args=(), cwd=None):
        process = subprocess.Popen([program, *args], env=self.env, cwd=cwd,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    # -- looking ---------------------------------------------------------------------------

    def on_windows(self, call, *args):
        """Runs an X call whose arguments may name player windows, finding a replaced
        window again and retrying."""
        windows = [arg for arg in args if isinstance(arg, Window)]
        for attempt in range(4):
            try:
                return call(*args)
            except WindowGone:
                if not windows or attempt == 3:
                    raise
                for window in windows:
                    window.find_again()

    def xdotool(self, *args, check=True):
        return self.on_windows(
            lambda *a: _run(["xdotool", *a], self.env, check=check), *args)

    def search_visible(self, name_pattern):
        return _run(["xdotool", "search", "--onlyvisible", "--name", name_pattern],
                    self.env, check=False).split()

    def find_window(self, name_pattern, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.search_visible(name_pattern)
            if found:
                return Window(self, found[0], name_pattern)
            time.sleep(0.2)
        raise AssertionError(f"no visible window named like {name_pattern!r}")

    def title(self, window):
        title = self.xdotool("getwindowname", window).strip()
        if isinstance(window, Window):
            window.remember_title(title)
        return title

    def wait_title(self, window, pattern, timeout=15):
        if isinstance(window, Window):
            window.patterns.append(pattern)
        deadline = time.time() + timeout
        title = ""
        while time.time() < deadline:
            title = self.title(window)
            if re.search(pattern, title):
                return title
            time.sleep(0.2)
        raise AssertionError(f"title {title!r} never matched {pattern!r}")

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return (int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"]))

    def wm_state(self, window):
        return self.on_windows(
            lambda w: _run(["xprop", "-id", hex(int(w)), "_NET_WM_STATE"], self.env), window)

    def screenshot(self, path, window="root"):
        self.on_windows(
            lambda w: _run(["import", "-window", w, path], self.env, timeout=30), window)
        return path

    def crop_mean(self, path, x, y, width, height):
        """Mean of each colour channel (0..1) inside a rectangle of a screenshot."""
        out = _run(["convert", path, "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    "-format", "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]", "info:"], self.env)
        return tuple(float(v) for v in out.split())

    def differing_pixels(self, first, second, x, y, width, height):
        crop = f"{width}x{height}+{x}+{y}"
        result = subprocess.run(
            ["compare", "-metric", "AE", "-fuzz", "5%",
             f"{first}[{crop}]", f"{second}[{crop}]", "null:"],
            env=self.env, capture_output=True, text=True)
        return int(float(result.stderr.split()[0]))

    def moving_pixels(self, window, area, gap=0.8):
        """How many pixels of `area` (x, y, width, height in the window) change between two
        screenshots taken `gap` seconds apart."""
        folder = tempfile.mkdtemp(prefix="cinevan-moving-")
        try:
            first = self.screenshot(os.path.join(folder, "a.png"), window)
            time.sleep(gap)
            second = self.screenshot(os.path.join(folder, "b.png"), window)
            return self.differing_pixels(first, second, *area)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def wait_moving(self, window, area, at_least=500, timeout=45):
        """Looks at `area` until more than `at_least` pixels change between two screenshots
        (a busy machine may show the first pictures late); returns the last count. `area`
        may be a function giving it anew for each look, for a window still changing size."""
        return settle(lambda: self.moving_pixels(window, area() if callable(area) else area),
                      lambda changed: changed > at_least, timeout, pause=0)

    def frame_extents(self, window):
        """The window manager's frame around the window: left, right, top, bottom."""
        out = _run(["xprop", "-id", hex(int(window)), "_NET_FRAME_EXTENTS"], self.env)
        return tuple(int(v) for v in out.split("=", 1)[1].replace(",", " ").split())

    # -- the player's settings -------------------------------------------------------------

    def settings_file(self):
        return os.path.join(self.home, "config", "Vantrel", "Cinevan", "1.0.conf")

    def stored(self, section="Main"):
        """The values of a section of the player's settings, with Qt's escaping of key names
        undone."""
        parser = configparser.RawConfigParser(strict=False)
        parser.optionxform = str
        parser.read(self.settings_file())
        if not parser.has_section(section):
            return {}
        return {unquote(key): value.strip('"') for key, value in parser.items(section)}

    def set_device(self, device):
        """Makes the player start on the device type `device`, as if chosen in an earlier run."""
        os.makedirs(os.path.dirname(self.settings_file()), exist_ok=True)
        with open(self.settings_file(), "w") as settings:
            settings.write(f"[Main]\nCurrentDevice={device}\n")

    # -- acting ----------------------------------------------------------------------------

    def key(self, window, *keys):
        """Types `keys` into `window` as a person does: made active first, then typed through
        the X test extension. Never with xdotool's --window: it decides press by press whether
        the window still has the focus, so a key that closes the window or opens a dialog has
        its release sent to the old window as an event, and the real key stays down. A key
        left down holds the window manager's keyboard grab, and no key reaches any program
        after it."""
        self.activate(window)
        _run(["xdotool", "key", "--clearmodifiers", *keys], self.env)

    def closing_key(self, window, *keys):
        """Keys that close `window`: it may be gone before the last key is released."""
        try:
            self.key(window, *keys)
        except WindowGone:
            pass

    def activate(self, window, timeout=10):
        """Makes `window` the active one and waits until the window manager says it is."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                self.xdotool("windowactivate", window)
            except WindowGone:
                raise
            except RuntimeError:
                pass  # not mapped yet; looked at again below
            if _run(["xdotool", "getactivewindow"], self.env, check=False).strip() == str(window):
                return
            time.sleep(0.2)
        raise AssertionError(f"{window} never became the active window")

    def close_with_alt_f4(self, window, process, timeout=20):
        """Closes the player as a user does: Alt+F4 on its active window, taken by the window
        manager, which asks the program to close. The key goes through the X test extension:
        sent to a window that lacks the focus, it would reach the program itself, past the
        window manager, and close nothing. Returns the program's output."""
        self.activate(window)
        try:
            _run(["xdotool", "key", "--clearmodifiers", "alt+F4"], self.env)
        except WindowGone:
            pass  # the window closed before the last key was released
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the player did not close within {timeout} s of Alt+F4; "
                                 f"windows shown: {self.shown_windows()}")
        return process.stdout.read().decode(errors="replace")

    def shown_windows(self):
        """Title of every visible window, the active one marked: what a failure saw."""
        active = _run(["xdotool", "getactivewindow"], self.env, check=False).strip()
        titles = []
        for handle in self.search_visible("."):
            title = _run(["xdotool", "getwindowname", handle], self.env, check=False).strip()
            titles.append(("*" if handle == active else "") + repr(title))
        return ", ".join(titles)

    def double_click(self, x, y):
        self.xdotool("mousemove", "--sync", str(x), str(y))
        self.xdotool("click", "--repeat", "2", "--delay", "80", "1")


class Accessible:
    """The player's widgets as a screen reader sees them."""

    def __init__(self, app_name="cinevan", timeout=20):
        import pyatspi
        self.pyatspi = pyatspi
        deadline = time.time() + timeout
        self.app = None
        while time.time() < deadline and self.app is None:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                child = desktop.getChildAtIndex(i)
                if child is not None and child.name == app_name:
                    self.app = child
            time.sleep(0.3)
        if self.app is None:
            raise AssertionError("the player is not on the accessibility bus")

    def find(self, predicate, root=None):
        root = root or self.app
        found = []

        def walk(node, depth=0):
            if node is None or depth > 40:
                return
            try:
                if predicate(node):
                    found.append(node)
                for i in range(node.childCount):
                    walk(node.getChildAtIndex(i), depth + 1)
            except Exception:  # nodes may vanish while walking
                pass

        walk(root)
        return found

    def by_name(self, name, role=None):
        matches = self.find(lambda n: n.name == name and
                            (role is None or n.getRoleName() == role))
        if not matches:
            raise AssertionError(f"nothing named {name!r}")
        return matches[0]

    def checked(self, node):
        return node.getState().contains(self.pyatspi.STATE_CHECKED)

    def press(self, node):
        node.queryAction().doAction(0)
