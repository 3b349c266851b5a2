#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would, checks that the installed program
# starts and maps its main window under Xvfb, and removes it again.
#   deb_install.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "installing a package needs root; skipped"
    exit 77
fi
if dpkg-query -W -f='${Status}' lintavo 2>/dev/null | grep -q "install ok installed"; then
    echo "lintavo is already installed on this machine; not touching it; skipped"
    exit 77
fi

cd "$build_dir"
rm -f lintavo_*.deb
cpack -G DEB >/dev/null
deb=$(ls lintavo_*.deb)
[[ $deb =~ ^lintavo_[0-9.]+-[0-9]+_[a-z0-9]+\.deb$ ]] || { echo "not a Debian-style file name: $deb"; exit 1; }

# Every font package of the font table is a dependency, and so are the platform plugins.
depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-qpa-plugins $(grep -o '"fonts-[a-z0-9-]*"' "$source_dir/shell/fonts.h" | tr -d '"' | sort -u); do
    [[ $depends == *"$package"* ]] || { echo "Depends lacks $package: $depends"; exit 1; }
done
[[ $depends == *libqt6widgets6* ]] || { echo "Depends lacks the shared libraries: $depends"; exit 1; }

trap 'DEBIAN_FRONTEND=noninteractive apt-get remove -y lintavo >/dev/null 2>&1 || true' EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb" >/dev/null

for file in /usr/bin/lintavo \
            /usr/share/applications/org.lintavo.Lintavo.desktop \
            /usr/share/metainfo/org.lintavo.Lintavo.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/org.lintavo.Lintavo.svg; do
    [ -e "$file" ] || { echo "missing after install: $file"; exit 1; }
done
for size in 16 22 32 48 64 128 256; do
    [ -e "/usr/share/icons/hicolor/${size}x${size}/apps/org.lintavo.Lintavo.png" ] ||
        { echo "missing the ${size} px icon"; exit 1; }
done

# The copyright file and the changelog where Debian keeps them, and the manual page as man
# finds it, in English and in Chinese. A minimal image may tell dpkg not to unpack manual
# pages and documentation (path-exclude); there they cannot be found, which is not ours.
excluded() { grep -qs "^path-exclude=$1" /etc/dpkg/dpkg.cfg.d/*; }
[ -s /usr/share/doc/lintavo/copyright ] || { echo "missing after install: the copyright file"; exit 1; }
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    /usr/share/doc/lintavo/copyright || { echo "the copyright file is not machine-readable"; exit 1; }
if excluded /usr/share/doc/; then
    echo "dpkg is told to leave out /usr/share/doc; the changelog is not checked"
else
    zcat /usr/share/doc/lintavo/changelog.Debian.gz | head -1 |
        grep -q "^lintavo ($(dpkg-query -W -f='${Version}' lintavo)) " ||
        { echo "the installed changelog does not start with the installed version"; exit 1; }
fi
if excluded /usr/share/man/; then
    echo "dpkg is told to leave out /usr/share/man; the manual pages are not checked"
else
    [ "$(man -w lintavo)" = /usr/share/man/man1/lintavo.1.gz ] ||
        { echo "man finds no lintavo(1) of the package: $(man -w lintavo 2>&1)"; exit 1; }
    [ "$(man -L zh_CN.UTF-8 -w lintavo)" = /usr/share/man/zh_CN/man1/lintavo.1.gz ] ||
        { echo "man finds no Chinese lintavo(1): $(man -L zh_CN.UTF-8 -w lintavo 2>&1)"; exit 1; }
    MANPAGER=cat MANWIDTH=80 man lintavo 2>&1 | grep -q '^OPTIONS' ||
        { echo "man lintavo shows no page with its OPTIONS"; exit 1; }
    MANPAGER=cat MANWIDTH=80 man -L zh_CN.UTF-8 lintavo 2>&1 | grep -q '^选项' ||
        { echo "the Chinese man lintavo shows no page with its 选项"; exit 1; }
fi

# The installed program, not the one in the build folder, shows its main window.
log=$(mktemp)
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    QT_QPA_PLATFORM=xcb /usr/bin/lintavo 2>"$1" & pid=$!
    for attempt in $(seq 1 300); do
        if xdotool search --onlyvisible --name "^Lintavo$" >/dev/null 2>&1; then
            kill $pid; wait $pid 2>/dev/null
            exit 0
        fi
        kill -0 $pid 2>/dev/null || { echo "lintavo ended by itself"; exit 1; }
        sleep 0.1
    done
    echo "no window named Lintavo after 30 s; the windows there:"
    xdotool search --name "" getwindowname %@ 2>/dev/null | head -20
    kill $pid
    exit 1
' check "$log" || { echo "the installed lintavo showed no main window; it said:"; cat "$log"; exit 1; }
rm -f "$log"

echo "1 passed, 0 failed"
