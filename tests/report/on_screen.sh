#!/usr/bin/env bash
# The driver on a real X server (Xvfb), with no window manager and with one, at two screen
# sizes: a calculator window computes, its book opens from F9 (open-report), is photographed
# (screenshot-report) and fits the screen, and the focus commands see what a user would.
#   on_screen.sh DRIVER
set -uo pipefail
driver=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/book.lts" <<SCRIPT
expect-focus 结束
click 流量Q的计算
type dkb 2
type ssh 1
type bpm 1
type dpi 0.001
type cln 0.025
key Return
expect llQ 2.763
open-report
screenshot-report $work/book.png
click 返回1
expect-visible Lintavo
SCRIPT
managers=(none)
command -v twm >/dev/null && managers+=(twm) || echo "twm is missing: only without a window manager"
failures=0 total=0
for size in 1366x768 1024x600; do
    for manager in "${managers[@]}"; do
        total=$((total + 1))
        rm -f "$work/book.png"
        output=$(xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
            if [ "$1" != none ]; then "$1" >/dev/null 2>&1 & sleep 1; fi
            QT_QPA_PLATFORM=xcb "$2" "$3"' on_screen "$manager" "$driver" "$work/book.lts" 2>&1)
        status=$?
        fits=$(python3 - "$work/book.png" "$size" <<'PY' 2>&1
import struct, sys
try:
    with open(sys.argv[1], "rb") as f:
        head = f.read(24)
except OSError:
    sys.exit("no photograph of the book")
w, h = struct.unpack(">II", head[16:24])
sw, sh = map(int, sys.argv[2].split("x"))
print("fits" if 0 < w <= sw and 0 < h <= sh else f"the book is {w}x{h} on a {sw}x{sh} screen")
PY
)
        if [ $status -ne 0 ] || [ "$fits" != fits ]; then
            echo "$size, window manager $manager: status $status, $fits"
            printf '%s\n' "$output"
            failures=$((failures + 1))
        fi
    done
done
echo "$((total - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
