#!/bin/bash
# Runs a test with the design settings a user may have chosen, in a settings folder of its
# own, made afresh: the settings file holds them as 校核设置… stores them, and the driver's
# scripts, which start from `design reset`, find them in LINTAVO_DESIGN_SET.
#
#   bash with_settings.sh "bed=中壤土 bend=40 …" COMMAND ARGS…
set -euo pipefail
settings=$1
shift
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/Lintavo"
{
    echo "[design]"
    for pair in $settings; do echo "$pair"; done
} >"$config/Lintavo/Lintavo.conf"
export XDG_CONFIG_HOME=$config LINTAVO_DESIGN_SET=$settings
"$@"
