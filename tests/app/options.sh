#!/usr/bin/env bash
# --version and --help answer on stdout and end with 0, an unknown option or argument is
# named on stderr and ends with 2, all without a display and without a window; an answer that
# standard output cannot take (a full disk) is said on stderr and ends with 2.
#   options.sh PROGRAM VERSION
set -uo pipefail
program=$1 version=$2
failures=0 total=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
# arguments | status | stdout must hold (each ;-separated part) | stderr must hold
#   | where stdout goes, when not to stdout.txt
while IFS='|' read -r arguments status out err into; do
    [[ -z $arguments ]] && continue
    [[ -n $into && ! -e $into ]] && continue  # no /dev/full on this system
    total=$((total + 1))
    rm -f stdout.txt stderr.txt
    # shellcheck disable=SC2086  # the arguments are words
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$program" $arguments \
        >"${into:-stdout.txt}" 2>stderr.txt
    found=$?
    problem=
    [ "$found" -eq "$status" ] || problem="status $found, not $status"
    for stream in out err; do
        file=std$stream.txt expected=${!stream}
        if [[ -z $expected ]]; then
            [ -s "$file" ] && problem+=" std$stream not empty"
            continue
        fi
        IFS=';' read -ra parts <<<"$expected"
        for part in "${parts[@]}"; do
            grep -qF -- "$part" "$file" || problem+=" std$stream lacks \"$part\""
        done
    done
    if [[ -n $problem ]]; then
        echo "lintavo $arguments:$problem"; cat stdout.txt stderr.txt 2>/dev/null
        failures=$((failures + 1))
    fi
done <<TABLE
--version|0|Lintavo $version;man lintavo|
-v|0|Lintavo $version|
--help|0|用法：lintavo;--help;--version;man lintavo;Lintavo $version|
-h|0|用法：lintavo|
-platform offscreen --version|0|Lintavo $version|
--bogus|2||不认识的选项“--bogus”;lintavo --help
-x|2||不认识的选项“-x”
book.pdf|2||不认识的参数“book.pdf”
--version|2||lintavo：无法写到标准输出（磁盘空间不足）|/dev/full
--help|2||lintavo：无法写到标准输出（磁盘空间不足）|/dev/full
TABLE
echo "$((total - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
