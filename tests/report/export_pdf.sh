#!/bin/bash
# export-report writes the calculation book as a PDF whose text can be searched: for a worked
# example of each calculator, the text holds "计算书", the calculation's name and every result
# as the window wrote it, every font is embedded, and the drawings are vectors, not pictures. A failed press's book says why.
# Every book is filed: its first page holds the title and the names 计算书信息 keeps (blanks
# where none is kept), every later page the running header, and every page "第 X 页 共 Y 页"
# with Y its pages; the batch's book of many chapters alike.
#
#   bash export_pdf.sh DRIVER
set -euo pipefail
driver=$1
for tool in pdftotext pdffonts pdfimages pdfinfo; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (poppler-utils)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0

# The names the books are filed under (the driver's `book`, as 计算书信息 keeps them), the
# reviewer left blank to sign by hand; the title is the calculation's own unless a case sets one.
project="某灌区 东干渠"
names="book name=\"$project\" designer=张三 checker=李四 reviewer="
# filed PDF TITLE SIGNER… : the first page, the running header and the page numbers.
filed() {
    local pdf=$1 title=$2 pages k page
    shift 2
    pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
    (( pages >= 2 )) || { echo "$pdf: $pages pages, no first page before the book"; failures=1; }
    page=$(pdftotext -enc UTF-8 -f 1 -l 1 "$pdf" -)
    for want in "$project" "$title" 计算 校核 审核 签名 "$@"; do
        grep -qF -- "$want" <<<"$page" || { echo "$pdf: the first page lacks $want"; failures=1; }
    done
    for ((k = 1; k <= pages; k++)); do
        page=$(pdftotext -enc UTF-8 -f "$k" -l "$k" "$pdf" -)
        grep -qF "第 $k 页 共 $pages 页" <<<"$page" ||
            { echo "$pdf: page $k lacks 第 $k 页 共 $pages 页"; failures=1; }
        ((k == 1)) && continue
        for want in "$project" "$title"; do
            grep -qF -- "$want" <<<"$page" ||
                { echo "$pdf: page $k has no running header with $want"; failures=1; }
        done
    done
}

# name | opener | compute button | field=text … | result fields whose texts the PDF must hold
check() {
    local name=$1 opener=$2 compute=$3 inputs=$4 results=$5 title=$6
    local script=$work/$name.lts pdf=$work/$name.pdf
    {
        echo "$names"
        echo "click $opener"
        for pair in $inputs; do echo "type ${pair%%=*} ${pair#*=}"; done
        echo "click $compute"
        for field in $results; do echo "print $field"; done
        echo "export-report $pdf"
    } >"$script"
    local out
    out=$("$driver" "$script")
    pdftotext -enc UTF-8 "$pdf" "$work/$name.txt"
    grep -q "计算书" "$work/$name.txt" || { echo "$name: no 计算书 in the PDF text"; failures=1; }
    # A replacement character is a text garbled on its way to the page.
    if grep -q $'\xef\xbf\xbd' "$work/$name.txt"; then
        echo "$name: the PDF text holds U+FFFD"; failures=1
    fi
    while IFS=$'\t' read -r field text; do
        [[ -z $field ]] && continue
        grep -qF -- "$text" "$work/$name.txt" ||
            { echo "$name: the PDF text lacks $field's \"$text\""; failures=1; }
    done < <(grep -v '^failure' <<<"$out")
    # The drawings are lines and text, sharp at any zoom: not one picture in the file.
    if [[ $(pdfimages -list "$pdf" | tail -n +3) ]]; then
        echo "$name: the PDF holds pictures"; pdfimages -list "$pdf"; failures=1
    fi
    if pdffonts "$pdf" | tail -n +3 | awk '{ if ($(NF-4) != "yes") bad = 1 } END { exit !bad }'; then
        echo "$name: a font is not embedded"; pdffonts "$pdf"; failures=1
    fi
    filed "$pdf" "$title" 张三 李四
}

check discharge 流量Q的计算 计算1 "dkb=2 ssh=1 bpm=1 dpi=0.001 cln=0.025" "llQ lsv" "流量Q计算 计算书"
check normal_depth 水深h的计算 计算1 "llQ1=2.763 dkb1=2 bpm1=1 dpi1=0.001 cln1=0.025" "ssh1" \
    "明渠均匀流水深计算 计算书"
# A title of the book's own (计算书名称) instead of the calculation's.
names+=' title="东干渠 断面设计计算书"'
check section 渠道断面尺寸的计算 计算4 "llQ4=10 lsv4=0.5 bpm4=1.5 dpi4=0.0004 cln4=0.025" "ssh4 dkb4" \
    "东干渠 断面设计计算书"

# The batch's book: the same first page, header and numbers over its chapters.
printf '名称,n,i,m,h,b\r\n' >"$work/rows.csv"
for k in 1 2 3 4 5 6; do printf '渠段%s,0.025,0.001,1,%s,2\r\n' "$k" "$k" >>"$work/rows.csv"; done
printf '%s\n' "book reset" "$names" "book title=" "click 流量Q的计算" \
    "batch $work/rows.csv $work/rows-out.csv" "batch-book $work/batch.pdf" >"$work/batch.lts"
"$driver" "$work/batch.lts" >/dev/null
filed "$work/batch.pdf" "流量Q计算 批量计算书" 张三 李四

# A failed press: the book holds the failure instead of results.
{
    echo "click 流量Q的计算"
    echo "type dkb 0"; echo "type ssh 0"; echo "type bpm 1"; echo "type dpi 0.001"; echo "type cln 0.025"
    echo "click 计算1"
    echo "export-report $work/failed.pdf"
} >"$work/failed.lts"
"$driver" "$work/failed.lts" >/dev/null
pdftotext -enc UTF-8 "$work/failed.pdf" "$work/failed.txt"
grep -q "计算失败" "$work/failed.txt" || { echo "failed press: no 计算失败 in the PDF text"; failures=1; }
if grep -q "计算结果" "$work/failed.txt"; then echo "failed press: the PDF shows results"; failures=1; fi
# A channel far beyond any page (b = h = m = 1e30): the drawing is refused in words, and the
# file is one a PDF reader takes whole, every page's content readable to its end.
{
    echo "click 流量Q的计算"
    echo "type dkb 1e30"; echo "type ssh 1e30"; echo "type bpm 1e30"; echo "type dpi 0.001"; echo "type cln 0.025"
    echo "click 计算1"
    echo "export-report $work/huge.pdf"
} >"$work/huge.lts"
"$driver" "$work/huge.lts" >/dev/null
if ! pdftotext -enc UTF-8 "$work/huge.pdf" "$work/huge.txt" 2>"$work/huge.err" || [[ -s $work/huge.err ]]; then
    echo "b = h = m = 1e30: the PDF text cannot be read whole"; cat "$work/huge.err"; failures=1
fi
grep -q "断面尺寸过大或过小，无法按比例绘出" "$work/huge.txt" ||
    { echo "b = h = m = 1e30: the book does not say why the section is not drawn"; failures=1; }
if command -v qpdf >/dev/null && ! qpdf --check "$work/huge.pdf" >"$work/huge.qpdf" 2>&1; then
    echo "b = h = m = 1e30: qpdf finds the PDF faulty"; cat "$work/huge.qpdf"; failures=1
fi
exit $failures
