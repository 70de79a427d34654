#!/usr/bin/env bash
# Practice tracks from the option command line, checked with tools that are
# not the code the program links: every format decodes to the song's
# samples (FLAC exactly, the lossy ones within their codecs' error on the
# loudness envelope) and carries the song's title; --loudness brings songs
# to -16 +- 0.5 LUFS with no true peak above -1 dBTP by ffmpeg's ebur128
# filter; the stems add up to the mix. Skipped (status 77) when a tool is
# missing; the loudness part needs the FluidSynth module and a SoundFont.
# Usage: practice_tracks_test.sh <ombrix> <test module folder> <fluid module folder> <examples folder>
set -euo pipefail
ombrix=$1 test_module=$2 fluid_module=$3 examples=$4
here=$(cd "$(dirname "$0")" && pwd)

for tool in flac opusdec mpg123 ffmpeg ffprobe sox python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-practice-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

register() {  # register <module folder> <config folder>
  XDG_CONFIG_HOME=$2 sh "$here/../../../scripts/register-module.sh" "$1" >/dev/null
}
register "$test_module" "$work/test-config"
song=$examples/MorningWaltz.mid
run() { XDG_CONFIG_HOME=$work/test-config "$ombrix" -q "$@"; }

# Formats through the deterministic test module.
for format in wav flac ogg opus mp3; do run -o "$work/song.$format" "$song"; done
[ -z "$(find "$work" -name '.*.part-*')" ] || fail "a temporary file was left behind"
sox "$work/song.wav" -t raw "$work/wav.raw"
flac -d -s -f --force-raw-format --endian=little --sign=signed -o "$work/flac.raw" "$work/song.flac"
cmp -s "$work/wav.raw" "$work/flac.raw" || fail "the FLAC file does not decode to the WAV's samples"
echo "flac: decodes exactly"

opusdec --quiet --rate 44100 "$work/song.opus" "$work/opus.wav"
mpg123 -q -w "$work/mp3.wav" "$work/song.mp3"
ffmpeg -v error -y -i "$work/song.ogg" -c:a pcm_s16le "$work/ogg.wav"
for format in ogg opus mp3; do
  distance=$(python3 "$here/envelope_distance.py" "$work/song.wav" "$work/$format.wav")
  echo "$format: loudness envelope within $distance dB of the WAV"
  python3 -c "import sys; sys.exit(0 if float('$distance') <= 1.0 else 1)" || fail "$format's envelope is $distance dB off"
  title=$(ffprobe -v error -show_entries format_tags=title:stream_tags=title -of default=nw=1:nk=1 "$work/song.$format" | head -n1)
  [ "$title" = "MorningWaltz" ] || fail "$format carries the title '$title', not MorningWaltz"
done
# --quality reaches each lossy encoder: the smallest setting gives a much
# smaller file than the best.
for format in ogg opus mp3; do
  run --quality 0 -o "$work/q0.$format" "$song"
  run --quality 10 -o "$work/q10.$format" "$song"
  small=$(stat -c %s "$work/q0.$format") large=$(stat -c %s "$work/q10.$format")
  echo "$format: quality 0 gives $small bytes, quality 10 $large"
  [ $((small * 2)) -lt "$large" ] || fail "$format: --quality 0 ($small bytes) and 10 ($large bytes) hardly differ"
done
title=$(ffprobe -v error -show_entries format_tags=title -of default=nw=1:nk=1 "$work/song.flac")
[ "$title" = "MorningWaltz" ] || fail "flac carries the title '$title'"

# Loudness through the FluidSynth module.
if [ ! -f "$fluid_module/QNStaff.so" ]; then
  echo "SKIP: the FluidSynth module is not built"; exit 77
fi
register "$fluid_module" "$work/fluid-config"

