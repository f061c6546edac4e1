#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test through CTest. Run as root on Debian 12 (or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${CINEVAN_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCINEVAN_SANITIZE=ON \
      -DCINEVAN_BUILD_TESTS=ON -DCINEVAN_BUILD_BENCH=ON
cmake --build "$build" --parallel "$(nproc)"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300
