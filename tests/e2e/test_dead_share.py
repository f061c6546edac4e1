"""The real player started with names on a share whose server stopped answering (a FUSE file
system whose lookups hang): the window goes on answering while the share is waited for, the
names there are taken as missing, and the movies on healthy storage play."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, mounted, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures",
                      "hanging-fs.py")
BOTTOM_PANEL = 109


class DeadShareTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-share-")
        self.share = os.path.join(self.folder, "share")
        os.mkdir(self.share)
        self.server = subprocess.Popen(["/usr/bin/python3", SERVER, self.share],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_for(lambda: mounted(self.share) or self.server.poll() is not None,
                     "the share to be mounted", timeout=10)
        except AssertionError:
            pass
        if not mounted(self.share):
            self.tearDown()
            self.skipTest("FUSE cannot be mounted here")

    def tearDown(self):
        # Ending the server ends the lookups still waiting with an error.
        if self.server.poll() is None:
            self.server.kill()
            self.server.wait(10)
        subprocess.run(["umount", "-l", self.share], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_the_window_answers_while_the_share_is_waited_for_and_the_rest_plays(self):
        # Every folder on the share is waited for in turn before it is given up.
        on_share = ["one/a.mpg", "two/list.mls", "three/list.m3u", "four/b.mpg", "five/c.mpg"]
        names = [os.path.join(MEDIA, "clip-mpeg1.mpg"),
                 *[os.path.join(self.share, name) for name in on_share],
                 os.path.join(MEDIA, "clip-mpeg2.mpg")]
        with Desktop() as desktop:
            desktop.start(PLAYER, names)
            main = desktop.find_window("Cinevan")
            # The first name is in; the share is being waited for.
            desktop.wait_title(main, r"^clip-mpeg1 - \[1/1\]$", timeout=20)
            desktop.key(main, "F1")
            desktop.find_window("About this program", timeout=10)
            self.assertRegex(desktop.title(main), r"\[1/[1-4]\]$",
                             "the About window came while the share was still waited for")
            desktop.xdotool("key", "Escape")  # to the About window, which has the focus
            wait_for(lambda: not desktop.search_visible("About this program"), "About to close")

            # The list ends with the missing names of the share in their places.
            title = desktop.wait_title(main, r"^clip-mpeg1 - \[1/5\]$", timeout=60)
            self.assertEqual(title, "clip-mpeg1 - [1/5]")
            _, _, width, height = desktop.geometry(main)
            page = (4, 4, width - 8, height - BOTTOM_PANEL - 8)
            self.assertGreater(desktop.wait_moving(main, page), 500, "the first movie plays")
            # The list plays on, past the names on the share as missing files, to the last movie.
            self.assertEqual(desktop.wait_title(main, r"^clip-mpeg2 - \[5/5\]$", timeout=120),
                             "clip-mpeg2 - [5/5]")

    def test_the_edit_dialog_and_the_cover_browser_open_on_a_cover_on_the_share(self):
        movie = os.path.join(MEDIA, "clip-mpeg1.mpg")
        cover = os.path.join(self.share, "covers", "cover.bmp")
        movie_list = os.path.join(self.folder, "covers.mls")
        with open(movie_list, "w", encoding="utf-8") as out:
            out.write(f'"{movie}","Clip","{cover}"\r\n')
        with Desktop() as desktop:
            desktop.start(PLAYER, [movie_list])
            main = desktop.find_window("Cinevan")
            desktop.wait_title(main, r"^Clip - \[1/1\]$", timeout=30)
            desktop.key(main, "alt+e")
            editor = desktop.find_window("^Movie List Editor$", timeout=20)
            desktop.key(editor, "Return")
            edit = desktop.find_window("^Edit Movie Link$", timeout=20)
            # The browser starts on the entry's cover, whose folder does not answer.
            desktop.key(edit, "alt+b")
            desktop.find_window("^Browse Cover Image$", timeout=15)
            desktop.xdotool("key", "Escape")
            wait_for(lambda: not desktop.search_visible("^Browse Cover Image$"), "browser to close")
            if desktop.search_visible("^Edit Movie Link$"):
                desktop.xdotool("key", "Escape")
            wait_for(lambda: not desktop.search_visible("^Edit Movie Link$"), "dialog to close")
            desktop.key(main, "F1")
            desktop.find_window("About this program", timeout=10)


if __name__ == "__main__":
    unittest.main(verbosity=2)
