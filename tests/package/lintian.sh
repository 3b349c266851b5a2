#!/usr/bin/env bash
# Builds the Debian package into a folder of its own and holds it to lintian, information and
# pedantic tags included: any error or warning fails. Also checks what lintian cannot know:
# that the Debian changelog and the manual pages speak of the version being packaged.
#   lintian.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build_dir" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/lintavo_*.deb)
failures=0

# lintian refuses nothing to root, but says it would rather not be run so; that is not a tag.
tags=$(lintian -I -E --pedantic "$deb" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$tags" ] || printf 'lintian says:\n%s\n' "$tags"
if grep -E '^[EW]: ' <<<"$tags"; then
    echo "lintian reports errors or warnings"
    failures=$((failures + 1))
fi

version=$(dpkg-deb -f "$deb" Version)
changelog_version=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
if [ "$changelog_version" != "$version" ]; then
    echo "the Debian changelog's newest entry is $changelog_version, the package $version"
    failures=$((failures + 1))
fi
for page in lintavo.1 lintavo.zh_CN.1; do
    if ! grep -q "^\.TH LINTAVO 1 [0-9-]* \"Lintavo ${version%-*}\"" "$source_dir/packaging/$page"; then
        echo "$page does not name version ${version%-*} in its .TH line"
        failures=$((failures + 1))
    fi
done

# The files a Debian system looks for, where it looks for them.
dpkg-deb -c "$deb" | awk '{print $NF}' >"$out/contents"
for file in ./usr/share/doc/lintavo/copyright ./usr/share/doc/lintavo/changelog.Debian.gz \
            ./usr/share/man/man1/lintavo.1.gz ./usr/share/man/zh_CN/man1/lintavo.1.gz; do
    grep -qx -- "$file" "$out/contents" || { echo "the package lacks $file"; failures=$((failures + 1)); }
done
[[ $(dpkg-deb -f "$deb" Depends) == *qt6-translations-l10n* ]] ||
    { echo "the package does not depend on qt6-translations-l10n"; failures=$((failures + 1)); }

# The compressed files carry neither a file name nor a time stamp, so that two builds give
# the same bytes: gzip's flag byte has no FNAME bit and its MTIME field is zero.
mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
for file in usr/share/doc/lintavo/changelog.Debian.gz usr/share/man/man1/lintavo.1.gz \
            usr/share/man/zh_CN/man1/lintavo.1.gz; do
    header=$(od -An -tx1 -j3 -N5 "$out/root/$file" 2>/dev/null | tr -d ' \n' || true)
    if [ "$header" != 0000000000 ]; then
        echo "$file has a name or time stamp in its gzip header ($header)"
        failures=$((failures + 1))
    fi
done

echo "$((failures == 0)) passed, $((failures != 0)) failed"
[ "$failures" -eq 0 ]
