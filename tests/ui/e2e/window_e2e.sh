#!/usr/bin/env bash
# The window driven like a user drives it, under a virtual X server: LOAD a
# song through the open dialog, mute a channel, remove the bass, turn a
# channel down, set 80 %, CONVERT through the save dialog (the status line
# then names the file, and a click on it opens its folder), close with Ctrl+Q
# after Enter and Escape left the window open.
# Then the test module's call log, the WAV (byte for byte the option command
# line's with the same choices), the caption, the pixels of the
# skin and the settings file are checked; a second run opens a file that is
# not MIDI and must show a message box. Later runs try a crash, a stall,
# About and the tempo keys, a "+" whose Shift is let go first, a failed LOAD
# that keeps the song, a 260-byte path, the key and click written as a FLAC
# file, the Practice dialog's count-in, click level, loop and level typed
# with the keyboard, a SoundFont of the settings file that is gone, and the
# open dialog's size under a window manager.
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
# The window speaks the locale's language: Japanese titles under a Japanese
# locale, English ones under any other (or none).
case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
    ja_JP*) open_title='MIDIファイルを開く' save_title='オーディオファイルの保存'
            progress_title='WAVに変換中' about_title='バージョン情報' practice_title='練習の設定' ;;
    *) open_title='Open a MIDI file' save_title='Save the audio file'
       progress_title='Converting to WAV' about_title='About Ombrix Converter' practice_title='Practice' ;;
esac
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
convert_im=/usr/bin/convert-im6.q16
compare_im=/usr/bin/compare-im6.q16

export XDG_CONFIG_HOME=$work/config HOME=$work/home QNSTEST_CALL_LOG=$work/calls.log
key="$XDG_CONFIG_HOME/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key" "$HOME" "$work/songs" "$XDG_CONFIG_HOME/Quorel/OMBRIX"
printf '%s' "$module_dir/player" >"$key/@"
# The desktop's opener stands in: it notes the folder it was asked to show.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/opened.txt"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
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
expect_skin "tempo shows - without a song|30x34+249+59|bitmap_153_digits.bmp|330|0" \
    "MELODY dark without a song|80x48+27+145|bitmap_159_melody_disabled.bmp|0|0" \
    "DRUMS dark without a song|80x48+311+145|bitmap_156_drums_disabled.bmp|0|0"

click 64 63                                            # LOAD
dialog=$(wait_window "$open_title") || fail "no open dialog"
xdotool windowfocus --sync "$dialog"; xdotool key ctrl+l; sleep 0.2
xdotool type --delay 5 "songs/song.mid"; xdotool key Return
wait_name "$window" "Ombrix Converter [song.mid]" || fail "caption after LOAD: $(xdotool getwindowname "$window")"

# The name in row 1 (bar at y 209, 16 high) sits in the middle: as many
# rows of the bar above its ink as below (one apart at most).
import -window "$window" "$work/shot.png"
ink=$("$convert_im" "$work/shot.png" -crop 90x14+30+210 +repage -colorspace gray -threshold 75% -negate txt:- |
      awk -F'[,:]' 'NR > 1 && /#FFFFFF|white/ {print $2}' | sort -n | uniq)
if [ -z "$ink" ]; then
    fail "no name in row 1"
else
    above=$(head -1 <<<"$ink") below=$((13 - $(tail -1 <<<"$ink")))
    [ $((above - below)) -le 1 ] && [ $((below - above)) -le 1 ] ||
        fail "the name in row 1 is not centred: $above rows above it, $below below"
fi

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
dialog=$(wait_window "$save_title") || fail "no save dialog"
xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; sleep 0.1
xdotool type --delay 5 "practice"; xdotool key Return
for _ in $(seq 100); do
    [ -s "$work/calls.log" ] && [ -z "$(xdotool search --onlyvisible --name "$progress_title" 2>/dev/null)" ] && break
    sleep 0.1
done
wav=$work/songs/practice.wav
case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
    ja_JP*) saved="Ombrix Converter [song.mid] — $wav に保存しました" ;;
    *) saved="Ombrix Converter [song.mid] saved to $wav" ;;
