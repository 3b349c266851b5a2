#!/usr/bin/env bash
# Sets up, builds and runs Lintavo, or runs every test, on Debian 12.
#   bash tools/dev.sh run    install what is missing, build, start the program
#   bash tools/dev.sh test   install what is missing, build, run every test: the suite, the
#                            Windows build under Wine, the suite again under AddressSanitizer
#                            and UBSan, a minute of each fuzz target
#   bash tools/dev.sh windows  cross-build for Windows: build-windows/ gets the installer
#                            Lintavo-<version>-win64.exe, the same files as a .zip, and
#                            bin/lintavo-driver.exe
#   bash tools/dev.sh fuzz [SECONDS]   a longer run of every fuzz target (default 3600 s)
#   bash tools/dev.sh bench  build the release preset and print the benchmarks' figures
set -euo pipefail
cd "$(dirname "$0")/.."

# Build tools, Qt and its Chinese catalogue, the virtual display and a window manager for
# window tests, lintian and man for the package's checks, the font packages that the
# program's font table names (shell/fonts.h), and the Windows cross-build: MinGW-w64, NSIS,
# Wine to test it.
packages=(
    cmake ninja-build g++ pkg-config dpkg-dev file binutils lintian man-db
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
    xvfb xauth xdotool twm desktop-file-utils appstream
    dbus at-spi2-core python3 python3-pyatspi
    clang clang-format libclang-rt-14-dev libbenchmark-dev libxcb1-dev git
    fonts-arphic-uming fonts-arphic-ukai fonts-wqy-zenhei fonts-wqy-microhei
    qt6-gtk-platformtheme gnome-themes-extra
    poppler-utils qpdf zlib1g-dev libz-mingw-w64-dev python3-openpyxl
    python3-ezdxf python3-docx python3-mpmath libreoffice-writer-nogui libreoffice-math-nogui
    librecad
    g++-mingw-w64-x86-64-posix nsis qt6-translations-l10n xz-utils unzip wine64
)

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
    cmake --preset default
    cmake --build --preset default
}

# Qt for MinGW from beside the repository (or rebuilt from Debian's source), then the
# program, the driver and the tests for Windows, and the installer and the zip.
windows() {
    bash tools/qt-mingw.sh
    cmake --preset windows
    cmake --build --preset windows
    (cd build-windows && cpack)
}

fuzz() {
    cmake --preset fuzz -DFUZZ_SECONDS="$1"
    cmake --build --preset fuzz
    ctest --preset fuzz
}

case "${1:-}" in
    run)
        # Said first, before anything is installed or built: without a display there is
        # nothing to show.
        if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
            echo "没有图形显示，无法打开 Lintavo 的窗口；请在桌面会话中运行，或用 xvfb-run bash tools/dev.sh run 在虚拟显示中运行。" >&2
            exit 1
        fi
        install_missing
        build
        exec build/bin/lintavo
        ;;
    test)
        install_missing
        # Every tracked C++ file as .clang-format lays it out.
        git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
        build
        ctest --preset default
        windows
        bash tests/windows/run.sh build-windows build
        # The same suite with the sanitizers; installing the package is done once, above.
        cmake --preset asan
        cmake --build --preset asan
        ctest --preset asan
        fuzz 60
        ;;
    windows)
        install_missing
        windows
        ls -l build-windows/Lintavo-*-win64.exe build-windows/Lintavo-*-win64.zip \
            build-windows/bin/lintavo-driver.exe
        ;;
    fuzz)
        install_missing
        fuzz "${2:-3600}"
        ;;
    bench)
        install_missing
        cmake --preset release
        cmake --build --preset release
        bash bench/run.sh build-release
        ;;
    *)
        echo "usage: bash tools/dev.sh run|test|windows|fuzz [SECONDS]|bench" >&2
        exit 2
        ;;
esac
