#!/usr/bin/env bash
# Sets up, builds and runs every test, in the plain build and under AddressSanitizer and
# UndefinedBehaviorSanitizer, then fuzzes the scene (loading, building and playing documents) for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCOPPERLEAF_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")
bash tools/fuzz.sh 60
