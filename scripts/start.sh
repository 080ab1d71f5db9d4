#!/usr/bin/env bash
# Installs what is missing, builds Trellam and starts it on the sample data in examples/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/common.sh"
install_missing "${BUILD_PACKAGES[@]}"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" --target trellam
# The file lists open on the program's current folder.
cd "$root/examples"
exec "$root/build/trellam"
