"""The batch window through the driver, as a user works it: for every calculator window, a
table of reaches saved as a GB18030 CSV (as a Chinese spreadsheet saves it) and as an .xlsx
(written by openpyxl, numbers as numbers) is imported, computed and exported as .xlsx and as
CSV. Each export must hold, row for row, the texts lintavo-calc writes for the same table
(which tests/formats/test_calc.cpp holds to the presses themselves); the .xlsx read back by
openpyxl must have numbers where the texts are numbers and texts elsewhere. A failing row
stays in its place with its cause. Then the combined calculation book has a chapter a row.

    batch_driver.py DRIVER LINTAVO_CALC
"""
import csv
import io
import pathlib
import re
import subprocess
import sys
import tempfile

import openpyxl

WINDOWS = {
    # alias: (the main window's button, the header of the table in the user's own order)
    "discharge": ("流量Q的计算", ["名称", "n", "i", "m", "h", "b", "备注"]),
    "normal-depth": ("水深h的计算", ["渠段", "流量Q", "底宽b", "边坡系数m", "底坡i", "糙率n"]),
    "bottom-width": ("底宽b的计算", ["Q (m³/s)", "水深", "边坡", "底坡", "糙率", "名称"]),
    "bottom-slope": ("底坡i的计算", ["名称", "Q", "b", "h", "m", "n"]),
    "section": ("渠道断面尺寸的计算", ["名称", "Q", "v", "m", "i", "n"]),
}

# Twenty reaches each: ordinary channels, then one that fails in every window (a letter where
# a number belongs), and one with full-width digits and blanks.
def reaches(header):
    rows = []
    for k in range(20):
        row = []
        for column in header:
            name = column.split(" ")[0]
            if name in ("名称", "渠段"):
                row.append(f"渠段{k + 1}")
            elif name == "备注":
                row.append(f"K{k}+000")
            else:
                row.append(value_for(name, k))
        rows.append(row)
    rows[7][1] = "x"  # the first input column of the eighth reach is no number
    rows[11][2] = " １．５ " if header[2] not in ("i", "底坡i", "底坡", "n", "糙率n") else "0.02"
    return rows


def value_for(name, k):
    symbol = {"流量Q": "Q", "Q": "Q", "底宽b": "b", "b": "b", "水深": "h", "h": "h",
              "边坡系数m": "m", "边坡": "m", "m": "m", "底坡i": "i", "底坡": "i", "i": "i",
              "糙率n": "n", "糙率": "n", "n": "n", "v": "v"}[name]
    # Rounded, so that a spreadsheet's 15 significant digits hold them whole.
    return round({"Q": 5 + k * 0.5, "b": 2 + k * 0.25, "h": 1 + k * 0.05, "m": [0, 1, 1.5][k % 3],
            "i": [0.001, 0.0005, 0.0002][k % 3], "n": [0.025, 0.014, 0.02][k % 3],
            "v": 0.8 + k * 0.02}[symbol], 6)


def text_of(value):
    return value if isinstance(value, str) else repr(value)


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=300, **kwargs)


