#!/usr/bin/env bash
# Makes Qt 6.4.2 for 64-bit Windows (MinGW-w64) available in DEST (default .cache/qt6-mingw),
# the prefix the `windows` preset builds against:
#   - when it is there already, nothing to do;
#   - when the prebuilt tarball is beside the repository (../shared/qt6-mingw/), it is
#     checked and unpacked (a few seconds);
#   - otherwise the same Qt is rebuilt from Debian's own qt6-base source (about 30 minutes
#     on 2 cores; set JOBS to use more).
# The Qt has Core, Gui, Widgets, PrintSupport and Test as DLLs, the windows platform plugin
# and the Vista style; no OpenGL, network, SQL, XML or D-Bus.
#   bash tools/qt-mingw.sh [DEST]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
dest=$(realpath -m "${1:-$source_dir/.cache/qt6-mingw}")
tarball=$source_dir/../shared/qt6-mingw/qt6-mingw-6.4.2-x86_64-w64-mingw32.tar.xz
sha256=b9350e61ca970f5bf43f82d79f350874d6a24e454087ad73804ee20e2360f90f

if [ -e "$dest/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    exit 0
fi

if [ -e "$tarball" ]; then
    echo "Unpacking Qt for MinGW into $dest"
    echo "$sha256  $tarball" | sha256sum --check --quiet
    rm -rf "$dest.partial"
    mkdir -p "$dest.partial"
    tar -xJf "$tarball" -C "$dest.partial" --strip-components=1
    rm -rf "$dest"
    mv "$dest.partial" "$dest"
    exit 0
fi

echo "No prebuilt Qt for MinGW beside the repository: building it from Debian's qt6-base source."
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

# The host tools (moc, rcc, uic) come from Debian's own Qt, so the source must be the same
# version as the installed qt6-base-dev.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
version=${version%+b[0-9]*}  # a binary-only rebuild has no source of its own
case "$version" in
    6.4.2*) ;;
    *)
        echo "qt6-mingw.sh: Debian's qt6-base-dev is $version, not 6.4.2" >&2
        exit 1
        ;;
esac
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    dpkg-dev cmake ninja-build perl g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools

work=$(realpath -m "$dest.build")
mkdir -p "$work"
cd "$work"
if [ ! -d qt6-base-6.4.2+dfsg ]; then
    if ! apt-get source --only-source "qt6-base=$version" 2>/dev/null; then
        # No source lines yet: the same mirrors and suites as the binary packages.
        list=/etc/apt/sources.list.d/lintavo-deb-src.sources
        if [ -e /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                "${sudo[@]}" tee "$list" >/dev/null
        else
            grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
                "${sudo[@]}" tee "${list%.sources}.list" >/dev/null
        fi
        "${sudo[@]}" apt-get update
        apt-get source --only-source "qt6-base=$version"
    fi
fi

# Why these switches: without Direct2D, DirectWrite must go too (Gui builds its DirectWrite
# font engine only with Direct2D, while PrintSupport and the windows plugin would still call
# it), so text goes through the GDI font engine. Debian's +dfsg source lacks the wintab
# headers (tablet events), and Debian's cross-build patch would also build androiddeployqt.
# QT_HOST_PATH_CMAKE_DIR because of Debian's multiarch layout.
rm -rf build
mkdir build
cd build
../qt6-base-6.4.2+dfsg/configure -prefix "$dest" -qt-host-path /usr -xplatform win32-g++ \
    -release -shared -opensource -confirm-license \
    -nomake tests -nomake examples -nomake benchmarks \
    -no-opengl -no-dbus -no-direct2d -no-icu -no-pkg-config \
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-freetype \
    -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml \
    -no-feature-androiddeployqt -no-feature-tabletevent -no-feature-directwrite \
    -- -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build . --parallel "${JOBS:-2}"
cmake --install .
echo "Qt for MinGW is in $dest; the build folder $work can go."
