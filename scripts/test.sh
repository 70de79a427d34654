#!/usr/bin/env bash
# Builds the project with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The tests run also under a Japanese locale: generate it where it is missing.
# Debian's locale-gen builds only the locales enabled in /etc/locale.gen (it
# ignores a name given to it), so the line is enabled first.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  as_root=()
  how="as root: "
  if [ "$(id -u)" != 0 ]; then
    as_root=(sudo -n)
    command -v sudo >/dev/null 2>&1 && how="sudo "
  fi
  if ! "${as_root[@]}" sh -c "sed -i 's/^# *\\(ja_JP.UTF-8 UTF-8\\)/\\1/' /etc/locale.gen &&
       { grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen; } &&
       locale-gen >/dev/null" 2>/dev/null; then
    echo "Note: the ja_JP.UTF-8 locale could not be generated; the tests run without it. To add it:" >&2
    echo "  ${how}localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8" >&2
  fi
fi
# ccache makes a rebuild after a small change, or CI after a session, fast.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_BUILD_TESTS=ON "${launcher[@]}"
cmake --build build-test -j"$(nproc)"
# Tests that time signals and processes against each other can lose a race on
# a loaded machine: a failing test is run once more before it counts.
ctest --test-dir build-test --output-on-failure -j"$(nproc)" --repeat until-pass:2
