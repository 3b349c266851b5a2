#!/usr/bin/env bash
# Runs the program under Xvfb with a private D-Bus session and accessibility switched on for
# this process alone, and drives it from outside with roundtrip.py.
#   roundtrip.sh PROGRAM
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c '
    # The accessibility bus comes first: the program looks for it as it starts.
    /usr/libexec/at-spi-bus-launcher --launch-immediately & bus=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$1" & pid=$!
    status=0
    timeout 60 /usr/bin/python3 "$2/roundtrip.py" || status=$?
    kill $pid $bus 2>/dev/null; wait $pid 2>/dev/null || true
    exit $status
' roundtrip "$program" "$here"
