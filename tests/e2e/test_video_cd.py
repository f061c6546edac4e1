"""The real player under Xvfb with a fake CD-ROM drive: the Video CD key plays the disc's
tracks, and the movie-list type is known to the desktop after a start.

The fake drive holds a real Video CD image made by vcdimager, mounted (as the mount table
tells) on a folder whose track files are empty stand-ins: as on a real disc, whose Mode 2
Form 2 tracks the kernel cannot read, the tracks play only through reading the image's raw
sectors."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
BOTTOM_PANEL = 109


def mount_field(path):
    """A path as the kernel's mount table writes it."""
    return (path.replace("\\", "\\134").replace(" ", "\\040")
            .replace("\t", "\\011").replace("\n", "\\012"))


def open_files(pid):
    """The files a process holds open."""
    files = set()
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            files.add(os.readlink(f"/proc/{pid}/fd/{fd}"))
        except OSError:
            pass
    return files


def thread_names(pid):
    """The names of a process's threads: the engines name theirs. A short-lived thread may
    end between listing and reading."""
    names = set()
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as f:
                names.add(f.read().strip())
        except OSError:
            pass
    return names


class VideoCDTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-vcd-")
        self.disc = os.path.join(self.folder, "video cd")
        os.makedirs(os.path.join(self.disc, "MPEGAV"))
        for name in ("AVSEQ01.DAT", "AVSEQ02.DAT"):
            open(os.path.join(self.disc, "MPEGAV", name), "w").close()
        os.makedirs(os.path.join(self.folder, "block"))
        self.mounts = os.path.join(self.folder, "mounts")
        image = os.path.join(MEDIA, "vcd.cue")
        with open(self.mounts, "w") as f:
            f.write(f"{mount_field(image)} {mount_field(self.disc)} iso9660 ro 0 0\n")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_alt_v_plays_the_tracks_of_the_disc(self):
        self.play_the_disc(None)

    def test_alt_v_plays_the_tracks_of_the_disc_with_gstreamer(self):
        self.play_the_disc("MPEGVideo")

    def play_the_disc(self, device):
        with Desktop() as desktop:
            if device:
                desktop.set_device(device)
            desktop.env["CINEVAN_MOUNTS"] = self.mounts
            desktop.env["CINEVAN_SYS_BLOCK"] = os.path.join(self.folder, "block")
            player = desktop.start(PLAYER)
            window = desktop.find_window("^Cinevan$")
            time.sleep(1.0)
            desktop.key(window, "alt+v")
            # The tracks play in the order the folder lists them (an ISO 9660 disc lists them
            # sorted; the folder standing in for it here need not).
            first_track = os.listdir(os.path.join(self.disc, "MPEGAV"))[0]
            self.assertEqual(desktop.wait_title(window, r"\[1/2\]"),
                             os.path.splitext(first_track)[0] + " - [1/2]")

            def page():
                _, _, width, height = desktop.geometry(window)
                return (4, 4, width - 8, height - BOTTOM_PANEL - 8)

            self.assertGreater(desktop.wait_moving(window, page, timeout=60), 500,
                               "the track plays as moving video")
            self.assertIn(os.path.realpath(os.path.join(MEDIA, "vcd.bin")),
                          open_files(player.pid), "the tracks are read from the disc image")
            threads = thread_names(player.pid)
            if device == "MPEGVideo":
                self.assertFalse(any(name.startswith("mpv/") for name in threads), threads)
                with open(f"/proc/{player.pid}/maps") as f:
                    self.assertNotIn("libmpv", f.read(), "libmpv is loaded only when used")
                self.assertTrue(any(name.endswith(":src") for name in threads), threads)
            else:
                self.assertIn("mpv/demux", threads)

    @unittest.skipUnless(shutil.which("gio"), "gio is not installed")
    def test_the_desktop_opens_movie_lists_with_the_player(self):
        with Desktop() as desktop:
            desktop.start(PLAYER)
            desktop.find_window("^Cinevan$")
            movie_list = os.path.join(self.folder, "films.mls")
            with open(movie_list, "w") as f:
                f.write('"clip.mpg"\r\n')
            info = subprocess.run(["gio", "info", "-a", "standard::content-type", movie_list],
                                  env=desktop.env, capture_output=True, text=True, timeout=20)
            self.assertIn("application/x-cinevan-movielist", info.stdout)
            default = subprocess.run(["gio", "mime", "application/x-cinevan-movielist"],
                                     env=desktop.env, capture_output=True, text=True,
                                     timeout=20)
            self.assertIn("cinevan-movielist.desktop", default.stdout.splitlines()[0])
            entry = os.path.join(desktop.env["XDG_DATA_HOME"], "applications",
                                 "cinevan-movielist.desktop")
            with open(entry) as f:
                text = f.read()
            self.assertIn(f'Exec="{PLAYER}" %f\n', text)
            self.assertIn(f'Exec="{PLAYER}" %f /play\n', text)


if __name__ == "__main__":
    unittest.main(verbosity=2)
