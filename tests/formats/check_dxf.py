#!/usr/bin/python3
"""Reads a section drawing with ezdxf, an independent DXF reader, and checks it against the
channels it should show; then has LibreCAD (librecad dxf2pdf) print it and looks for every
line, dimension and text of it on the page.

    check_dxf.py FILE JSON
    check_dxf.py --profile FILE JSON     (a canal's profile: see check_profile)
    check_dxf.py --book FILE.docx JSON   (a canal's Word book: see check_canal_book)

JSON: {"scale": 50, "sections": [{"b": 2, "h": 1, "m": 1.5, "hb": 1.3 or null,
"H": 1.6 or null (1.2 times the highest water), "W": 2 (the bank-top width; optional),
"title": "干1" (optional: the text over the section, the scale after it),
"shape": {"kind": "u", "r": 0.5, "alpha": 10} or {"kind": "arc-toe", "r": 0.4} (b and m as
above) or {"kind": "circle", "D": 1.2} (optional: none is the trapezoid)}, …],
"book": {"name": …, "designer": …, "checker": …, "reviewer": …} (optional),
"librecad": true (optional)} with lengths in metres as the window and the book show them: the
drawing draws them in whole millimetres. Exits 1 with a line for each difference; prints "ok"
otherwise.
"""
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

import ezdxf

TOLERANCE = 0.5  # mm
SHEET = (420, 297)  # A3, paper millimetres
INK = 230  # darker than this on LibreCAD's page is drawn: cyan (the 加大水位 layer) is 179
TITLE_BLOCK = ("工程名称", "图名", "比例", "设计", "校核", "审核", "日期")


def whole_mm(metres):
    """Metres in whole millimetres, a half away from zero."""
    return math.floor(metres * 1000 + 0.5)


def bank_mm(section):
    """H in whole millimetres: the design check's, or 1.2 times the highest water as drawn."""
    if section["H"] is not None:
        return whole_mm(section["H"])
    highest = max(whole_mm(section["h"]), whole_mm(section["hb"] or 0))
    return math.floor(1.2 * highest + 0.5)


def kind(section):
    """The section's shape: None (the trapezoid), "u", "arc-toe" or "circle"."""
    return (section.get("shape") or {}).get("kind")


def top_width(section, depth):
    """The water's width in millimetres at `depth` millimetres above the lowest point, from
    the section's geometry as a draftsman constructs it: a chord of the arc, then the walls."""
    shape = section.get("shape") or {}
    b, m = whole_mm(section["b"]), section["m"]
    if kind(section) == "circle":
        D = whole_mm(shape["D"])
        return 2 * math.sqrt(max(depth * (D - depth), 0))
    if kind(section) in ("u", "arc-toe"):
        r = whole_mm(shape["r"])
        if kind(section) == "u":
            b, lean = 0, math.radians(shape["alpha"])
            m = math.tan(lean)
        else:
            lean = math.atan(m)  # the wall's angle from the vertical
        rise = r * (1 - math.sin(lean))
        if depth <= rise:
            return b + 2 * math.sqrt(depth * (2 * r - depth))
        return b + 2 * r * math.cos(lean) + 2 * m * (depth - rise)
    return b + 2 * m * depth


