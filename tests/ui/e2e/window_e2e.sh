#!/usr/bin/env bash
# The window driven like a user drives it, under a virtual X server: LOAD a
# song through the open dialog, mute a channel, remove the bass, turn a
# channel down, set 80 %, CONVERT through the save dialog, close with Escape.
# Then the test module's call log, the WAV (byte for byte the option command
# line's with the same choices), the caption, the pixels of the
# skin and the settings file are checked; a second run opens a file that is
# not MIDI and must show a message box.
# Usage: window_e2e.sh <ombrix> <test module folder> <resources folder>
# Exits 77 (skipped) when no X server can be started.
set -uo pipefail

program=$1 module_dir=$2 resources=$3
skip=77

if [ -z "${OMBRIX_E2E_INNER:-}" ]; then
    for tool in xvfb-run xdotool xwininfo /usr/bin/convert-im6.q16 /usr/bin/compare-im6.q16; do
        command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit $skip; }
    done
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    OMBRIX_E2E_INNER=1 OMBRIX_E2E_WORK=$work GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$@"
    status=$?
    if [ ! -e "$work/started" ]; then
        echo "SKIPPED: no X server could be started (xvfb-run status $status)"
        exit $skip
    fi
    exit $status
fi

work=$OMBRIX_E2E_WORK
touch "$work/started"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
convert_im=/usr/bin/convert-im6.q16
compare_im=/usr/bin/compare-im6.q16

export XDG_CONFIG_HOME=$work/config HOME=$work/home QNSTEST_CALL_LOG=$work/calls.log
key="$XDG_CONFIG_HOME/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key" "$HOME" "$work/songs" "$XDG_CONFIG_HOME/Quorel/OMBRIX"
printf '%s' "$module_dir/player" >"$key/@"
# The open dialog starts in the remembered folder; the song lies one below.
printf '[DirPath]\nSongFile=%s\n' "$work" >"$XDG_CONFIG_HOME/Quorel/OMBRIX/Ombrix.ini"

# One quarter at 120 BPM: a note on channels 1, 2 and 3, channel 3 at volume 100.
track='\x00\xff\x51\x03\x07\xa1\x20\x00\xb2\x07\x64\x00\x90\x3c\x64\x00\x91\x24\x64\x00\x92\x40\x64'
track+='\x83\x60\x80\x3c\x00\x00\x81\x24\x00\x00\x82\x40\x00\x00\xff\x2f\x00'
length=$(printf "$track" | wc -c)
printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\\x$(printf %02x "$length")$track" >"$work/songs/song.mid"
printf 'not a song' >"$work/songs/notes.mid"

# Waits up to $2 tenths of a second (default 100) for a visible window whose
# name matches $1; prints its id.
wait_window() {
    for _ in $(seq "${2:-100}"); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}
# Waits up to 10 s until window $1 has the name $2.
wait_name() {
    for _ in $(seq 100); do
        [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
    done
    return 1
}
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.15; }
# Number of pixels that differ between the screenshot's rectangle WxH+X+Y
# and the bitmap's rectangle W x H + SX + SY.
differing() {  # shot geometry bitmap sx sy
    local size=${2%%+*}
    "$convert_im" "$1" -crop "$2" +repage "$work/a.png"
    "$convert_im" "$3" -crop "$size+$4+$5" +repage "$work/b.png"
    "$compare_im" -metric AE "$work/a.png" "$work/b.png" null: 2>&1
}
# Checks of the skin, each "what|geometry|bitmap|sx|sy": screenshots are
# taken until every check holds (the window may still be repainting), for up
# to 5 s; then the checks that still fail are reported.
expect_skin() {
    local attempt check what geometry bitmap sx sy diff failed
    for attempt in $(seq 15); do
        import -window "$window" "$work/shot.png"
        failed=()
        for check in "$@"; do
            IFS='|' read -r what geometry bitmap sx sy <<<"$check"
            diff=$(differing "$work/shot.png" "$geometry" "$resources/$bitmap" "$sx" "$sy")
            [ "$diff" = "0" ] || failed+=("$what: $diff pixels differ from the skin")
        done
        [ "${#failed[@]}" -eq 0 ] && return 0
        sleep 0.3
    done
    for check in "${failed[@]}"; do fail "$check"; done
}

"$program" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
# The first start may build the font cache: up to 30 s.
window=$(wait_window "^Ombrix Converter$" 300) || {
    fail "no main window (program $(kill -0 $pid 2>/dev/null && echo running || echo ended);" \
         "windows named so: $(xdotool search --name 'Ombrix' 2>/dev/null | tr '\n' ' '))"
    kill $pid 2>/dev/null
    wait $pid
    echo "exit status $?"
    cat "$work/err.txt"
    exit 1
}
geometry=$(xwininfo -id "$window")
grep -q 'Width: 408' <<<"$geometry" && grep -q 'Height: 544' <<<"$geometry" || fail "client area is not 408 x 544"
expect_skin "tempo shows - without a song|30x34+249+59|bitmap_153_digits.bmp|330|0"

click 64 63                                            # LOAD
dialog=$(wait_window 'MIDIファイルを開く') || fail "no open dialog"
xdotool windowfocus --sync "$dialog"; xdotool key ctrl+l; sleep 0.2
xdotool type --delay 5 "songs/song.mid"; xdotool key Return
wait_name "$window" "Ombrix Converter [song.mid]" || fail "caption after LOAD: $(xdotool getwindowname "$window")"

