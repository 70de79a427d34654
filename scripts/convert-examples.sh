#!/usr/bin/env bash
# Main job: converts the example songs in examples/ into WAV files in
# examples/Conv/, with the pre-count on, and shows the conversion log.
# Installs what is missing, builds the program and the synthesizer module,
# installs and registers the module. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --with-full-soundfont

build=${OMBRIX_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DOMBRIX_BUILD_TESTS=OFF -DOMBRIX_BUILD_BENCH=OFF
cmake --build "$build" --target ombrix qnstaff -j"$(nproc)"

# Root installs and registers the module system-wide, anyone else per user.
if [ "$(id -u)" = 0 ]; then
  cmake --install "$build" --component module
else
  cmake --install "$build" --component module --prefix "$HOME/.local"
fi

"$build/bin/ombrix" "-f$PWD/examples,-p1"
echo "WAV files and CreateLog.log are in $PWD/examples/Conv/"
