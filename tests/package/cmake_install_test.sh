#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: the program with TONE and a link in
# bin, the module and its per-user registration, every file in the manifest,
# and removing what the manifest lists leaves nothing registered.
#   cmake_install_test.sh <build folder>
set -euo pipefail
build=$1
source "$(dirname "$0")/package_test_support.sh"

# The build's own manifest (of a real install) is put back afterwards.
manifest="$build/install_manifest.txt"
if [ -f "$manifest" ]; then
  cp "$manifest" "$scratch/manifest.saved"
  trap 'mv -f "$scratch/manifest.saved" "$manifest"; rm -rf "$scratch"' EXIT
fi

prefix="$scratch/prefix"
config="$scratch/install-config"
XDG_CONFIG_HOME="$config" OMBRIX_REGISTRY_SCOPE=user \
  cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

expect_file "$prefix/lib/ombrix/ombrix"
expect_file "$prefix/lib/ombrix/TONE/GM2/GM2.TNF"
expect_file "$prefix/lib/ombrix/QNStaff.so"
expect_file "$prefix/lib/ombrix/register-module.sh"
expect_equal "$(readlink "$prefix/bin/ombrix")" ../lib/ombrix/ombrix "bin link"
registration="$config/registry/$player_key/@"
expect_equal "$(cat "$registration")" "$(cd "$prefix/lib/ombrix" && pwd -P)/player" "per-user registration"

for listed in "$prefix/bin/ombrix" "$prefix/lib/ombrix/QNStaff.so" "$registration"; do
  grep -qxF "$listed" "$manifest" || fail "$listed is not in $manifest"
done

convert_one_song_with "$prefix/bin/ombrix" "$prefix/lib/ombrix"

xargs -rd '\n' rm -f -- < "$manifest"
expect_absent "$prefix/bin/ombrix"
expect_absent "$registration"
echo "PASS"
