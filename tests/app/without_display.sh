#!/usr/bin/env bash
# usage: without_display.sh PROGRAM
set -uo pipefail
program=$1
failures=0
check() {  # description, then the command's environment changes
    local description=$1
    shift
    local output status
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1)
    status=$?
    local lines
    lines=$(printf '%s\n' "$output" | grep -c .)
    if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || [[ $output != *xvfb-run* ]]; then
        echo "$description: status $status, $lines lines:"
        printf '%s\n' "$output"
        failures=$((failures + 1))
    fi
}
check "no display at all"
check "a display nobody serves" DISPLAY=:97
ls core* 2>/dev/null && { echo "a core file was left"; failures=$((failures + 1)); }
echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
