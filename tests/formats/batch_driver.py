"""The batch window through the driver, as a user works it: for every calculator window, a
table of reaches saved as a GB18030 CSV (as a Chinese spreadsheet saves it) and as an .xlsx
(written by openpyxl, numbers as numbers) is imported, computed and exported as .xlsx and as
CSV. Each export must hold, row for row, the texts lintavo-calc writes for the same table
(which tests/formats/test_calc.cpp holds to the presses themselves); the .xlsx read back by
openpyxl must have numbers where the texts are numbers and texts elsewhere. A failing row
stays in its place with its cause. Then the combined calculation book, made under design
settings of the user's own, has a chapter a row, each the book of its row's press: the section
drawn (its water's blue on the chapter's pages, rendered by pdftoppm) and 设计校核 with the
settings in force, where the press computed; neither where it failed.

    batch_driver.py DRIVER LINTAVO_CALC
"""
import csv
import io
import json
import pathlib
import re
import subprocess
import sys
import tempfile

import openpyxl

# What the book is made under, and what its 设计校核 then says of it.
DESIGN = "design bed=中壤土 enlarge=20"
DESIGN_SAYS = ["设计校核", "中壤土", "20%（给定）"]
# The water's fill in the book's section drawings, and how near a rendered pixel must come.
WATER = (0xbf, 0xdf, 0xff)

WINDOWS = {
    # alias: (the main window's button, the header of the table in the user's own order)
    "discharge": ("流量Q的计算", ["名称", "n", "i", "m", "h", "b", "备注"]),
    "normal-depth": ("水深h的计算", ["渠段", "流量Q", "底宽b", "边坡系数m", "底坡i", "糙率n"]),
    "bottom-width": ("底宽b的计算", ["Q (m³/s)", "水深", "边坡", "底坡", "糙率", "名称"]),
    "bottom-slope": ("底坡i的计算", ["名称", "Q", "b", "h", "m", "n"]),
    "section": ("渠道断面尺寸的计算", ["名称", "Q", "v", "m", "i", "n"]),
    # The lined sections, opened by their aliases: a U filled within its arc and above it, and
    # circles carrying discharges up to their peak (a second depth in 说明) and beyond it
    # (pressure flow: refused).
    "u-discharge": (None, ["名称", "圆弧半径r (m)", "α", "水深h", "底坡i", "糙率n"]),
    "circle-normal-depth": (None, ["名称", "流量Q", "管径D", "i", "n"]),
}

ORACLE = pathlib.Path(__file__).with_name("shape_oracle.py")


def lined_rows(alias, rows, note):
    """A lined section's rows against the independent oracle (shape_oracle.py): every result
    text, a circle's second depth in 说明 with the oracle's digits, a refused row with the
    pressure flow named. The rows of the letter and of the full-width digits are left out."""
    header, body = rows[0], [r for k, r in enumerate(rows[1:]) if k not in (7, 11)]
    # The batch's columns are the window's labels, each ending in its symbol (α written a).
    inputs = range(1, note - (2 if alias.endswith("-discharge") else 1))
    with tempfile.NamedTemporaryFile("w", suffix=".csv", encoding="utf-8", newline="") as f:
        csv.writer(f).writerows([[header[c][-1].replace("α", "a") for c in inputs]] +
                                [[r[c] for c in inputs] for r in body])
        f.flush()
        oracle = json.loads(run([sys.executable, str(ORACLE), alias, f.name]).stdout)
    failures, seen = [], set()
    for row, want in zip(body, oracle):
        results, remark = want[:-1], want[-1]
        if remark == "refused":
            seen.add("refused")
            if row[note - 1] or "压力流" not in row[note]:
                failures.append(f"{row[0]} should be refused as pressure flow: {row}")
            continue
        if row[note - len(results):note] != results:
            failures.append(f"{row[0]}: {row[note - len(results):note]}, the oracle {results}")
        if remark:
            seen.add("second depth")
            if f"另一水深 {remark} m" not in row[note]:
                failures.append(f"{row[0]}: 说明 {row[note]!r}, the oracle's second depth {remark}")
        elif row[note]:
            failures.append(f"{row[0]}: 说明 {row[note]!r} where the oracle has none")
    if alias.startswith("circle-") and seen != {"refused", "second depth"}:
        failures.append(f"the circles' rows reach only {sorted(seen)}")
    return failures


