#!/usr/bin/python3
"""The calculation book's files, made through the driver from real presses and read by
independent readers: the section drawing (export-drawing) by ezdxf, the Word document
(export-report FILE.docx) by python-docx, by XPath on its XML and by LibreOffice, whose PDF
of it must hold every value the book shows.

    export_files.py DRIVER
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "formats"))
import check_dxf  # noqa: E402
import docx  # noqa: E402

NS = {"w": "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
      "m": "http://schemas.openxmlformats.org/officeDocument/2006/math"}

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

FAILED = [("failed", "流量Q的计算", "计算1",
           {"dkb": "0", "ssh": "0", "bpm": "1", "dpi": "0.001", "cln": "0.025"})]


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


def png_size(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    return int.from_bytes(data[16:20], "big"), int.from_bytes(data[20:24], "big")


def check_docx(path, report, written):
    """The differences between the Word document and what the book of `report` shows."""
    problems = []
    document = docx.Document(path)
    texts = [p.text for p in document.paragraphs]
    for table in document.tables:
        for row in table.rows:
            texts += [cell.text for cell in row.cells]
    text = "\n".join(texts)
    heads = {tuple(c.text for c in t.rows[0].cells) for t in document.tables}
    failed = report["outcome"] != "ok"
    wanted = [("名称", "符号", "输入值", "单位", "说明")]
    # A bisection's book has no steps table, only its lines.
    bisection = "对分" in text
    if not bisection:
        wanted.append(("项目", "公式", "代入数值", "结果"))
    if not failed:
        wanted += [("名称", "计算值（截取前）", "结果（写入值）", "截取规则"), ("名称", "符号", "数值", "说明")]
    for head in wanted:
        if head not in heads:
            problems.append(f"no table headed {head}")
    values = [v for v in report.get("values", {}).values() if isinstance(v, str)] + written
    for c in report.get("candidates", []):
        values += [v for k, v in c.items() if isinstance(v, str)]
    for value in values:
        if value not in text:
            problems.append(f"the document lacks the value {value}")
    if failed and "计算失败" not in text:
        problems.append("a failed press without 计算失败")
    # Every step with numbers substituted has its formula as an equation.
    steps = [t for t in document.tables if t.rows[0].cells[0].text == "项目"]
    for row in steps[0].rows[1:] if steps else []:
        cells = row._tr.findall("w:tc", NS)
        if row.cells[2].text and not cells[1].findall(".//m:oMath", NS):
            problems.append(f"step {row.cells[0].text} has no equation")
    equations = document.element.body.findall(".//m:oMath", NS)
    if not failed and not bisection and len(equations) < 3:
        problems.append(f"{len(equations)} equations")
    # The drawings: a section for each channel, at 300 dpi or better.
    shapes = document.inline_shapes
    if not failed and len(shapes) < max(1, len(report.get("candidates", [])) or 1):
        problems.append(f"{len(shapes)} pictures")
    for shape in shapes:
        blip = shape._inline.graphic.graphicData.pic.blipFill.blip.embed
        width, _ = png_size(document.part.related_parts[blip].blob)
        dpi = width / (shape.width / 914400)
        if dpi < 300:
            problems.append(f"a picture at {dpi:.0f} dpi")
    footer = document.sections[0].footer._element
    instructions = " ".join(i.text for i in footer.iter(f"{{{NS['w']}}}instrText"))
    for field in ("PAGE", "NUMPAGES"):
        if field not in instructions.split():
            problems.append(f"the footer has no {field} field")
    if not any("计算书" in p.text for p in document.sections[0].header.paragraphs):
        problems.append("the page header does not name the calculation")
    styles = {s.name: s for s in document.styles}
    for name, face in (("Normal", "宋体"), ("Heading 1", "黑体")):
        fonts = styles[name].element.find("w:rPr/w:rFonts", NS) if name in styles else None
        east = fonts.get(f"{{{NS['w']}}}eastAsia") if fonts is not None else None
        if name == "Normal" and east is None:
            east = document.styles.element.find(".//w:rPrDefault//w:rFonts", NS).get(
                f"{{{NS['w']}}}eastAsia")
        if east != face:
            problems.append(f"{name} is set in {east}, not {face}")
    return problems, values


def libreoffice_text(work, files):
    """The text LibreOffice's PDF of each document holds, by file."""
    subprocess.run(["soffice", "--headless", "--convert-to", "pdf", "--outdir", work] + files,
                   capture_output=True, timeout=240, env=dict(os.environ, HOME=work))
    texts = {}
    for f in files:
        pdf = os.path.splitext(f)[0] + ".pdf"
        out = subprocess.run(["pdftotext", "-enc", "UTF-8", pdf, "-"], capture_output=True,
                             text=True)
        texts[f] = out.stdout if out.returncode == 0 else None
    return texts


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
        documents = {}
        for name, opener, compute, inputs in CASES + FAILED:
            path = os.path.join(work, name.replace(" ", "-") + ".docx")
            lines = [f"click {opener}"]
            lines += [f"type {field} {text}" for field, text in inputs.items()]
            lines += [f"click {compute}", "report", f"export-report {path}"]
            out = [l for l in run(driver, lines).splitlines() if not l.startswith("failure")]
            report = json.loads(out[0])
            problems, values = check_docx(path, report, [])
            failures += [f"{name}.docx: {p}" for p in problems]
            documents[path] = (name, values)
        if shutil.which("soffice"):
            for path, text in libreoffice_text(work, list(documents)).items():
                name, values = documents[path]
                if text is None:
                    failures.append(f"{name}.docx: LibreOffice did not convert it")
                    continue
                flat = " ".join(text.split())
                for value in values:
                    if value not in flat:
                        failures.append(f"{name}.docx: LibreOffice's PDF lacks {value}")
        else:
            print("soffice is missing (libreoffice-writer-nogui): the LibreOffice check is skipped")
    for line in failures:
        print(line)
    sys.exit(1 if failures else 0)


main()
