#!/usr/bin/env bash
# The Debian package: its name, control fields and files; its maintainer
# scripts, run against a scratch root (DPKG_ROOT) as dpkg runs them; and the
# unpacked program converting a song through the unpacked module.
#   deb_package_test.sh <build folder>
set -euo pipefail
build=$1
source "$(dirname "$0")/package_test_support.sh"
command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null) || fail "cpack -G DEB failed"
deb="$scratch/out/ombrix_1.00_amd64.deb"
expect_file "$deb"

expect_equal "$(dpkg-deb -f "$deb" Package)" ombrix "package name"
expect_equal "$(dpkg-deb -f "$deb" Version)" 1.00 "version"
expect_equal "$(dpkg-deb -f "$deb" Architecture)" amd64 "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libfluidsynth3 fluid-soundfont-gm libgtk-3-0 libstdc++6 "fonts-ipafont-gothic | fonts-noto-cjk" \
              fonts-liberation2; do
  expect_contains "$depends" "$needed" "Depends"
done
# The second SoundFont is recommended, never required.
expect_contains "$(dpkg-deb -f "$deb" Recommends)" "musescore-general-soundfont" "Recommends"
case "$depends" in *musescore*) fail "the package depends on MuseScore General" ;; esac

contents=$(dpkg-deb -c "$deb")
for path in ./usr/lib/ombrix/ombrix ./usr/lib/ombrix/QNStaff.so ./usr/lib/ombrix/register-module.sh \
            ./usr/lib/ombrix/TONE/GM2/GM2.TNF "./usr/bin/ombrix -> ../lib/ombrix/ombrix" \
            ./usr/share/locale/ja/LC_MESSAGES/ombrix.mo; do
  expect_contains "$contents" "$path" "package contents"
done
case "$contents" in *gtest*|*benchmark*|*module/test*|*_tests*) fail "test files in the package" ;; esac
case "$contents" in *etc/registry*) fail "the registration is shipped instead of made on install" ;; esac

root="$scratch/root"
dpkg-deb -R "$deb" "$root"
for script in postinst prerm; do
  [ -x "$root/DEBIAN/$script" ] || fail "$script is not executable"
done
registration="$root/etc/registry/$player_key/@"

DPKG_ROOT="$root" "$root/DEBIAN/postinst" configure 2>/dev/null
expect_file "$registration"
expect_equal "$(cat "$registration")" /usr/lib/ombrix/player "system-wide registration"

DPKG_ROOT="$root" "$root/DEBIAN/prerm" upgrade 1.00
expect_file "$registration"
DPKG_ROOT="$root" "$root/DEBIAN/prerm" remove 2>/dev/null
expect_absent "$registration"
expect_absent "$root/etc/registry"

# Another folder's registration is left alone on removal.
mkdir -p "$(dirname "$registration")"
printf '/opt/player/player' > "$registration"
DPKG_ROOT="$root" "$root/DEBIAN/prerm" remove 2>/dev/null
expect_equal "$(cat "$registration")" /opt/player/player "a registration of another folder"

convert_one_song_with "$root/usr/bin/ombrix" "$root/usr/lib/ombrix"
echo "PASS"
