#!/bin/sh
# What levelling and stems need in memory, per minute of audio: the option
# command line converts one song through the FluidSynth module plainly, with
# --normalize, --loudness, --loudness=-9 (where the limiter acts), --stems
# and --loudness --stems, at two lengths (the song played once and four
# times over), and reports each run's peak resident memory (/usr/bin/time,
# the largest of the program and its worker processes) and its growth per
# minute of audio between the two lengths. With --stems, the wall time of
# one stem at a time (-j1) and of the stems side by side (-j2) as well.
#
#   bench/render/level_memory.sh <build-dir> [song.mid]
#
# Needs ombrix and the FluidSynth module built, python3, soxi and
# /usr/bin/time; the song defaults to examples/CityShuffle.MID.
set -eu

build=$(cd "${1:?usage: $0 <build-dir> [song.mid]}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
song=${2:-$here/examples/CityShuffle.MID}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

XDG_CONFIG_HOME="$work/config" sh "$here/scripts/register-module.sh" "$build/module/fluid" >/dev/null
export XDG_CONFIG_HOME="$work/config"

# repeat <in.mid> <times> <out.mid>: every track of the song played <times>
# times over (its end-of-track event kept only once).
repeat() {
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
times = int(sys.argv[2])
header_len = struct.unpack('>I', data[4:8])[0]
out = bytearray(data[:8 + header_len])
at = 8 + header_len
while at < len(data):
    kind, length = data[at:at + 4], struct.unpack('>I', data[at + 4:at + 8])[0]
    body = data[at + 8:at + 8 + length]
    at += 8 + length
    if kind != b'MTrk':
        continue
    end = body.rfind(b'\xff\x2f\x00')
    # the end-of-track event's delta time: the variable-length bytes before it
    start = end - 1
    while start > 0 and body[start - 1] & 0x80:
        start -= 1
    events = body[:start] if end > 0 else body
    track = events * times + b'\x00\xff\x2f\x00'
    out += b'MTrk' + struct.pack('>I', len(track)) + track
open(sys.argv[3], 'wb').write(out)
PY
}

repeat "$song" 1 "$work/once.mid"
repeat "$song" 4 "$work/four.mid"

peak() {  # peak <label> <song> <options...>: "<MiB> <seconds>" of one run
  label=$1; input=$2; shift 2
  rm -rf "$work/out" "$work/out.wav"
  /usr/bin/time -f '%M %e' -o "$work/time" "$build/bin/ombrix" -q "$@" -o "$work/out.wav" "$input" >/dev/null 2>&1
  awk '{ printf "%.1f %.1f", $1 / 1024, $2 }' "$work/time"
}

minutes() {
  "$build/bin/ombrix" -q -o "$work/m.wav" "$1" >/dev/null 2>&1
  soxi -D "$work/m.wav" | awk '{ print $1 / 60 }'
}
short=$(minutes "$work/once.mid")
long=$(minutes "$work/four.mid")
printf 'song: %s, %.2f and %.2f minutes\n' "$(basename "$song")" "$short" "$long"
printf '%-24s %10s %10s %12s %9s\n' "options" "MiB short" "MiB long" "MiB/minute" "s long"
for options in "" "--normalize" "--loudness" "--loudness=-9" "--stems -j1" "--stems -j2" "--loudness --stems -j1" \
               "--loudness --stems -j2"; do
  # shellcheck disable=SC2086
  a=$(peak "$options" "$work/once.mid" $options)
  # shellcheck disable=SC2086
  b=$(peak "$options" "$work/four.mid" $options)
  echo "$a $b" | awk -v label="${options:-plain}" -v s="$short" -v l="$long" \
    '{ printf "%-24s %10.1f %10.1f %12.2f %9.1f\n", label, $1, $3, ($3 - $1) / (l - s), $4 }'
done
