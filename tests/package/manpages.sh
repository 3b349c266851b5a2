#!/usr/bin/env bash
# The manual pages, lintavo(1) and lintavo-calc(1) in English and Chinese, render with
# man -l at 80 columns without one warning from groff, have their sections and a whatis
# entry, and name what their program offers: the windows and options of lintavo, the
# calculations, aliases and columns of lintavo-calc.
#   manpages.sh SOURCE_DIR LINTAVO_CALC
set -euo pipefail
pages=$1/packaging
calc=$2
failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

# What each program's page must name beyond its headings.
lintavo_names=(--help --version 流量Q计算 水深h计算 底宽b计算 底坡i计算 '渠道断面  尺寸计算' 计算 返回
    结束 '结  束')
lined=(U形渠道流量计算 U形渠道水深计算 弧形坡脚梯形渠道流量计算 弧形坡脚梯形渠道水深计算 无压圆管流量计算
    无压圆管水深计算)
lintavo_names+=(衬砌渠道 "${lined[@]}")
calc_names=(流量Q计算 水深h计算 计算渠道底宽b 底坡i计算 断面尺寸 discharge normal-depth bottom-width
    bottom-slope section --bom --help 名称 说明 project --json --table --profile --sections --book "${lined[@]}" 圆弧半径r 外倾角α 管径D 另一水深)
# Every calculation of the catalogue by its alias and its title, as lintavo-calc itself lists
# them when asked for one it lacks, so that one added later cannot be missing from its pages.
listed=$("$calc" no-such-calculation </dev/null 2>&1 || true)
mapfile -t entries < <(printf '%s\n' "${listed#*可用：}" | sed 's/、/\n/g')
aliases=()
titles=()
for entry in "${entries[@]}"; do
    [[ $entry =~ ^(.+)\ \((.+)\)$ ]] || continue
    titles+=("${BASH_REMATCH[1]}")
    aliases+=("${BASH_REMATCH[2]}")
done
[ "${#aliases[@]}" -ge 11 ] ||
    fail "lintavo-calc did not list its calculations: $listed"
calc_names+=("${aliases[@]}" "${titles[@]}")

check() {  # PAGE PROGRAM NAMES-ARRAY HEADING… (the headings the page must have, in its language)
    local page=$1 program=$2
    local -n names=$3
    shift 3
    local text warnings widest
    warnings=$(mktemp)
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$pages/$page" 2>"$warnings")
    [ -s "$warnings" ] && fail "$page: groff warns: $(cat "$warnings")"
    rm -f "$warnings"
    for heading in "$@"; do
        grep -qx "$heading" <<<"$text" || fail "$page: no section $heading"
    done
    for name in "${names[@]}"; do
        grep -qF -- "$name" <<<"$text" || fail "$page: does not name $name"
    done
    # No line wider than the 80 columns it was set for; a Chinese character takes two.
    widest=$(python3 -c '
import sys, unicodedata
print(max(sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
          for line in sys.stdin.read().splitlines()))' <<<"$text")
    [ "$widest" -le 80 ] || fail "$page: a line is $widest columns wide"
    # The one-line summary that whatis and apropos show.
    lexgrog "$pages/$page" | grep -q "\"$program - ." || fail "$page: no whatis entry"
}

check lintavo.1 lintavo lintavo_names NAME SYNOPSIS DESCRIPTION WINDOWS 'NUMBER MODEL' OPTIONS FILES ENVIRONMENT
check lintavo.zh_CN.1 lintavo lintavo_names 名称 概要 描述 窗口 数值规则 选项 文件 环境变量

check lintavo-calc.1 lintavo-calc calc_names NAME SYNOPSIS DESCRIPTION CALCULATIONS INPUT OUTPUT OPTIONS 'EXIT STATUS'
check lintavo-calc.zh_CN.1 lintavo-calc calc_names 名称 概要 描述 计算 输入 输出 选项 退出状态

echo "$((failures == 0)) passed, $((failures != 0)) failed"
[ "$failures" -eq 0 ]