esac
wait_name "$window" "$saved" || fail "caption after CONVERT: $(xdotool getwindowname "$window")"
# The status line under the rows says where the file went; a click on it opens the folder.
# (The first text in a new script may wait for its font: up to 5 s.)
for _ in $(seq 25); do
    import -window "$window" "$work/status.png"
    drawn=$(differing "$work/status.png" 330x14+12+529 "$resources/bitmap_129_background.bmp" 12 529)
    [ "${drawn:-0}" -gt 40 ] 2>/dev/null && break
    sleep 0.2
done
[ "${drawn:-0}" -gt 40 ] 2>/dev/null || fail "no saved file in the status line ($drawn pixels drawn)"
click 60 536
for _ in $(seq 30); do [ -s "$work/opened.txt" ] && break; sleep 0.1; done
[ "$(cat "$work/opened.txt" 2>/dev/null)" = "$work/songs" ] || fail "the status line opened '$(cat "$work/opened.txt" 2>/dev/null)'"
# Enter and Escape leave the window (and every choice) as it is; Ctrl+Q closes it.
xdotool windowfocus --sync "$window"; xdotool key Return Escape KP_Enter; sleep 0.5
kill -0 $pid 2>/dev/null || fail "Enter or Escape closed the window"
xdotool windowfocus --sync "$window"; xdotool key ctrl+q
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then fail "Ctrl+Q did not close the window"; kill $pid; fi
wait $pid || fail "exit status $?"

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
    xdotool windowfocus --sync "$window"; xdotool key ctrl+w
else
    fail "no message box for a file that is not MIDI"
fi
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null && fail "the window did not close"
wait $pid 2>/dev/null

