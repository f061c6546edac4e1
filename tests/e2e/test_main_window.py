"""The real player under Xvfb: cover before play, moving video while playing, titles."""

import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, settle  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
DOCS = os.environ.get("CINEVAN_SCREENSHOT_DIR")
BOTTOM_PANEL = 109


def make_cover(path, colour):
    subprocess.run(["convert", "-size", "320x240", f"xc:{colour}", path], check=True)


class MainWindowTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-list-")
        make_cover(os.path.join(self.folder, "first.jpg"), "#c02020")
        make_cover(os.path.join(self.folder, "second.bmp"), "#2020c0")
        self.list = os.path.join(self.folder, "two.mls")
        with open(self.list, "wb") as f:
            f.write(f'"{MEDIA}/clip-mpeg1.mpg","First Clip",first.jpg\r\n'.encode())
            f.write(f'"{MEDIA}/clip-mpeg2.mpg","Second Clip",second.bmp,0:00:01,0:00:03\r\n'
                    .encode())

    def shot(self, desktop, window, name):
        path = os.path.join(self.folder, name)
        desktop.screenshot(path, window)
        if DOCS:
            os.makedirs(DOCS, exist_ok=True)
            subprocess.run(["cp", path, os.path.join(DOCS, name)], check=True)
        return path

    def page(self, desktop, window):
        """The picture page inside its border, for the window's size now."""
        _, _, width, height = desktop.geometry(window)
        return (4, 4, width - 8, height - BOTTOM_PANEL - 8)

    def cover_colour(self, desktop, window):
        cover = self.shot(desktop, window, "main-window-cover.png")
        return desktop.crop_mean(cover, *self.page(desktop, window))

    def page_motion(self, desktop, window):
        first = self.shot(desktop, window, "main-window-playing.png")
        time.sleep(0.8)
        second = self.shot(desktop, window, "main-window-playing-later.png")
        return desktop.differing_pixels(first, second, *self.page(desktop, window))

    def test_cover_before_play_and_moving_video_while_playing(self):
        with Desktop() as desktop:
            desktop.start(PLAYER, [self.list])
            window = lambda: desktop.find_window("Clip - ")  # noqa: E731
            self.assertEqual(desktop.wait_title(window(), r"\[1/2\]"), "First Clip - [1/2]")
            self.assertGreater(settle(lambda: self.page_motion(desktop, window()),
                                      lambda changed: changed > 500),
                               500, "the movie plays before it is stopped")

            desktop.key(window(), "x")  # stop: the Preview page shows the cover
            red, green, blue = settle(lambda: self.cover_colour(desktop, window()),
                                      lambda rgb: rgb[0] > 0.45 and rgb[2] < 0.3)
            self.assertGreater(red, 0.45, "the red cover fills the preview")
            self.assertLess(blue, 0.3)

            desktop.key(window(), "z")  # play again
            self.assertGreater(settle(lambda: self.page_motion(desktop, window()),
                                      lambda changed: changed > 500),
                               500, "the movie page shows moving video")
            self.assertEqual(desktop.title(window()), "First Clip - [1/2]")

            desktop.key(window(), "v")  # next entry
            self.assertEqual(desktop.wait_title(window(), r"\[2/2\]"), "Second Clip - [2/2]")


if __name__ == "__main__":
    unittest.main(verbosity=2)
