#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer and UndefinedBehaviorSanitizer and
# as users get it (RelWithDebInfo), and runs every test through CTest on both builds. Run as
# root on Debian 12 (or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# A compiler cache makes rebuilding unchanged sources cheap; names are taken relative to the
# checkout, so every clone of the repository on this machine shares one cache.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Every build here treats a compiler warning as an error.
werror=(-DCINEVAN_WERROR=ON)

build=${CINEVAN_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCINEVAN_SANITIZE=ON \
      -DCINEVAN_BUILD_TESTS=ON -DCINEVAN_BUILD_BENCH=ON "${cache[@]}" "${werror[@]}"
cmake --build "$build" --parallel "$(nproc)"

# The build type that scripts/run.sh gives users is tested too, without the benchmarks.
relbuild=${CINEVAN_REL_BUILD_DIR:-build-rel}
cmake -S . -B "$relbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCINEVAN_BUILD_TESTS=ON \
      "${cache[@]}" "${werror[@]}"
cmake --build "$relbuild" --parallel "$(nproc)"

# Fuzz the picture decoders and the text parsers with clang's libFuzzer, a bounded time each
# (11 targets at 6 s: about a minute and a quarter).
fuzzbuild=${CINEVAN_FUZZ_BUILD_DIR:-build-fuzz}
cmake -S . -B "$fuzzbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCINEVAN_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${cache[@]}" "${werror[@]}"
cmake --build "$fuzzbuild" --parallel "$(nproc)"
bash fuzz/run-fuzzers.sh "$fuzzbuild" "${CINEVAN_FUZZ_SECONDS:-6}"

# Every test last, on both builds, so that CTest's summaries close the output; either run
# failing fails the script, and the second run goes ahead also when the first failed.
status=0
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?
ctest --test-dir "$relbuild" --output-on-failure --parallel "$(nproc)" --timeout 300 || status=$?
exit "$status"
