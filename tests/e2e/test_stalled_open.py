"""The real player under Xvfb with a movie list whose first entries live on a share that stopped
answering (a FUSE file system whose lookups hang): on both devices the window keeps answering
while those entries are stuck (a key toggles Loop and a screen reader sees it), the entry after
them plays, and the program closes at once while an entry is stuck."""

import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Accessible, Desktop, mounted, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
HANGING_FS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures",
                          "hanging-fs.py")
STUCK_TITLE = r"^Stalled - \[[12]/3\]$"


class HangingShare:
    """The share, mounted for the life of the `with` block."""

    def __init__(self, folder):
        self.point = os.path.join(folder, "share")
        os.makedirs(self.point)
        self.server = None

    def __enter__(self):
        self.server = subprocess.Popen(["/usr/bin/python3", HANGING_FS, self.point],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline and not mounted(self.point):
            time.sleep(0.1)
        return self

    def __exit__(self, *exc):
        # Killing the server ends the lookups still waiting with an error.
        if self.server.poll() is not None:
            return
        self.server.kill()
        self.server.wait(10)
        subprocess.run(["umount", "-l", self.point], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ready(self):
        return mounted(self.point)


class StalledOpenTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-stalled-")

    def write_list(self, share):
        # The list names the share's files: adding a name given on the command line would look
        # at the file itself.
        path = os.path.join(self.folder, "stalled.mls")
        with open(path, "w") as f:
            f.write(f'"{share.point}/gone.mpg",Stalled\r\n')
            f.write(f'"{share.point}/lost.mpg",Stalled\r\n')
            f.write(f'"{MEDIA}/long-mpeg1.mpg",Real\r\n')
        return path

    def close_and_end(self, desktop, main, process, share):
        """Closes the window, which goes at once, then ends the share: the process ends once
        the lookups the kernel holds in the share have ended."""
        def shown():
            return desktop.search_visible(r"Stalled|Real|Cinevan|Movie List Editor")

        desktop.closing_key(main, "alt+F4")
        deadline = time.time() + 4
        while shown() and time.time() < deadline:
            time.sleep(0.1)
        if shown():
            # Under load an Alt+F4 has been seen to close nothing while the program sat idle in
            # its event loop: typed once more, a program that answers closes now.
            print(f"Alt+F4 closed nothing; typed again ({desktop.shown_windows()})",
                  file=sys.stderr)
            desktop.closing_key(main, "alt+F4")
        wait_for(lambda: not shown(), "the window closes without waiting for the share", 4)
        share.__exit__(None, None, None)
        process.wait(30)
        log = process.stdout.read().decode(errors="replace")
        self.assertEqual(process.returncode, 0, log)

    def answers_while_stuck_and_plays_the_next(self, device, screen_reader):
        with HangingShare(self.folder) as share:
            if not share.ready():
                self.skipTest("FUSE cannot be mounted here")
            with Desktop(accessibility=screen_reader) as desktop:
                desktop.set_device(device)
                process = desktop.start(PLAYER, [self.write_list(share)])
                main = desktop.find_window(r"^Cinevan$|Stalled", timeout=60)
                desktop.wait_title(main, STUCK_TITLE, timeout=60)

                desktop.key(main, "alt+e")
                desktop.find_window("^Movie List Editor$", timeout=10)
                self.assertRegex(desktop.title(main), STUCK_TITLE,
                                 "the Movie List Editor opened while the share did not answer")
                desktop.key(main, "alt+l")  # Loop
                if screen_reader:
                    # Only one test of a run may read the screen: the reader keeps its bus.
                    ui = Accessible()
                    loop = ui.by_name("Loop", "check box")
                    wait_for(lambda: ui.checked(loop), "the key toggles Loop", 10)
                    self.assertRegex(desktop.title(main), STUCK_TITLE,
                                     "Loop was toggled while the share did not answer")

                desktop.wait_title(main, r"^Real - \[3/3\]$", timeout=60)
                _, _, width, height = desktop.geometry(main)
                self.assertGreater(
                    desktop.wait_moving(main, (10, 10, width - 20, height - 130)), 500,
                    "the entry after the stuck ones plays")
                self.close_and_end(desktop, main, process, share)
                self.assertEqual(desktop.stored("Main").get("CheckBoxLoop_Checked"), "True")

    def test_libmpv_answers_while_an_entry_is_stuck(self):
        self.answers_while_stuck_and_plays_the_next("ActiveMovie", screen_reader=True)

    def test_gstreamer_answers_while_an_entry_is_stuck(self):
        self.answers_while_stuck_and_plays_the_next("MPEGVideo", screen_reader=False)

    def test_the_window_closes_at_once_while_an_entry_is_stuck(self):
        with HangingShare(self.folder) as share:
            if not share.ready():
                self.skipTest("FUSE cannot be mounted here")
            with Desktop() as desktop:
                process = desktop.start(PLAYER, [self.write_list(share)])
                main = desktop.find_window(r"^Cinevan$|Stalled", timeout=60)
                desktop.wait_title(main, r"^Stalled - \[1/3\]$", timeout=60)
                time.sleep(0.5)  # the open of the first entry is under way
                self.close_and_end(desktop, main, process, share)


if __name__ == "__main__":
    unittest.main()
