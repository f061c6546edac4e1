#!/usr/bin/python3
"""Runs the whole player and the mpv player on the same generated clips under Xvfb, several
runs each in turn, and writes the figures to docs/performance.md.

    /usr/bin/python3 bench/compare-with-mpv.py [--runs N] [--player build-rel/app/cinevan]
                                               [--output docs/performance.md]

Measures, for both devices against the matching mpv video output:
  - CPU (user + system), wall time and peak RSS over a 10 s clip (/usr/bin/time);
  - start to shown window: launch until the first top-level window is viewable;
  - open to first frame: the first open() of the clip file (inotify) until its picture is
    on the screen;
  - transition gap: between the last new frame of entry A and the first frame of entry B;
  - seek: release of the track-bar thumb (mpv: the seek command) until the new frame.
The screen is read through Xlib (ctypes): the clips are solid colours (A alternates red and
green every frame, B is blue), so a grab of the screen tells which frame is shown.
Needs: Xvfb, openbox, ffmpeg, mpv, /usr/bin/time, pyatspi (for the track bar), all in
scripts/install-deps.sh.
"""

import argparse
import ctypes
import ctypes.util
import datetime
import json
import os
import platform
import shlex
import shutil
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from desktop import Accessible, Desktop  # noqa: E402

SCREEN = (800, 600)
FPS = 25
DEVICES = {
    # device name: (label, the mpv video output drawing the same way)
    "ActiveMovie": ("libmpv", ["--vo=gpu", "--gpu-context=x11egl"]),
    "MPEGVideo": ("GStreamer", ["--vo=x11"]),
}
MPV = ["mpv", "--no-config", "--ao=null", "--really-quiet"]


# -- clips ------------------------------------------------------------------------------------

def make_clips(folder):
    """A 10 s test picture with sound for the CPU runs; two 4 s solid clips for the
    transition (A alternates red and green each frame, B is blue); a 20 s clip for seeking
    (red and green for 10 s, then blue)."""
    size = "352x288"

    def encode(name, video, seconds):
        path = os.path.join(folder, name)
        subprocess.run(
            ["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", video, "-f", "lavfi", "-i",
             f"sine=frequency=440:sample_rate=44100:duration={seconds}",
             "-c:v", "mpeg1video", "-q:v", "2", "-g", "12", "-c:a", "mp2", "-b:a", "224k",
             "-t", str(seconds), "-f", "mpeg", path], check=True)
        return path

    def solid(seconds, red, green, blue):
        return (f"color=c=black:s={size}:r={FPS}:d={seconds},format=gbrp,"
                f"geq=r='{red}':g='{green}':b='{blue}'")

    alternate_red = "255*eq(mod(N\\,2)\\,0)"
    alternate_green = "255*eq(mod(N\\,2)\\,1)"
    return {
        "motion": encode("motion.mpg", f"testsrc2=size={size}:rate={FPS}:duration=10", 10),
        "a": encode("a.mpg", solid(4, alternate_red, alternate_green, 0), 4),
        "b": encode("b.mpg", solid(4, 0, 0, 255), 4),
        "seek": encode("seek.mpg", solid(
            20, f"lt(T\\,10)*{alternate_red}", f"lt(T\\,10)*{alternate_green}",
            "255*gte(T\\,10)"), 20),
    }


# -- the screen through Xlib ------------------------------------------------------------------

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


_X = ctypes.CDLL(ctypes.util.find_library("X11"))
_X.XOpenDisplay.restype = ctypes.c_void_p
_X.XOpenDisplay.argtypes = [ctypes.c_char_p]
_X.XCloseDisplay.argtypes = [ctypes.c_void_p]
_X.XDefaultRootWindow.restype = ctypes.c_ulong
_X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_X.XInternAtom.restype = ctypes.c_ulong
_X.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_X.XGetImage.restype = ctypes.POINTER(XImage)
_X.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                         ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_X.XGetSubImage.restype = ctypes.POINTER(XImage)
_X.XGetSubImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                            ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int,
                            ctypes.POINTER(XImage), ctypes.c_int, ctypes.c_int]
