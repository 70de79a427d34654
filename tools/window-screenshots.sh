#!/usr/bin/env bash
# Takes the README's two screenshots of the window under a virtual X server:
# no song loaded, and examples/HarborJig.mid loaded with the bass removed,
# channel 5 muted, channel 4 turned down, the tempo at 90 %, the key two
# semitones up and the click on. With OMBRIX_SHOTS_DIALOGS=1 it also takes
# the Practice dialog (practice-dialog.png, then with a wrong value,
# practice-dialog-problem.png) and the sound settings (sound-dialog.png).
# Usage: tools/window-screenshots.sh [<build folder> [<output folder>]]
# (defaults: build, docs). Needs xvfb-run, xdotool and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${OMBRIX_SHOTS_INNER:-}" ]; then
    build=${1:-build}
    out=${2:-docs}
    [ -x "$build/bin/ombrix" ] || { echo "no program at $build/bin/ombrix; build it first" >&2; exit 1; }
    [ -e "$build/module/test/QNStaff.so" ] || { echo "no test module in $build/module/test; build qnstest" >&2; exit 1; }
    mkdir -p "$out"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    OMBRIX_SHOTS_INNER=1 OMBRIX_SHOTS_WORK=$work GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
        OMBRIX_SHOTS_DIALOGS=${OMBRIX_SHOTS_DIALOGS:-} \
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$0" "$(realpath "$build")" "$(realpath "$out")"
    exit
fi

build=$1 out=$2 work=$OMBRIX_SHOTS_WORK
export XDG_CONFIG_HOME=$work/config HOME=$work/home
key="$XDG_CONFIG_HOME/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key" "$HOME"
printf '%s' "$build/module/test/player" >"$key/@"

shoot() {  # song-argument output-file actions (x,y clicks or key:<keys>)...
    local song=$1 file=$2
    shift 2
    "$build/bin/ombrix" $song 2>/dev/null &
    local pid=$! window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Ombrix Converter' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 0.5
    for action in "$@"; do
        case $action in
            key:*) xdotool windowfocus --sync "$window" key ${action#key:} ;;
            *) xdotool mousemove --window "$window" ${action/,/ } click 1 ;;
        esac
        sleep 0.15
    done
    sleep 0.3
    import -window "$window" "$file"
    xdotool windowfocus --sync "$window" key ctrl+q 2>/dev/null
    wait $pid
    echo "wrote $file"
}

shoot "" "$out/window-no-song.png"
# BASS, MUTE 5, VOLUME DOWN 4, ten clicks on the tempo's down arrow, key +2, click.
shoot "$PWD/examples/HarborJig.mid" "$out/window-song.png" 256,169 380,297 357,277 \
    380,90 380,90 380,90 380,90 380,90 380,90 380,90 380,90 380,90 380,90 "key:ctrl+Up ctrl+Up ctrl+m"

# A dialog of the loaded song: opened with `keys`, shot once it shows (the
# program's visible window that is not the main window, whatever its title
# in the locale's language).
shoot_dialog() {  # keys file [typed keys and second file]
    local keys=$1 file=$2
    "$build/bin/ombrix" "$PWD/examples/HarborJig.mid" 2>/dev/null &
    local pid=$! window="" dialog=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Ombrix Converter' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 0.5
    xdotool windowfocus --sync "$window" key $keys
    for _ in $(seq 100); do
        dialog=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | grep -vx "$window" | tail -1) && [ -n "$dialog" ] && break
        sleep 0.1
    done
    if [ -z "$dialog" ]; then
        echo "no dialog after $keys" >&2
        kill $pid
        wait $pid
        return 1
    fi
    sleep 0.5
    import -window "$dialog" "$file"
    echo "wrote $file"
    if [ $# -ge 4 ]; then
        xdotool windowfocus --sync "$dialog" key $3
        sleep 0.5
        import -window "$dialog" "$4"
        echo "wrote $4"
    fi
    xdotool windowfocus --sync "$dialog" key Escape
    sleep 0.3
    xdotool windowfocus --sync "$window" key ctrl+q 2>/dev/null
    wait $pid
}

if [ -n "${OMBRIX_SHOTS_DIALOGS:-}" ]; then
    shoot_dialog ctrl+p "$out/practice-dialog.png" "alt+v ctrl+a 9 Return" "$out/practice-dialog-problem.png"
    shoot_dialog ctrl+comma "$out/sound-dialog.png"
fi
