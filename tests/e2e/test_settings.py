"""The real player's stored settings under Xvfb with a window manager: closing the main window
writes its placement, the check boxes and the device into the user's configuration folder, and
the next start puts the window back at the same place and size (the window frame must not
make it grow from run to run)."""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, settle, wait_for  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]


class StoredSettingsTest(unittest.TestCase):
    def run_player(self, desktop, change=None, expected=None):
        """One run of the player, closed with Alt+F4; returns the main window's geometry,
        looked at until it is `expected` or for a generous while."""
        process = desktop.start(PLAYER)
        main = desktop.find_window("^Cinevan$")
        time.sleep(1.0)
        if change:
            change(main)
        geometry = settle(lambda: desktop.geometry(main),
                          lambda seen: expected is None or expected(seen))
        output = desktop.close_with_alt_f4(main, process)
        self.assertEqual(process.returncode, 0, output)
        return geometry

    def test_placement_and_check_boxes_survive_restarts(self):
        with Desktop() as desktop:
            def rearrange(main):
                self.assertNotIn("_NET_WM_STATE_ABOVE", desktop.wm_state(main))
                desktop.xdotool("windowsize", "--sync", main, "500", "520")
                desktop.xdotool("windowmove", "--sync", main, "120", "90")
                desktop.key(main, "alt+l")  # Loop
                desktop.key(main, "alt+o")  # On top
                wait_for(lambda: "_NET_WM_STATE_ABOVE" in desktop.wm_state(main), "on top")

            first = self.run_player(desktop, rearrange, lambda seen: seen[2:] == (500, 520))
            self.assertEqual(first[2:], (500, 520))
            saved = desktop.stored()
            self.assertEqual(saved.get("CurrentDevice"), "ActiveMovie")
            self.assertEqual(saved.get("CheckBoxLoop_Checked"), "True")
            self.assertEqual(saved.get("CheckBoxShuffle_Checked"), "False")
            self.assertEqual(saved.get("CheckBoxOnTop_Checked"), "True")
            self.assertEqual(saved.get("ShowCmd"), "1")
            self.assertEqual(saved.get("Visible"), "0")
            self.assertEqual(saved.get("NormPos(1024x768)"), saved.get("NormPos"))
            left, top, right, bottom = (int(v) for v in saved["NormPos"].split(","))
            self.assertGreaterEqual(right - left, 500, "the frame rectangle holds the client")
            self.assertGreaterEqual(bottom - top, 520)

            def look_at_stacking(main):
                self.stacking = settle(lambda: desktop.wm_state(main),
                                       lambda seen: "_NET_WM_STATE_ABOVE" in seen)

            second = self.run_player(desktop, look_at_stacking, lambda seen: seen == first)
            self.assertEqual(second, first, "the window comes back where it was")
            self.assertIn("_NET_WM_STATE_ABOVE", self.stacking, "On top was restored")
            again = desktop.stored()
            self.assertEqual(again.get("NormPos"), saved.get("NormPos"))
            self.assertEqual(again.get("CheckBoxLoop_Checked"), "True", "Loop was restored")

    def test_movie_list_editor_keeps_its_place_and_minimum_size(self):
        with Desktop() as desktop:
            def open_editor(main):
                desktop.key(main, "alt+e")
                editor = desktop.find_window("^Movie List Editor$")
                time.sleep(0.5)
                return editor

            def arrange_editor(main):
                editor = open_editor(main)
                desktop.xdotool("windowsize", "--sync", editor, "60", "40")
                time.sleep(0.3)
                width, height = desktop.geometry(editor)[2:]
                left, right, top, bottom = desktop.frame_extents(editor)
                self.assertGreaterEqual(width + left + right, 180, "no narrower than 180")
                self.assertGreaterEqual(height + top + bottom, 132, "no lower than 132")
                desktop.xdotool("windowsize", "--sync", editor, "320", "260")
                desktop.xdotool("windowmove", "--sync", editor, "400", "200")
                self.placed = settle(lambda: desktop.geometry(editor),
                                     lambda seen: seen[2:] == (320, 260))
                desktop.closing_key(editor, "Escape")  # Close
                wait_for(lambda: not desktop.search_visible("^Movie List Editor$"),
                         "the editor closes")

            def reopen_editor(main):
                editor = open_editor(main)
                self.reopened = settle(lambda: desktop.geometry(editor),
                                       lambda seen: seen == self.placed)

            self.run_player(desktop, arrange_editor)
            self.assertEqual(self.placed[2:], (320, 260))
            self.run_player(desktop, reopen_editor)
            self.assertEqual(self.reopened, self.placed, "the editor comes back where it was")

    def test_damaged_file_is_rewritten_without_an_error_box(self):
        """Stray bytes in a section the run never reads are first met by the save at exit:
        the file is written again whole, and no error box holds the program open."""
        with Desktop() as desktop:
            path = os.path.join(desktop.home, "config", "Vantrel", "Cinevan", "1.0.conf")
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(b"[Main]\nCheckBoxLoop_Checked=True\nCurrentDevice=MPEGVideo\n"
                        b"[Playlist]\nCheckBoxLink_Checked=True\n\x01\xff\xfe\x7f\x80\nFlags=3\n")
            self.run_player(desktop)
            saved = desktop.stored()
            self.assertEqual(saved.get("CheckBoxLoop_Checked"), "True")
            self.assertEqual(saved.get("CurrentDevice"), "MPEGVideo")
            for name in ("Flags", "ShowCmd", "NormPos", "Visible", "CheckBoxShuffle_Checked"):
                self.assertIn(name, saved)
            with open(path, "rb") as f:
                text = f.read()
            self.assertNotIn(b"\xff", text, "the damaged line is gone")
            self.assertIn(b"CheckBoxLink_Checked=True", text, "the other window's values stay")


if __name__ == "__main__":
    unittest.main()