SAYS = {"u-discharge": lined_rows, "circle-normal-depth": lined_rows}


# Twenty reaches each: ordinary channels, then one that fails in every window (a letter where
# a number belongs), and one with full-width digits and blanks.
def reaches(header, alias=""):
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
                row.append(value_for(name, k, alias))
        rows.append(row)
    rows[7][1] = "x"  # the first input column of the eighth reach is no number
    rows[11][2] = " １．５ " if header[2] not in ("i", "底坡i", "底坡", "n", "糙率n") else "0.02"
    return rows


def symbol_of(column):
    """The symbol the driver's set takes for a column of the lined sections' tables."""
    return column.split(" ")[0][-1]


def value_for(name, k, alias=""):
    symbol = {"流量Q": "Q", "Q": "Q", "底宽b": "b", "b": "b", "水深": "h", "h": "h", "水深h": "h",
              "边坡系数m": "m", "边坡": "m", "m": "m", "底坡i": "i", "底坡": "i", "i": "i",
              "糙率n": "n", "糙率": "n", "n": "n", "v": "v", "圆弧半径r": "r", "α": "a",
              "管径D": "D"}[name]
    if alias == "u-discharge":
        # r 0.3 to 0.775 m, α 5° to 15°: depths from a third of the arc to twice its height.
        return round({"r": 0.3 + k * 0.025, "a": [5, 10, 15][k % 3], "h": 0.1 + k * 0.05,
                      "i": [0.001, 0.0005, 0.0002][k % 3], "n": [0.014, 0.015, 0.017][k % 3]}
                     [symbol], 6)
    if alias == "circle-normal-depth":
        # A pipe of 1 m, its discharge from 0.2 m³/s up through its full flow (near 0.76) and its
        # peak (near 0.815) to 0.865.
        return round({"Q": 0.2 + k * 0.035, "D": 1, "i": 0.001, "n": 0.013}[symbol], 6)
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
            rows = reaches(header, alias)
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
                (f"click {opener}\n" if opener else f"open {alias}\n") +
                f"batch {tmp}/{alias}.csv {tmp}/{alias}-out.xlsx\n"
                f"batch {tmp}/{alias}.xlsx {tmp}/{alias}-out.csv\n"
                f"{DESIGN}\n"
                f"batch-book {tmp}/{alias}-book.pdf\n" + ("" if opener else
                # A lined section's first reach pressed in its window, for the book of one press
                # the batch book's chapters must match.
                "".join(f"set {symbol_of(c)} {v}\n" for c, v in zip(header[1:], rows[0][1:])) +
                f"compute\nexport-report {tmp}/{alias}-one.pdf\n"), encoding="utf-8")
            # Settings of its own, in a home of its own: never the user's.
            home = tmp / f"{alias}-home"
            home.mkdir()
            driven = run([driver, str(script)], env={"QT_QPA_PLATFORM": "offscreen",
                                                      "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
                                                      "HOME": str(home),
                                                      "XDG_CONFIG_HOME": str(home / ".config")})
            said = driven.stdout.decode("utf-8").splitlines()
            note = expected_rows[0].index("说明")
            # A row failed where its results are empty; 说明 may also speak of a row computed
            # (a circle's second depth).
            failed = sum(1 for row in expected_rows[1:] if not row[note - 1])
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
                    text_column = expected_rows[0][c] in ("名称", "说明", "备注")
                    if r > 0 and numeric and not text_column:
                        ok = isinstance(value, (int, float)) and value == float(want_text)
                    else:
                        ok = (value or "") == want_text
                    if not ok:
                        failures.append(f"{alias}: .xlsx row {r} column {c}: {value!r}, "
                                        f"expected {want_text!r}")
            if len(cells) != len(expected_rows):
                failures.append(f"{alias}: .xlsx has {len(cells)} rows")
            if not expected_rows[8][note] or expected_rows[8][note - 1]:
                failures.append(f"{alias}: the eighth reach did not fail: {expected_rows[8]}")
            if alias in SAYS:
                failures += [f"{alias}: {s}" for s in SAYS[alias](alias, expected_rows, note)]
            # The design check of a lined section is in its book where its window's book of one
            # press has it.
            checked = opener or "设计校核" in run(["pdftotext", str(tmp / f"{alias}-one.pdf"),
                                                   "-"]).stdout.decode("utf-8")
            failures += check_book(alias, tmp / f"{alias}-book.pdf", expected_rows, note, checked)
    for failure in failures:
        print(failure)
    print(f"{'passed' if not failures else 'FAILED'}: {len(WINDOWS)} windows")
    return 1 if failures else 0


