#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo pass their own validators.
#   validate.sh SOURCE_DIR
set -euo pipefail
resources=$1/resources
desktop-file-validate "$resources/org.lintavo.Lintavo.desktop"
appstreamcli validate --no-net --pedantic "$resources/org.lintavo.Lintavo.metainfo.xml"
# The desktop entry carries what the menus and searches of a Chinese desktop read.
for key in 'Name' 'Name\[zh_CN\]' 'GenericName\[zh_CN\]' 'Comment\[zh_CN\]' 'Keywords\[zh_CN\]' \
           'Categories' 'Icon' 'Exec'; do
    grep -q "^$key=" "$resources/org.lintavo.Lintavo.desktop" || { echo "desktop entry lacks $key"; exit 1; }
done
grep -q '^Keywords\[zh_CN\]=明渠;均匀流;流量;水深;底宽;底坡;曼宁;' "$resources/org.lintavo.Lintavo.desktop"
echo "1 passed, 0 failed"