# Starts the program on song.mid with the environment given as arguments;
# sets pid and window.
start_with_song() {
    env "$@" "$program" "$work/songs/song.mid" >/dev/null 2>"$work/err3.txt" &
    pid=$!
    window=$(wait_window '^Ombrix Converter \[song.mid\]$' 100) || { fail "no window with song.mid ($*)"; return 1; }
    xdotool windowfocus --sync "$window"
}
# A message box: a window named like the program that is not the main window.
find_box() {
    local id
    for _ in $(seq "${1:-100}"); do
        for id in $(xdotool search --onlyvisible --name '^Ombrix Converter$' 2>/dev/null); do
            grep -q 'Width: 408' <<<"$(xwininfo -id "$id")" || { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}
close_window() {
    xdotool windowfocus --sync "$window"; xdotool key ctrl+q
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill $pid 2>/dev/null && fail "the window did not close ($1)"
    wait $pid || fail "exit status $? ($1)"
}
leftovers() { find "$work/songs" -name '.*.part-*' | wc -l; }
tempo_cells() {
    import -window "$window" "$work/t.png"; "$convert_im" "$work/t.png" -crop 92x34+249+59 +repage "$work/$1.png"
}

# Ctrl+S, a name without extension that exists: "No" goes back to the save
# dialog with the name kept, "Yes" converts; the module crashes at block 5.
printf 'older' >"$work/songs/crash.wav"
if start_with_song QNSTEST_CRASH_AT_BLOCK=5; then
    xdotool key ctrl+s
    dialog=$(wait_window "$save_title") || fail "Ctrl+S opened no save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "crash"; xdotool key Return
    box=$(find_box) || fail "no overwrite question for crash.wav"
    xdotool windowfocus --sync "$box"; xdotool key alt+n; sleep 0.3
    dialog=$(wait_window "$save_title" 20) || fail "No did not return to the save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key Return
    box=$(find_box) || fail "the name was not kept after No (no second question)"
    xdotool windowfocus --sync "$box"; xdotool key alt+y
    sleep 0.5
    box=$(find_box) || fail "no message box after the crash"
    kill -0 $pid 2>/dev/null || fail "the window died with the module"
    [ "$(cat "$work/songs/crash.wav")" = "older" ] || fail "the older crash.wav was not kept"
    [ "$(leftovers)" -eq 0 ] || fail "a temporary file stayed after the crash"
    [ -n "$box" ] && { xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; }
    close_window "after a crash"
fi

# A stalled module: Enter does nothing, Escape cancels within a second.
if start_with_song QNSTEST_HANG_AT_BLOCK=5; then
    xdotool key ctrl+s
    dialog=$(wait_window "$save_title") || fail "no save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "stall.wav"; xdotool key Return
    progress=$(wait_window "$progress_title") || fail "no progress window"
    sleep 0.5
    xdotool windowfocus --sync "$progress"; xdotool key Return; sleep 0.5
    [ -n "$(xdotool search --onlyvisible --name "$progress_title" 2>/dev/null)" ] || fail "Enter ended the conversion"
    start=$(date +%s%N)
    xdotool key Escape
    while [ -n "$(xdotool search --onlyvisible --name "$progress_title" 2>/dev/null)" ]; do
        [ $(( ($(date +%s%N) - start) / 1000000 )) -gt 3000 ] && break
        sleep 0.05
    done
    elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
    [ "$elapsed" -le 1000 ] || fail "Cancel took $elapsed ms while the module stalled"
    [ -e "$work/songs/stall.wav" ] && fail "a cancelled conversion left stall.wav"
    [ "$(leftovers)" -eq 0 ] || fail "a temporary file stayed after Cancel"
    # SIGTERM to the window during a conversion removes the unfinished file.
    xdotool windowfocus --sync "$window"; xdotool key ctrl+s
    dialog=$(wait_window "$save_title") || fail "no save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "term.wav"; xdotool key Return
    wait_window "$progress_title" >/dev/null || fail "no progress window"
    sleep 0.5
    [ "$(leftovers)" -eq 1 ] || fail "no temporary file while converting"
    kill -TERM $pid; wait $pid; status=$?
    [ "$status" -eq 143 ] || fail "exit status $status after SIGTERM"
    [ "$(leftovers)" -eq 0 ] || fail "SIGTERM left the temporary file"
    [ -e "$work/songs/term.wav" ] && fail "SIGTERM left term.wav"
fi

# Hold the up arrow, F1, let go, close About: the tempo stands still. Then
# the keyboard: on the tempo Up three times, Down and minus once each.
if start_with_song; then
    xdotool mousemove --window "$window" 380 60 mousedown 1; sleep 0.3
    xdotool key F1
    about=$(wait_window "$about_title") || fail "F1 opened no About box"
    xdotool mouseup 1; sleep 0.2
    [ -n "$about" ] && { xdotool windowfocus --sync "$about"; xdotool key Escape; }
    sleep 0.3; tempo_cells held1; sleep 1; tempo_cells held2
    [ "$("$compare_im" -metric AE "$work/held1.png" "$work/held2.png" null: 2>&1)" = "0" ] ||
        fail "the tempo kept moving after the About box took the release"
    expect_skin "up arrow released after About|22x22+369+55|bitmap_149_tempo_up.bmp|0|0"
    close_window "after About"
fi
if start_with_song; then
    # LOAD has the focus at first; Tab three times (past CONVERT and PLAY) reaches the tempo, where Up and Down step it.
    for key in Tab Tab Tab Up Up Up Down minus; do xdotool key "$key"; sleep 0.1; done
    expect_skin "keys: hundreds 1|30x34+249+59|bitmap_153_digits.bmp|30|0" \
        "keys: tens 0|30x34+280+59|bitmap_153_digits.bmp|0|0" \
        "keys: units 1|30x34+311+59|bitmap_153_digits.bmp|30|0"
    # "+" is Shift and "=" here: Shift let go first, the release says "equal" and still ends the hold.
    xdotool keydown shift keydown equal; sleep 0.3; xdotool keyup shift; sleep 0.1; xdotool keyup equal
    sleep 0.3; tempo_cells plus1; sleep 1; tempo_cells plus2
    [ "$("$compare_im" -metric AE "$work/plus1.png" "$work/plus2.png" null: 2>&1)" = "0" ] ||
        fail "the tempo kept rising after \"+\" was let go"
    # A LOAD of a file that is not a song: the box says why, the song stays.
    xdotool key ctrl+o
    dialog=$(wait_window "$open_title") || fail "Ctrl+O opened no open dialog"
    if [ -n "$dialog" ]; then
        size=$(xwininfo -id "$dialog")
        w=$(awk '/Width:/ {print $2}' <<<"$size") h=$(awk '/Height:/ {print $2}' <<<"$size")
        [ "$w" -le 1024 ] && [ "$h" -le 768 ] || fail "the open dialog is $w x $h on a 1024 x 768 screen"
        xdotool windowfocus --sync "$dialog"; xdotool key ctrl+l; sleep 0.2
        xdotool type --delay 5 "$work/songs/notes.mid"; xdotool key Return
        box=$(find_box) || fail "no message box for a LOAD that is not MIDI"
        [ -n "$box" ] && { xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; }
        [ "$(xdotool getwindowname "$window")" = "Ombrix Converter [song.mid]" ] ||
            fail "a failed LOAD dropped the song: $(xdotool getwindowname "$window")"
    fi
    close_window "after the keys"
fi

# The keyboard alone: Space on LOAD, the song typed in; Tab to BASS and
# Space; back to the tempo, Up twice; back past PLAY to CONVERT, Space, the name typed
# in. The file is the option command line's with the same choices.
"$program" >/dev/null 2>"$work/err5.txt" &
pid=$!
window=$(wait_window '^Ombrix Converter$' 100) || fail "no window for the keyboard"
if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window"; xdotool key space
    dialog=$(wait_window "$open_title") || fail "Space on LOAD opened no open dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+l; sleep 0.2
    xdotool type --delay 5 "$work/songs/song.mid"; xdotool key Return
    wait_name "$window" "Ombrix Converter [song.mid]" || fail "no song after the keyboard's LOAD"
    xdotool windowfocus --sync "$window"
    # LOAD, CONVERT, PLAY, tempo, PRE COUNT, MELODY, GUITAR, BASS.
    for key in Tab Tab Tab Tab Tab Tab Tab space shift+Tab shift+Tab shift+Tab shift+Tab Up Up shift+Tab shift+Tab \
        space; do
        xdotool key "$key"; sleep 0.1
    done
    dialog=$(wait_window "$save_title") || fail "Space on CONVERT opened no save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "keyboard"; xdotool key Return
    wait_name "$window" "$(sed "s|$wav|$work/songs/keyboard.wav|" <<<"$saved")" || fail "the keyboard's CONVERT saved nothing"
    close_window "after the keyboard alone"
    QNSTEST_CALL_LOG= "$program" --minus bass --tempo 102 -q -o "$work/cli-keys.wav" "$work/songs/song.mid" ||
        fail "option command line status $?"
    cmp -s "$work/songs/keyboard.wav" "$work/cli-keys.wav" || fail "the keyboard's WAV differs from the option command line's"
fi

# A song whose path is 260 bytes long is refused with a box, and CONVERT
# (Ctrl+S) without a song says so: the window lives on through both.
long="$work/songs/$(printf 'd%.0s' $(seq 120))/$(printf 'e%.0s' $(seq 120))"
mkdir -p "$long"; cp "$work/songs/song.mid" "$long/song.mid"
"$program" "$long/song.mid" >/dev/null 2>"$work/err4.txt" &
pid=$!
box=$(find_box) || fail "no message box for a 260-byte path"
[ -n "$box" ] && { xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; }
window=$(wait_window '^Ombrix Converter$' 20) || fail "the window died after the 260-byte path"
if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window"; xdotool key ctrl+s
    box=$(find_box) || fail "no message box for CONVERT without a song"
    [ -n "$box" ] && { xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; }
    kill -0 $pid 2>/dev/null || fail "CONVERT without a song ended the program"
    close_window "after CONVERT without a song"
fi

# The key and the click: Ctrl+Up twice and the click from the context menu
# (its entry's mnemonic, C); the status line under the rows shows them, the
# module plays the notes a whole tone up with accented clicks, and the FLAC
# file chosen by its name is the option command line's with the same choices.
if start_with_song QNSTEST_CALL_LOG="$work/keyed.log"; then
    xdotool key ctrl+Up ctrl+Up; sleep 0.1
    xdotool mousemove --window "$window" 200 120 click 3; sleep 0.5
    xdotool key c; sleep 0.3
    import -window "$window" "$work/status.png"
    drawn=$(differing "$work/status.png" 330x14+12+529 "$resources/bitmap_129_background.bmp" 12 529)
    [ "${drawn:-0}" -gt 40 ] 2>/dev/null || fail "no key and click in the status line ($drawn pixels drawn)"
    xdotool key ctrl+s
    dialog=$(wait_window "$save_title") || fail "no save dialog"
    xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "keyed.flac"; xdotool key Return
    for _ in $(seq 100); do
        [[ "$(xdotool getwindowname "$window" 2>/dev/null)" == *"$work/songs/keyed.flac"* ]] && break
        sleep 0.1
    done
    [[ "$(xdotool getwindowname "$window")" == *"$work/songs/keyed.flac"* ]] || fail "the caption does not name keyed.flac"
    close_window "after the key and the click"
    QNSTEST_CALL_LOG= "$program" --transpose 2 --click -q -o "$work/cli.flac" "$work/songs/song.mid" ||
        fail "option command line status $?"
    [ "$(head -c 4 "$work/songs/keyed.flac" 2>/dev/null)" = "fLaC" ] || fail "keyed.flac is no FLAC file"
    cmp -s "$work/songs/keyed.flac" "$work/cli.flac" || fail "the window's FLAC differs from the option command line's"
    # Note-ons as velocity, key, status: C4 on channel 1 and C2 on channel 2 two semitones up, and the
    # click's accent (key 37 at velocity 80) on channel 10.
    for note in 643e90 642691 502599; do
        grep -q " 4 $note\$" "$work/keyed.log" || fail "the module got no note-on $note with the key and the click"
    done
    grep -q ' 4 643c90$' "$work/keyed.log" && fail "channel 1 sounded in the song's own key"
fi

# P plays the song through SDL's disk driver (unpaced): the samples written
# are the conversion's with the same choices, but for the silence around
# them, and the window stops by itself at the song's end. Without an audio
# output, P shows a message box and the window stays.
if start_with_song SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=0 SDL_DISKAUDIOFILE="$work/played.raw"; then
    xdotool key p
    size=-1
    for _ in $(seq 50); do
        sleep 0.2
        now=$(stat -c %s "$work/played.raw" 2>/dev/null || echo 0)
        [ "$now" -gt 0 ] && [ "$now" -eq "$size" ] && break
        size=$now
    done
    QNSTEST_CALL_LOG= "$program" -q -o "$work/played.wav" "$work/songs/song.mid" || fail "conversion status $?"
    /usr/bin/python3 - "$work/played.raw" "$work/played.wav" <<'PY' || fail "the played samples are not the conversion's"
import sys
played = open(sys.argv[1], "rb").read()
converted = open(sys.argv[2], "rb").read()[44:]
def sound(data):
    # The frames from the first sounding one to the last: an output starts
    # with the silence it plays before playback runs, and ends with the
    # silence it plays until the window sees the song's end.
    first = len(data) - len(data.lstrip(b"\0"))
    last = len(data.rstrip(b"\0"))
    return data[first - first % 4:last + (-last % 4)]
sys.exit(0 if sound(played) and sound(played) == sound(converted) else 1)
PY
    close_window "after playing"
fi
if start_with_song SDL_AUDIODRIVER=no-such-driver; then
    xdotool key p
    box=$(find_box 50) || fail "P without an audio output showed no message box"
    if [ -n "$box" ]; then xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; fi
    kill -0 $pid 2>/dev/null || fail "the window went with the audio output"
    close_window "without an audio output"
fi

# The Practice dialog through its mnemonics: two bars of count-in, the click
# at -6 dB, empty bars dropped, the bass at -6 dB, the song's one measure
# twice with the second pass 10 points faster; Enter confirms from a field.
# The file and what the module was sent (levels change velocities and
# volumes the test module's sound ignores) are the option command line's
# with the same choices.
if start_with_song QNSTEST_CALL_LOG="$work/dialog.log"; then
    xdotool key ctrl+p
    dialog=$(wait_window "^$practice_title\$") || fail "Ctrl+P opened no Practice dialog"
    if [ -n "$dialog" ]; then
        xdotool windowfocus --sync "$dialog"
        xdotool key alt+i Down alt+v ctrl+a; xdotool type --delay 5 -- "-6"
        xdotool key alt+d alt+b; xdotool type --delay 5 -- "-6"
        xdotool key alt+m alt+r alt+f; xdotool type --delay 5 -- "+10"
        xdotool key Return; sleep 0.3
        [ -z "$(xdotool search --onlyvisible --name "^$practice_title\$" 2>/dev/null)" ] ||
            fail "the Practice dialog stayed open after Enter"
        xdotool windowfocus --sync "$window"; xdotool key ctrl+s
        dialog=$(wait_window "$save_title") || fail "no save dialog after the Practice dialog"
        xdotool windowfocus --sync "$dialog"; xdotool key ctrl+a; xdotool type --delay 5 "dialog.wav"; xdotool key Return
        for _ in $(seq 100); do
            [[ "$(xdotool getwindowname "$window" 2>/dev/null)" == *"$work/songs/dialog.wav"* ]] && break
            sleep 0.1
        done
    fi
    close_window "after the Practice dialog"
    QNSTEST_CALL_LOG="$work/cli-dialog.log" "$program" --count-in 2 --click-level=-6 --drop-empty-bars --level bass=-6 --measures 1 \
        --loop 2 --tempo-step 10 -q -o "$work/cli-dialog.wav" "$work/songs/song.mid" || fail "option command line status $?"
    [ -s "$work/songs/dialog.wav" ] || fail "no file from the Practice dialog's choices"
    cmp -s "$work/songs/dialog.wav" "$work/cli-dialog.wav" ||
        fail "the Practice dialog's WAV differs from the option command line's"
    [ -s "$work/dialog.log" ] && cmp -s "$work/dialog.log" "$work/cli-dialog.log" ||
        fail "the module got other messages from the Practice dialog's choices than from the option command line's"
fi

# A SoundFont the settings file names that is gone: CONVERT shows a message
# box before the save dialog, and writes nothing.
cp "$XDG_CONFIG_HOME/Quorel/OMBRIX/Ombrix.ini" "$work/ini.saved"
printf '[Sound]\nSoundFont=%s\n' "$work/gone.sf2" >>"$XDG_CONFIG_HOME/Quorel/OMBRIX/Ombrix.ini"
if start_with_song; then
    xdotool key ctrl+s
    box=$(find_box) || fail "no message box for a SoundFont that is gone"
    [ -n "$(xdotool search --onlyvisible --name "$save_title" 2>/dev/null)" ] && fail "a save dialog with a SoundFont that is gone"
    [ -n "$box" ] && { xdotool windowfocus --sync "$box"; xdotool key Return; sleep 0.3; }
    close_window "after a SoundFont that is gone"
fi
cp "$work/ini.saved" "$XDG_CONFIG_HOME/Quorel/OMBRIX/Ombrix.ini"

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

# The first open dialog of a session under a window manager: its frame,
# title bar included, stays on the 1024 x 768 screen.
if command -v openbox >/dev/null; then
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    rm -rf "$HOME/.config/gtk-3.0"
    if start_with_song; then
        xdotool key ctrl+o
        dialog=$(wait_window "$open_title") || fail "Ctrl+O opened no open dialog under a window manager"
        if [ -n "$dialog" ]; then
            sleep 1
            read -r left right top bottom < <(xprop -id "$dialog" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
            size=$(xwininfo -id "$dialog")
            x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$size") y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$size")
            w=$(awk '/Width:/ {print $2}' <<<"$size") h=$(awk '/Height:/ {print $2}' <<<"$size")
            [ $((y - ${top:-0})) -ge 0 ] && [ $((y + h + ${bottom:-0})) -le 768 ] && [ $((x + w + ${right:-0})) -le 1024 ] ||
                fail "the open dialog's frame leaves the screen: ${w}x${h}+${x}+${y}, frame $left $right $top $bottom"
            xdotool windowfocus --sync "$dialog"; xdotool key Escape; sleep 0.3
        fi
        close_window "under a window manager"
    fi
    kill $wm 2>/dev/null; wait $wm 2>/dev/null
else
    echo "openbox is not installed: the open dialog is not measured under a window manager"
fi

[ "$failures" -eq 0 ] && echo "PASSED" || { grep -v -e Gtk-CRITICAL -e '^$' "$work/err.txt"; exit 1; }
