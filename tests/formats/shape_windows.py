"""The lined sections' windows through the driver, as a script works them: each opened by its
alias (from the main window, through 衬砌渠道's menu), its inputs set by symbol, 计算 pressed,
and its result fields and the line under its buttons read back. Every text must be the one
lintavo-calc writes for the same inputs: the results, a circle's second depth in 说明, and a
circle beyond its free-surface peak refused with 说明's reason while every field keeps the
earlier press's text. An old calculation opens by its alias the same way.

Then the driver's report of a lined section's press carries the design check as the
trapezoid's does: every key of a trapezoid's "design" object under the same settings, the
enlarged depth hb as shape_oracle.py finds the depth of Qb, a circle's greatest free-surface
flow Qmax, and a circle whose enlarged flow exceeds it without hb and failing its clearance.

    shape_windows.py DRIVER LINTAVO_CALC
"""
import csv
import io
import json
import math
import os
import subprocess
import sys
import tempfile

# alias, the inputs as symbol and text (the order the script sets them in, not the window's),
# and the result fields with their symbols.
CASES = [
    ("u-discharge", [("α", "10"), ("r", "0.5"), ("h", "0.8"), ("i", "1/2000"), ("n", "0.014")],
     [("llQ7", "Q"), ("lsv7", "v")]),
    ("u-normal-depth", [("Q", "0.741"), ("r", "0.5"), ("a", "0"), ("i", "0.0005"), ("n", "0.014")],
     [("ssh8", "h")]),
    ("arc-toe-discharge", [("b", "１．５"), ("r", "0.4"), ("m", "1.25"), ("h", "1.3"),
                           ("i", "1/2500"), ("n", "0.017")], [("llQ9", "Q"), ("lsv9", "v")]),
    ("arc-toe-normal-depth", [("Q", "2.5"), ("b", "1"), ("r", "0.5"), ("m", "1.5"),
                              ("i", "1/3000"), ("n", "0.02")], [("ssh10", "h")]),
    ("circle-discharge", [("D", "1.2"), ("h", "1.1"), ("i", "0.002"), ("n", "0.013")],
     [("llQ11", "Q"), ("lsv11", "v")]),
    # Between the full pipe's flow and the peak: two depths, the deeper one said.
    ("circle-normal-depth", [("Q", "0.8"), ("D", "1"), ("i", "0.001"), ("n", "0.013")],
     [("ssh12", "h")]),
    # Beyond the peak: refused, the field keeps the press before.
    ("circle-normal-depth", [("Q", "0.9"), ("D", "1"), ("i", "0.001"), ("n", "0.013")],
     [("ssh12", "h")]),
    ("discharge", [("b", "2"), ("h", "1"), ("m", "1"), ("i", "0.001"), ("n", "0.025")],
     [("llQ", "Q"), ("lsv", "v")]),
]


# lintavo-calc heads its result columns with the windows' labels.
CAPTIONS = {"Q": "流量Q", "v": "流速v", "h": "水深h"}


def calc(lintavo_calc, alias, inputs):
    table = io.StringIO()
    writer = csv.writer(table, lineterminator="\n")
    writer.writerow([symbol for symbol, _ in inputs])
    writer.writerow([text for _, text in inputs])
    run = subprocess.run([lintavo_calc, alias], input=table.getvalue().encode(),
                         capture_output=True, timeout=60)
    if run.returncode not in (0, 1):
        raise SystemExit(f"lintavo-calc {alias} exited {run.returncode}: {run.stderr.decode()}")
    return next(csv.DictReader(io.StringIO(run.stdout.decode("utf-8-sig"))))


# The design settings of a lined canal, and the presses whose reports are read: the alias,
# the inputs, and the depth input of the alias that finds the enlarged depth (None: a circle
# whose enlarged flow no free surface carries).
DESIGN = "design bed=混凝土（现场浇筑） slope-soil=中壤土 rank=field"
REPORTS = [
    ("discharge", [("b", "2"), ("h", "1"), ("m", "1"), ("i", "0.001"), ("n", "0.025")], None),
    ("u-discharge", [("r", "0.5"), ("α", "10"), ("h", "0.8"), ("i", "1/2000"), ("n", "0.014")],
     ("u-normal-depth", ["r", "α", "i", "n"])),
    ("arc-toe-normal-depth", [("Q", "2.5"), ("b", "1"), ("r", "0.5"), ("m", "1.5"),
                              ("i", "1/3000"), ("n", "0.02")],
     ("arc-toe-normal-depth", ["b", "r", "m", "i", "n"])),
    ("circle-normal-depth", [("Q", "0.4"), ("D", "1"), ("i", "0.001"), ("n", "0.013")],
     ("circle-normal-depth", ["D", "i", "n"])),
    ("circle-normal-depth", [("Q", "0.7"), ("D", "1"), ("i", "0.001"), ("n", "0.013")], None),
]


def run_driver(driver, script):
    # Settings of its own, in a home of its own: never the user's.
    with tempfile.TemporaryDirectory() as home:
        run = subprocess.run([driver], input="\n".join(script).encode(), capture_output=True,
                             timeout=110, env={"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8",
                                               "LC_ALL": "C.UTF-8", "HOME": home,
                                               "XDG_CONFIG_HOME": home + "/.config"})
    lines = run.stdout.decode().splitlines()
    if run.returncode != 0:
        raise SystemExit(f"the driver exited {run.returncode}:\n" + "\n".join(lines))
    return lines


