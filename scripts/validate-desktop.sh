#!/usr/bin/env bash
# Installs a built Trellam into a temporary prefix and checks its launcher entry,
# icons and AppStream data. Usage: scripts/validate-desktop.sh [BUILD_FOLDER]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null
for file in bin/trellam \
            share/applications/trellam.desktop \
            share/icons/hicolor/scalable/apps/trellam.svg \
            share/icons/hicolor/256x256/apps/trellam.png \
            share/metainfo/io.github.trellam.Trellam.metainfo.xml \
            share/doc/trellam/guide.md; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/trellam.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.trellam.Trellam.metainfo.xml"
echo "Desktop files valid."
