#!/usr/bin/env bash
# scripts/install-deps.sh run by a user who is not root (nobody, when the test
# runs as root), with dpkg-query, sudo and apt-get faked: nothing missing
# goes on; something missing goes through a passwordless sudo, or else names
# the packages and the one command that installs them and exits with 1.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/bin" "$work/tools" "$work/state"
chmod 777 "$work/state"
# Only these tools of the system are on PATH, so that no real sudo or apt-get is reached.
for tool in grep id env cat true; do ln -s "$(type -P "$tool")" "$work/tools/$tool"; done

# dpkg-query: every package is installed except those listed in state/missing.
cat > "$work/bin/dpkg-query" <<FAKE
#!/bin/bash
for package; do :; done
if grep -qx "\$package" "$work/state/missing" 2>/dev/null; then echo "dpkg-query: no packages found matching \$package" >&2; exit 1; fi
printf 'install ok installed'
FAKE
# apt-get: records its arguments and whether it runs as root (through sudo).
cat > "$work/bin/apt-get" <<FAKE
#!/bin/bash
echo "\${SUDO_FAKE:-user}: \$*" >> "$work/state/apt-calls"
FAKE
# sudo: with state/nopasswd it runs the command (as "root"), else it wants a password.
cat > "$work/bin/sudo" <<FAKE
#!/bin/bash
[ "\$1" = -n ] && shift
if [ -e "$work/state/nopasswd" ]; then SUDO_FAKE=root exec "\$@"; fi
echo "sudo: a password is required" >&2
exit 1
FAKE
chmod 755 "$work/bin/"*

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the script with `arguments` as a user who is not root; sets status, err and calls.
run() {
  local as_user=()
  [ "$(id -u)" = 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  rm -f "$work/state/apt-calls"
  status=0
  "${as_user[@]}" env -i PATH="$work/bin:$work/tools" "$BASH" "$script" "$@" >"$work/out" 2>"$work/err" || status=$?
  err=$(cat "$work/err")
  calls=$(cat "$work/state/apt-calls" 2>/dev/null || true)
}

# Everything installed: nothing to do.
: > "$work/state/missing"
run
[ "$status" = 0 ] || fail "nothing missing: status $status"
[ -z "$calls$err" ] || fail "nothing missing: apt-get ran or something was said: $calls $err"

# Missing packages, sudo wants a password: the packages and the command.
printf '%s\n' cmake xdotool > "$work/state/missing"
run
[ "$status" = 1 ] || fail "missing, no sudo: status $status"
[ -z "$calls" ] || fail "missing, no sudo: apt-get ran: $calls"
grep -qx "Missing packages: cmake xdotool" <<<"$err" || fail "missing, no sudo: packages not named: $err"
grep -qx "  sudo apt-get install cmake xdotool" <<<"$err" || fail "missing, no sudo: no install command: $err"
[ "$(grep -c . <<<"$err")" = 3 ] || fail "missing, no sudo: more than the explanation: $err"

# No sudo at all: the command is to be run as root, not through sudo.
mv "$work/bin/sudo" "$work/sudo"
run
[ "$status" = 1 ] && grep -qx "  as root: apt-get install cmake xdotool" <<<"$err" || fail "no sudo program: status $status, $err"
grep -q "sudo" <<<"$err" && fail "no sudo program: sudo is named: $err"
mv "$work/sudo" "$work/bin/sudo"

# Passwordless sudo: installs through it, only what is missing.
touch "$work/state/nopasswd"
run
[ "$status" = 0 ] || fail "passwordless sudo: status $status ($err)"
expected=$'root: update -qq\nroot: install -y -qq --no-install-recommends cmake xdotool'
[ "$calls" = "$expected" ] || fail "passwordless sudo: apt-get calls were: $calls"
rm "$work/state/nopasswd"

# The main job needs neither the test tools nor the window fonts.
printf '%s\n' xdotool fonts-ipafont-gothic fonts-liberation2 libgtest-dev > "$work/state/missing"
run --main-job
[ "$status" = 0 ] && [ -z "$calls$err" ] || fail "main job without test packages and fonts: status $status, $calls $err"
printf '%s\n' fluid-soundfont-gm > "$work/state/missing"
run --main-job
[ "$status" = 1 ] && grep -qx "  sudo apt-get install fluid-soundfont-gm" <<<"$err" || fail "main job without its SoundFont: status $status, $err"

[ "$failures" = 0 ] && echo "install-deps.sh as a user: all cases passed"
exit "$failures"