click 380 217                                          # MUTE channel 1
click 256 169                                          # BASS removed (mutes channel 2)
click 357 257                                          # VOLUME DOWN channel 3
click 255 108                                          # PRE COUNT off
xdotool mousemove --window "$window" 380 90 click --repeat 20 --delay 40 1   # tempo down to 80
expect_skin "tempo hundreds blank|30x34+249+59|bitmap_153_digits.bmp|300|0" \
    "tempo tens 8|30x34+280+59|bitmap_153_digits.bmp|240|0" \
    "tempo units 0|30x34+311+59|bitmap_153_digits.bmp|0|0" \
    "MUTE 1 on|16x16+372+209|bitmap_145_mute_on.bmp|0|0" \
    "MUTE 2 on through BASS|16x16+372+229|bitmap_145_mute_on.bmp|0|0" \
    "BASS removed|80x48+216+145|bitmap_132_bass_on.bmp|0|0" \
    "row 3 lit|90x16+236+249|bitmap_143_row_used.bmp|210|0" \
    "row 4 unlit|90x16+236+269|bitmap_142_row_unused.bmp|210|0"

click 166 63                                           # CONVERT
dialog=$(wait_window 'オーディオファイルの保存') || fail "no save dialog"
xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; sleep 0.1
xdotool type --delay 5 "practice"; xdotool key Return
for _ in $(seq 100); do
    [ -s "$work/calls.log" ] && [ -z "$(xdotool search --onlyvisible --name 'ウェーブファイルに変換中' 2>/dev/null)" ] && break
    sleep 0.1
done
xdotool windowfocus --sync "$window"; xdotool key Escape
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then fail "Escape did not close the window"; kill $pid; fi
wait $pid || fail "exit status $?"

wav=$work/songs/practice.wav
[ "$(head -c 4 "$wav" 2>/dev/null)" = "RIFF" ] && [ "$(stat -c %s "$wav")" -gt 44 ] || fail "no WAV file at $wav"
# The option command line with the same choices writes the same bytes.
QNSTEST_CALL_LOG= "$program" --mute 1 --minus bass --volume-down 3 --no-precount --tempo 80 -q \
    -o "$work/cli.wav" "$work/songs/song.mid" || fail "option command line status $?"
cmp -s "$wav" "$work/cli.wav" || fail "the window's WAV differs from the option command line's"
grep -qx "SongFile=$work/songs" "$XDG_CONFIG_HOME/Quorel/OMBRIX/Ombrix.ini" || fail "settings file lacks the folder"
# Call log lines: block, function (4: short message), message as hex d2 d1 status.
notes() { awk -v status="$1" '$2 == 4 && substr($3, 5, 2) == status && substr($3, 1, 2) != "00"' "$work/calls.log"; }
[ -z "$(notes 90)" ] || fail "muted channel 1 sounded"
[ -z "$(notes 91)" ] || fail "removed bass on channel 2 sounded"
[ -n "$(notes 92)" ] || fail "channel 3 did not sound"
grep -q ' 4 3207b2$' "$work/calls.log" || fail "channel 3 volume is not halved to 50"
# At 80 % the quarter note lasts 625 ms instead of 500: 55 blocks of 11.3 ms, not 44.
off_block=$(awk '$2 == 4 && ($3 ~ /^00..92$/ || $3 ~ /82$/) {print $1; exit}' "$work/calls.log")
[ -n "$off_block" ] && [ "$off_block" -ge 53 ] && [ "$off_block" -le 57 ] || fail "note-off in block ${off_block:-none}, not near 55"

# A file that is not MIDI, given on the command line: a message box over the window.
"$program" "$work/songs/notes.mid" >/dev/null 2>&1 &
pid=$!
box=""
for _ in $(seq 100); do
    ids=$(xdotool search --onlyvisible --name '^Ombrix Converter$' 2>/dev/null)
    [ "$(wc -l <<<"$ids")" -ge 2 ] && { box=$(tail -1 <<<"$ids"); break; }
    sleep 0.1
done
if [ -n "$box" ]; then
    geometry=$(xwininfo -id "$box")
    grep -q 'Width: 408' <<<"$geometry" && fail "the second window is not a message box"
    xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3
    window=$(xdotool search --onlyvisible --name '^Ombrix Converter$' | head -1)
    xdotool windowfocus --sync "$window"; xdotool key Escape
else
    fail "no message box for a file that is not MIDI"
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null && fail "the window did not close"
wait $pid 2>/dev/null

# Without a registered module: the message box alone, then exit status 1
# (not where the module is registered for the whole system).
if [ -e "/etc/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32/@" ]; then
    echo "a module is registered in /etc/registry: the start without a module is not tried"
else
XDG_CONFIG_HOME=$work/empty-config "$program" >/dev/null 2>"$work/err2.txt" &
pid=$!
box=$(wait_window '^Ombrix Converter$') || fail "no message box without a module"
if [ -n "$box" ]; then
    grep -q 'Width: 408' <<<"$(xwininfo -id "$box")" && fail "the main window opened without a module"
    xdotool windowfocus --sync "$box"; xdotool key Return
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null && fail "the program went on without a module"
wait $pid; status=$?
[ "$status" -eq 1 ] || fail "exit status $status without a module"
grep -q 'register' "$work/err2.txt" || fail "no English hint on standard error without a module"
fi

[ "$failures" -eq 0 ] && echo "PASSED" || { grep -v -e Gtk-CRITICAL -e '^$' "$work/err.txt"; exit 1; }
