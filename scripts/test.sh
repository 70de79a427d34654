#!/usr/bin/env bash
# Builds the project with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBRIX_BUILD_TESTS=ON
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