def check_arcs(msp, sections):
    """Each arc of the outline at true size, met at both ends by a line tangent to it; a
    circle conduit as one CIRCLE of radius D/2."""
    problems = []
    lines = [(l.dxf.start, l.dxf.end) for l in msp.query('LINE[layer=="轮廓线"]')]
    arcs = sorted(msp.query('ARC[layer=="轮廓线"]'), key=lambda a: a.dxf.center.x)
    circles = sorted(msp.query('CIRCLE[layer=="轮廓线"]'), key=lambda c: c.dxf.center.x)
    wanted_arcs = []
    for s in sections:
        shape = s.get("shape") or {}
        if kind(s) == "u":
            wanted_arcs.append((whole_mm(shape["r"]), 180 + shape["alpha"], 360 - shape["alpha"]))
        elif kind(s) == "arc-toe":
            turn = math.degrees(math.atan2(1, s["m"]))
            r = whole_mm(shape["r"])
            wanted_arcs += [(r, 270 - turn, 270), (r, 270, 270 + turn)]
    if len(arcs) != len(wanted_arcs):
        problems.append(f"{len(arcs)} arcs in the outline, not {len(wanted_arcs)}")
    for arc, (r, start, end) in zip(arcs, wanted_arcs):
        if abs(arc.dxf.radius - r) > 1e-9 or abs(arc.dxf.start_angle - start) > 1e-9 or abs(
                arc.dxf.end_angle - end) > 1e-9:
            problems.append(f"an arc of radius {arc.dxf.radius} from {arc.dxf.start_angle}° to "
                            f"{arc.dxf.end_angle}°, not {r} from {start}° to {end}°")
        c = arc.dxf.center
        for angle in (arc.dxf.start_angle, arc.dxf.end_angle):
            t = math.radians(angle)
            end_point = (c.x + arc.dxf.radius * math.cos(t), c.y + arc.dxf.radius * math.sin(t))
            meeting = [(a, b) for a, b in lines for p in (a, b)
                       if math.hypot(p.x - end_point[0], p.y - end_point[1]) < 1e-6]
            if not meeting:
                problems.append(f"no outline line meets the arc at {angle}°")
                continue
            a, b = meeting[0]
            # Tangent: the line runs square to the radius where they meet.
            d = (b.x - a.x, b.y - a.y)
            cosine = (d[0] * math.cos(t) + d[1] * math.sin(t)) / math.hypot(*d)
            if abs(cosine) > 1e-9:
                problems.append(f"the line meeting the arc at {angle}° is not tangent to it")
    circle_sizes = [whole_mm(s["shape"]["D"]) / 2 for s in sections if kind(s) == "circle"]
    if sorted(c.dxf.radius for c in circles) != sorted(circle_sizes):
        problems.append(f"circles of radius {[c.dxf.radius for c in circles]}, not {circle_sizes}")
    return problems


