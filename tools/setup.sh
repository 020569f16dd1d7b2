#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need. Safe to run again.
set -euo pipefail
packages=(build-essential cmake pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libhwy-dev
  libpng-dev libjpeg-dev zlib1g-dev libstb-dev nlohmann-json3-dev
  libx11-dev libxrandr-dev libxinerama-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation
  xvfb xauth xscreensaver desktop-file-utils man-db groff-base
  libmpg123-dev libpulse-dev pulseaudio libmp3lame-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
