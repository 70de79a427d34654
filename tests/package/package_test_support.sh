# Shared by the install and package tests: checks that say what failed, a
# scratch folder removed on exit, and a one-note MIDI file.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_file() { [ -f "$1" ] || fail "missing file $1"; }
expect_absent() { [ ! -e "$1" ] && [ ! -L "$1" ] || fail "still there: $1"; }
expect_equal() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
expect_contains() {
  case "$1" in *"$2"*) ;; *) fail "$3: '$2' not in: $1" ;; esac
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

player_key="HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"

# A format-0 file at 480 ticks per quarter: one C4 for a quarter note.
write_one_note_song() {
  printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\15\0\220\74\144\203\140\200\74\0\0\377\57\0' > "$1"
}

# Converts a one-note song with the program `$1`, the module registered per
# user in folder `$2`; expects a WAV with sound.
convert_one_song_with() {
  local songs="$scratch/songs" config="$scratch/config"
  mkdir -p "$songs"
  write_one_note_song "$songs/one.mid"
  XDG_CONFIG_HOME="$config" sh "$2/register-module.sh" "$2" >/dev/null
  env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$config" HOME="$scratch" "$1" "-f$songs" >/dev/null \
    || fail "the installed program did not convert the song"
  expect_file "$songs/Conv/one.wav"
  [ "$(stat -c %s "$songs/Conv/one.wav")" -gt 44100 ] || fail "the WAV holds less than a quarter second"
}
