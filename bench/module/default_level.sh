#!/usr/bin/env bash
# The level songs come out at with the module's default gain: converts every
# MIDI file of the folders given (no --loudness, no --normalize) with the
# FluidSynth module and each SoundFont asked for, and prints per song its
# integrated loudness and true peak (ffmpeg's ebur128 filter) and its
# clipped samples (samples at full scale, which the 16-bit conversion
# cuts), then the median loudness, the range, the highest sample and true
# peaks, the total of clipped samples and the songs the limiter held at
# -1 dBTP (conversions into WAV); and the processor time per
# minute of audio of each SoundFont.
# Usage: default_level.sh <ombrix> <fluid module folder> <soundfont name or path>... -- <folder>...
set -euo pipefail
ombrix=$1 module=$2
shift 2
fonts=()
while [ "$1" != "--" ]; do fonts+=("$1"); shift; done
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-level-XXXXXX")
trap 'rm -rf "$work"' EXIT
XDG_CONFIG_HOME=$work/config sh "$here/../../scripts/register-module.sh" "$module" >/dev/null

songs=()
for folder in "$@"; do
  while IFS= read -r -d '' song; do songs+=("$song"); done < <(find "$folder" -maxdepth 1 -type f \( -iname '*.mid' -o -iname '*.midi' \) -print0 | sort -z)
done
echo "${#songs[@]} songs"

for font in "${fonts[@]}"; do
  out=$work/$(basename "$font")
  mkdir -p "$out"
  start=$(date +%s.%N)
  cpu_before=$(awk '{print $14 + $15 + $16 + $17}' /proc/$$/stat)
  XDG_CONFIG_HOME=$work/config /usr/bin/time -f "%U %S" -o "$work/time" "$ombrix" -q -j1 --no-precount --soundfont "$font" -o "$out/" "${songs[@]}" || true
  read -r user system < "$work/time"
  python3 - "$out" "$font" "$user" "$system" <<'PY'
import glob, os, statistics, subprocess, sys, wave, array
out, font, user, system = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
import math
levels, peaks, true_peaks, clipped_total, seconds = [], [], [], 0, 0.0
for path in sorted(glob.glob(os.path.join(out, "*.wav"))):
    with wave.open(path) as w:
        frames = w.readframes(w.getnframes())
        seconds += w.getnframes() / w.getframerate()
    samples = array.array("h", frames)
    clipped = sum(1 for s in samples if s == 32767 or s == -32768)
    peak = max((abs(s) for s in samples), default=0)
    peaks.append(peak)
    summary = subprocess.run(["ffmpeg", "-hide_banner", "-nostats", "-i", path, "-af", "ebur128=peak=true", "-f", "null", "-"],
                             capture_output=True, text=True).stderr
    summary = summary[summary.rfind("Summary:"):]
    lufs = [float(l.split()[1]) for l in summary.splitlines() if l.strip().startswith("I:")][0]
    true_peak = [float(l.split()[1]) for l in summary.splitlines() if l.strip().startswith("Peak:")][0]
    levels.append(lufs)
    true_peaks.append(true_peak)
    clipped_total += clipped
    print(f"  {os.path.basename(path)}: {lufs:.1f} LUFS, peak {20 * math.log10(max(peak, 1) / 32767):.1f} dBFS, true peak {true_peak:.1f} dBTP, {clipped} clipped")
print(f"{font}: {len(levels)} songs, median {statistics.median(levels):.1f} LUFS "
      f"(from {min(levels):.1f} to {max(levels):.1f}), highest peak {20 * math.log10(max(max(peaks), 1) / 32767):.1f} dBFS, "
      f"highest true peak {max(true_peaks):.1f} dBTP, "
      f"{clipped_total} clipped samples, "
      f"{sum(1 for p in true_peaks if p >= -1.15)} songs limited (true peak within 0.15 dB of -1 dBTP), "
      f"{(user + system) / (seconds / 60):.2f} s of processor time per minute of audio")
PY
done
