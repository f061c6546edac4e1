"""The real player started as from a terminal: relative names typed in a folder, names with
colons, quotes, commas and characters beyond ASCII, and a relative movie list; every entry must
play (moving video) under its whole file name as title."""

import os
import re
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
BOTTOM_PANEL = 109


class CommandLineNamesTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-names-")
        self.here = os.path.join(self.folder, "here")
        os.makedirs(os.path.join(self.here, "movies"))
        os.makedirs(os.path.join(self.folder, "lists"))

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def copy_clip(self, *parts):
        target = os.path.join(os.fsencode(self.folder), *[os.fsencode(p) for p in parts])
        shutil.copyfile(os.path.join(MEDIA, "clip-mpeg1.mpg"), target)

    def assert_playing(self, desktop, window, title):
        """The title names the entry and the movie page shows moving video."""
        self.assertEqual(desktop.wait_title(window, "^" + re.escape(title) + "$"), title)
        _, _, width, height = desktop.geometry(window)
        page = (4, 4, width - 8, height - BOTTOM_PANEL - 8)
        self.assertGreater(desktop.wait_moving(window, page), 500, f"{title!r} shows moving video")

    def test_relative_name_with_a_folder_part_plays_under_its_whole_name(self):
        self.copy_clip("here", "movies", "Star Trek: Part 2.mpg")
        with Desktop() as desktop:
            desktop.start(PLAYER, ["movies/Star Trek: Part 2.mpg"], cwd=self.here)
            window = desktop.find_window(r"\[1/1\]")
            self.assert_playing(desktop, window, "Star Trek: Part 2 - [1/1]")

    def test_quoted_names_and_a_relative_list_all_play(self):
        self.copy_clip("here", 'say "hi", now.mpg')
        self.copy_clip("here", "café ½, x.mpg")
        self.copy_clip("lists", "clip.mpg")
        with open(os.path.join(self.folder, "lists", "list.mls"), "wb") as f:
            f.write(b'"clip.mpg"\r\n')
        arguments = ['./say "hi", now.mpg', "café ½, x.mpg", "../lists/list.mls"]
        with Desktop() as desktop:
            desktop.start(PLAYER, arguments, cwd=self.here)
            window = desktop.find_window(r"\[1/3\]")
            self.assert_playing(desktop, window, 'say "hi", now - [1/3]')
            desktop.key(window, "v")  # next entry
            self.assert_playing(desktop, window, "café ½, x - [2/3]")
            desktop.key(window, "v")
            self.assert_playing(desktop, window, "clip - [3/3]")


if __name__ == "__main__":
    unittest.main(verbosity=2)