def dimension_text(dimension):
    """The text a dimension's block shows."""
    block = dimension.get_geometry_block()
    texts = [e.dxf.text for e in block if e.dxftype() in ("MTEXT", "TEXT")] if block else []
    return texts[0] if texts else None


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
    scale = expected["scale"]

    # The text style: 长仿宋 as gbenor.shx with its big font gbcbig.shx, used by every text.
    style = doc.styles.get("Lintavo")
    if style is None or (style.dxf.font.lower(), style.dxf.get("bigfont", "").lower()) != (
            "gbenor.shx", "gbcbig.shx") or not math.isclose(style.dxf.width, 1):
        problems.append("the text style Lintavo is not gbenor.shx + gbcbig.shx at width 1")
    for text in msp.query("TEXT"):
        if text.dxf.style != "Lintavo":
            problems.append(f"{text.dxf.text} is in the style {text.dxf.style}")

    # Every dimension draws a whole number of millimetres and shows it, in its text if it has one.
    dimstyle = doc.dimstyles.get("Lintavo")
    if dimstyle is None or dimstyle.dxf.dimdec != 0:
        problems.append("the dimension style does not show whole millimetres (DIMDEC 0)")
    if doc.header.get("$DIMDEC") != 0:
        problems.append("the header's $DIMDEC is not 0")
    shown = []
    for d in msp.query("DIMENSION"):
        value = d.get_measurement()
        number = round(value)
        own = d.dxf.get("text", "")
        wanted = own.replace("<>", str(number)) if "<>" in own else (own or str(number))
        if abs(value - number) > 1e-6:
            problems.append(f"a dimension measures {value} mm, not a whole number")
        if dimension_text(d) != wanted:
            problems.append(f"a dimension of {value} mm shows {dimension_text(d)}, not {wanted}")
        shown.append((number, abs(value - number) <= 1e-6, dimension_text(d) or ""))

    def horizontal(layer):
        lines = []
        for line in msp.query(f'LINE[layer=="{layer}"]'):
            a, b = line.dxf.start, line.dxf.end
            if abs(a.y - b.y) < 1e-9 and abs(a.x - b.x) > 0:
                lines.append((min(a.x, b.x), max(a.x, b.x), a.y))
        return sorted(lines)

    # The bottoms are the lowest horizontal outline lines, one for each section with a flat bed,
    # left to right; a U's lowest point is its arc's, a circle's its circle's.
    outline = horizontal("轮廓线")
    curves = [a.dxf.center.y - a.dxf.radius for a in msp.query('ARC[layer=="轮廓线"]')
              if a.dxf.start_angle <= 270 <= a.dxf.end_angle]
    curves += [c.dxf.center.y - c.dxf.radius for c in msp.query('CIRCLE[layer=="轮廓线"]')]
    low = min([y for _, _, y in outline] + curves, default=0)
    bottoms = [l for l in outline if abs(l[2] - low) < 1e-6]
    sections = expected["sections"]
    flat = [s for s in sections if kind(s) in (None, "arc-toe")]
    if len(bottoms) != len(flat):
        problems.append(f"{len(bottoms)} bottoms for {len(flat)} sections with a bed")
    lowest = {"u": [(a.dxf.center.x, a.dxf.center.y - a.dxf.radius) for a in sorted(
                  msp.query('ARC[layer=="轮廓线"]'), key=lambda a: a.dxf.center.x)
                  if a.dxf.start_angle < 270 < a.dxf.end_angle],
              "circle": [(c.dxf.center.x, c.dxf.center.y - c.dxf.radius) for c in sorted(
                  msp.query('CIRCLE[layer=="轮廓线"]'), key=lambda c: c.dxf.center.x)]}
    lowest[None] = [((x0 + x1) / 2, y) for x0, x1, y in bottoms]
    lowest["arc-toe"] = lowest[None]
    problems += check_arcs(msp, sections)
    water = horizontal("设计水位")
    enlarged = horizontal("加大水位") if "加大水位" in layers else []
    measured = sorted(d.get_measurement() for d in msp.query("DIMENSION"))
    bank_tops = [l for l in outline if l[2] > low + 1e-6]
    dimensions_wanted = 0
    for k, s in enumerate(sections):
        if not lowest[kind(s)]:
            problems.append(f"section {k}: its lowest point is not drawn")
            break
        axis, y0 = lowest[kind(s)].pop(0)
        shape = s.get("shape") or {}
        b, h = whole_mm(s["b"]), whole_mm(s["h"])
        if kind(s) in (None, "arc-toe"):
            x0, x1, _ = bottoms[len(bottoms) - len(lowest[None]) - 1]
            if abs((x1 - x0) - b) > TOLERANCE:
                problems.append(f"section {k}: bottom {x1 - x0} mm, not {b}")

        def line_at(lines, depth, what):
            top = top_width(s, depth)
            found = [l for l in lines if abs(l[2] - y0 - depth) <= TOLERANCE
                     and l[0] >= axis - top / 2 - TOLERANCE - 1 and l[1] <= axis + top / 2 + 1]
            if not found or abs(max(l[1] - l[0] for l in found) - top) > TOLERANCE:
                problems.append(f"section {k}: no {what} {top} mm long at {depth} mm")

        line_at(water, h, "design water line")
        if s["hb"] is not None and (kind(s) != "circle" or s["hb"] <= shape["D"]):
            line_at(enlarged, whole_mm(s["hb"]), "enlarged water line")
        # b and h exactly as shown; H (the book's, to six digits) in whole millimetres; a
        # circle's D and an arc's r as R, each at true size.
        lengths = [(h, "h")]
        if kind(s) in (None, "arc-toe"):
            lengths.append((b, "b"))
        if kind(s) != "circle":
            lengths.append((bank_mm(s), "H"))
        if kind(s) == "circle":
            lengths.append((whole_mm(shape["D"]), "D="))
        elif kind(s) is not None:
            lengths.append((whole_mm(shape["r"]), "R="))
        for length, what in lengths:
            labelled = [n for n, whole, text in shown if n == length and whole
                        and text.endswith(str(length)) and ("H" in text) == (what == "H")
                        and (len(what) == 1 or text.startswith(what))]
            if not labelled:
                problems.append(f"section {k}: no dimension shows {what} = {length}")
        dimensions_wanted += len(lengths)
        # The bank tops of the canal's rank, both sides at H, each dimensioned.
        if s.get("W") and kind(s) != "circle":
            W = whole_mm(s["W"])
            tops = [l for l in bank_tops if abs(l[2] - y0 - bank_mm(s)) <= TOLERANCE
                    and abs((l[1] - l[0]) - W) <= TOLERANCE]
            if len(tops) < 2:
                problems.append(f"section {k}: {len(tops)} bank tops {W} mm wide at H, not 2")
            widths = [n for n, whole, text in shown if n == W and whole and text == f"堤顶宽 {W}"]
            if len(widths) < 2:
                problems.append(f"section {k}: {len(widths)} dimensions show the bank top {W}")
            dimensions_wanted += 2
    heights = [t.dxf.text for t in msp.query('TEXT[layer=="设计水位"]')]
    if sum("设计水位 h = " in t for t in heights) < len(sections):
        problems.append("a design water line without its 设计水位 h label")
    if any(s["hb"] is not None for s in sections):
        levels = [t.dxf.text for t in msp.query('TEXT[layer=="加大水位"]')]
        if sum("加大水位 hb = " in t for t in levels) < sum(s["hb"] is not None for s in sections):
            problems.append("an enlarged water line without its 加大水位 hb label")
    if len(measured) < dimensions_wanted:
        problems.append(f"{len(measured)} dimensions for {len(sections)} sections")

    slopes = [t.dxf.text for t in msp.query('TEXT[layer=="文字"]')
              if t.dxf.text.startswith(("1:", "α="))]
    for s in sections:
        if kind(s) == "u":
            label = "α=" + format(s["shape"]["alpha"], "g") + "°"
            if s["shape"]["alpha"] > 0 and slopes.count(label) < 2:
                problems.append(f"fewer than two {label} along the walls")
        elif kind(s) != "circle" and s["m"] > 0:
            label = "1:" + format(s["m"], "g")
            if slopes.count(label) < 2:
                problems.append(f"fewer than two {label} along the walls")
    # A section's own title (a canal's reach by its name), with the scale after it.
    titles = [t.dxf.text for t in msp.query("TEXT")]
    for s in sections:
        if s.get("title") and f"{s['title']}  1:{scale}" not in titles:
            problems.append(f"no title {s['title']}  1:{scale}")
    if dimstyle is None or not math.isclose(dimstyle.dxf.dimscale, scale):
        problems.append(f"the dimension style does not scale by {scale}")
    if not any(math.isclose(t.dxf.height, 3.5 * scale) for t in msp.query("TEXT")):
        problems.append(f"no text {3.5 * scale} high")
    if not any(f"1:{scale}" in t.dxf.text for t in msp.query("TEXT")):
        problems.append(f"the scale 1:{scale} is not written")

    problems += check_sheet(msp, scale, expected.get("book", {}))
    if expected.get("librecad"):
        problems += check_librecad(path, msp, scale)
    return problems


