"""The real player under Xvfb: scaling to the movie's size, full screen and back, on top."""

import os
import re
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Accessible, Desktop, settle, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
BOTTOM_PANEL = 109
SCREEN = (1024, 768)


class VideoWindowTest(unittest.TestCase):
    def visible_windows(self, desktop):
        return set(desktop.xdotool("search", "--onlyvisible", "--class", "cinevan",
                                   check=False).split())

    def scale(self, desktop, window, key, size):
        """Picks a scale from the video's context menu by its key; returns the picture's
        size once it is `size` or after a generous wait."""
        x, y, width, height = desktop.geometry(window)
        before = self.visible_windows(desktop)
        desktop.xdotool("mousemove", "--sync", str(x + width // 2), str(y + 40))
        desktop.xdotool("click", "3")
        wait_for(lambda: self.visible_windows(desktop) - before, "the context menu")
        desktop.xdotool("key", key)
        return settle(lambda: self.picture_size(desktop, window), lambda seen: seen == size)

    def picture_size(self, desktop, window):
        _, _, width, height = desktop.geometry(window)
        return (width, height - BOTTOM_PANEL)

    def time_label(self, ui):
        labels = ui.find(lambda n: n.getRoleName() == "label" and
                         re.fullmatch(r"\d+:\d\d:\d\d", n.name or "") is not None)
        return sorted(label.name for label in labels)

    def fullscreen_windows(self, desktop):
        windows = desktop.xdotool("search", "--onlyvisible", "--class", "cinevan",
                                  check=False).split()
        return [w for w in windows if desktop.geometry(w)[2:] == SCREEN]

    def full_screen_quarters(self, desktop):
        """Brightness of each quarter of the screen."""
        folder = os.environ.get("CINEVAN_SCREENSHOT_DIR", tempfile.mkdtemp())
        half_width, half_height = SCREEN[0] // 2, SCREEN[1] // 2
        shot = desktop.screenshot(os.path.join(folder, "full-screen.png"))
        return {quadrant: sum(desktop.crop_mean(shot, *quadrant, half_width, half_height))
                for quadrant in ((0, 0), (half_width, 0), (0, half_height),
                                 (half_width, half_height))}

    def position_advances(self, ui):
        """Whether the time shown changes while it is watched. On a busy machine the label
        may be repainted late, so it is watched for a generous while."""
        before = self.time_label(ui)
        return wait_for(lambda: self.time_label(ui) != before, "the position advances", 30)

    def test_scaling_full_screen_and_on_top(self):
        self.check_scaling_full_screen_and_on_top("ActiveMovie")

    def test_scaling_full_screen_and_on_top_with_gstreamer(self):
        self.check_scaling_full_screen_and_on_top("MPEGVideo")

    def check_scaling_full_screen_and_on_top(self, device):
        with Desktop(*SCREEN, accessibility=True) as desktop:
            desktop.set_device(device)
            desktop.start(PLAYER, [os.path.join(MEDIA, "long-mpeg1.mpg")])
            window = desktop.find_window("long-mpeg1")
            desktop.wait_title(window, r"\[1/1\]")
            # A replacement would happen as the first picture appears.
            self.assertGreater(
                desktop.wait_moving(window, lambda: (0, 0, *self.picture_size(desktop, window))),
                500, "the movie plays")
            self.assertEqual(desktop.find_window("long-mpeg1").handle, window.handle,
                             "the window keeps its native window when the video appears")
            self.assertEqual(window.replacements, 0)

            for key, size in (("1", (352, 288)), ("5", (176, 144)), ("2", (704, 576))):
                self.assertEqual(self.scale(desktop, window, key, size), size, f"scale key {key}")

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
            wait_for(lambda: self.fullscreen_windows(desktop), "a window covers the screen")
            wait_for(lambda: ui.checked(full), "Full is checked")
            # The picture may come late, and the looped movie blanks it for a moment when it
            # is opened again at its end.
            quarters = settle(lambda: self.full_screen_quarters(desktop),
                              lambda seen: min(seen.values()) > 0.6)
            for quadrant, brightness in quarters.items():
                self.assertGreater(brightness, 0.6,
                                   f"video fills the screen's quarter at {quadrant}")

            desktop.xdotool("key", "Escape")
            wait_for(lambda: not self.fullscreen_windows(desktop), "Esc leaves full screen")
            wait_for(lambda: not ui.checked(full), "Full is unchecked again")
            self.position_advances(ui)

            self.assertNotIn("_NET_WM_STATE_ABOVE", desktop.wm_state(window))
            ui.press(ui.by_name("On top", "check box"))
            wait_for(lambda: "_NET_WM_STATE_ABOVE" in desktop.wm_state(window), "on top")
            self.position_advances(ui)
            self.assertEqual(desktop.find_window("long-mpeg1").handle, window.handle,
                             "the window stays the same native window")
            _, _, width, height = desktop.geometry(window)
            self.assertGreater(desktop.wait_moving(window, (0, 0, width, height - BOTTOM_PANEL)),
                               500, "the window on top shows moving video")

            ui.press(ui.by_name("On top", "check box"))
            wait_for(lambda: "_NET_WM_STATE_ABOVE" not in desktop.wm_state(window),
                     "no longer on top")


if __name__ == "__main__":
    unittest.main(verbosity=2)
