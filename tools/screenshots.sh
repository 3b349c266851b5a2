#!/usr/bin/env bash
# Photographs each of the six windows in a real X server (Xvfb) into docs/screenshots/, the
# calculator windows after a worked example, and the discharge window's calculation book.
# Build first (bash tools/dev.sh test).
#   bash tools/screenshots.sh [SCALE]     SCALE: Qt's scale factor, 1 unless given
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
driver=$root/build/bin/lintavo-driver
[ -x "$driver" ] || { echo "build first: $driver is missing" >&2; exit 1; }
out=$root/docs/screenshots
mkdir -p "$out"
cd "$out"
QT_SCALE_FACTOR=${1:-1} QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x800x24" "$driver" "$root/tools/screenshots.lts"
ls -1 "$out"