_X.XGetWindowProperty.argtypes = [
    ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
    ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_X.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                    ctypes.POINTER(XWindowAttributes)]
_X.XFree.argtypes = [ctypes.c_void_p]
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_X.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
# A window that goes away between two calls is no reason to end the measurement.
_IGNORE_ERRORS = _ERROR_HANDLER(lambda display, event: 0)
_X.XSetErrorHandler(_IGNORE_ERRORS)

ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2
IS_VIEWABLE = 2
STRIDE = 3  # every third pixel of the screen is looked at


def _table(test):
    return bytes.maketrans(bytes(range(256)), bytes(1 if test(i) else 0 for i in range(256)))


BRIGHT = _table(lambda v: v >= 160)
DARK = _table(lambda v: v <= 90)


class Screen:
    """Grabs the whole screen and tells which of the clip colours fills a part of it."""

    def __init__(self, display):
        self.display = _X.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display}")
        self.root = _X.XDefaultRootWindow(self.display)
        self.image = _X.XGetImage(self.display, self.root, 0, 0, SCREEN[0], SCREEN[1],
                                  ALL_PLANES, Z_PIXMAP)
        info = self.image.contents
        if info.bits_per_pixel != 32 or info.byte_order != 0:
            raise RuntimeError("expects a 32-bit little-endian screen")
        self.size = info.bytes_per_line * info.height
        self.client_list = _X.XInternAtom(self.display, b"_NET_CLIENT_LIST", 0)
        # A colour counts when it covers a fifth of a 352x288 picture.
        self.threshold = 352 * 288 // STRIDE // 5

    def close(self):
        _X.XCloseDisplay(self.display)

    def colour(self):
        """'R', 'G' or 'B' for the clip colour on the screen, None for none."""
        _X.XGetSubImage(self.display, self.root, 0, 0, SCREEN[0], SCREEN[1], ALL_PLANES,
                        Z_PIXMAP, self.image, 0, 0)
        data = ctypes.string_at(self.image.contents.data, self.size)
        step = 4 * STRIDE
        blue, green, red = data[0::step], data[1::step], data[2::step]
        masks = {}
        for channel, values in (("B", blue), ("G", green), ("R", red)):
            masks[channel] = (int.from_bytes(values.translate(BRIGHT), "little"),
                              int.from_bytes(values.translate(DARK), "little"))
        best, best_count = None, self.threshold
        for name, others in (("R", "GB"), ("G", "RB"), ("B", "RG")):
            count = (masks[name][0] & masks[others[0]][1] & masks[others[1]][1]).bit_count()
            if count >= best_count:
                best, best_count = name, count
        return best

    def window_shown(self):
        """Whether a managed top-level window is viewable."""
        kind, width = ctypes.c_ulong(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if _X.XGetWindowProperty(self.display, self.root, self.client_list, 0, 64, 0, 0,
                                 ctypes.byref(kind), ctypes.byref(width), ctypes.byref(count),
                                 ctypes.byref(after), ctypes.byref(data)) != 0:
            return False
        try:
            if not data.value or width.value != 32:
                return False
            windows = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))
            for i in range(count.value):
                attributes = XWindowAttributes()
                if (_X.XGetWindowAttributes(self.display, windows[i],
                                            ctypes.byref(attributes)) and
                        attributes.map_state == IS_VIEWABLE):
                    return True
            return False
        finally:
            if data.value:
                _X.XFree(data)


# -- file opens through inotify ---------------------------------------------------------------

_LIBC = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
IN_OPEN = 0x20
IN_NONBLOCK = os.O_NONBLOCK


class OpenWatch:
    """Reports the first open() of each watched file, by any process."""

    def __init__(self, paths):
        self.fd = _LIBC.inotify_init1(IN_NONBLOCK)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        self.names = {}
        for name, path in paths.items():
            watch = _LIBC.inotify_add_watch(self.fd, path.encode(), IN_OPEN)
            self.names[watch] = name

    def opened(self):
        """Names of the files opened since the last call."""
        try:
            data = os.read(self.fd, 4096)
        except BlockingIOError:
            return []
        names, offset = [], 0
        while offset + 16 <= len(data):
            watch, _mask, _cookie, length = struct.unpack_from("iIII", data, offset)
            names.append(self.names.get(watch))
            offset += 16 + length
        return names

    def close(self):
        os.close(self.fd)