def oracle_depth(alias, header, values):
    """shape_oracle.py's normal depth, as the three-decimal text a window shows."""
    with tempfile.NamedTemporaryFile("w", suffix=".csv", encoding="utf-8", newline="",
                                     delete=False) as f:
        csv.writer(f).writerows([["Q"] + header, values])
    try:
        oracle = os.path.join(os.path.dirname(os.path.abspath(__file__)), "shape_oracle.py")
        out = subprocess.run([sys.executable, oracle, alias, f.name], capture_output=True,
                             check=True, timeout=60).stdout
    finally:
        os.unlink(f.name)
    return json.loads(out)[0][0]


def design_reports(driver):
    script = [DESIGN]
    for alias, inputs, _ in REPORTS:
        script.append(f"open {alias}")
        script += [f"set {symbol} {json.dumps(text, ensure_ascii=False)}"
                   for symbol, text in inputs]
        script += ["compute", "report"]
    lines = run_driver(driver, script)
    if len(lines) != len(REPORTS):
        return ["the driver's reports: " + "\n".join(lines)]
    failures = []
    reports = [json.loads(line) for line in lines]
    trapezoid = reports[0].get("design", {})
    if "hb" not in trapezoid or "checks" not in trapezoid:
        return [f"the trapezoid's report has no design check: {reports[0]}"]
    for (alias, inputs, depth), report in zip(REPORTS[1:], reports[1:]):
        design = report.get("design")
        if report.get("outcome") != "ok" or design is None:
            failures.append(f"{alias} {inputs}: no design check in {report}")
            continue
        circle = alias.startswith("circle")
        keys = set(trapezoid) - ({"Fb", "H", "lining_top", "bank_top", "m_min"} if circle else set())
        if depth is None:
            keys -= {"Qb", "hb", "vb", "Bb", "Rb", "vscour_b"}
        checks = set(trapezoid["checks"])
        if circle:
            checks -= {"side-slope", "lining-freeboard", "bank-top-width"}
            checks |= {"conduit-clearance"}
        missing = (keys - set(design)) | {"checks." + k for k in checks - set(design["checks"])}
        if missing:
            failures.append(f"{alias} {inputs}: design lacks {sorted(missing)}: {design}")
        if circle != ("Qmax" in design):
            failures.append(f"{alias} {inputs}: Qmax {'missing' if circle else 'given'}: {design}")
        if depth is None:
            if "hb" in design or design["checks"].get("conduit-clearance") != "不满足":
                failures.append(f"{alias} {inputs}: Qb beyond Qmax {design['Qmax']} must fail "
                                f"without hb: {design}")
            continue
        if not circle and design["checks"].get("lining-freeboard") not in ("满足", "不满足"):
            failures.append(f"{alias} {inputs}: a lined bed's freeboard unjudged: {design}")
        given = dict(inputs)
        given["α"] = given.get("α", given.get("a"))
        oracle_alias, header = depth
        want = oracle_depth(oracle_alias, [h.replace("α", "a") for h in header],
                            [design["Qb"]] + [given[h] for h in header])
        shown = math.floor(float(design["hb"]) * 1000) / 1000
        if f"{shown:.3f}".rstrip("0").rstrip(".") != want:
            failures.append(f"{alias} {inputs}: hb {design['hb']}, the oracle's {want}")
    return failures


def main():
    driver, lintavo_calc = sys.argv[1], sys.argv[2]
    script = []
    for alias, inputs, outputs in CASES:
        script.append(f"open {alias}")
        for symbol, text in inputs:
            script.append(f"set {symbol} {json.dumps(text, ensure_ascii=False)}")
        script.append("compute")
        script += [f"print {name}" for name, _ in outputs]
        script.append("notice")
    # Settings of its own, in a home of its own: never the user's.
    with tempfile.TemporaryDirectory() as home:
        run = subprocess.run([driver], input="\n".join(script).encode(), capture_output=True,
                             timeout=110, env={"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8",
                                               "LC_ALL": "C.UTF-8", "HOME": home,
                                               "XDG_CONFIG_HOME": home + "/.config"})
    lines = run.stdout.decode().splitlines()
    if run.returncode != 0:
        raise SystemExit(f"the driver exited {run.returncode}:\n" + "\n".join(lines))

    failures = []
    shown = {}  # each result field's text, as the window shows it
    for alias, inputs, outputs in CASES:
        row = calc(lintavo_calc, alias, inputs)
        said = row["说明"]
        refused = any(not row[CAPTIONS[symbol]] for _, symbol in outputs)
        if lines and lines[0].startswith("failure\t"):
            message = lines.pop(0).split("\t", 2)[2]
            if not refused or said not in message:
                failures.append(f"{alias} {inputs}: refused with {message!r}, lintavo-calc: {row}")
        elif refused:
            failures.append(f"{alias} {inputs}: computed, lintavo-calc refused: {said}")
        for name, symbol in outputs:
            line = lines.pop(0) if lines else ""
            want = shown.get(name, " ") if refused else row[CAPTIONS[symbol]]
            if line != f"{name}\t{want}":
                failures.append(f"{alias} {inputs}: {line!r}, expected {name}\t{want}")
            shown[name] = line.split("\t", 1)[-1]
        notice = lines.pop(0) if lines else ""
        if not refused and notice != f"notice\t{said}":
            failures.append(f"{alias} {inputs}: {notice!r}, lintavo-calc's 说明 {said!r}")
        if refused and not notice.endswith("\tearlier"):
            failures.append(f"{alias} {inputs}: {notice!r} does not mark the earlier results")
    if lines:
        failures.append("the driver printed more: " + "\n".join(lines))
    failures += design_reports(driver)
    print("\n".join(failures) or f"{len(CASES)} presses as lintavo-calc writes them, "
                                 f"{len(REPORTS)} reports with their design check")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