def check_sheet(msp, scale, book):
    """The A3 frame and the title block on the layer 图框, the drawing inside the frame and
    clear of the title block."""
    problems = []
    lines = [(l.dxf.start, l.dxf.end) for l in msp.query('LINE[layer=="图框"]')]
    if not lines:
        return ["no frame on the layer 图框"]
    xs = [p.x for line in lines for p in line]
    ys = [p.y for line in lines for p in line]
    x0, y0 = min(xs), min(ys)
    width, height = max(xs) - x0, max(ys) - y0
    if not (math.isclose(width, SHEET[0] * scale) and math.isclose(height, SHEET[1] * scale)):
        problems.append(f"the sheet is {width} × {height}, not A3 at 1:{scale}")

    def paper(p):
        return ((p.x - x0) / scale, (p.y - y0) / scale)

    def has_line(a, b):
        return any({tuple(round(v, 6) for v in paper(p)) for p in line} == {a, b} for line in lines)

    frame = ((25, 5), (415, 5), (415, 292), (25, 292))
    for a, b in zip(frame, frame[1:] + frame[:1]):
        if not has_line(a, b):
            problems.append(f"no frame line from {a} to {b}")
    texts = {t.dxf.text: paper(t.dxf.insert) for t in msp.query('TEXT[layer=="图框"]')}
    for label in TITLE_BLOCK + (f"1:{scale}",) + tuple(v for v in book.values() if v):
        if label not in texts:
            problems.append(f"the title block lacks {label}")
        elif not (415 - 140 <= texts[label][0] <= 415 and 5 <= texts[label][1] <= 45):
            problems.append(f"{label} is outside the title block")
    # The drawing itself: within the frame, and not on the title block.
    for e in msp.query("LINE TEXT"):
        if e.dxf.layer == "图框":
            continue
        for p in ((e.dxf.start, e.dxf.end) if e.dxftype() == "LINE" else (e.dxf.insert,)):
            x, y = paper(p)
            if not (25 < x < 415 and 5 < y < 292) or (x > 275 and y < 45):
                problems.append(f"the drawing reaches ({x:.0f}, {y:.0f}) on the sheet")
                return problems
    return problems


