#!/usr/bin/env bash
# Installs what is missing, builds Trellam with its tests, runs every test,
# takes a picture of every window and checks the installed launcher entry and
# AppStream data.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/common.sh"
install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${DESKTOP_CHECK_PACKAGES[@]}" \
    "${SCREENSHOT_PACKAGES[@]}"
ensure_test_locale
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"
# The real windows on a sample file under a virtual display: one that does not
# come up fails the run. The pictures stay in the build folder.
xvfb-run -a "$root/build/tests/trellam-screenshots" "$root/build/screenshots"
"$root/scripts/validate-desktop.sh" "$root/build"
# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# parallel code's tests under ThreadSanitizer, then the fuzz targets for twenty
# seconds in the sanitizer tree.
"$root/scripts/sanitize.sh"
"$root/scripts/tsan.sh"
"$root/scripts/fuzz.sh" 20
