"""The real player on a private session bus under Xvfb: a real MPRIS client (playerctl)
controls it and reads its title and status, and a stand-in screensaver service (or desktop
portal) records how the player holds off the screensaver while a movie plays."""

import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = "org.mpris.MediaPlayer2.cinevan"


class BusTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-bus-")
        self.cover = os.path.join(self.folder, "long.jpg")
        subprocess.run(["convert", "-size", "64x48", "xc:#c02020", self.cover], check=True)
        self.list = os.path.join(self.folder, "three.mls")
        with open(self.list, "wb") as f:
            f.write(f'"{MEDIA}/long-mpeg1.mpg","Long One",long.jpg,0:00:02,0:00:12\r\n'.encode())
            f.write(f'"{MEDIA}/clip-mpeg1.mpg","Second Clip"\r\n'.encode())
            f.write(f'"{MEDIA}/clip-mpeg2.mpg","Third Clip",,0:00:01,0:00:02\r\n'.encode())
        self.log = os.path.join(self.folder, "inhibit.log")

    def start(self, desktop, mode):
        desktop.start(sys.executable, [os.path.join(HERE, "inhibit_standin.py"), mode, self.log])
        wait_for(lambda: self.calls(), what="the stand-in service is ready")
        self.bus = dbus.bus.BusConnection(desktop.env["DBUS_SESSION_BUS_ADDRESS"])
        process = desktop.start(PLAYER, [self.list])
        wait_for(lambda: self.bus.name_has_owner(SERVICE), what="the player is on the bus")
        return process

    def calls(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return [json.loads(line) for line in f if line.strip()]

    def inhibitions(self):
        return [c for c in self.calls() if c["call"] != "ready"]

    def playerctl(self, desktop, *args):
        result = subprocess.run(["playerctl", "--player=cinevan", *args], env=desktop.env,
                                capture_output=True, text=True, timeout=20)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.strip()

    def wait_status(self, desktop, status):
        wait_for(lambda: self.playerctl(desktop, "status") == status, what=f"status {status}")

    def player_property(self, name):
        proxy = self.bus.get_object(SERVICE, "/org/mpris/MediaPlayer2")
        return proxy.Get("org.mpris.MediaPlayer2.Player", name,
                         dbus_interface="org.freedesktop.DBus.Properties")

    def test_playerctl_controls_the_player_and_the_screensaver_follows(self):
        with Desktop(session_bus=True) as desktop:
            process = self.start(desktop, "screensaver")
            window = desktop.find_window("Long One")
            follow = subprocess.Popen(["playerctl", "--player=cinevan", "--follow", "status"],
                                      env=desktop.env, stdout=subprocess.PIPE, text=True)
            try:
                self.wait_status(desktop, "Playing")
                self.assertEqual(self.playerctl(desktop, "metadata", "title"), "Long One")
                self.assertEqual(self.playerctl(desktop, "metadata", "mpris:length"), "10000000")
                self.assertEqual(self.playerctl(desktop, "metadata", "mpris:artUrl"),
                                 "file://" + self.cover)
                self.assertFalse(self.player_property("CanGoPrevious"), "first entry, no Loop")
                self.assertTrue(self.player_property("CanGoNext"))
                # Prior is disabled: the call does nothing (playerctl would not even send it).
                self.bus.get_object(SERVICE, "/org/mpris/MediaPlayer2").Previous(
                    dbus_interface="org.mpris.MediaPlayer2.Player")
                time.sleep(0.5)
                self.assertEqual(self.playerctl(desktop, "metadata", "title"), "Long One")
                self.assertEqual(desktop.title(window), "Long One - [1/3]")
                inhibit = wait_for(self.inhibitions, what="an inhibition")
                self.assertEqual(inhibit[0]["call"], "Inhibit")
                self.assertEqual(inhibit[0]["application"], "Cinevan")

                self.playerctl(desktop, "pause")
                self.wait_status(desktop, "Paused")
                wait_for(lambda: len(self.inhibitions()) == 2, what="the release at pause")
                self.assertEqual(self.inhibitions()[1],
                                 {"call": "UnInhibit", "cookie": inhibit[0]["cookie"]})
                self.playerctl(desktop, "play")
                self.wait_status(desktop, "Playing")

                self.playerctl(desktop, "position", "6")
                position = float(self.playerctl(desktop, "position"))
                self.assertGreaterEqual(position, 5.5)
                self.assertLess(position, 8.5)

                self.playerctl(desktop, "next")
                wait_for(lambda: self.playerctl(desktop, "metadata", "title") == "Second Clip",
                         what="the second entry")
                desktop.wait_title(window, r"^Second Clip - \[2/3\]$")
                self.wait_status(desktop, "Playing")
                self.assertTrue(self.player_property("CanGoPrevious"))
                self.playerctl(desktop, "stop")
                self.wait_status(desktop, "Stopped")
                self.playerctl(desktop, "next")  # Next while stopped: the entry changes only
                desktop.wait_title(window, r"^Third Clip - \[3/3\]$")
                self.assertEqual(self.playerctl(desktop, "status"), "Stopped")
                self.assertFalse(self.player_property("CanGoNext"), "last entry, no Loop")
                self.playerctl(desktop, "play-pause")
                self.wait_status(desktop, "Playing")
                # The one-second selection ends the list.
                self.wait_status(desktop, "Stopped")
            finally:
                follow.terminate()
                statuses = follow.communicate(timeout=10)[0].split()
            self.assertEqual(statuses[:3], ["Playing", "Paused", "Playing"],
                             "PropertiesChanged reached the client")

            calls = [c["call"] for c in self.inhibitions()]
            self.assertEqual(calls, ["Inhibit", "UnInhibit"] * (len(calls) // 2))
            self.assertGreaterEqual(len(calls), 8, "play, pause, play, next, stop, play, end")

            self.playerctl(desktop, "play")
            self.wait_status(desktop, "Playing")
            count = len(self.inhibitions())
            proxy = self.bus.get_object(SERVICE, "/org/mpris/MediaPlayer2")
            proxy.Quit(dbus_interface="org.mpris.MediaPlayer2")
            process.wait(20)
            self.assertEqual(process.returncode, 0)
            self.assertEqual(self.inhibitions()[count - 1]["call"], "Inhibit")
            self.assertEqual(self.inhibitions()[count:],
                             [{"call": "UnInhibit",
                               "cookie": self.inhibitions()[count - 1]["cookie"]}],
                             "released at exit")

    def test_the_portal_is_used_where_no_screensaver_service_runs(self):
        with Desktop(session_bus=True) as desktop:
            self.start(desktop, "portal")
            self.wait_status(desktop, "Playing")
            first = wait_for(self.inhibitions, what="an inhibition")[0]
            self.assertEqual((first["call"], first["flags"]), ("Inhibit", 12))
            self.playerctl(desktop, "pause")
            wait_for(lambda: len(self.inhibitions()) == 2, what="the release at pause")
            self.assertEqual(self.inhibitions()[1], {"call": "Close", "handle": first["handle"]})


if __name__ == "__main__":
    unittest.main()
