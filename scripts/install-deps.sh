#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Cinevan needs.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format ccache
  # Qt 6 widgets (Qt Gui's build files look for the OpenGL headers); Mesa's software OpenGL
  # for libmpv's video output where there is no graphics driver
  qt6-base-dev qt6-base-dev-tools libgl-dev libgl1-mesa-dri
  # media engines
  libmpv-dev mpv
  # the libmpv video window inside the program's X11 window
  libxcb1-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav
  # MPEG-1/2 video through libmpeg2 and MPEG audio through libmpg123, lighter than gst-libav
  gstreamer1.0-plugins-ugly
  # the GStreamer video output into our native window (ximagesink, xvimagesink)
  gstreamer1.0-x
  # Video CD tracks read from the disc's raw sectors
  libcdio-dev libiso9660-dev
  # picture formats
  libjpeg62-turbo-dev libwmf-dev libuemf-dev
  # WebP covers through Qt's image format plugins
  qt6-image-formats-plugins
  # tests, fixtures and benchmarks
  python3
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg imagemagick vcdimager mjpegtools
  xvfb xauth openbox xdotool x11-utils dbus-x11 at-spi2-core python3-pyatspi
  fonts-dejavu-core fonts-liberation
  # /usr/bin/time for bench/compare-with-mpv.py
  time
  # the movie-list file type reaches the desktop's mime database (optional at run time)
  shared-mime-info
  # installing and packaging: icons rendered from SVG, the freedesktop validators, the
  # manual page check, the Debian package's library dependencies (dpkg-shlibdeps)
  qt6-svg-dev desktop-file-utils appstream groff-base dpkg-dev file
  # media keys and panels: a real MPRIS client for the tests
  playerctl
  # a network share that stops answering, mounted through FUSE for the tests
  fuse3 python3-fusepy
)

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
