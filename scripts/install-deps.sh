#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests and the main job need and
# is not installed yet. Safe to run again. --main-job: only what building the
# program and running its batch needs (no test or benchmark libraries, no
# window fonts).
#
# As root it installs what is missing. As another user it goes on when
# nothing is missing, uses `sudo -n` when sudo needs no password, and
# otherwise names the missing packages and the one command that installs
# them (through sudo where sudo exists, else to be run as root), and exits
# with status 1.
set -euo pipefail

# What building the program and the module needs; the GTK headers give the
# program its window, SDL2's its audio output for playing songs.
packages=(
  cmake g++ make pkg-config
  libfluidsynth-dev
  libsndfile1-dev libebur128-dev libsamplerate0-dev
  libgtk-3-dev
  libsdl2-dev
  gettext
)
# What the window draws its texts with (the Debian package depends on them too).
window_fonts=(
  fonts-liberation2 fonts-ipafont-gothic
)
# What the tests and benchmarks need besides.
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  fluidsynth
  timgm6mb-soundfont
  sox flac opus-tools mpg123 ffmpeg
  libgtk-3-dev libcairo2-dev libpango1.0-dev
  xvfb xauth xdotool x11-utils imagemagick
  openbox
  dbus-daemon at-spi2-core python3-pyatspi
  "${window_fonts[@]}"
  time
  locales
  parallel
  procps
  ccache
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
    case " ${missing[*]} " in *" $p "*) ;; *) missing+=("$p") ;; esac
  fi
done
[ "${#missing[@]}" -eq 0 ] && exit 0

# Runs apt-get as root: directly, or through sudo without a password.
apt_get() {
  if [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get "$@"
  else
    sudo -n env DEBIAN_FRONTEND=noninteractive apt-get "$@"
  fi
}

if [ "$(id -u)" != 0 ] && ! { command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; }; then
  if command -v sudo >/dev/null 2>&1; then how="sudo "; else how="as root: "; fi
  {
    echo "Missing packages: ${missing[*]}"
    echo "Installing them needs root. Run this once, then run this script again:"
    echo "  ${how}apt-get install ${missing[*]}"
  } >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