def read_pgm(path):
    """The width, height and grey bytes of a binary PGM (P5) as pdftoppm writes it."""
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:at + 1 + width * height]


def check_librecad(path, msp, scale, sheet=SHEET, dashed=("加大水位",)):
    """LibreCAD prints the drawing as it is (librecad dxf2pdf FILE): the sheet (A3 unless
    given, in paper millimetres) at 1:scale on a page of its size. The page must show every
    line (the ones on a `dashed` layer as dashes), every dimension's lines and text, and every
    text, where ezdxf says they are."""
    librecad = shutil.which("librecad")
    if librecad is None:
        print("librecad is missing: the LibreCAD check is skipped")
        return []
    dpi = 100
    with tempfile.TemporaryDirectory() as work:
        dxf = os.path.join(work, "drawing.dxf")
        shutil.copy(path, dxf)
        # Headless: Qt's offscreen platform, LibreCAD's settings in the scratch folder.
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=work,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=work)
        out = subprocess.run([librecad, "dxf2pdf", dxf], cwd=work, env=env,
                             capture_output=True, text=True, timeout=180)
        pdf = os.path.join(work, "drawing.pdf")
        if out.returncode != 0 or not os.path.exists(pdf):
            return [f"LibreCAD did not convert it: {out.stdout}{out.stderr}"]
        info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
        size = next((l for l in info.splitlines() if l.startswith("Page size")), "")
        points = [float(w) for w in size.split()[2:5:2]] if " x " in size else []
        if len(points) != 2 or any(abs(p - s * 72 / 25.4) > 1.5 for p, s in zip(points, sheet)):
            return [f"LibreCAD's page is not {sheet[0]} × {sheet[1]} mm: {size}"]
        subprocess.run(["pdftoppm", "-r", str(dpi), "-gray", pdf, os.path.join(work, "page")],
                       check=True, timeout=120)
        pages = sorted(f for f in os.listdir(work) if f.startswith("page"))
        if len(pages) != 1:
            return [f"LibreCAD printed {len(pages)} pages"]
        width, height, grey = read_pgm(os.path.join(work, pages[0]))

    def ink(x, y, reach, line=None, clear=0):
        """Ink within `reach` pixels of (x, y), `clear` pixels or more off the line (a, b)."""
        for j in range(max(0, y - reach), min(height, y + reach + 1)):
            for i in range(max(0, x - reach), min(width, x + reach + 1)):
                if grey[j * width + i] >= INK:
                    continue
                if line is None or distance((i, j), *line) >= clear:
                    return True
        return False

    def distance(p, a, b):
        dx, dy = b[0] - a[0], b[1] - a[1]
        length = math.hypot(dx, dy) or 1
        return abs((p[0] - a[0]) * dy - (p[1] - a[1]) * dx) / length

    dark = sum(1 for k in range(0, len(grey), 7) if grey[k] < INK)
    if not dark or dark * 7 > len(grey) / 5:
        return [f"LibreCAD's page is {'blank' if not dark else 'mostly dark'}"]
    frame = [p for l in msp.query('LINE[layer=="图框"]') for p in (l.dxf.start, l.dxf.end)]
    x0 = min(p.x for p in frame)
    y1 = max(p.y for p in frame)
    mm = dpi / 25.4  # pixels to a paper millimetre

    def pixel(p):
        return (min(width - 1, round((p[0] - x0) / scale * mm)),
                min(height - 1, round((y1 - p[1]) / scale * mm)))

    missing = []
    for line in msp.query("LINE"):
        a, b = line.dxf.start, line.dxf.end
        # The sheet's outer border is the page's edge, which the page may cut.
        if all(p in (0, width - 1) for p in (pixel(a)[0], pixel(b)[0])) or all(
                p in (0, height - 1) for p in (pixel(a)[1], pixel(b)[1])):
            continue
        if line.dxf.layer in dashed:
            # Dashed in LibreCAD's own pattern: dashes along it, none of its gaps wider than
            # a dash and two gaps of it.
            length = math.hypot(b.x - a.x, b.y - a.y) / scale
            steps = max(1, round(length * 2))
            found = [ink(*pixel((a.x + (b.x - a.x) * k / steps, a.y + (b.y - a.y) * k / steps)), 1)
                     for k in range(steps + 1)]
            gap = longest = 0
            for f in found:
                gap = 0 if f else gap + 1
                longest = max(longest, gap)
            if not any(found) or longest / 2 > 12:
                missing.append(f"the dashed line {a.x:.0f},{a.y:.0f}–{b.x:.0f},{b.y:.0f}")
            continue
        for t in (0.1, 0.3, 0.5, 0.7, 0.9):
            if not ink(*pixel((a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t)), 2):
                missing.append(f"the {line.dxf.layer} line {a.x:.0f},{a.y:.0f}–{b.x:.0f},{b.y:.0f}")
                break
    for curve in msp.query("ARC CIRCLE"):
        c, r = curve.dxf.center, curve.dxf.radius
        start, end = ((curve.dxf.start_angle, curve.dxf.end_angle) if curve.dxftype() == "ARC"
                      else (0, 360))
        for t in (0.1, 0.3, 0.5, 0.7, 0.9):
            angle = math.radians(start + (end - start) * t)
            if not ink(*pixel((c.x + r * math.cos(angle), c.y + r * math.sin(angle))), 2):
                missing.append(f"the {curve.dxftype()} of radius {r:.0f} about {c.x:.0f},{c.y:.0f}")
                break
    for d in msp.query("DIMENSION"):
        block = d.get_geometry_block()
        lines = [e for e in block if e.dxftype() == "LINE"]
        for e in lines:
            a, b = e.dxf.start, e.dxf.end
            if not ink(*pixel(((a.x + b.x) / 2, (a.y + b.y) / 2)), 2):
                missing.append(f"a line of the dimension {dimension_text(d)}")
        # The text: ink clear of the dimension line near where the text stands (LibreCAD sets
        # it beside the line, or past an arrow when the line is too short for it).
        along = [e for e in lines if e.dxf.start.isclose(d.dxf.defpoint)
                 or e.dxf.end.isclose(d.dxf.defpoint)]
        for e in block:
            if e.dxftype() != "MTEXT" or not along:
                continue
            size = len(e.dxf.text) * e.dxf.char_height / scale * mm
            base = (pixel(along[0].dxf.start), pixel(along[0].dxf.end))
            if not ink(*pixel(e.dxf.insert), round(size / 2), base, round(1.8 * mm)):
                missing.append(f"the dimension text {e.dxf.text}")
    for t in msp.query("TEXT"):
        # Where the text's characters are, whether LibreCAD's fonts have them or mark them.
        if not ink(*pixel(t.dxf.align_point), max(2, round(t.dxf.height / scale * mm))):
            missing.append(f"the text {t.dxf.text}")
    return [f"LibreCAD's page lacks {m}" for m in missing]