# -- one run ----------------------------------------------------------------------------------

class Recorder:
    """Samples the screen, the window and the file opens until a condition is met, keeping
    the time of each change."""

    def __init__(self, screen, watch=None):
        self.screen, self.watch = screen, watch
        self.start = time.monotonic()
        self.changes = []  # (time, colour) each time the colour on the screen changes
        self.events = {}  # first time of: shown, open:<name>
        self.intervals = []
        self.colour = None
        self.sample_time = 0.0

    def sample(self):
        now = time.monotonic() - self.start
        self.sample_time = now
        if "shown" not in self.events and self.screen.window_shown():
            self.events["shown"] = now
        if self.watch:
            for name in self.watch.opened():
                self.events.setdefault(f"open:{name}", now)
        colour = self.screen.colour()
        if colour != self.colour:
            self.changes.append((now, colour))
            self.colour = colour
        after = time.monotonic() - self.start
        self.intervals.append(after - now)
        return now

    def until(self, done, timeout, pause=0.003):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.sample()
            if done():
                return True
            time.sleep(pause)
        return False

    def first(self, colours, after=0.0):
        return next((t for t, c in self.changes if c and c in colours and t >= after), None)

    def last_change(self, colours, before):
        times = [t for t, c in self.changes if c and c in colours and t < before]
        return times[-1] if times else None


def write_settings(desktop, device, loop=True):
    folder = os.path.join(desktop.env["XDG_CONFIG_HOME"], "Vantrel", "Cinevan")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "1.0.conf"), "w") as settings:
        settings.write(f"[Main]\nCheckBoxLoop_Checked={loop}\nCurrentDevice={device}\n")