def main():
    driver, calc = sys.argv[1], sys.argv[2]
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        for alias, (opener, header) in WINDOWS.items():
            rows = reaches(header)
            text_rows = [header] + [[text_of(v) for v in row] for row in rows]
            utf8 = io.StringIO(newline="")
            csv.writer(utf8, lineterminator="\r\n").writerows(text_rows)
            (tmp / f"{alias}.csv").write_bytes(utf8.getvalue().encode("gb18030"))
            book = openpyxl.Workbook()
            for row in [header] + rows:
                book.active.append(row)
            book.save(tmp / f"{alias}.xlsx")

            expected = run([calc, alias], input=utf8.getvalue().encode("utf-8"))
            if expected.returncode != 1:
                failures.append(f"{alias}: lintavo-calc exited {expected.returncode}")
            expected_rows = list(csv.reader(io.StringIO(expected.stdout.decode("utf-8"), newline="")))

            script = tmp / f"{alias}.lts"
            script.write_text(
                f"click {opener}\n"
                f"batch {tmp}/{alias}.csv {tmp}/{alias}-out.xlsx\n"
                f"batch {tmp}/{alias}.xlsx {tmp}/{alias}-out.csv\n"
                f"batch-book {tmp}/{alias}-book.pdf\n", encoding="utf-8")
            driven = run([driver, str(script)], env={"QT_QPA_PLATFORM": "offscreen",
                                                      "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
            said = driven.stdout.decode("utf-8").splitlines()
            note = expected_rows[0].index("说明")
            failed = sum(1 for row in expected_rows[1:] if row[note])
            if said != [f"batch\t20\t{failed}"] * 2:
                failures.append(f"{alias}: the driver said {said} {driven.stderr[-400:]!r}")
                continue

            # The CSV export: UTF-8 with a byte-order mark, the texts of lintavo-calc.
            exported = (tmp / f"{alias}-out.csv").read_bytes()
            if not exported.startswith(b"\xef\xbb\xbf"):
                failures.append(f"{alias}: the CSV has no byte-order mark")
            found = list(csv.reader(io.StringIO(exported[3:].decode("utf-8"), newline="")))
            # From the .xlsx the numbers come as openpyxl wrote them; compare them as numbers.
            difference = first_difference(found, expected_rows)
            if difference:
                failures.append(f"{alias}: the CSV export differs from lintavo-calc: {difference}")

            # The .xlsx export, read by openpyxl: numbers as numbers, texts as texts.
            sheet = openpyxl.load_workbook(tmp / f"{alias}-out.xlsx").active
            cells = [[c.value for c in row] for row in sheet.iter_rows()]
            for r, (got, want) in enumerate(zip(cells, expected_rows)):
                for c, want_text in enumerate(want):
                    value = got[c] if c < len(got) else None
                    numeric = re.fullmatch(r"-?\d+(\.\d*)?(E[+-]\d+)?", want_text) is not None
                    note = expected_rows[0][c] in ("名称", "说明", "备注")
                    if r > 0 and numeric and not note:
                        ok = isinstance(value, (int, float)) and value == float(want_text)
                    else:
                        ok = (value or "") == want_text
                    if not ok:
                        failures.append(f"{alias}: .xlsx row {r} column {c}: {value!r}, "
                                        f"expected {want_text!r}")
            if len(cells) != len(expected_rows):
                failures.append(f"{alias}: .xlsx has {len(cells)} rows")
            if not expected_rows[8][note]:
                failures.append(f"{alias}: the eighth reach did not fail: {failed_row}")

            # One chapter a row, each with its name.
            text = run(["pdftotext", str(tmp / f"{alias}-book.pdf"), "-"]).stdout.decode("utf-8")
            chapters = re.findall(r"第 (\d+) 行", text)
            if chapters != [str(k) for k in range(1, 21)]:
                failures.append(f"{alias}: the book's chapters are {chapters}")
    for failure in failures:
        print(failure)
    print(f"{'passed' if not failures else 'FAILED'}: {len(WINDOWS)} windows")
    return 1 if failures else 0


def first_difference(found, expected):
    if len(found) != len(expected):
        return f"{len(found)} rows, expected {len(expected)}"
    for r, (a_row, b_row) in enumerate(zip(found, expected)):
        if len(a_row) != len(b_row):
            return f"row {r}: {a_row}, expected {b_row}"
        for a, b in zip(a_row, b_row):
            if a != b and not (is_number(a) and is_number(b) and float(a) == float(b)):
                return f"row {r}: {a!r}, expected {b!r}"
    return None


def is_number(s):
    try:
        float(s)
        return True
    except ValueError:
        return False


if __name__ == "__main__":
    sys.exit(main())