PROFILE_LAYERS = {"bed": "渠底线", "wl": "设计水位线", "wlb": "加大水位线", "bank": "堤顶线"}
PROFILE_ROWS = ("桩号", "渠底高程", "设计水位", "加大水位", "堤顶高程", "比降")
PROFILE_KEYS = ("bed", "wl", "wlb", "bank")  # the rows after 桩号, in order


def station_text(metres):
    """K<km>+<m> as an engineer writes it: 1250 → K1+250, 1250.5 → K1+250.5."""
    mm = round(metres * 1000)
    km, rest = divmod(mm, 1_000_000)
    whole, fraction = divmod(rest, 1000)
    text = f"K{km}+{whole:03d}"
    if fraction:
        text += ("." + f"{fraction:03d}").rstrip("0")
    return text


def check_profile(path, expected):
    """The differences between the profile at `path` and `expected`: {"horizontal": 2000,
    "vertical": 100, "reaches": [{"from", "to", "i", and the levels as `lintavo-calc project
    --json` gives them: "bed_up", "bed_down", "wl_up", … (a level left out where there is
    none)}], "book": {…} (optional), "librecad": true (optional)}."""
    problems = []
    doc = ezdxf.readfile(path)
    if doc.dxfversion != "AC1024":
        problems.append(f"version {doc.dxfversion}, not AC1024")
    for error in doc.audit().errors:
        problems.append(f"audit: {error.message}")
    layers = {layer.dxf.name for layer in doc.layers}
    for name in list(PROFILE_LAYERS.values()) + ["高程表", "图框"]:
        if name not in layers:
            problems.append(f"no layer {name}")
    if "加大水位线" in layers and doc.layers.get("加大水位线").dxf.linetype.upper() != "DASHED":
        problems.append("the 加大水位线 layer is not dashed")
    style = doc.styles.get("Lintavo")
    if style is None or (style.dxf.font.lower(), style.dxf.get("bigfont", "").lower()) != (
            "gbenor.shx", "gbcbig.shx"):
        problems.append("the text style Lintavo is not gbenor.shx + gbcbig.shx")
    msp = doc.modelspace()
    for text in msp.query("TEXT"):
        if text.dxf.style != "Lintavo":
            problems.append(f"{text.dxf.text} is in the style {text.dxf.style}")

    h, v = expected["horizontal"], expected["vertical"]
    stretch = h / v
    reaches = expected["reaches"]

    def point(station, level):
        return (station * 1000, level * 1000 * stretch)

    # Every level a straight line along its reach, where the reach has it.
    for key, layer in PROFILE_LAYERS.items():
        lines = [(l.dxf.start, l.dxf.end) for l in msp.query(f'LINE[layer=="{layer}"]')]
        for r in reaches:
            if f"{key}_up" not in r:
                continue
            a = point(r["from"], r[f"{key}_up"])
            b = point(r["to"], r[f"{key}_down"])
            if not any(math.dist(a, (p.x, p.y)) < 1 and math.dist(b, (q.x, q.y)) < 1
                       for p, q in lines):
                problems.append(f"no {layer} from {a} to {b}")
        # A step where two reaches meet at different levels.
        for r, n in zip(reaches, reaches[1:]):
            if f"{key}_down" in r and f"{key}_up" in n and r["to"] == n["from"] \
                    and f"{r[key + '_down']:.3f}" != f"{n[key + '_up']:.3f}":
                a, b = point(r["to"], r[f"{key}_down"]), point(n["from"], n[f"{key}_up"])
                if not any({(round(p.x), round(p.y)), (round(q.x), round(q.y))}
                           == {(round(a[0]), round(a[1])), (round(b[0]), round(b[1]))}
                           for p, q in lines):
                    problems.append(f"no step of {layer} at {station_text(r['to'])}")

    # The table: each row's label gives its height; each value stands at its station.
    texts = [t for t in msp.query('TEXT[layer=="高程表"]')]
    rows = {}
    for name in PROFILE_ROWS:
        found = [t.dxf.align_point.y for t in texts if t.dxf.text == name]
        if len(found) != 1:
            problems.append(f"the table's row {name} is labelled {len(found)} times")
            return problems
        rows[name] = found[0]
    heights = sorted(rows.values(), reverse=True)
    if [rows[n] for n in PROFILE_ROWS] != heights:
        problems.append("the table's rows are not in the order " + " ".join(PROFILE_ROWS))
    near = 3 * h  # three paper millimetres

    def cells(row, x):
        found = [t for t in texts if abs(t.dxf.align_point.y - rows[row]) < 0.5 * h
                 and abs(t.dxf.align_point.x - x) <= near and t.dxf.text != row]
        return [t.dxf.text for t in sorted(found, key=lambda t: t.dxf.align_point.x)]

    stations = []  # (metres, the reach ending there, the reach starting there)
    for k, r in enumerate(reaches):
        before = reaches[k - 1] if k > 0 and reaches[k - 1]["to"] == r["from"] else None
        if before is None:
            if k > 0:
                stations.append((reaches[k - 1]["to"], reaches[k - 1], None))
            stations.append((r["from"], None, r))
        else:
            stations.append((r["from"], before, r))
    stations.append((reaches[-1]["to"], reaches[-1], None))
    for metres, before, after in stations:
        x = metres * 1000
        if cells("桩号", x) != [station_text(metres)]:
            problems.append(f"the 桩号 at {metres} m reads {cells('桩号', x)}")
        for key, row in zip(PROFILE_KEYS, PROFILE_ROWS[1:5]):
            values = []
            if before is not None and f"{key}_down" in before:
                values.append(f"{before[key + '_down']:.3f}")
            if after is not None and f"{key}_up" in after:
                values.append(f"{after[key + '_up']:.3f}")
            if len(values) == 2 and values[0] == values[1]:
                values = values[:1]
            if cells(row, x) != values:
                problems.append(f"{row} at {station_text(metres)} reads {cells(row, x)}, "
                                f"not {values}")
    for r in reaches:
        if r.get("i") and cells("比降", (r["from"] + r["to"]) * 500) != [r["i"]]:
            problems.append(f"the 比降 of the reach from {station_text(r['from'])} is not {r['i']}")

    # The sheet: its frame and title block, with the title and both scales.
    frame = [(l.dxf.start, l.dxf.end) for l in msp.query('LINE[layer=="图框"]')]
    if not frame:
        return problems + ["no frame on the layer 图框"]
    xs = [p.x for line in frame for p in line]
    ys = [p.y for line in frame for p in line]
    sheet = ((max(xs) - min(xs)) / h, (max(ys) - min(ys)) / h)
    if sheet[1] < 297 - 1e-6 or sheet[0] < 420 - 1e-6:
        problems.append(f"the sheet is {sheet[0]} × {sheet[1]} mm, smaller than A3")
    block = {t.dxf.text for t in msp.query('TEXT[layer=="图框"]')}
    wanted = ["工程名称", "图名", "比例", "纵断面图", f"水平1:{h} 垂直1:{v}"]
    wanted += [n for n in expected.get("book", {}).values() if n]
    for label in wanted:
        if label not in block:
            problems.append(f"the title block lacks {label}")
    if expected.get("librecad"):
        problems += check_librecad(path, msp, h, sheet, ("加大水位线",))
    return problems


