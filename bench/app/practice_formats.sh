#!/bin/sh
# What each practice-track extra costs, per minute of audio: the option
# command line converts one song through the FluidSynth module as a WAV
# file, then as FLAC, Ogg Vorbis, Opus and MP3, with --loudness and with
# --stems; the extra time over the WAV run is the extra's cost. Beside it,
# ffmpeg (and sox where it has the format) encoding the same WAV file, for
# what an encoder costs on its own. Each figure is the least CPU time (user
# and system, which other work on the machine skews less than wall time) of
# three runs; the worker processes' time is counted with the program's.
#
#   bench/app/practice_formats.sh <build-dir> [song.mid]
#
# Needs ombrix and qnstaff built, ffmpeg, sox and /usr/bin/time; the song defaults to
# examples/CityShuffle.MID.
set -eu

build=$(cd "${1:?usage: $0 <build-dir> [song.mid]}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
song=${2:-$here/examples/CityShuffle.MID}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

XDG_CONFIG_HOME="$work/config" sh "$here/scripts/register-module.sh" "$build/module/fluid" >/dev/null
export XDG_CONFIG_HOME="$work/config"

best() {  # best <command...>: the least CPU time (user + system) of three runs, in seconds
  fastest=""
  for _ in 1 2 3; do
    /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>&1
    fastest=$(awk -v f="$fastest" '{ t = $1 + $2; if (f == "" || t < f) print t; else print f }' "$work/time")
  done
  echo "$fastest"
}

"$build/bin/ombrix" -q -o "$work/song.wav" "$song"
minutes=$(soxi -D "$work/song.wav" | awk '{ print $1 / 60 }')
wav=$(best "$build/bin/ombrix" -q -o "$work/song.wav" "$song")
echo "song: $(basename "$song"), $(soxi -d "$work/song.wav") of audio; load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %9s %15s\n' "run" "seconds" "extra s/minute"
row() {  # row <label> <seconds>
  awk -v label="$1" -v t="$2" -v base="$wav" -v m="$minutes" \
    'BEGIN { printf "%-26s %9.3f %15.3f\n", label, t, (t - base) / m }'
}
row "ombrix wav" "$wav"
for format in flac ogg opus mp3; do
  row "ombrix $format" "$(best "$build/bin/ombrix" -q -o "$work/song.$format" "$song")"
done
row "ombrix wav --loudness" "$(best "$build/bin/ombrix" -q --loudness -o "$work/loud.wav" "$song")"
row "ombrix wav --stems" "$(best "$build/bin/ombrix" -q --stems -o "$work/stems.wav" "$song")"

echo "encoders alone on the WAV file (seconds per minute of audio):"
alone() {  # alone <label> <command...>
  label=$1
  shift
  awk -v label="$label" -v t="$(best "$@")" -v m="$minutes" 'BEGIN { printf "%-26s %9.3f %15.3f\n", label, t, t / m }'
}
alone "ffmpeg flac" ffmpeg -v error -y -i "$work/song.wav" "$work/f.flac"
alone "ffmpeg ogg (libvorbis)" ffmpeg -v error -y -i "$work/song.wav" -c:a libvorbis "$work/f.ogg"
alone "ffmpeg opus (libopus)" ffmpeg -v error -y -i "$work/song.wav" -c:a libopus "$work/f.opus"
alone "ffmpeg mp3 (libmp3lame)" ffmpeg -v error -y -i "$work/song.wav" -c:a libmp3lame "$work/f.mp3"
alone "ffmpeg ebur128 measure" ffmpeg -v error -i "$work/song.wav" -af ebur128=peak=true -f null -
alone "sox flac" sox "$work/song.wav" "$work/s.flac"
alone "sox ogg" sox "$work/song.wav" "$work/s.ogg"
