#!/usr/bin/env bash
# Builds the project with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The tests run also under a Japanese locale: generate it where it is missing.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  as_root=()
  [ "$(id -u)" = 0 ] || as_root=(sudo -n)
  if ! "${as_root[@]}" sh -c "sed -i 's/^# *\\(ja_JP.UTF-8 UTF-8\\)/\\1/' /etc/locale.gen &&
       { grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen; } &&
       locale-gen >/dev/null"; then
    echo "Note: the ja_JP.UTF-8 locale could not be generated (run as root, or: sudo locale-gen ja_JP.UTF-8);" \
         "the tests run without it." >&2
  fi
fi
# ccache makes a rebuild after a small change, or CI after a session, fast.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_BUILD_TESTS=ON "${launcher[@]}"
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
