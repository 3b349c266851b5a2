#!/usr/bin/python3
"""Reads a section drawing with ezdxf, an independent DXF reader, and checks it against the
channels it should show.

    check_dxf.py FILE JSON

JSON: {"scale": 50, "sections": [{"b": 2, "h": 1, "m": 1.5, "hb": 1.3 or null, "H": 1.6}, …]}
with lengths in metres. Exits 1 with a line for each difference; prints "ok" otherwise.
"""
import json
import math
import sys

import ezdxf

TOLERANCE = 0.5  # mm


def check(path, expected):
    """The differences between the drawing at `path` and `expected`, one line each."""
    problems = []
    doc = ezdxf.readfile(path)
    if doc.dxfversion != "AC1024":
        problems.append(f"version {doc.dxfversion}, not AC1024")
    auditor = doc.audit()
    for error in auditor.errors:
        problems.append(f"audit: {error.message}")
    layers = {layer.dxf.name for layer in doc.layers}
    wanted = {"轮廓线", "设计水位", "尺寸标注", "文字"}
    if any(s["hb"] is not None for s in expected["sections"]):
        wanted.add("加大水位")
    elif "加大水位" in layers:
        problems.append("a 加大水位 layer without an enlarged depth")
    for name in sorted(wanted - layers):
        problems.append(f"no layer {name}")
    if "加大水位" in layers and doc.layers.get("加大水位").dxf.linetype.upper() != "DASHED":
        problems.append("the 加大水位 layer is not dashed")

    msp = doc.modelspace()

    def horizontal(layer):
        lines = []
        for line in msp.query(f'LINE[layer=="{layer}"]'):
            a, b = line.dxf.start, line.dxf.end
            if abs(a.y - b.y) < 1e-9 and abs(a.x - b.x) > 0:
                lines.append((min(a.x, b.x), max(a.x, b.x), a.y))
        return sorted(lines)

    # The bottoms are the lowest horizontal outline lines, one for each section, left to right.
    outline = horizontal("轮廓线")
    low = min((y for _, _, y in outline), default=0)
    bottoms = [l for l in outline if abs(l[2] - low) < 1e-6]
    sections = expected["sections"]
    if len(bottoms) != len(sections):
        problems.append(f"{len(bottoms)} bottoms for {len(sections)} sections")
    water = horizontal("设计水位")
    enlarged = horizontal("加大水位") if "加大水位" in layers else []
    measured = sorted(d.get_measurement() for d in msp.query("DIMENSION"))
    for k, (s, bottom) in enumerate(zip(sections, bottoms)):
        b, h, m = s["b"] * 1000, s["h"] * 1000, s["m"]
        x0, x1, y0 = bottom
        if abs((x1 - x0) - b) > TOLERANCE:
            problems.append(f"section {k}: bottom {x1 - x0} mm, not {b}")

        def line_at(lines, depth, what):
            top = b + 2 * m * depth
            found = [l for l in lines if abs(l[2] - y0 - depth) <= TOLERANCE
                     and l[0] >= x0 - m * depth - TOLERANCE - 1 and l[1] <= x1 + m * depth + 1]
            if not found or abs(max(l[1] - l[0] for l in found) - top) > TOLERANCE:
                problems.append(f"section {k}: no {what} {top} mm long at {depth} mm")

        line_at(water, h, "design water line")
        if s["hb"] is not None:
            line_at(enlarged, s["hb"] * 1000, "enlarged water line")
        for length, what in ((b, "b"), (h, "h"), (s["H"] * 1000, "H")):
            if not any(abs(x - length) <= TOLERANCE for x in measured):
                problems.append(f"section {k}: no dimension measures {what} = {length}")
    if len(measured) < 3 * len(sections):
        problems.append(f"{len(measured)} dimensions for {len(sections)} sections")

    slopes = [t.dxf.text for t in msp.query('TEXT[layer=="文字"]') if t.dxf.text.startswith("1:")]
    for s in sections:
        if s["m"] > 0:
            label = "1:" + format(s["m"], "g")
            if slopes.count(label) < 2:
                problems.append(f"fewer than two {label} along the walls")
    scale = expected["scale"]
    style = doc.dimstyles.get("Lintavo")
    if style is None or not math.isclose(style.dxf.dimscale, scale):
        problems.append(f"the dimension style does not scale by {scale}")
    if not any(math.isclose(t.dxf.height, 3.5 * scale) for t in msp.query("TEXT")):
        problems.append(f"no text {3.5 * scale} high")
    if not any(f"1:{scale}" in t.dxf.text for t in msp.query("TEXT")):
        problems.append(f"the scale 1:{scale} is not written")

    return problems


if __name__ == "__main__":
    found = check(sys.argv[1], json.loads(sys.argv[2]))
    for line in found:
        print(line)
    print("ok" if not found else "", end="")
    sys.exit(1 if found else 0)
