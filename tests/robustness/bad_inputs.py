"""Every bad input of the catalogue, in every input field of every window, through the
driver: each press either computes (the text was a number after all) or shows the failure
report, and a failed press changes no field. A text that is no number is reported as a
conversion failure that names the field by its label."""

import json
import re
import subprocess
import sys

DRIVER = sys.argv[1]

# menu button, compute button, return button, (input field, a valid text)…, result fields
WINDOWS = [
    ("流量Q的计算", "计算1", "返回1",
     [("dkb", "2"), ("ssh", "1"), ("bpm", "1"), ("dpi", "0.001"), ("cln", "0.025")], ["llQ", "lsv"]),
    ("水深h的计算", "计算1", "返回1",
     [("llQ1", "10"), ("dkb1", "5"), ("bpm1", "1.5"), ("dpi1", "0.0005"), ("cln1", "0.025")], ["ssh1"]),
    ("底宽b的计算", "计算2", "返回2",
     [("llQ2", "5"), ("ssh2", "1.2"), ("bpm2", "1"), ("dpi2", "0.0004"), ("cln2", "0.02")], ["dkb2"]),
    ("底坡i的计算", "计算3", "返回3",
     [("llQ3", "5"), ("dkb3", "2"), ("bpm3", "1"), ("ssh3", "1"), ("cln3", "0.025")], ["dpi3"]),
    ("渠道断面尺寸的计算", "计算4", "返回4",
     [("llQ4", "10"), ("lsv4", "1"), ("bpm4", "1"), ("dpi4", "0.001"), ("cln4", "0.025")], ["ssh4", "dkb4"]),
]
CAPTIONS = {"llQ": "流量Q", "lsv": "流速v", "dkb": "底宽b", "ssh": "水深h", "bpm": "边坡系数m",
            "dpi": "底坡i", "cln": "糙率n"}

NOT_A_NUMBER = ["", " ", "\u3000", "abc", "1.2.3", "1,000", "--1", "+-1", "1e", "e5", ".", "-",
                "inf", "nan", "0x10", "1e39", "-1e39", "1234567890" * 3000]
MAYBE_A_NUMBER = ["1e-50", "１．５", "1\u00002", "\u200f1", " 2 ", "\u30002\u3000"]
RESULT = re.compile(r"-?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?(E\+[0-9]{2,3})?")


def command(verb, name, text):
    # A long text is pasted, as a user would; typing 30 000 keys one by one says nothing more.
    return f"{'paste' if len(text) > 100 else verb} {name} {json.dumps(text)}"


def script_for(window):
    menu, compute, back, inputs, outputs = window
    fields = [name for name, _ in inputs] + outputs
    lines, steps = [f"click {menu}"], []
    lines += [command("type", name, text) for name, text in inputs]
    for name, valid in inputs:
        for bad in NOT_A_NUMBER + MAYBE_A_NUMBER:
            lines.append(command("type", name, bad))
            lines += [f"print {f}" for f in fields]
            lines.append(f"click {compute}")
            lines += [f"print {f}" for f in fields]
            lines.append(command("type", name, valid))
            steps.append((name, bad))
    lines.append(f"click {back}")
    return "\n".join(lines) + "\n", fields, steps


def check(window):
    script, fields, steps = script_for(window)
    run = subprocess.run([DRIVER], input=script.encode(), capture_output=True, timeout=600)
    if run.returncode != 0:
        return [f"driver failed: {run.stdout.decode()[-2000:]}"]
    out = run.stdout.decode().split("\n")
    problems, at = [], 0
    outputs = set(window[4])

    def texts():
        nonlocal at
        got = {}
        for f in fields:
            name, _, text = out[at].partition("\t")
            if name != f:
                raise ValueError(f"expected a print of {f}, found {out[at][:80]!r}")
            got[f], at = text, at + 1
        return got

    for name, bad in steps:
        before = texts()
        failure = None
        if out[at].startswith("failure\t"):
            failure, at = out[at].split("\t"), at + 1
        after = texts()
        shown = repr(bad if len(bad) < 20 else bad[:20] + "…")
        if failure:
            if after != before:
                problems.append(f"{name} {shown}: a failed press changed a field")
            if bad in NOT_A_NUMBER:
                caption = CAPTIONS[name[:3]]
                if failure[1] not in ("type-mismatch", "overflow") or f"“{caption}”" not in failure[2]:
                    problems.append(f"{name} {shown}: reported as {failure[1]} «{failure[2]}»")
        else:
            if bad in NOT_A_NUMBER:
                problems.append(f"{name} {shown}: computed although it is no number")
            for f in fields:
                if f not in outputs and after[f] != before[f]:
                    problems.append(f"{name} {shown}: the press changed the input {f}")
                if f in outputs and not all(RESULT.fullmatch(p) for p in after[f].split("或")) and after[f] != "无解":
                    problems.append(f"{name} {shown}: {f} shows {after[f]!r}")
    return problems


problems, cases = [], 0
for window in WINDOWS:
    problems += check(window)
    cases += len(window[3]) * (len(NOT_A_NUMBER) + len(MAYBE_A_NUMBER))
for p in problems:
    print(p)
print(f"{cases - len(problems)} passed, {len(problems)} failed")
sys.exit(1 if problems else 0)