# Stems add up to the mix (the test module's sound does not add up): within
# the 16-bit steps of the stems without the count-in, and within -60 dBFS
# with the clicks on the drum channel.
for song in CityShuffle.MID HarborJig.mid; do
  XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --stems --no-precount -o "$work/mix.wav" "$examples/$song"
  python3 "$here/stem_sum.py" -70 "$work/mix.wav" "$work"/mix/*.wav || fail "$song: the stems do not add up to the mix"
  rm -r "$work/mix" "$work/mix.wav"
done
XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --stems -o "$work/mix.wav" "$examples/CityShuffle.MID"
python3 "$here/stem_sum.py" -60 "$work/mix.wav" "$work"/mix/*.wav || fail "the stems with the count-in do not add up to the mix"

# Measures $1 with ffmpeg's ebur128 filter into $integrated and $peak;
# check_loudness also fails unless it is within $2 +- 0.5 LUFS with its true
# peak at most -1 dBTP.
measure() {
  local summary
  summary=$(ffmpeg -hide_banner -nostats -i "$1" -af ebur128=peak=true -f null - 2>&1)
  integrated=$(sed -n 's/^ *I: *\(-\?[0-9.]*\) LUFS/\1/p' <<<"$summary" | tail -n1)
  peak=$(sed -n 's/^ *Peak: *\(-\?[0-9.]*\) dBFS/\1/p' <<<"$summary" | tail -n1)
}
check_loudness() {
  measure "$1"
  python3 -c "import sys; sys.exit(0 if float('$peak') <= -1.0 else 1)" || fail "$1: true peak $peak above -1 dBTP"
  python3 -c "import sys; sys.exit(0 if abs(float('$integrated') - $2) <= 0.5 else 1)" ||
    fail "$1: $integrated LUFS is not $2 +- 0.5"
}

# A level on the drums moves the drum stem by that much with the count-in
# on (its clicks on the drum channel), and leaves the other stems alone.
for level in 0 -6; do
  XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --stems --level "drums=$level" -o "$work/level$level.wav" \
    "$examples/HarborJig.mid"
done
for stem in "$work"/level0/*.wav; do
  name=$(basename "$stem")
  [ "$name" = click.wav ] && continue
  measure "$stem"; before=$integrated
  measure "$work/level-6/$name"; after=$integrated
  case "$name" in 10-*) expected=-6 ;; *) expected=0 ;; esac
  python3 -c "import sys; sys.exit(0 if abs(($after) - ($before) - ($expected)) <= 0.3 else 1)" ||
    fail "--level drums=-6 moved the stem $name from $before to $after LUFS"
  echo "--level drums=-6: $name $before -> $after LUFS"
done

# Songs whose peaks stand far above their loudness (the click's attacks,
# a target near the ceiling): the limiter holds the peaks and the target
# is still met, in every format.
for file in "$examples/CityShuffle.MID" "$examples/HarborJig.mid"; do
  for format in wav flac ogg opus mp3; do
    XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --click --loudness=-11 -o "$work/limited.$format" "$file"
    check_loudness "$work/limited.$format" -11
    echo "$(basename "$file") --click --loudness=-11 $format: $integrated LUFS, true peak $peak dBTP"
  done
done

# A set keeps its songs' relative levels: each song at its own level, then
# the set, whose loudest song reaches the target and the others keep their
# distance to it (within 0.5 LU; limiting may take a little off a song).
XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q -o "$work/own/" "$examples/CityShuffle.MID" "$examples/MorningWaltz.mid"
XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --loudness-set -o "$work/set/" "$examples/CityShuffle.MID" "$examples/MorningWaltz.mid"
own=() set=()
for name in CityShuffle MorningWaltz; do
  measure "$work/own/$name.wav"
  own+=("$integrated")
  measure "$work/set/$name.wav"
  python3 -c "import sys; sys.exit(0 if float('$peak') <= -1.0 else 1)" || fail "$name in the set: true peak $peak above -1 dBTP"
  set+=("$integrated")
  echo "$name: $integrated LUFS in the set, true peak $peak dBTP (${own[-1]} LUFS on its own)"
done
python3 - "${own[@]}" "${set[@]}" <<'PY' || fail "the set did not keep the songs' relative levels at -16 LUFS"
import sys
own, done = [float(v) for v in sys.argv[1:3]], [float(v) for v in sys.argv[3:5]]
loudest = max(range(2), key=lambda i: own[i])
assert abs(done[loudest] - -16) <= 0.5, done
assert abs((done[0] - done[1]) - (own[0] - own[1])) <= 0.5, (own, done)
PY

count=0
for file in "$examples"/*.mid "$examples"/*.MID; do
  for variant in "" "--minus melody" "--minus drums,bass" "--tempo 70 --transpose 5"; do
    # shellcheck disable=SC2086
    XDG_CONFIG_HOME=$work/fluid-config "$ombrix" -q --loudness $variant -o "$work/loud.wav" "$file" 2>/dev/null
    summary=$(ffmpeg -hide_banner -nostats -i "$work/loud.wav" -af ebur128=peak=true -f null - 2>&1)
    integrated=$(sed -n 's/^ *I: *\(-\?[0-9.]*\) LUFS/\1/p' <<<"$summary" | tail -n1)
    peak=$(sed -n 's/^ *Peak: *\(-\?[0-9.]*\) dBFS/\1/p' <<<"$summary" | tail -n1)
    echo "$(basename "$file") ${variant:-as is}: $integrated LUFS, true peak $peak dBTP"
    python3 -c "import sys; sys.exit(0 if float('$peak') <= -1.0 else 1)" || fail "true peak $peak above -1 dBTP"
    # The ceiling may hold a song below the target, never above it.
    python3 -c "import sys; sys.exit(0 if -16.5 <= float('$integrated') <= -15.5 else 1)" ||
      fail "$integrated LUFS is not -16 +- 0.5"
    count=$((count + 1))
  done
done
echo "loudness: $count renders within -16 +- 0.5 LUFS"
