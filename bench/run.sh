#!/usr/bin/env bash
# Prints every benchmark's figures for one build folder (the release build, normally).
#   bash bench/run.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:-build-release}
runs=${2:-21}
bin=$build/bin
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo
echo "== presses of 计算, input texts to result texts, against plain double"
"$bin/bench_presses" --benchmark_min_time=0.2
echo
echo "== 100 000 rows a calculation: the bare press against lintavo-calc's whole path"
"$bin/bench_batch" "$bin/lintavo-calc"
echo
echo "== hostile workbooks and CSV files through the batch's readers, each in a process of its own"
prlimit --as=2000000000 "$bin/bench_readers"
echo
echo "== the same files imported by the batch window itself, through the driver"
python3 "$root/bench/readers_batch.py" "$build"
echo
echo "== 100 000 rows in a batch window (imported, computed, exported), with peak memory"
QT_QPA_PLATFORM=offscreen "$bin/bench_batch_window" 2>/dev/null
echo
echo "== 200 rows of a batch window as one calculation book"
QT_QPA_PLATFORM=offscreen "$bin/bench_batch_window" book 200 2>/dev/null
echo
echo "== start-up to the main window mapped, median of $runs runs each, against a bare Qt window"
xvfb-run -a -s "-screen 0 1280x800x24" "$bin/bench_startup" "$runs" "$bin/lintavo" Lintavo \
    "$bin/bench_bare_window" Bare "$bin/bench_bare_window_zh" Bare-zh
echo
echo "== first showing of each calculator window, and peak memory"
xvfb-run -a -s "-screen 0 1280x800x24" "$bin/bench_first_showing" 2>/dev/null
echo
echo "== a long session: resident memory growth after warm-up"
QT_QPA_PLATFORM=offscreen python3 "$root/tests/robustness/lifecycle_stress.py" "$bin/lintavo-driver" --presses 20000 |
    head -n 1
