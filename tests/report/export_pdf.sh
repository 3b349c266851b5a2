#!/bin/bash
# export-report writes the calculation book as a PDF whose text can be searched: for a worked
# example of each calculator, the text holds "计算书", the calculation's name and every result
# as the window wrote it, every font is embedded, and the drawings are vectors, not pictures. A failed press's book says why.
#
#   bash export_pdf.sh DRIVER
set -euo pipefail
driver=$1
for tool in pdftotext pdffonts pdfimages; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (poppler-utils)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
# name | opener | compute button | field=text … | result fields whose texts the PDF must hold
check() {
    local name=$1 opener=$2 compute=$3 inputs=$4 results=$5
    local script=$work/$name.lts pdf=$work/$name.pdf
    {
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
}

check discharge 流量Q的计算 计算1 "dkb=2 ssh=1 bpm=1 dpi=0.001 cln=0.025" "llQ lsv"
check normal_depth 水深h的计算 计算1 "llQ1=2.763 dkb1=2 bpm1=1 dpi1=0.001 cln1=0.025" "ssh1"
check section 渠道断面尺寸的计算 计算4 "llQ4=10 lsv4=0.5 bpm4=1.5 dpi4=0.0004 cln4=0.025" "ssh4 dkb4"

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
