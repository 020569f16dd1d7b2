#!/usr/bin/env bash
# Builds the scene loader's fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it for a bounded time on the seed corpus made at build time. Fails on any crash, leak or hang.
# Inputs are cut to 64 KiB: the slide records come first in a document, so the cut sample scene still
# exercises all of them while runs stay quick.
# Usage: tools/fuzz.sh [seconds]   (default 60; the build folder is build-fuzz, or $COPPERLEAF_FUZZ_BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build="${COPPERLEAF_FUZZ_BUILD:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOPPERLEAF_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target scene_loader_fuzz
# New inputs go to a scratch folder, so the seeds stay as the build made them.
work="$build/fuzz/found"
mkdir -p "$work"
"$build/fuzz/scene_loader_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz/" "$work" "$build/fuzz/corpus"
