#!/usr/bin/env bash
# Builds the scene's fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it for a bounded time on the seed corpus made at build time, with the resource library
# beside it: each input is loaded, made into render objects (its sound effects too) and played for a
# few frames with a device reset. Fails on any crash, leak, hang, unbounded allocation or failed
# reset. The largest seed is the whole sample scene with small pictures (about a tenth of a MiB), so
# inputs up to 1 MiB leave room for documents larger than any seed; a seed beyond that fails the run
# rather than being cut short unseen.
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
max_len=1048576
largest=$(find "$build/fuzz/corpus" -type f -printf '%s\n' | sort -n | tail -n 1)
if [ "${largest:-0}" -gt "$max_len" ]; then
  echo "fuzz.sh: a seed of $largest bytes exceeds the maximum length of $max_len" >&2
  exit 1
fi
"$build/fuzz/scene_loader_fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz/" "$work" "$build/fuzz/corpus"
