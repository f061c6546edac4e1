"""The real player under Xvfb, ended by a signal instead of by closing its window: SIGTERM
(kill, a shutdown), SIGINT (Ctrl+C) and SIGHUP (a logout, a closed terminal) end it as
closing the window does. The settings are written, the playing movie's device is closed and
the process exits with status 0."""

import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]


class EndSignalsTest(unittest.TestCase):
    def end_with(self, number, device):
        with Desktop() as desktop:
            os.makedirs(os.path.dirname(desktop.settings_file()), exist_ok=True)
            with open(desktop.settings_file(), "w") as f:
                f.write(f"[Main]\nCurrentDevice={device}\nCheckBoxLoop_Checked=True\n")
            process = desktop.start(PLAYER, [f"{MEDIA}/clip-mpeg1.mpg", f"{MEDIA}/clip-mpeg2.mpg"])
            main = desktop.find_window(r"^Cinevan$|\[1/2\]", timeout=60)
            desktop.wait_title(main, r"\[1/2\]", timeout=60)  # playing
            desktop.key(main, "alt+s")  # Shuffle: a change only a save made now can hold
            desktop.key(main, "alt+e")  # the Movie List Editor is open as well
            desktop.find_window("^Movie List Editor$", timeout=60)
            time.sleep(1.0)

            process.send_signal(number)
            try:
                output, _ = process.communicate(timeout=30)
            except Exception:
                process.kill()
                raise
            output = output.decode(errors="replace")
            self.assertEqual(process.returncode, 0, output)
            self.assertNotIn("ERROR", output)
            main_values = desktop.stored("Main")
            self.assertEqual(main_values.get("CheckBoxShuffle_Checked"), "True", output)
            self.assertEqual(main_values.get("CheckBoxLoop_Checked"), "True")
            self.assertEqual(main_values.get("CurrentDevice"), device)
            self.assertEqual(main_values.get("ShowCmd"), "1")
            self.assertIn("NormPos", main_values)
            self.assertIn("NormPos", desktop.stored("Playlist"), "the editor saved its place")

    def test_sigterm_while_playing_on_libmpv(self):
        self.end_with(signal.SIGTERM, "ActiveMovie")

    def test_sigint_while_playing_on_gstreamer(self):
        self.end_with(signal.SIGINT, "MPEGVideo")

    def test_sighup_while_playing_on_libmpv(self):
        self.end_with(signal.SIGHUP, "ActiveMovie")


if __name__ == "__main__":
    unittest.main(verbosity=2)
