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
# The metainfo: what a Chinese software centre shows and searches, a content rating, and
# the releases newest first and dated, the newest being the version the project builds.
version=$(sed -n 's/^project(Lintavo VERSION \([0-9.]*\).*/\1/p' "$1/CMakeLists.txt")
python3 - "$resources/org.lintavo.Lintavo.metainfo.xml" "$version" <<'PYTHON'
import sys
import xml.etree.ElementTree as ET

LANG = "{http://www.w3.org/XML/1998/namespace}lang"
root = ET.parse(sys.argv[1]).getroot()
failures = []
for tag in ("name", "summary"):
    if not [e for e in root.findall(tag) if e.get(LANG) == "zh-CN" and e.text.strip()]:
        failures.append(f"no Chinese {tag}")
if not [p for p in root.findall("description/p") if p.get(LANG) == "zh-CN"]:
    failures.append("no Chinese description")
keywords = {k.text for k in root.findall("keywords/keyword")}
for wanted in ("明渠", "均匀流", "水力计算", "曼宁", "open channel", "Manning"):
    if wanted not in keywords:
        failures.append(f"no keyword {wanted}")
rating = root.find("content_rating")
if rating is None or rating.get("type") != "oars-1.1":
    failures.append("no oars-1.1 content rating")
releases = root.findall("releases/release")
if not releases or any(not r.get("date") for r in releases):
    failures.append("releases missing or undated")
elif releases[0].get("version") != sys.argv[2]:
    failures.append(f"newest release {releases[0].get('version')}, project {sys.argv[2]}")
for failure in failures:
    print("metainfo:", failure)
sys.exit(1 if failures else 0)
PYTHON
echo "1 passed, 0 failed"
