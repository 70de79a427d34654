#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests and the main job need and
# is not installed yet. Safe to run again. --main-job: only what building and
# running the program needs (no test or benchmark libraries).
set -euo pipefail

# What building the program and the module needs.
packages=(
  cmake g++ make pkg-config
  libfluidsynth-dev
  libgtk-3-dev fonts-liberation2 fonts-ipafont-gothic
)
# What the tests and benchmarks need besides.
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  fluidsynth
  timgm6mb-soundfont
  libgtk-3-dev libcairo2-dev libpango1.0-dev
  xvfb xauth xdotool x11-utils imagemagick
  fonts-ipafont-gothic fonts-liberation2
  time
  parallel
)
case "${1:-}" in
  # The main job: the full General MIDI SoundFont, no test or benchmark libraries.
  --main-job) packages+=(fluid-soundfont-gm) ;;
  --with-full-soundfont) packages+=("${test_packages[@]}" fluid-soundfont-gm) ;;
  *) packages+=("${test_packages[@]}") ;;
esac

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
