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
chinese_menu='["撤销","重做","剪切","复制","粘贴","删除","全选"]'
english_menu='["Undo","Redo","Cut","Copy","Paste","Delete","Select All"]'
report() {  # BUTTON
    printf '{"title":"Lintavo","text":"“底宽b”不是有效的数字，请重新输入。","buttons":["%s"]}' "$1"
}
expected() {  # MENU BUTTON
    printf '%s\nfailure\ttype-mismatch\t“底宽b”不是有效的数字，请重新输入。\n%s\n%s\n' "$1" "$(report "$2")" "$1"
}

run() {  # NAME EXPECTED DRIVER [VARIABLE=VALUE…]
    local name=$1 want=$2 program=$3
    shift 3
    local found
    if ! found=$(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES "$@" "$program" <<<"$script" 2>"$work/errors"); then
        echo "$name: the driver failed: $found $(cat "$work/errors")"
        failures=$((failures + 1))
    elif [ "$found" != "$want" ]; then
        printf '%s:\n--- expected\n%s\n--- found\n%s\n' "$name" "$want" "$found"
        failures=$((failures + 1))
    fi
}

for locale in C.UTF-8 en_US.UTF-8 zh_CN.UTF-8; do
    run "LANG=$locale" "$(expected "$chinese_menu" 确定)" "$driver" LANG="$locale"
done
run "LANGUAGE=en_GB, LC_ALL=en_US.UTF-8" "$(expected "$chinese_menu" 确定)" "$driver" \
    LANGUAGE=en_GB LC_ALL=en_US.UTF-8

# A copy of the driver whose qt.conf sends Qt to an empty folder for its translations.
mkdir "$work/alone"
cp "$driver" "$work/alone/"
printf '[Paths]\nPrefix=/usr\nPlugins=%s\nTranslations=%s\n' \
    "$(qtpaths6 --plugin-dir)" "$work/alone/none" >"$work/alone/qt.conf"
alone=$work/alone/$(basename "$driver")
run "without a catalogue" "$(expected "$english_menu" OK)" "$alone" LANG=C.UTF-8
# The same copy, with the catalogue beside it.
mkdir "$work/alone/translations"
cp "$(qtpaths6 --query QT_INSTALL_TRANSLATIONS)/qtbase_zh_CN.qm" "$work/alone/translations/"
run "with the catalogue in translations/" "$(expected "$chinese_menu" 确定)" "$alone" LANG=C.UTF-8

echo "$((failures == 0)) passed, $((failures != 0)) failed"
[ "$failures" -eq 0 ]
