#!/usr/bin/env bash
# Main job: converts the example songs in examples/ into WAV files in
# examples/Conv/, with the pre-count on, and shows the conversion log; then
# writes a practice version of each without its melody into
# examples/Conv/minus-melody/.
# Installs what is missing, builds the program and the synthesizer module,
# installs both and registers the module. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --main-job

build=${OMBRIX_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DOMBRIX_BUILD_TESTS=OFF -DOMBRIX_BUILD_BENCH=OFF
cmake --build "$build" --target ombrix qnstaff -j"$(nproc)"

# Root installs below /usr/local and registers the module system-wide,
# anyone else below ~/.local and for themselves.
prefix=/usr/local
[ "$(id -u)" = 0 ] || prefix=$HOME/.local
cmake --install "$build" --prefix "$prefix"
case ":$PATH:" in
  *":$prefix/bin:"*) ;;
  # Debian's ~/.profile adds ~/.local/bin at the next login only, and only
  # when the folder exists by then: the shell that ran this has not got it.
  *) echo "Note: $prefix/bin is not on this shell's PATH. To run ombrix by name at once:"
     echo "  export PATH=\"$prefix/bin:\$PATH\""
     PATH=$prefix/bin:$PATH ;;
esac

ombrix "-f$PWD/examples,-p1"
echo "WAV files and CreateLog.log are in $PWD/examples/Conv/"

ombrix --minus melody --output "$PWD/examples/Conv/minus-melody" "$PWD/examples"
echo "Versions without the melody are in $PWD/examples/Conv/minus-melody/"
