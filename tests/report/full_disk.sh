#!/usr/bin/env bash
# Every export and a project's save onto a full disk, over a file of the same name: the old file keeps every byte,
# no temporary file is left beside it, and the failure is said (磁盘空间不足); with room on
# the disk the same export replaces the file. The disk is a 160 KB tmpfs mounted in a mount
# namespace of the test's own, so the test needs root and unshare; without them it is skipped.
#   full_disk.sh DRIVER
set -uo pipefail
driver=$1
if [[ ${LINTAVO_IN_NAMESPACE:-} != 1 ]]; then
    if [[ $(id -u) -ne 0 ]] || ! unshare -m true 2>/dev/null; then
        echo "a file system of its own needs root and unshare -m"; exit 77
    fi
    LINTAVO_IN_NAMESPACE=1 exec unshare -m bash "$0" "$@"
fi
work=$(mktemp -d)
disk=$work/disk
mkdir "$disk" "$work/config"
mount -t tmpfs -o size=160k tmpfs "$disk" || { echo "cannot mount a tmpfs"; rm -rf "$work"; exit 77; }
trap 'umount "$disk"; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
printf 'b,h,m,i,n\n2,1,1,0.001,0.025\n3,1.2,1.5,0.0005,0.02\n' >"$work/rows.csv"
cat >"$work/canal.lintavo" <<'PROJECT'
{"format": "lintavo-project", "version": 1, "levels": {"head": {"wl": 1262.5}},
 "reaches": [{"name": "干1", "from": "K0+000", "to": "K1+250", "Q": "12", "b": "5", "m": "1.5",
              "i": "1/5000", "n": "0.025", "loss": "0.05"}]}
PROJECT
head -c 8192 /dev/urandom >"$work/old"
press="click 流量Q的计算
type dkb 2
type ssh 1
type bpm 1
type dpi 0.001
type cln 0.025
click 计算1"

failures=0 total=0
# file | the export into $disk, its commands separated by ;
while IFS='|' read -r file export; do
    [[ -z $file ]] && continue
    for room in none some; do
        total=$((total + 1))
        rm -f "$disk"/*
        cp "$work/old" "$disk/$file"
        # Whole pages, until the disk takes no more.
        [[ $room == none ]] && dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null
        commands=${export//FILE/$disk/$file}
        printf '%s\n%s\n' "$press" "${commands//;/$'\n'}" >"$work/export.lts"
        said=$("$driver" "$work/export.lts" 2>&1)
        problem=
        left=$(cd "$disk" && ls -A | grep -vx "filler\|$file")
        [[ -n $left ]] && problem+=" left behind: $left;"
        if [[ $room == none ]]; then
            cmp -s "$work/old" "$disk/$file" || problem+=" the old file changed;"
            grep -q "无法写入文件“$disk/$file”：磁盘空间不足" <<<"$said" ||
                problem+=" the failure was not said;"
        else
            cmp -s "$work/old" "$disk/$file" && problem+=" not written;"
            grep -q "无法写入" <<<"$said" && problem+=" failed;"
        fi
        if [[ -n $problem ]]; then
            echo "$file, room $room:$problem"; echo "$said"
            failures=$((failures + 1))
        fi
    done
done <<TABLE
book.pdf|export-report FILE
book.docx|export-report FILE
section.dxf|export-drawing FILE 1:100
rows.csv|batch $work/rows.csv FILE
rows.xlsx|batch $work/rows.csv FILE
rows.pdf|batch $work/rows.csv $work/rows.xlsx;batch-book FILE
canal.lintavo|project-open $work/canal.lintavo;project-set 1 Q 13;project-save FILE
TABLE
echo "$((total - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
