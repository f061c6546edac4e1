"""Keys, activation and the video picture of the real player's windows under Xvfb with a window
manager, worked with the keyboard alone: each window's keys act only while that window is
active, the window that opened a dialog gets the keyboard back when it closes, the transport
keys work in full screen, and both video devices stretch the picture over its rectangle."""

import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, copy_movies, settle, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
SCREEN = (1024, 768)
BOTTOM_PANEL = 109


class WindowKeysTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-keys-")
        self.movies = copy_movies(self.folder, ("a", "b"), MEDIA)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    # -- helpers ---------------------------------------------------------------------------

    def type_keys(self, desktop, *keys):
        """Keys to whatever window has the keyboard, as a person types them."""
        desktop.xdotool("key", "--clearmodifiers", "--delay", "120", *keys)
        time.sleep(0.6)

    def active_window(self, desktop):
        return desktop.xdotool("getactivewindow", check=False).strip()

    def wait_active(self, desktop, pattern, timeout=10):
        window = desktop.find_window(pattern)
        wait_for(lambda: self.active_window(desktop) == window.handle,
                 f"the window named like {pattern!r} never became active", timeout)
        return window

    def moving(self, desktop, window, area):
        """Whether the video in `area` (x, y, width, height of the window) moves."""
        return desktop.moving_pixels(window, area) > 300

    def video_area(self, desktop, main):
        _, _, width, height = desktop.geometry(main)
        return (10, 10, width - 20, height - BOTTOM_PANEL - 20)

    def close_player(self, desktop, process, main):
        log = desktop.close_with_alt_f4(main, process, timeout=30)
        self.assertEqual(process.returncode, 0, log)
        return log

    # -- tests -----------------------------------------------------------------------------

    def test_the_editor_and_its_dialogs_take_their_own_keys(self):
        with Desktop() as desktop:
            process = desktop.start(PLAYER, self.movies)
            main = desktop.find_window("^a - ")
            desktop.wait_title(main, r"^a - \[1/2\]$")
            desktop.xdotool("windowmove", "--sync", main, "560", "10")
            desktop.key(main, "alt+l")  # Loop: the movies keep going for the whole test
            area = self.video_area(desktop, main)
            wait_for(lambda: self.moving(desktop, main, area), "the first movie plays")
            desktop.xdotool("windowactivate", "--sync", main)

            self.type_keys(desktop, "alt+e")
            editor = self.wait_active(desktop, "^Movie List Editor$")
            desktop.xdotool("windowmove", "--sync", editor, "10", "10")

            self.type_keys(desktop, "x", "z")
            wait_for(lambda: self.moving(desktop, main, area), "X and Z typed in the editor")

            self.type_keys(desktop, "alt+s")
            self.wait_active(desktop, "^Save Movie List as$")
            self.type_keys(desktop, "Escape")
            self.wait_active(desktop, "^Movie List Editor$")

            self.type_keys(desktop, "alt+o")
            desktop.wait_title(main, r" - \[\d/3\]$")
            self.assertNotIn("_NET_WM_STATE_ABOVE", desktop.wm_state(main),
                             "Alt+O in the editor copies the entry and nothing else")

            self.type_keys(desktop, "alt+e")
            self.wait_active(desktop, "^Edit Movie Link$")
            self.type_keys(desktop, "alt+b")
            self.wait_active(desktop, "^Browse Cover Image$")
            self.type_keys(desktop, "Escape")
            self.wait_active(desktop, "^Edit Movie Link$")

            # An unfinished start time refused with the real error box: Escape then goes back
            # to the time from before the edit, so that OK (Enter) closes the dialog.
            self.type_keys(desktop, "alt+s", "alt+a", "End", "BackSpace", "Tab")
            self.wait_active(desktop, "^Error$")
            self.type_keys(desktop, "Return")
            self.wait_active(desktop, "^Edit Movie Link$")
            self.type_keys(desktop, "Escape", "Return")
            self.wait_active(desktop, "^Movie List Editor$")
            self.assertFalse(desktop.search_visible("^Error$"), "OK took the restored time")
            # The dialog paused the entry it edited; Space on the current entry resumes it.
            self.type_keys(desktop, "space")
            wait_for(lambda: self.moving(desktop, main, area), "Space in the editor plays")

            # Back in the main window its own keys work again.
            desktop.xdotool("windowactivate", "--sync", main)
            self.type_keys(desktop, "x")
            wait_for(lambda: not self.moving(desktop, main, area), "X in the main window stops")

            log = self.close_player(desktop, process, main)
            self.assertNotIn("Ambiguous shortcut", log)
            self.assertEqual(desktop.stored().get("CheckBoxShuffle_Checked"), "False",
                             "Alt+S in the editor left Shuffle alone")

    def full_screen_shown(self, desktop):
        windows = desktop.xdotool("search", "--onlyvisible", "--class", "cinevan",
                                  check=False).split()
        return any(desktop.geometry(w)[2:] == SCREEN for w in windows)

    def test_transport_keys_work_in_full_screen(self):
        with Desktop(*SCREEN) as desktop:
            process = desktop.start(PLAYER, self.movies)
            main = desktop.find_window("^a - ")
            desktop.wait_title(main, r"^a - \[1/2\]$")
            desktop.key(main, "alt+l")
            wait_for(lambda: self.moving(desktop, main, self.video_area(desktop, main)),
                     "the first movie plays")
            x, y, width, height = desktop.geometry(main)
            desktop.double_click(x + width // 2, y + (height - BOTTOM_PANEL) // 2)
            wait_for(lambda: self.full_screen_shown(desktop), "a double click goes full screen")
            wait_for(lambda: desktop.geometry(self.active_window(desktop))[2:] == SCREEN,
                     "the full-screen window has the keyboard")
            screen = (100, 100, SCREEN[0] - 200, SCREEN[1] - 200)

            def playing():
                return self.moving(desktop, "root", screen)

            self.type_keys(desktop, "v")
            desktop.wait_title(main, r"^b - \[2/2\]$")
            self.type_keys(desktop, "c")
            desktop.wait_title(main, r"^a - \[1/2\]$")
            wait_for(playing, "the movie plays in full screen")
            self.assertTrue(self.full_screen_shown(desktop), "Next and Prior stay in full screen")
            self.type_keys(desktop, "z")
            wait_for(lambda: not playing(), "Z pauses in full screen")
            self.type_keys(desktop, "z")
            wait_for(playing, "Z plays again")
            self.type_keys(desktop, "space")
            wait_for(lambda: not playing(), "Space pauses")
            self.type_keys(desktop, "space")
            wait_for(playing, "Space plays again")
            self.type_keys(desktop, "x")
            wait_for(lambda: not playing(), "X stops")
            self.type_keys(desktop, "Escape")
            wait_for(lambda: not self.full_screen_shown(desktop), "Esc leaves full screen")
            self.close_player(desktop, process, main)

    def band_ends(self, desktop, shot, width, height):
        """Brightness at both ends of the test picture's colour band, which runs across the
        whole picture at 75 % to 87 % of its height: dark where bars take its place."""
        top, band = int(height * 0.78), int(height * 0.06)
        return [sum(desktop.crop_mean(shot, left, top, 24, band))
                for left in (4, width - 28)]

    def band_ends_seen(self, desktop, shot_path, window, width, height):
        """Both ends of the colour band, looked at until bright or for a generous while: the
        picture may follow a new size late, and the looped movie blanks it for a moment
        when it is opened again at its end."""
        return settle(lambda: self.band_ends(desktop, desktop.screenshot(shot_path, window),
                                             width, height),
                      lambda edges: min(edges) > 0.3)

    def test_both_devices_stretch_the_picture_over_its_rectangle(self):
        shots = os.environ.get("CINEVAN_SCREENSHOT_DIR") or tempfile.mkdtemp()
        os.makedirs(shots, exist_ok=True)
        for device in ("ActiveMovie", "MPEGVideo"):
            with self.subTest(device=device), Desktop(*SCREEN) as desktop:
                desktop.set_device(device)
                process = desktop.start(PLAYER, self.movies[:1])
                main = desktop.find_window("^a - ")
                desktop.wait_title(main, r"^a - \[1/1\]$")
                desktop.key(main, "alt+l")
                wait_for(lambda: self.moving(desktop, main, self.video_area(desktop, main)),
                         "the movie plays")
                # Far wider than the movie: kept in aspect, the picture would leave dark
                # bars of about 270 pixels on both sides.
                desktop.xdotool("windowsize", "--sync", main, "900", "400")
                edges = self.band_ends_seen(desktop, os.path.join(shots, f"stretch-{device}.png"),
                                            main, 900, 400 - BOTTOM_PANEL)
                for edge in edges:
                    self.assertGreater(edge, 0.3, f"{device}: the picture reaches both sides")

                x, y, width, height = desktop.geometry(main)
                desktop.double_click(x + width // 2, y + (height - BOTTOM_PANEL) // 2)
                wait_for(lambda: self.full_screen_shown(desktop), "full screen")
                edges = self.band_ends_seen(desktop, os.path.join(shots, f"full-{device}.png"),
                                            "root", *SCREEN)
                for edge in edges:
                    self.assertGreater(edge, 0.3, f"{device}: full screen has no side bars")
                self.type_keys(desktop, "Escape")
                self.close_player(desktop, process, main)

    def test_the_editors_smallest_size_counts_its_frame(self):
        with Desktop() as desktop:
            process = desktop.start(PLAYER)
            main = desktop.find_window("^Cinevan$")
            desktop.xdotool("windowactivate", "--sync", main)
            self.type_keys(desktop, "alt+e")
            editor = self.wait_active(desktop, "^Movie List Editor$")
            desktop.xdotool("windowsize", "--sync", editor, "40", "40", check=False)

            def framed_size():
                _, _, width, height = desktop.geometry(editor)
                left, right, top, bottom = desktop.frame_extents(editor)
                return top, (width + left + right, height + top + bottom)

            top, size = settle(framed_size, lambda seen: seen[0] > 0 and seen[1] == (180, 132))
            self.assertGreater(top, 0, "the window manager frames the editor")
            self.assertEqual(size, (180, 132))
            self.close_player(desktop, process, main)


if __name__ == "__main__":
    unittest.main(verbosity=2)
