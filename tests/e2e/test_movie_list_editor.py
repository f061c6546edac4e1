"""The Movie List Editor of the real player under Xvfb with a window manager: dragging an
entry with the mouse reorders the list, and the main window's title follows the current
entry to its new place."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, copy_movies, settle  # noqa: E402

PLAYER = os.environ["CINEVAN_BINARY"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]

# Design sizes of the editor: list panel border, caption height, item height.
BORDER = 3
CAPTION = 16
ITEM = 16


def client_origin(desktop, window):
    """Where the window's client area starts on the screen, as the X server has it."""
    out = subprocess.run(["xwininfo", "-id", str(window)], env=desktop.env, capture_output=True,
                         text=True, check=True).stdout
    values = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]))


def steady_client_origin(desktop, window, timeout=10):
    """The client origin once two looks a moment apart agree: the window manager may still
    be placing a window that has just appeared."""
    seen = [client_origin(desktop, window)]

    def look():
        seen.append(client_origin(desktop, window))
        return seen[-2:]

    last_two = settle(look, lambda pair: pair[0] == pair[1], timeout)
    return last_two[-1]


class MovieListEditorDragTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="cinevan-editor-")
        self.movies = copy_movies(self.folder, ("a", "b", "c", "d"), MEDIA)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def drag(self, desktop, start, end):
        """Presses on `start`, moves in steps to `end` and releases there. The pauses let a
        busy program take the press before the moves, start its drag, and see the pointer
        over the target before the release."""
        desktop.xdotool("mousemove", "--sync", str(start[0]), str(start[1]))
        time.sleep(0.2)
        desktop.xdotool("mousedown", "1")
        time.sleep(0.3)
        steps = 8
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            desktop.xdotool("mousemove", "--sync", str(x), str(y))
            time.sleep(0.3 if i == 1 else 0.05)
        time.sleep(0.3)
        desktop.xdotool("mouseup", "1")
        time.sleep(0.5)

    def drag_until(self, desktop, main, start, end, title):
        """Drags, and drags once more when a busy desktop lost the first drag whole: the
        title then still names the old place. Any other title fails."""
        before = desktop.title(main)
        self.drag(desktop, start, end)
        try:
            desktop.wait_title(main, title)
        except AssertionError:
            self.assertEqual(desktop.title(main), before, "the drag moved the entry elsewhere")
            print(f"drag from {start} to {end} lost; dragging again", file=sys.stderr)
            self.drag(desktop, start, end)
            desktop.wait_title(main, title)

    def test_dragging_the_playing_entry_moves_it_and_keeps_it_current(self):
        with Desktop() as desktop:
            process = desktop.start(PLAYER, self.movies)
            main = desktop.find_window("^a - ")
            desktop.wait_title(main, r"^a - \[1/4\]$")
            desktop.key(main, "alt+e")
            editor = desktop.find_window("^Movie List Editor$")
            x, y = steady_client_origin(desktop, editor)

            def item_center(row):
                return (x + 40, y + BORDER + CAPTION + 2 + row * ITEM + ITEM // 2)

            self.drag_until(desktop, main, item_center(0), item_center(2), r"^a - \[3/4\]$")
            # Dropped below the last item, the entry goes last.
            self.drag_until(desktop, main, item_center(2), item_center(6), r"^a - \[4/4\]$")

            output = desktop.close_with_alt_f4(main, process)
            self.assertEqual(process.returncode, 0, output)


if __name__ == "__main__":
    unittest.main()
