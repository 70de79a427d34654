#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests and the main job need and
# is not installed yet. Safe to run again.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libfluidsynth-dev fluidsynth
  timgm6mb-soundfont
  libgtk-3-dev libcairo2-dev libpango1.0-dev
  xvfb xauth xdotool imagemagick
  fonts-ipafont-gothic fonts-liberation2
)
if [ "${1:-}" = "--with-full-soundfont" ]; then
  packages+=(fluid-soundfont-gm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