def check_canal_book(path, expected):
    """The canal's Word book as python-docx reads it: the project and the three names on its
    first page (up to the first page break), each reach's chapter as a 标题 1 followed by that
    reach's own book, the control's sum written out. `expected`: {"project", "title",
    "names": [3], "chapters": […], "reach_book": "明渠均匀流水深计算 计算书", "sums": […],
    "cells": […]}."""
    import docx
    d = docx.Document(path)
    first, chapters, texts = [], [], []
    broken = False
    math = "{http://schemas.openxmlformats.org/officeDocument/2006/math}t"
    word = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}t"
    for p in d.paragraphs:
        if not broken:
            first.append(p.text)
            broken = 'w:br' in p._p.xml and 'type="page"' in p._p.xml
        # The text with its equations' text, as a reader sees the paragraph.
        texts.append("".join(e.text or "" for e in p._p.iter(math, word)))
        if p.style.name.startswith("Heading 1") and p.text.startswith("第 "):
            chapters.append(p.text)
    cells = [c.text for t in d.tables for r in t.rows for c in r.cells]
    cover = d.tables[0]
    names = [cover.cell(r, 1).text for r in range(1, 4)]
    problems = []
    for wanted in (expected["project"], expected["title"]):
        if wanted not in first:
            problems.append(f"the first page lacks {wanted}: {first}")
    if names != expected["names"]:
        problems.append(f"the signers are {names}")
    if chapters != expected["chapters"]:
        problems.append(f"the chapters are {chapters}")
    books = sum(t == expected["reach_book"] for t in texts)
    if books != len(expected["chapters"]):
        problems.append(f"{books} reach books for {len(expected['chapters'])} chapters")
    # An equation's text has no blanks, and its brackets are drawn, not written.
    def bare(text):
        return "".join(c for c in text if c not in " ()")

    whole = bare("\n".join(texts))
    for s in expected["sums"]:
        if bare(s) not in whole:
            problems.append(f"the book does not write {s}")
    for value in expected["cells"]:
        if value not in cells:
            problems.append(f"no cell reads {value}")
    return problems


if __name__ == "__main__":
    if sys.argv[1] == "--book":
        found = check_canal_book(sys.argv[2], json.loads(sys.argv[3]))
    elif sys.argv[1] == "--profile":
        found = check_profile(sys.argv[2], json.loads(sys.argv[3]))
    else:
        found = check(sys.argv[1], json.loads(sys.argv[2]))
    for line in found:
        print(line)
    print("ok" if not found else "", end="")
    sys.exit(1 if found else 0)
