#!/usr/bin/env bash
# Both manual pages render with man -l, at 80 columns, without one warning from groff, and
# each says what the program is, names every window, gives the number model, lists the
# options --help and --version and says that there are no files or environment variables.
#   manpages.sh SOURCE_DIR
set -euo pipefail
pages=$1/packaging
failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

check() {  # PAGE HEADING… (the headings the page must have, in its language)
    local page=$1
    shift
    local text warnings
    warnings=$(mktemp)
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$pages/$page" 2>"$warnings")
    [ -s "$warnings" ] && fail "$page: groff warns: $(cat "$warnings")"
    rm -f "$warnings"
    for heading in "$@"; do
        grep -qx "$heading" <<<"$text" || fail "$page: no section $heading"
    done
    for option in --help --version; do
        grep -qF -- "$option" <<<"$text" || fail "$page: does not list $option"
    done
    for window in 流量Q计算 水深h计算 底宽b计算 底坡i计算 '渠道断面  尺寸计算' 计算 返回 结束 '结  束'; do
        grep -qF "$window" <<<"$text" || fail "$page: does not name $window"
    done
    # No line wider than the 80 columns it was set for; a Chinese character takes two.
    local widest
    widest=$(python3 -c '
import sys, unicodedata
print(max(sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
          for line in sys.stdin.read().splitlines()))' <<<"$text")
    [ "$widest" -le 80 ] || fail "$page: a line is $widest columns wide"
    # The one-line summary that whatis and apropos show.
    lexgrog "$pages/$page" | grep -q '"lintavo - .' || fail "$page: no whatis entry"
}

# lintavo-calc's pages: the same rendering rules, and every calculation and exit status named.
check_calc() {  # PAGE HEADING…
    local page=$1
    shift
    local text warnings widest
    warnings=$(mktemp)
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$pages/$page" 2>"$warnings")
    [ -s "$warnings" ] && fail "$page: groff warns: $(cat "$warnings")"
    rm -f "$warnings"
    for heading in "$@"; do
        grep -qx "$heading" <<<"$text" || fail "$page: no section $heading"
    done
    for name in 流量Q计算 水深h计算 计算渠道底宽b 底坡i计算 断面尺寸 discharge normal-depth \
        bottom-width bottom-slope section --bom --help 名称 说明; do
        grep -qF -- "$name" <<<"$text" || fail "$page: does not name $name"
    done
    widest=$(python3 -c '
import sys, unicodedata
print(max(sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
          for line in sys.stdin.read().splitlines()))' <<<"$text")
    [ "$widest" -le 80 ] || fail "$page: a line is $widest columns wide"
    lexgrog "$pages/$page" | grep -q '"lintavo-calc - .' || fail "$page: no whatis entry"
}

check lintavo.1 NAME SYNOPSIS DESCRIPTION WINDOWS 'NUMBER MODEL' OPTIONS FILES ENVIRONMENT
check lintavo.zh_CN.1 名称 概要 描述 窗口 数值规则 选项 文件 环境变量

check_calc lintavo-calc.1 NAME SYNOPSIS DESCRIPTION CALCULATIONS INPUT OUTPUT OPTIONS 'EXIT STATUS'
check_calc lintavo-calc.zh_CN.1 名称 概要 描述 计算 输入 输出 选项 退出状态

echo "$((failures == 0)) passed, $((failures != 0)) failed"
[ "$failures" -eq 0 ]
