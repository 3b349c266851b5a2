#!/usr/bin/env bash
# Qt's own texts are Chinese whatever the locale: a field's context menu and the failure
# report's button, under C, English and Chinese locales. The catalogue is also found in
# translations/ beside the program (where the Windows installer puts it), and without any
# catalogue the program still runs, with Qt's texts in English.
#   translations.sh DRIVER
set -euo pipefail
driver=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0

script='click 流量Q的计算
menu llQ
click 计算1
describe-failure
click 返回1
click 水深h的计算
menu ssh1'
# Qt's entries, then the window's own last entry, the calculation book.
chinese_menu='["撤销","重做","剪切","复制","粘贴","删除","全选","计算书…"]'
english_menu='["Undo","Redo","Cut","Copy","Paste","Delete","Select All","计算书…"]'

# The driver's output against the menu and button expected: both menus as given, then the
# failure it dismissed, then describe-failure's line, which names the title Lintavo, the
# message as the failure line printed it, and the one button. The message's wording is the
# program's, checked by the scenarios; here only Qt's texts are at stake.
compare() {  # OUTPUT MENU BUTTON
    python3 - "$@" <<'PYTHON'
import json
import sys

found, menu, button = sys.argv[1].split("\n"), sys.argv[2], sys.argv[3]
problems = []
if len(found) != 4:
    problems.append(f"4 lines expected, found {len(found)}")
else:
    if found[0] != menu or found[3] != menu:
        problems.append(f"menus {found[0]} and {found[3]}, expected {menu}")
    failure = found[1].split("\t")
    if len(failure) != 3 or failure[:2] != ["failure", "type-mismatch"]:
        problems.append(f"a type-mismatch failure expected, found {found[1]}")
    else:
        wanted = {"title": "Lintavo", "text": failure[2], "buttons": [button]}
        if json.loads(found[2]) != wanted:
            problems.append(f"describe-failure {found[2]}, expected {json.dumps(wanted, ensure_ascii=False)}")
for problem in problems:
    print(problem)
sys.exit(1 if problems else 0)
PYTHON
}

run() {  # NAME MENU BUTTON DRIVER [VARIABLE=VALUE…]
    local name=$1 menu=$2 button=$3 program=$4
    shift 4
    local found
    if ! found=$(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES "$@" "$program" <<<"$script" 2>"$work/errors"); then
        echo "$name: the driver failed: $found $(cat "$work/errors")"
        failures=$((failures + 1))
    elif ! compare "$found" "$menu" "$button" >"$work/problems"; then
        printf '%s: %s\n--- found\n%s\n' "$name" "$(cat "$work/problems")" "$found"
        failures=$((failures + 1))
    fi
}

for locale in C.UTF-8 en_US.UTF-8 zh_CN.UTF-8; do
    run "LANG=$locale" "$chinese_menu" 确定 "$driver" LANG="$locale"
done
run "LANGUAGE=en_GB, LC_ALL=en_US.UTF-8" "$chinese_menu" 确定 "$driver" \
    LANGUAGE=en_GB LC_ALL=en_US.UTF-8

# A copy of the driver whose qt.conf sends Qt to an empty folder for its translations.
mkdir "$work/alone"
cp "$driver" "$work/alone/"
printf '[Paths]\nPrefix=/usr\nPlugins=%s\nTranslations=%s\n' \
    "$(qtpaths6 --plugin-dir)" "$work/alone/none" >"$work/alone/qt.conf"
alone=$work/alone/$(basename "$driver")
run "without a catalogue" "$english_menu" OK "$alone" LANG=C.UTF-8
# The same copy, with the catalogue beside it.
mkdir "$work/alone/translations"
cp "$(qtpaths6 --query QT_INSTALL_TRANSLATIONS)/qtbase_zh_CN.qm" "$work/alone/translations/"
run "with the catalogue in translations/" "$chinese_menu" 确定 "$alone" LANG=C.UTF-8

echo "$((failures == 0)) passed, $((failures != 0)) failed"
[ "$failures" -eq 0 ]
