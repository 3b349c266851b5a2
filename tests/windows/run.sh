#!/usr/bin/env bash
# The Windows build under Wine, on a virtual X display when there is none:
#   1. the computing code's unit tests;
#   2. the number model's answers to a fixed sample, which must be the Linux build's;
#   3. every scenario script through lintavo-driver.exe, against its .expected file;
#   4. export-drawing and export-report FILE.docx, whose files must be the Linux build's;
#   5. the installer, installed silently: its files and Start-menu entry appear, the
#      installed lintavo.exe starts to its main window on nothing but what was installed,
#      and the silent uninstall leaves the drive as it found it.
# Windows programs run with DISPLAY cleared in their own environment, as on Windows (Wine
# itself still reaches the X display).
#   bash tests/windows/run.sh [WINDOWS_BUILD [LINUX_BUILD]]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$source_dir/build-windows}" && pwd)
linux_build=$(cd "${2:-$source_dir/build}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "$linux_build"
fi

find_wine_program() {
    command -v "$1" 2>/dev/null && return
    [ -x "/usr/lib/wine/$1" ] && echo "/usr/lib/wine/$1" && return
    echo "run.sh: $1 is missing (Debian's wine64 package)" >&2
    exit 1
}
wine=$(find_wine_program wine64)
wineserver=$(find_wine_program wineserver)

# /a/b → Z:\a\b, the path under Wine's drive for the Linux root.
windows_path() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

# The build puts every DLL the programs load beside them in bin/; nothing else is searched.
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
work=$build/wine-tests
rm -rf "$work"
mkdir -p "$work"
trap '"$wineserver" -k 2>/dev/null || true' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
started=$SECONDS
step() { echo "== $* ($((SECONDS - started)) s)"; }

# A Windows program with DISPLAY cleared in its environment (cmd returns when it ends).
run_windows() { "$wine" cmd /c "set DISPLAY=&& $*"; }

if [ ! -e "$WINEPREFIX/.initialised" ]; then
    step "Creating the Wine prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    # Without a window manager, Wine waits two seconds for every window it hides unless it
    # manages its windows itself.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    "$wineserver" -w
    touch "$WINEPREFIX/.initialised"
fi
# The prefix is kept between runs: what an earlier run stored in the program's settings
# (the registry, on Windows) must not reach this one.
"$wine" reg delete 'HKCU\Software\Lintavo' /f >/dev/null 2>&1 || true

step "Unit tests"
for test in "$build"/bin/test_*.exe; do
    name=$(basename "$test" .exe)
    # QtTest's standard output does not come back from Wine when redirected: a file instead.
    if run_windows "$(windows_path "$test") -o $(windows_path "$work/$name.txt"),txt" >/dev/null 2>&1; then
        echo "$name: $(grep -a '^Totals' "$work/$name.txt" || echo 'no totals')"
    else
        fail "$name"
        cat "$work/$name.txt" 2>/dev/null | grep -a -E '^(FAIL|   Loc|Totals)' || true
    fi
done

step "The same digits as the Linux build"
if [ ! -x "$linux_build/bin/same_digits" ]; then
    fail "no Linux build of same_digits in $linux_build (cmake --build --preset default)"
else
    "$linux_build/bin/same_digits" "$work/digits-linux.txt"
    run_windows "$(windows_path "$build/bin/same_digits.exe") $(windows_path "$work/digits-windows.txt")"
    different=$(diff "$work/digits-linux.txt" "$work/digits-windows.txt" | grep -c '^>' || true)
    echo "$(wc -l <"$work/digits-linux.txt") answers (powers, text read, text written, truncations, trigonometry, the lined sections' presses), $different differ"
    if [ "$different" -ne 0 ]; then
        fail "the Windows build's numbers differ from the Linux build's"
        diff "$work/digits-linux.txt" "$work/digits-windows.txt" | head -20
    fi
fi

step "Scenario scripts through lintavo-driver.exe"
driver=$(windows_path "$build/bin/lintavo-driver.exe")
scenario() {
    local script=$1 name expected
    name=$(basename "$script" .lts)
    expected=${script%.lts}.expected
    if ! run_windows "$driver $(windows_path "$script")" >"$work/$name.out" 2>"$work/$name.err"; then
        echo "FAIL scenario $name: the driver failed"
        cat "$work/$name.out" "$work/$name.err"
        return 1
    fi
    if [ -e "$expected" ] && ! cmp -s "$expected" "$work/$name.out" &&
        ! python3 "$source_dir/tests/windows/same_output.py" "$expected" "$work/$name.out"; then
        echo "FAIL scenario $name: output differs from $(basename "$expected")"
        return 1
    fi
    echo "scenario $name: ok"
}
# One at a time: Wine has one foreground window for all its programs, and the scripts
# check where the keyboard focus is.
for script in "$source_dir"/tests/scenarios/*.lts; do
    scenario "$script" || fail "scenario $(basename "$script" .lts)"
done

step "The Word and CAD exports, the same as the Linux build's"
# One press of an earth canal with its design check (red verdicts, hb and H): the DXF must be
# the same bytes, and the .docx the same parts, its XML the same but for the time it was made
# (the pictures are drawn with each system's fonts).
exports() { # OUT_PREFIX
    printf '%s\n' 'design reset' 'design bed=中壤土 silt=0.3 minimum=50' 'click 流量Q的计算' \
        'type dkb 2' 'type ssh 1' 'type bpm 1.5' 'type dpi 0.0005' 'type cln 0.0225' \
        'click 计算1' "export-drawing $1.dxf 1:100" "export-report $1.docx" 'design reset'
}
exports "$work/linux" >"$work/exports-linux.lts"
exports "$(windows_path "$work/windows")" >"$work/exports-windows.lts"
if ! XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen \
    "$linux_build/bin/lintavo-driver" "$work/exports-linux.lts" >/dev/null 2>&1 ||
    ! run_windows "$driver $(windows_path "$work/exports-windows.lts")" >/dev/null 2>&1; then
    fail "the exports: a driver failed"
elif ! cmp "$work/linux.dxf" "$work/windows.dxf"; then
    fail "the Windows build's DXF differs from the Linux build's"
else
    parts() { unzip -Z1 "$1" | sort; }
    different=$(diff <(parts "$work/linux.docx") <(parts "$work/windows.docx") || true)
    # unzip takes a name as a pattern: [Content_Types].xml needs its brackets escaped.
    part() { unzip -p "$1" "$(sed 's/[][]/\\&/g' <<<"$2")" | sed -E 's/[0-9-]{10} [0-9:]{5}//'; }
    for name in $(parts "$work/linux.docx" | grep -E '\.(xml|rels)$'); do
        cmp -s <(part "$work/linux.docx" "$name") <(part "$work/windows.docx" "$name") ||
            different+=" $name"
    done
    if [ -n "$different" ]; then
        fail "the Windows build's .docx differs from the Linux build's: $different"
    else
        echo "exports: the same DXF ($(wc -c <"$work/linux.dxf") bytes) and .docx XML ($(parts "$work/linux.docx" | wc -l) parts)"
    fi
fi

step "The installer"
installer=$(ls "$build"/Lintavo-*-win64.exe 2>/dev/null | head -1)
if [ -z "$installer" ]; then
    fail "no installer in $build (cpack in the build folder)"
else
    drive=$WINEPREFIX/drive_c
    snapshot() {
        find "$drive" -xdev \( -path '*/[Tt]emp' -o -path "$drive/windows" \) -prune -o -print | sort
    }
    snapshot >"$work/before.txt"
    "$wine" "$installer" /S
    installed="$drive/Program Files/Lintavo"
    for file in lintavo.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll \
        libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll \
        styles/qwindowsvistastyle.dll translations/qtbase_zh_CN.qm Uninstall.exe; do
        [ -e "$installed/$file" ] || fail "the installer did not install $file"
    done
    shortcut=$(find "$drive/ProgramData" -name 'Lintavo 明渠均匀流计算.lnk' | head -1)
    [ -n "$shortcut" ] && echo "Start menu: ${shortcut#"$drive/"}" || fail "no Start-menu entry"
    echo "installed: $(find "$installed" -type f | wc -l) files, $(du -sh "$installed" | cut -f1)"
    "$wine" reg query 'HKLM\Software\The Lintavo developers\Lintavo' >/dev/null 2>&1 ||
        fail "the installer wrote no registry key of its own"

    # The installed program on its own.
    (cd "$installed" && run_windows "lintavo.exe" >"$work/lintavo.log" 2>&1 &)
    window=
    for _ in $(seq 1 60); do
        window=$(xdotool search --name '^Lintavo$' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 1
    done
    if [ -n "$window" ]; then
        echo "lintavo.exe: main window $window, $(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')"
    else
        fail "the installed lintavo.exe showed no main window"
        cat "$work/lintavo.log"
    fi
    "$wine" taskkill /f /im lintavo.exe >/dev/null 2>&1 || true

    # The uninstaller copies itself to the temporary folder and returns at once.
    "$wine" "$installed/Uninstall.exe" /S
    for _ in $(seq 1 60); do
        [ -e "$installed" ] || break
        sleep 1
    done
    "$wineserver" -w
    snapshot >"$work/after.txt"
    left=$(comm -13 "$work/before.txt" "$work/after.txt")
    if [ -n "$left" ] || [ -e "$installed" ]; then
        fail "the uninstaller left files behind:"
        echo "$left"
    else
        echo "uninstalled: nothing left behind"
    fi
    for key in 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lintavo' \
        'HKLM\Software\The Lintavo developers'; do
        if "$wine" reg query "$key" >/dev/null 2>&1; then
            fail "the uninstaller left the registry key $key behind"
        fi
    done
fi

step "Done"
if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "all passed"