def check_book(alias, pdf, expected_rows, note, checked=True):
    """One chapter a row, each with its name; a computed row's chapter draws its section and
    checks the design under the settings in force (where `checked`: the calculation's own book
    checks it), a failed row's does neither."""
    failures = []
    pages = run(["pdftotext", "-layout", str(pdf), "-"]).stdout.decode("utf-8").split("\f")
    if pages and not pages[-1].strip():
        pages.pop()
    starts = {}
    for number, page in enumerate(pages):
        for k in re.findall(r"第\s*(\d+)\s*行", page):
            starts.setdefault(int(k), number)
    if sorted(starts) != list(range(1, 21)) or sorted(starts.values()) != list(starts.values()):
        return [f"{alias}: the book's chapters start on pages {starts}"]
    watered = pages_with_water(pdf, len(pages))
    for k in range(1, 21):
        chapter = range(starts[k], starts[k + 1] if k < 20 else len(pages))
        text = "".join(pages[p] for p in chapter)
        name = expected_rows[k][expected_rows[0].index("名称")]
        if name not in text:
            failures.append(f"{alias}: chapter {k} does not name {name}")
        computed = bool(expected_rows[k][note - 1])
        drawn = any(p in watered for p in chapter)
        if drawn != computed:
            failures.append(f"{alias}: chapter {k} {'has no' if computed else 'has a'} drawing "
                            f"(pages {list(chapter)}, water on {sorted(watered)})")
        said = [s for s in DESIGN_SAYS if s in text]
        if computed and said != (DESIGN_SAYS if checked else []):
            failures.append(f"{alias}: chapter {k}'s design check says {said} of {DESIGN_SAYS}")
        if not computed and said:
            failures.append(f"{alias}: chapter {k} failed but checks the design: {said}")
    return failures


def pages_with_water(pdf, count):
    """The pages (from 0) on which a drawing's water shows, rendered at 30 dpi."""
    watered = set()
    with tempfile.TemporaryDirectory() as out:
        run(["pdftoppm", "-r", "30", str(pdf), f"{out}/page"])
        for path in sorted(pathlib.Path(out).glob("page-*.ppm")):
            number = int(path.stem.split("-")[1]) - 1
            if number < count and water_pixels(path.read_bytes()) >= 20:
                watered.add(number)
    return watered


def water_pixels(ppm):
    """How many pixels of a binary PPM (P6, 8 bits) are the water's colour."""
    fields, at = [], 0
    while len(fields) < 4:
        while ppm[at:at + 1].isspace():
            at += 1
        if ppm[at:at + 1] == b"#":
            at = ppm.index(b"\n", at)
            continue
        end = at
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[at:end])
        at = end
    pixels = ppm[at + 1:]
    return sum(1 for r, g, b in zip(pixels[0::3], pixels[1::3], pixels[2::3])
               if abs(r - WATER[0]) <= 8 and abs(g - WATER[1]) <= 8 and abs(b - WATER[2]) <= 8)


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
