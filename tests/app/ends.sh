#!/usr/bin/env bash
# The real program, in a real X server, ends when the user ends it: no process is left
# running without a window. Keys go to the focused button, as a user's would.
#   ends.sh PROGRAM
set -uo pipefail
program=$1
exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
program=$1
failures=0
# Waits up to TENTHS tenths of a second for a visible window titled TITLE and gives it the
# keyboard; prints its id, or nothing when none came.
focus_window() {  # TITLE TENTHS
    local window=""
    for attempt in $(seq 1 "$2"); do
        window=$(xdotool search --onlyvisible --name "^$1$" 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || return
    # Mapped is not yet focused: wait until it has the keyboard, however loaded the machine.
    sleep 0.5
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 0.5
    echo "$window"
}
ends_after() {  # description, then the keys to press, one xdotool key a word
    local description=$1; shift
    QT_QPA_PLATFORM=xcb "$program" & local pid=$!
    focus_window Lintavo 100 >/dev/null
    for key in "$@"; do
        if [[ $key == shows:* ]]; then  # the window of that title must come on screen
            [ -n "$(focus_window "${key#shows:}" 50)" ] ||
                { echo "no window ${key#shows:} during: $description"; kill $pid; wait $pid 2>/dev/null; return 1; }
            continue
        fi
        xdotool key --delay 50 "$key"; sleep 0.5
    done
    for attempt in $(seq 1 200); do
        kill -0 $pid 2>/dev/null || { echo "ok: $description"; return 0; }
        sleep 0.1
    done
    echo "still running after: $description"; kill $pid; wait $pid 2>/dev/null; return 1
}
# A key sent before the X server has handed the new window the keyboard is lost, which a
# loaded machine can make happen: each case gets a second try, and says so.
check() {
    ends_after "$@" && return
    echo "trying again: $1"
    ends_after "$@" || failures=$((failures + 1))
}
# The focus starts on "结  束".
check "结  束 at once" space
# Shift+Tab twice reaches 流量Q计算; Return opens it; in the discharge window Shift+Tab from
# lsv reaches 结束1.
check "结束1 in the discharge window" shift+Tab shift+Tab Return shows:流量Q计算 shift+Tab space
echo "$((2 - failures)) passed, $failures failed"
[ $failures -eq 0 ]
' ends "$program"
