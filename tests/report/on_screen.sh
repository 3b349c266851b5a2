#!/usr/bin/env bash
# The driver on a real X server (Xvfb), with no window manager and with one, at two screen
# sizes: a calculator window computes, its book opens from F9 (open-report), is photographed
# (screenshot-report) and fits the screen, and the focus commands see what a user would. Then
# where the windows are (geometry): the book beside its calculator, their frames apart, and the
# calculator from 采用此方案 and the batch window, like every other, within the screen.
#   on_screen.sh DRIVER
set -uo pipefail
driver=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The press both scripts begin with: 流量Q的计算 of b 2, h 1, m 1, i 0.001, n 0.025 by Return.
discharge_press() {
    printf '%s\n' "click 流量Q的计算" "type dkb 2" "type ssh 1" "type bpm 1" "type dpi 0.001" \
        "type cln 0.025" "key Return"
}
cat >"$work/book.lts" <<SCRIPT
expect-focus 结束
$(discharge_press)
expect llQ 2.763
open-report
screenshot-report $work/book.png
click 返回1
expect-visible Lintavo
SCRIPT
cat >"$work/places.lts" <<SCRIPT
$(discharge_press)
open-report
geometry
print dkb
click 返回1
click 渠道断面尺寸的计算
type llQ4 10
type lsv4 0.65
type bpm4 1.5
type dpi4 0.0002
type cln4 0.025
click 计算4
open-report
adopt-scheme 2
expect-visible 流量Q计算
geometry
print dkb
screenshot-batch $work/batch.png
geometry
SCRIPT
# twm's own fonts are X core fonts, which Debian's Xvfb may not have; "fixed" it always has.
# Without it twm would give up at once, and the windows would go unframed.
cat >"$work/twmrc" <<'TWMRC'
TitleFont "fixed"
ResizeFont "fixed"
MenuFont "fixed"
IconFont "fixed"
IconManagerFont "fixed"
TWMRC
managers=(none)
command -v twm >/dev/null && managers+=(twm) || echo "twm is missing: only without a window manager"
failures=0 total=0
for size in 1366x768 1024x600; do
    for manager in "${managers[@]}"; do
        total=$((total + 1))
        rm -f "$work/book.png"
        output=$(xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
            if [ "$1" != none ]; then
                "$1" -f "$4" >/dev/null 2>&1 & sleep 1
                kill -0 $! 2>/dev/null || { echo "the window manager $1 did not start"; exit 1; }
            fi
            QT_QPA_PLATFORM=xcb "$2" "$3" && QT_QPA_PLATFORM=xcb "$2" "$5"' on_screen \
            "$manager" "$driver" "$work/book.lts" "$work/twmrc" "$work/places.lts" 2>&1)
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
        # The geometry lines, three runs of them: the book and its calculator; the calculator
        # from 采用此方案; the same with the batch window.
        printf '%s\n' "$output" >"$work/output"
        placed=$(python3 - "$work/output" "$size" <<'PY' 2>&1
import sys
sw, sh = map(int, sys.argv[2].split("x"))
blocks, last = [], None
for number, line in enumerate(open(sys.argv[1], encoding="utf-8")):
    if not line.startswith("geometry\t"):
        continue
    _, title, rect = line.rstrip("\n").split("\t")
    if last is None or number != last + 1:
        blocks.append({})
    blocks[-1][title] = tuple(map(int, rect.split()))
    last = number
problems = []
if [sorted(b) for b in blocks] != [["流量Q计算", "计算书 — 流量Q计算"], ["流量Q计算"],
                                   ["批量计算 — 流量Q计算", "流量Q计算"]]:
    problems.append(f"windows {[sorted(b) for b in blocks]}")
for block in blocks:
    for title, (x, y, w, h) in block.items():
        if x < 0 or y < 0 or x + w > sw or y + h > sh:
            problems.append(f"{title} at {x} {y} {w} {h} leaves the {sw}x{sh} screen")
if blocks and len(blocks[0]) == 2:
    (cx, cy, cw, ch), (bx, by, bw, bh) = blocks[0]["流量Q计算"], blocks[0]["计算书 — 流量Q计算"]
    if bx < cx + cw and cx < bx + bw and by < cy + ch and cy < by + bh:
        problems.append(f"the book {bx} {by} {bw} {bh} covers its calculator {cx} {cy} {cw} {ch}")
    if bw < 420:
        problems.append(f"the book is {bw} wide")
print("; ".join(problems) or "placed")
PY
)
        if [ $status -ne 0 ] || [ "$fits" != fits ] || [ "$placed" != placed ]; then
            echo "$size, window manager $manager: status $status, $fits, $placed"
            printf '%s\n' "$output"
            failures=$((failures + 1))
        fi
    done
done
echo "$((total - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
