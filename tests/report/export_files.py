#!/usr/bin/python3
"""The calculation book's files, made through the driver from real presses and read by
independent readers: the section drawing (export-drawing) by ezdxf.

    export_files.py DRIVER
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "formats"))
import check_dxf  # noqa: E402

# name | opener | compute button | inputs | the fields of b, h and m, or None for 断面尺寸
CASES = [
    ("discharge", "流量Q的计算", "计算1",
     {"dkb": "2", "ssh": "1", "bpm": "1", "dpi": "0.001", "cln": "0.025"}),
    ("rectangle", "流量Q的计算", "计算1",
     {"dkb": "1.25", "ssh": "0.8", "bpm": "0", "dpi": "0.001", "cln": "0.014"}),
    ("normal depth", "水深h的计算", "计算1",
     {"llQ1": "2.763", "dkb1": "2", "bpm1": "1", "dpi1": "0.001", "cln1": "0.025"}),
    ("two candidates", "渠道断面尺寸的计算", "计算4",
     {"llQ4": "10", "lsv4": "1.2", "bpm4": "0.25", "dpi4": "0.001", "cln4": "0.025"}),
]


def run(driver, lines):
    out = subprocess.run([driver], input="\n".join(lines) + "\n", capture_output=True,
                         text=True, timeout=120)
    if out.returncode != 0:
        raise SystemExit(f"driver failed: {out.stdout}{out.stderr}")
    return out.stdout


def sections_of(report):
    """The sections the book of this press shows, from the driver's report line."""
    values = report["values"]
    m = float(values["m"])
    if "candidates" in report:
        return [{"b": float(c["b"]), "h": float(c["h"]), "m": m}
                for c in report["candidates"] if float(c["b"]) >= 0]
    return [{"b": float(values["b"]), "h": float(values["h"]), "m": m}]


def main():
    driver = sys.argv[1]
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for name, opener, compute, inputs in CASES:
            for scale in (50, 200):
                dxf = os.path.join(work, f"{name}-{scale}.dxf")
                lines = [f"click {opener}"]
                lines += [f"type {field} {text}" for field, text in inputs.items()]
                lines += [f"click {compute}", "report",
                          f"export-drawing {dxf}" + ("" if scale == 50 else f" 1:{scale}")]
                report = json.loads(run(driver, lines).splitlines()[0])
                sections = [dict(s, hb=None, H=1.2 * s["h"]) for s in sections_of(report)]
                for problem in check_dxf.check(dxf, {"scale": scale, "sections": sections}):
                    failures.append(f"{name} at 1:{scale}: {problem}")
    for line in failures:
        print(line)
    sys.exit(1 if failures else 0)


main()
