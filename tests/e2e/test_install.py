"""The installed player: `cmake --install` into a staging folder (DESTDIR), the installed
desktop files checked by the freedesktop validators, and the installed program started from
there under Xvfb, finding its desktop entry and playing."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop  # noqa: E402

BUILD = os.environ["CINEVAN_BUILD_DIR"]
PREFIX = os.environ["CINEVAN_INSTALL_PREFIX"]
MEDIA = os.environ["CINEVAN_MEDIA_DIR"]
APP_ID = "com.vantrel.Cinevan"
LIST_TYPE = "application/x-cinevan-movielist"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is no PNG file"
    return struct.unpack(">II", header[16:24])


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=120, **kwargs)


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.stage = tempfile.mkdtemp(prefix="cinevan-install-")
        env = dict(os.environ, DESTDIR=cls.stage)
        result = run(["cmake", "--install", BUILD], env=env)
        assert result.returncode == 0, result.stdout + result.stderr
        cls.root = cls.stage + PREFIX
        cls.share = os.path.join(cls.root, "share")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.stage, ignore_errors=True)

    def installed(self, *parts):
        path = os.path.join(self.share, *parts)
        self.assertTrue(os.path.isfile(path), f"{path} is not installed")
        return path

    def test_files_pass_the_freedesktop_validators(self):
        desktop = self.installed("applications", f"{APP_ID}.desktop")
        result = run(["desktop-file-validate", desktop])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(result.stdout.strip(), "", "no warnings either")
        metainfo = self.installed("metainfo", f"{APP_ID}.metainfo.xml")
        result = run(["appstreamcli", "validate", "--no-net", metainfo])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        with open(desktop) as f:
            entry = f.read()
        self.assertIn(f"MimeType={LIST_TYPE};", entry)
        self.assertIn("Exec=cinevan %F\n", entry)
        self.assertIn("[Desktop Action play]\nName=Play\nExec=cinevan %F /play\n", entry)

    def test_icons_mime_type_and_manual(self):
        for name, context in ((APP_ID, "apps"), ("application-x-cinevan-movielist", "mimetypes")):
            self.installed("icons", "hicolor", "scalable", context, f"{name}.svg")
            for size in ICON_SIZES:
                png = self.installed("icons", "hicolor", f"{size}x{size}", context, f"{name}.png")
                self.assertEqual(png_size(png), (size, size), png)

        self.installed("mime", "packages", "cinevan-movielist.xml")
        result = run(["update-mime-database", os.path.join(self.share, "mime")])
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(os.path.join(self.share, "mime", "globs2")) as f:
            self.assertIn(f"{LIST_TYPE}:*.mls", f.read())

        manual = self.installed("man", "man1", "cinevan.1")
        result = run(["groff", "-man", "-ww", "-z", manual])
        self.assertEqual((result.returncode, result.stderr), (0, ""))

    def test_the_installed_program_plays_and_leaves_the_type_to_its_entry(self):
        program = os.path.join(self.root, "bin", "cinevan")
        self.assertTrue(os.access(program, os.X_OK))
        run(["update-mime-database", os.path.join(self.share, "mime")])
        folder = tempfile.mkdtemp(prefix="cinevan-list-")
        movies = os.path.join(folder, "two.mls")
        with open(movies, "wb") as f:
            f.write(f'"{MEDIA}/clip-mpeg1.mpg","Installed Clip"\r\n'.encode())
        try:
            with Desktop() as desktop:
                desktop.env["PATH"] = os.path.join(self.root, "bin") + ":" + os.environ["PATH"]
                desktop.env["XDG_DATA_DIRS"] = self.share + ":/usr/share"
                desktop.start("cinevan", [movies])
                window = desktop.find_window("Installed Clip")
                self.assertEqual(desktop.wait_title(window, r"\[1/1\]"), "Installed Clip - [1/1]")
                user_entry = os.path.join(desktop.home, "data", "applications",
                                          "cinevan-movielist.desktop")
                self.assertFalse(os.path.exists(user_entry),
                                 "the installed entry already opens movie lists")
                self.assertFalse(os.path.exists(
                    os.path.join(desktop.home, "config", "mimeapps.list")))
        finally:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
