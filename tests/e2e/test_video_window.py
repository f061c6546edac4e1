"""The real player under Xvfb: scaling to the movie's size, full screen and back, on top."""

import os
import re
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Accessible, Desktop  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
BOTTOM_PANEL = 109
SCREEN = (1024, 768)


class VideoWindowTest(unittest.TestCase):
    def scale(self, desktop, window, key):
        x, y, width, height = desktop.geometry(window)
        desktop.xdotool("mousemove", "--sync", str(x + width // 2), str(y + 40))
        desktop.xdotool("click", "3")
        time.sleep(0.5)
        desktop.xdotool("key", key)
        time.sleep(1.0)
        return desktop.geometry(window)[2:]

    def time_label(self, ui):
        labels = ui.find(lambda n: n.getRoleName() == "label" and
                         re.fullmatch(r"\d+:\d\d:\d\d", n.name or "") is not None)
        return sorted(label.name for label in labels)

    def fullscreen_windows(self, desktop):
        windows = desktop.xdotool("search", "--onlyvisible", "--class", "cinevan",
                                  check=False).split()
        return [w for w in windows if desktop.geometry(w)[2:] == SCREEN]

    def full_screen_quarters(self, desktop):
        """Brightness of each quarter of the screen. The looped movie is opened again at its
        end, which blanks the picture for a moment: a dark screen is looked at again."""
        folder = os.environ.get("CINEVAN_SCREENSHOT_DIR", tempfile.mkdtemp())
        half_width, half_height = SCREEN[0] // 2, SCREEN[1] // 2
        for attempt in range(3):
            shot = desktop.screenshot(os.path.join(folder, "full-screen.png"))
            quarters = {quadrant: sum(desktop.crop_mean(shot, *quadrant, half_width, half_height))
                        for quadrant in ((0, 0), (half_width, 0), (0, half_height),
                                         (half_width, half_height))}
            if min(quarters.values()) > 0.6:
                break
            time.sleep(1.0)
        return quarters

    def test_scaling_full_screen_and_on_top(self):
        with Desktop(*SCREEN, accessibility=True) as desktop:
            desktop.start(PLAYER, [os.path.join(MEDIA, "long-mpeg1.mpg")])
            window = desktop.find_window("long-mpeg1")
            desktop.wait_title(window, r"\[1/1\]")
            time.sleep(1.0)
            self.assertEqual(desktop.find_window("long-mpeg1").handle, window.handle,
                             "the window keeps its native window when the video appears")
            self.assertEqual(window.replacements, 0)

            for key, size in (("1", (352, 288)), ("5", (176, 144)), ("2", (704, 576))):
                width, height = self.scale(desktop, window, key)
                self.assertEqual((width, height - BOTTOM_PANEL), size, f"scale key {key}")

            ui = Accessible()
            # Glyph-only buttons read as their action; the hint stays their description.
            pause = ui.by_name("Pause Movie", "push button")
            self.assertEqual(pause.description, "Pause Movie (Z)")
            ui.by_name("Stop playing", "push button")
            ui.press(ui.by_name("Loop", "check box"))  # keep the movie going for the whole test
            full = ui.by_name("Full", "check box")
            self.assertFalse(ui.checked(full))

            x, y, width, height = desktop.geometry(window)
            desktop.double_click(x + width // 2, y + (height - BOTTOM_PANEL) // 2)
            time.sleep(1.5)
            self.assertTrue(self.fullscreen_windows(desktop), "a window covers the screen")
            self.assertTrue(ui.checked(full))
            quarters = self.full_screen_quarters(desktop)
            for quadrant, brightness in quarters.items():
                self.assertGreater(brightness, 0.6,
                                   f"video fills the screen's quarter at {quadrant}")

            desktop.xdotool("key", "Escape")
            time.sleep(1.0)
            self.assertFalse(self.fullscreen_windows(desktop), "Esc leaves full screen")
            self.assertFalse(ui.checked(full), "Full is unchecked again")
            before = self.time_label(ui)
            time.sleep(2.2)
            after = self.time_label(ui)
            self.assertNotEqual(before, after, "the position keeps advancing")

            self.assertNotIn("_NET_WM_STATE_ABOVE", desktop.wm_state(window))
            ui.press(ui.by_name("On top", "check box"))
            time.sleep(1.0)
            self.assertIn("_NET_WM_STATE_ABOVE", desktop.wm_state(window))
            self.assertEqual(desktop.find_window("long-mpeg1").handle, window.handle,
                             "the window stays the same native window")
            before = self.time_label(ui)
            time.sleep(1.2)
            self.assertNotEqual(before, self.time_label(ui), "playback goes on")
            _, _, width, height = desktop.geometry(window)
            self.assertGreater(desktop.wait_moving(window, (0, 0, width, height - BOTTOM_PANEL)),
                               500, "the window on top shows moving video")

            ui.press(ui.by_name("On top", "check box"))
            time.sleep(1.0)
            self.assertNotIn("_NET_WM_STATE_ABOVE", desktop.wm_state(window))


if __name__ == "__main__":
    unittest.main(verbosity=2)
