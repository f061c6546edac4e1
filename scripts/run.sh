#!/usr/bin/env bash
# Installs what is needed, builds the player and starts it. Without arguments it plays a
# small demo movie list made at build time; otherwise the arguments go to the player.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${CINEVAN_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCINEVAN_BUILD_TESTS=OFF
cmake --build "$build" --parallel "$(nproc)" --target cinevan cinevan_demo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Cinevan is a desktop program and needs a desktop session (no DISPLAY is set)." >&2
    echo "Start it from a graphical session, or run it under Xvfb: xvfb-run $0 $*" >&2
    exit 1
fi

if [ $# -eq 0 ]; then
    exec "$build/app/cinevan" "$PWD/$build/demo/demo.mls"
fi
exec "$build/app/cinevan" "$@"
