"""Playlists and video formats of other players in the real player under Xvfb: an M3U8 list
of MP4 and Matroska movies with titles and selections plays each selection in turn, read back
through a real MPRIS client (playerctl), and a folder given to the player stands for every
video file in it."""

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


def make_movie(path, codec):
    subprocess.run(["ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                    "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=6",
                    "-f", "lavfi", "-i", "sine=frequency=440:duration=6",
                    "-c:v", codec, "-c:a", "libvorbis" if path.endswith(".mkv") else "aac",
                    path], check=True)


class PlaylistTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="cinevan-formats-")
        make_movie(os.path.join(cls.folder, "clip.mp4"), "mpeg4")
        make_movie(os.path.join(cls.folder, "clip.mkv"), "mpeg4")
        with open(os.path.join(cls.folder, "notes.txt"), "w") as f:
            f.write("not a movie\n")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def playerctl(self, desktop, *args):
        result = subprocess.run(["playerctl", "--player=cinevan", *args], env=desktop.env,
                                capture_output=True, text=True, timeout=20)
        return result.stdout.strip() if result.returncode == 0 else None

    def test_an_m3u8_list_plays_each_selection(self):
        playlist = os.path.join(self.folder, "parts.m3u8")
        with open(playlist, "w", encoding="utf-8") as f:
            f.write("#EXTM3U\n"
                    "#EXTINF:6,MP4 Part\n#EXTVLCOPT:start-time=1\n#EXTVLCOPT:stop-time=3\n"
                    "clip.mp4\n"
                    "#EXTINF:6,MKV Part\n#EXTVLCOPT:start-time=2.0\n#EXTVLCOPT:stop-time=4\n"
                    f"file://{self.folder}/clip.mkv\n")
        with Desktop(session_bus=True) as desktop:
            desktop.start(PLAYER, [playlist])
            window = desktop.find_window("MP4 Part")
            self.assertEqual(desktop.wait_title(window, r"\[1/2\]"), "MP4 Part - [1/2]")
            seen = {}
            deadline = time.time() + 60
            while time.time() < deadline:
                title = self.playerctl(desktop, "metadata", "title")
                position = self.playerctl(desktop, "position")
                length = self.playerctl(desktop, "metadata", "mpris:length")
                status = self.playerctl(desktop, "status")
                if title and position and length and status == "Playing":
                    seen.setdefault(title, []).append((float(position), int(length)))
                if "MKV Part" in seen and status == "Stopped":
                    break
                time.sleep(0.2)
            self.assertEqual(self.playerctl(desktop, "status"), "Stopped", "the list ended")
            self.assertEqual(sorted(seen), ["MKV Part", "MP4 Part"])
            for title, samples in seen.items():
                self.assertEqual({length for _, length in samples}, {2000000}, title)
                self.assertLessEqual(max(position for position, _ in samples), 2.6,
                                     f"{title} stops at the end of its selection")
            self.assertEqual(desktop.title(window), "MKV Part - [2/2]")

    def test_a_folder_stands_for_every_video_file_in_it(self):
        with Desktop() as desktop:
            desktop.start(PLAYER, [self.folder])
            window = desktop.find_window(r"\[1/2\]")
            self.assertEqual(desktop.title(window), "clip - [1/2]")


if __name__ == "__main__":
    unittest.main()
