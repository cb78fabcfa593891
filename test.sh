#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests (in a build
# that treats every warning as an error, where the "package" test also makes the Debian
# package from that build and checks it), the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of every fuzz
# target. Exits non-zero on any failure.
#   FUZZ_SECONDS=N ./test.sh   fuzzes each target for N seconds (default 20; 0 skips)
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure_packages.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Build with warnings as errors, and unit tests (werror) =="
cmake --preset werror >/dev/null
cmake --build --preset werror -j "$jobs"
ctest --preset werror -j "$jobs"

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer (asan) =="
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
# LeakSanitizer needs to trace the process at exit, which some sandboxes forbid; there
# leak checking is switched off, and said so, rather than failing every test.
probe=(build/asan/tests/ardenca_tests --gtest_filter=-*)
if ! ASAN_OPTIONS=detect_leaks=1 "${probe[@]}" >/dev/null 2>&1 &&
    ASAN_OPTIONS=detect_leaks=0 "${probe[@]}" >/dev/null 2>&1; then
    echo "LeakSanitizer cannot run here: leak checking is OFF for the asan tests." >&2
    export ASAN_OPTIONS=detect_leaks=0
fi
ctest --preset asan -j "$jobs"

fuzz_seconds=${FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ]; then
    echo "== Fuzz targets, ${fuzz_seconds} s each (fuzz) =="
    fuzz/run.sh -t "$fuzz_seconds"
fi
