#!/usr/bin/env bash
# Sets up, builds and runs the screensaver in its test window. With a display the window opens there;
# without one the run is headless for 260 seconds (the sample scene's whole loop of eighteen slides,
# 14 seconds each) and writes every 20th frame as a PNG file to ./frames.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target copperleaf
if [ -n "${DISPLAY:-}" ]; then
  exec build/host/copperleaf /t
fi
mkdir -p frames
echo "no display: writing every 20th frame to $(pwd)/frames for the whole loop (260 seconds)"
COPPERLEAF_FRAMES="$(pwd)/frames" COPPERLEAF_FRAME_EVERY=20 timeout 260 build/host/copperleaf /t || [ $? -eq 124 ]
