"""The real player's About window under Xvfb: version and memory read back as a screen reader
sees them, the credits scrolling after a double click on the icon, and a blank panel again
after the window was closed and reopened."""

import os
import re
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Accessible, Desktop, settle, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
SHOTS = os.environ.get("CINEVAN_SCREENSHOT_DIR") or tempfile.mkdtemp(prefix="cinevan-about-")
ICON_CENTRE = (38, 42)
PANEL = (82, 64, 245, 89)  # the credits panel in the window's client area


class AboutWindowTest(unittest.TestCase):
    def label_matching(self, ui, pattern):
        found = ui.find(lambda n: n.getRoleName() == "label" and re.fullmatch(pattern, n.name))
        self.assertTrue(found, f"no label reads like {pattern!r}")
        return found[0].name

    def panel_shot(self, desktop, window, name):
        os.makedirs(SHOTS, exist_ok=True)
        return desktop.screenshot(os.path.join(SHOTS, name), window)

    def changed(self, desktop, first, second):
        return desktop.differing_pixels(first, second, *PANEL)

    def two_shots(self, desktop, window, first_name, second_name):
        """The panel twice, half a second apart."""
        first = self.panel_shot(desktop, window, first_name)
        time.sleep(0.5)
        return first, self.panel_shot(desktop, window, second_name)

    def test_version_memory_and_credits(self):
        with Desktop(accessibility=True) as desktop:
            desktop.start(PLAYER)
            main = desktop.find_window("Cinevan")
            time.sleep(1.0)
            desktop.key(main, "F1")
            about = desktop.find_window("About this program")
            time.sleep(0.5)

            ui = Accessible()
            self.label_matching(ui, r"version \d+\.\d+\.\d+\.\d+")
            self.label_matching(ui, r"Copyright \(C\) \d{4} Vantrel")
            self.label_matching(ui, r"\d{1,3}(,\d{3})* KB")
            self.label_matching(ui, r"Memory in Use")
            self.label_matching(ui, r"\d{1,3}%")

            blank = self.panel_shot(desktop, about, "about-blank.png")
            x, y, _, _ = desktop.geometry(about)
            desktop.double_click(x + ICON_CENTRE[0], y + ICON_CENTRE[1])
            first, second = settle(
                lambda: self.two_shots(desktop, about, "about-credits.png",
                                       "about-credits-later.png"),
                lambda shots: (self.changed(desktop, blank, shots[0]) > 50 and
                               self.changed(desktop, *shots) > 50))
            self.assertGreater(self.changed(desktop, blank, first), 50, "credits appear")
            self.assertGreater(self.changed(desktop, first, second), 50, "credits move")

            desktop.xdotool("windowactivate", "--sync", about, check=False)
            desktop.xdotool("key", "Escape")
            wait_for(lambda: not desktop.search_visible("About this program"),
                     "Esc closes the window")
            desktop.key(main, "F1")
            about = desktop.find_window("About this program")
            # Looked at until painted; scrolling credits would never hold still.
            again, _ = settle(
                lambda: self.two_shots(desktop, about, "about-reopened.png",
                                       "about-reopened-later.png"),
                lambda shots: (self.changed(desktop, *shots) == 0 and
                               self.changed(desktop, blank, shots[0]) == 0))
            self.assertEqual(self.changed(desktop, blank, again), 0, "blank after reopening")


if __name__ == "__main__":
    unittest.main()