def stop(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def resources_run(command, env):
    """CPU seconds, wall seconds and peak RSS in MiB of one whole run."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as out:
        subprocess.run(["/usr/bin/time", "-f", "%U %S %M %e", "-o", out.name, *command],
                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120, check=True)
        user, system, rss_kib, wall = (float(v) for v in out.read().split()[-4:])
    return {"cpu": user + system, "wall": wall, "rss": rss_kib / 1024}


def transition_run(command, desktop, clips):
    """Plays the list A, B to its end, watching the screen and the file opens."""
    screen = Screen(desktop.env["DISPLAY"])
    watch = OpenWatch({"a": clips["a"], "b": clips["b"]})
    try:
        recorder = Recorder(screen, watch)
        process = subprocess.Popen(command, env=desktop.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        try:
            # With two entries "/play" does not close the player (the advance to B goes
            # through the stop action), so the run ends a second after B shows.
            def done():
                first_b = recorder.first("B")
                return (process.poll() is not None or
                        (first_b is not None and recorder.sample_time > first_b + 1.0))

            recorder.until(done, timeout=60)
        finally:
            stop(process)
    finally:
        watch.close()
        screen.close()
    first_a = recorder.first("RG")
    first_b = recorder.first("B")
    result = {"samples": len(recorder.intervals),
              "sample_ms": statistics.median(recorder.intervals) * 1000}
    if "shown" in recorder.events:
        result["startup"] = recorder.events["shown"]
    if first_a is not None and "open:a" in recorder.events:
        result["first_frame"] = first_a - recorder.events["open:a"]
    if first_b is not None:
        last_a = recorder.last_change("RG", first_b)
        if last_a is not None:
            result["gap"] = first_b - last_a
        # A's frames seen: tells whether the sampling kept up with 25 frames a second.
        result["a_frames"] = sum(1 for t, c in recorder.changes
                                 if c and c in "RG" and t < first_b)
    return result


def drag_thumb(desktop, to_fraction):
    """Drags the track bar's thumb in a helper process (the accessibility registry binds to
    the first session bus it meets, and every run has its own) and returns the time of the
    release; None when the thumb could not be found."""
    result = subprocess.run(
        ["/usr/bin/python3", os.path.abspath(__file__), "--drag-thumb", str(to_fraction)],
        env=desktop.env, capture_output=True, text=True, timeout=60)
    try:
        return float(result.stdout.split()[-1])
    except (IndexError, ValueError):
        return None


def drag_thumb_here(to_fraction):
    """Presses the track bar's thumb, drags it to a fraction of the bar and prints the time
    of the release (CLOCK_MONOTONIC, the same in every process)."""
    desktop = Desktop.__new__(Desktop)
    desktop.env = dict(os.environ)
    ui = Accessible()
    sliders = ui.find(lambda n: n.getRoleName() == "slider")
    if not sliders:
        return
    slider = sliders[0]
    value = slider.queryValue()
    x, y, width, height = slider.queryComponent().getExtents(0)
    if value.maximumValue <= 0:
        return
    handle = 16  # the slider handle is about this wide in the default style
    span = width - handle

    def at(fraction):
        return str(int(x + handle / 2 + span * fraction)), str(int(y + height / 2))

    desktop.xdotool("mousemove", "--sync", *at(value.currentValue / value.maximumValue))
    desktop.xdotool("mousedown", "1")
    time.sleep(0.2)
    desktop.xdotool("mousemove", "--sync", *at(to_fraction))
    time.sleep(0.3)
    dragged = value.currentValue / value.maximumValue >= to_fraction - 0.1
    # xdotool sends the release just before it ends: the time after it returns is the
    # closer one (its start-up would otherwise count as seek time).
    desktop.xdotool("mouseup", "1")
    released = time.monotonic()
    if dragged:  # otherwise the press missed the thumb
        print(released)


def seek_run(desktop, clips, player=None, mpv_output=None):
    """Plays the seek clip; once its first half shows, seeks into the second half and
    returns the time from the release (or the mpv command) to the new frame."""
    screen = Screen(desktop.env["DISPLAY"])
    socket_path = os.path.join(desktop.home, "mpv.socket")
    if player:
        command = [player, clips["seek"]]
    else:
        command = [*MPV, *mpv_output, "--keep-open=yes", f"--input-ipc-server={socket_path}",
                   clips["seek"]]
    process = subprocess.Popen(command, env=desktop.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        recorder = Recorder(screen)
        if not recorder.until(lambda: recorder.colour in ("R", "G"), timeout=30):
            return None
        time.sleep(1.5)
        if player:
            released = drag_thumb(desktop, 0.75)
        else:
            with socket.socket(socket.AF_UNIX) as ipc:
                ipc.connect(socket_path)
                released = time.monotonic()
                ipc.sendall(json.dumps({"command": ["seek", 15, "absolute"]}).encode() + b"\n")
        if released is None:
            return None
        recorder.until(lambda: recorder.colour == "B", timeout=10, pause=0.002)
        shown = recorder.first("B")
        return None if shown is None else shown + recorder.start - released
    finally:
        stop(process)
        screen.close()


# -- the series -------------------------------------------------------------------------------

def median(values):
    return statistics.median(values) if values else None


class RunDesktop(Desktop):
    """A private desktop whose cache folder and HOME are shared by all runs: GStreamer keeps
    its plug-in registry in the cache, and a fresh one would be rebuilt (by gst-plugin-scanner,
    a child of the player) in every run, as only on a user's very first start. The registry
    also remembers where some plug-ins (frei0r, LADSPA, LV2, libvisual) look for their own
    plug-ins under HOME; in a HOME of its own every run would scan those again."""

    def __init__(self, cache, accessibility=False):
        super().__init__(*SCREEN, accessibility=accessibility)
        self.cache = cache

    def __enter__(self):
        super().__enter__()
        self.env["XDG_CACHE_HOME"] = self.cache
        self.env["HOME"] = os.path.join(self.cache, "home")
        os.makedirs(self.env["HOME"], mode=0o700, exist_ok=True)
        return self


def measure(player, runs, clips, cache, log):
    """Runs every measure `runs` times, the programs in turn within each round, after one
    run of each that is not counted (it fills the shared caches)."""
    results = {}

    def add(key, measure_name, value):
        if value is not None:
            results.setdefault(key, {}).setdefault(measure_name, []).append(value)

    programs = []
    for device, (_label, mpv_output) in DEVICES.items():
        programs.append((("cinevan", device), device, None))
        programs.append((("mpv", device), device, mpv_output))

    for key, device, mpv_output in programs:
        with RunDesktop(cache) as desktop:
            write_settings(desktop, device)
            resources_run([player, "/play", clips["motion"]] if mpv_output is None else
                          [*MPV, *mpv_output, clips["motion"]], desktop.env)

    for run in range(runs):
        for key, device, mpv_output in programs:
            with RunDesktop(cache) as desktop:
                write_settings(desktop, device)
                if mpv_output is None:
                    command = [player, "/play", clips["motion"]]
                else:
                    command = [*MPV, *mpv_output, clips["motion"]]
                for name, value in resources_run(command, desktop.env).items():
                    add(key, name, value)
                write_settings(desktop, device)
                if mpv_output is None:
                    command = [player, "/play", clips["a"], clips["b"]]
                else:
                    command = [*MPV, *mpv_output, clips["a"], clips["b"]]
                for name, value in transition_run(command, desktop, clips).items():
                    add(key, name, value)
            with RunDesktop(cache, accessibility=mpv_output is None) as desktop:
                write_settings(desktop, device, loop=False)
                add(key, "seek", seek_run(desktop, clips, player if mpv_output is None else None,
                                          mpv_output))
            log(f"round {run + 1}/{runs} {key[0]} {device}: "
                + ", ".join(f"{k}={v[-1]:.3f}" for k, v in results.get(key, {}).items()))
    return results


# -- the report -------------------------------------------------------------------------------

def fmt(value, unit=""):
    return "n/a" if value is None else f"{value:.2f}{unit}"


def spread(values, unit):
    """The median with the lowest and highest run."""
    if not values:
        return "n/a"
    return f"{fmt(median(values), unit)} ({min(values):.2f}-{max(values):.2f})"


def ratio(ours, theirs):
    return "n/a" if ours is None or not theirs else f"{ours / theirs:.2f}x"


def count(values):
    return len(values) if values else 0


def write_report(path, results, runs, context, commands):
    lines = [
        "# Performance: the whole player against mpv",
        "",
        "Written by `bench/compare-with-mpv.py`; run it again to refresh these figures:",
        "",
        f"    {context['invocation']}",
        "",
        f"Measured {context['started']} to {context['ended']} (UTC) on {context['machine']},",
        f"commit `{context['commit']}`, {context['build']}, {context['mpv']}.",
        f"Load: `uptime` at start `{context['uptime_start']}`, at end "
        f"`{context['uptime_end']}`.",
        "",
        f"{runs} run(s) of each program per measure, the programs in turn within each round; "
        "figures are medians, with the lowest and highest run in brackets; the ratios are "
        "of the medians (n = the runs that gave a value).",
        "",
    ]
    if context.get("loaded"):
        lines += [
            "**These figures were taken on a loaded machine** (other builds and tests "
            "running, see the load above): absolute times and the CPU figures are noisy and "
            "the start-up, first-frame, transition and seek times run long. Read the ratios "
            "as a first indication, not as the verdict on the targets.",
            "",
        ]
    for device, (label, mpv_output) in DEVICES.items():
        ours = results.get(("cinevan", device), {})
        theirs = results.get(("mpv", device), {})
        reference = "mpv " + " ".join(mpv_output)
        lines += [
            f"## \"{device}\" ({label}) against `{reference}`",
            "",
            "| Measure | Cinevan | mpv | Ratio | Target | n |",
            "|---|---|---|---|---|---|",
        ]
        rows = [
            ("CPU over the 10 s clip (user+sys)", "cpu", " s", "at most 1.15x mpv"),
            ("Wall time of the whole run", "wall", " s", ""),
            ("Peak RSS", "rss", " MiB", "at most mpv + 40 MiB"),
            ("Start to shown window", "startup", " s", "at most 0.3 s"),
            ("Open to first frame", "first_frame", " s", "at most 1.2x mpv"),
            ("Transition gap, last frame of A to first of B", "gap", " s", "at most 0.6 s"),
            ("Seek: thumb release to new frame", "seek", " s", "at most 0.15 s"),
        ]
        for title, key, unit, target in rows:
            a, b = median(ours.get(key)), median(theirs.get(key))
            shown_ratio = ratio(a, b)
            if key == "rss" and a is not None and b is not None:
                shown_ratio += f" ({a - b:+.0f} MiB)"
            lines.append(f"| {title} | {spread(ours.get(key), unit)} | "
                         f"{spread(theirs.get(key), unit)} | {shown_ratio} | "
                         f"{target} | {count(ours.get(key))}/{count(theirs.get(key))} |")
        sampling = median(ours.get("sample_ms", []) + theirs.get("sample_ms", []))
        frames_ours, frames_mpv = median(ours.get("a_frames")), median(theirs.get("a_frames"))
        lines += ["",
                  f"Screen sampling: one grab of the whole screen every {fmt(sampling)} ms "
                  f"(median) plus a 3 ms pause; frames of the 4 s clip A seen: "
                  f"{frames_ours} (Cinevan), {frames_mpv} (mpv) of 100.",
                  ""]
    lines += ["## How each figure is taken", ""] + context["method"] + ["", "## Commands", ""]
    lines += [f"    {command}" for command in commands] + [""]
    with open(path, "w") as report:
        report.write("\n".join(lines))


METHOD = [
    "- Every run starts a private Xvfb (800x600x24) with openbox, a temporary "
    "XDG_CONFIG_HOME and XDG_RUNTIME_DIR, `CINEVAN_AUDIO_OUTPUT=null` and mpv `--ao=null`. "
    "The settings file `$XDG_CONFIG_HOME/Vantrel/Cinevan/1.0.conf` holds `[Main]` "
    "`CheckBoxLoop_Checked=True` and `CurrentDevice=` the device, so that `/play` plays "
    "one clip once and closes the player. With two entries the advance from A to B goes "
    "through the stop action, which ends the `/play` mode, so the transition runs are "
    "ended by the script a second after B shows.",
    "- The cache folder (XDG_CACHE_HOME) is shared by all runs and one uncounted run of "
    "each program fills it first: with an empty one, GStreamer rebuilds its plug-in "
    "registry at every start (about a fifth of the player's CPU with the \"MPEGVideo\" "
    "device, seen with `perf`), which a user meets only once. HOME is shared too: the "
    "registry notes the folders under HOME where frei0r, LADSPA, LV2 and libvisual look for "
    "their plug-ins, and rescans those four in a HOME it has not seen.",
    "- CPU, wall and peak RSS: `/usr/bin/time -f '%U %S %M %e'` around the whole program "
    "playing a 10 s 352x288 25 fps MPEG-1 clip (ffmpeg `testsrc2`, MP2 sound) to its end; "
    "CPU is user + system time.",
    "- Start to shown window: from the launch until a window in openbox's "
    "`_NET_CLIENT_LIST` is viewable (Xlib, polled with each screen grab). mpv maps its "
    "window only once the video is known, so its figure holds its open as well; the "
    "player shows its window first and opens the movie later.",
    "- Open to first frame: from the first `open()` of the clip file by any process "
    "(inotify `IN_OPEN`) until the clip's colour covers the screen. For the player this "
    "includes what it reads of the file before the device opens it. Both programs start "
    "their video output after opening the file (libmpv's own output once the movie is open "
    "and its window known), and the player loads libmpv only with the first movie that "
    "engine plays, so that figure holds its start. With the GStreamer device chosen, the "
    "player loads GStreamer's plug-ins and FFmpeg's libraries on a thread of its own once "
    "its window shows; what of that is not done when the open comes is waited for there.",
    "- Transition gap: a list of clip A (4 s, red and green alternating every frame) and "
    "clip B (4 s, blue). The gap runs from the last change of A's picture (its last new "
    "frame) to the first blue screen; a seamless player shows 0.04 s (one frame at 25 fps).",
    "- Seek: a 20 s clip, red and green for 10 s, then blue. Once it plays, the player's "
    "track-bar thumb is pressed (its place read through the accessibility bus), dragged to "
    "three quarters and released with xdotool; mpv gets `seek 15 absolute` on its IPC "
    "socket. The figure runs from the release (the command) to the first blue screen. "
    "The accessibility bridge is on in the player's seek runs only.",
    "- Where the time goes: `perf record -F 400 -g -- COMMAND` in the same desktop "
    "(package linux-perf), then `perf report --no-children -g none --sort comm,dso`; "
    "the llvmpipe threads are Mesa's software OpenGL.",
    "- Resolution: each screen grab takes the time shown above, so screen times are exact "
    "to about one grab plus the pause; the grabs take CPU from the programs measured, so the "
    "CPU figures come from separate runs without sampling.",
]


def describe(player):
    def out(*command):
        try:
            return subprocess.run(command, capture_output=True, text=True,
                                  cwd=ROOT).stdout.strip()
        except OSError:
            return "?"

    cache = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(player))),
                         "CMakeCache.txt")
    build = "build type unknown"
    if os.path.exists(cache):
        for line in open(cache):
            if line.startswith("CMAKE_BUILD_TYPE:"):
                build = line.split("=", 1)[1].strip() + " build"
    cpu = "unknown CPU"
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    return {
        "commit": out("git", "rev-parse", "--short", "HEAD") or "?",
        "build": build,
        "mpv": out("mpv", "--version").splitlines()[0].split(" Copyright")[0],
        "machine": f"{os.cpu_count()} cores ({cpu}), {platform.system()} {platform.release()}",
    }


def uptime():
    return subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--drag-thumb":
        drag_thumb_here(float(sys.argv[2]))
        return
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5, help="runs of each program per measure")
    parser.add_argument("--player", default=os.path.join(ROOT, "build-rel", "app", "cinevan"))
    parser.add_argument("--output", default=os.path.join(ROOT, "docs", "performance.md"))
    args = parser.parse_args()
    player = os.path.abspath(args.player)
    for tool in ("Xvfb", "openbox", "xdotool", "ffmpeg", "mpv"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing: run scripts/install-deps.sh")
    if not os.access(player, os.X_OK):
        sys.exit(f"no player at {player}: build it first (RelWithDebInfo), see --player")

    context = describe(player)
    context["uptime_start"] = uptime()
    context["started"] = datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M")
    relative = os.path.relpath(player, ROOT)
    context["invocation"] = (f"/usr/bin/python3 bench/compare-with-mpv.py --runs {args.runs} "
                             f"--player {shlex.quote(relative)}")
    work = tempfile.mkdtemp(prefix="cinevan-bench-")
    try:
        clips = make_clips(work)
        cache = os.path.join(work, "cache")
        os.makedirs(cache)
        results = measure(player, args.runs, clips, cache, lambda m: print(m, flush=True))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    context["uptime_end"] = uptime()
    context["ended"] = datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M")
    load = float(context["uptime_end"].rsplit("load average:", 1)[1].split(",")[0])
    context["loaded"] = load > 0.5 * (os.cpu_count() or 1)
    context["method"] = METHOD
    commands = [
        f"{relative} /play motion.mpg   # CPU, wall, RSS; both devices by CurrentDevice",
        f"{relative} /play a.mpg b.mpg  # start-up, first frame, transition",
        f"{relative} seek.mpg           # seek, by the track-bar thumb",
    ]
    for device, (_label, mpv_output) in DEVICES.items():
        mpv = " ".join(MPV + mpv_output)
        commands += [f"{mpv} motion.mpg", f"{mpv} a.mpg b.mpg",
                     f"{mpv} --keep-open=yes --input-ipc-server=SOCKET seek.mpg"]
    commands += ["/usr/bin/time -f '%U %S %M %e' COMMAND   # around the motion.mpg runs"]
    write_report(args.output, results, args.runs, context, commands)
    print(f"wrote {args.output}")


if __name__ == "__main__":
    main()
