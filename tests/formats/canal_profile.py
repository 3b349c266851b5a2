"""lintavo-calc project against a computation of its own: canal projects written here, each
reach's normal depth found by bisection in 50-digit arithmetic (mpmath), the enlarged and the
minimum flow's depths the same way, and the §6.3.8 levels summed again from the head to every
control and down the canal. Every level must agree to 1 mm, every depth and velocity to
1e-9 (relative), every verdict this computation can judge exactly, and the exit status.

    canal_profile.py LINTAVO-CALC"""

import json
import os
import re
import subprocess
import sys
import tempfile

import mpmath as mp

mp.mp.dps = 50
CALC = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def station(text):
    text = str(text).strip()
    m = re.fullmatch(r"[Kk](\d+)\+(\d+(?:\.\d+)?)", text)
    if m:
        return mp.mpf(int(m.group(1))) * 1000 + mp.mpf(float(m.group(2)))
    return mp.mpf(float(text))


def number(text):
    text = str(text).strip()
    if text.startswith("1/"):
        return mp.mpf(1.0 / float(text[2:]))
    return mp.mpf(float(text))


def discharge(b, m, i, n, h):
    A = (b + m * h) * h
    P = b + 2 * h * mp.sqrt(1 + m * m)
    return A * (A / P) ** (mp.mpf(2) / 3) * mp.sqrt(i) / n


def depth(Q, b, m, i, n):
    lo, hi = mp.mpf(0), mp.mpf(1)
    while discharge(b, m, i, n, hi) < Q:
        hi *= 2
    for _ in range(200):
        mid = (lo + hi) / 2
        if discharge(b, m, i, n, mid) < Q:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def expected(project):
    """The results of a project whose reaches all read, by this file's own arithmetic."""
    s = project.get("settings", {})
    enlarge = mp.mpf(float(s.get("enlarge", "25")))
    minimum = mp.mpf(float(s.get("minimum", "40")))
    rotational = s.get("supply") == "rotational"
    silt = s.get("silt")
    reaches = []
    for r in project["reaches"]:
        Q, b, m, i, n = (number(r[k]) for k in ("Q", "b", "m", "i", "n"))
        x = {"from": station(r["from"]), "to": station(r["to"]), "Q": Q, "i": i}
        x["L"] = x["to"] - x["from"]
        x["loss"] = number(r["loss"]) if str(r.get("loss", "")).strip() else mp.mpf(0)
        x["fails"] = not (n > 0)
        if not x["fails"]:
            h = depth(Q, b, m, i, n)
            x["h"], x["v"] = h, Q / ((b + m * h) * h)
            checks = {}
            if rotational:
                x["H"] = h + h / 4 + mp.mpf("0.2")
            else:
                hb = depth(Q * (1 + enlarge / 100), b, m, i, n)
                x["hb"], x["H"] = hb, hb + hb / 4 + mp.mpf("0.2")
                hmin = depth(Q * (minimum / 100), b, m, i, n)
                checks["minimum-depth"] = "满足" if hmin >= mp.mpf(0.6) * h else "不满足"
                vmin = Q * (minimum / 100) / ((b + m * hmin) * hmin)
                if silt:
                    checks["silt-minimum"] = "满足" if vmin >= float(silt) else "不满足"
            if silt:
                checks["silt-design"] = "满足" if x["v"] >= float(silt) else "不满足"
            x["checks"] = checks
        reaches.append(x)

    # From the head: the drop to each reach's upstream end.
    drop = [mp.mpf(0)]
    for x in reaches[:-1]:
        drop.append(drop[-1] + x["i"] * x["L"] + x["loss"])

    def where(s):
        for k, x in enumerate(reaches):
            if x["from"] <= s <= x["to"]:
                return k
        raise ValueError(s)

    levels = project["levels"]
    controls = []
    for c in levels.get("controls", []):
        s = station(c["station"])
        k = where(s)
        required = number(c["ground"]) + number(c["h0"])
        controls.append({"station": s, "required": required, "k": k,
                         "needs": required + drop[k] + reaches[k]["i"] * (s - reaches[k]["from"])})
    if "head" in levels:
        inlet = number(levels["head"]["wl"])
    else:
        inlet = max(c["needs"] for c in controls)
    for k, x in enumerate(reaches):
        x["wl_up"] = inlet - drop[k]
        x["wl_down"] = x["wl_up"] - x["i"] * x["L"]
        if "h" in x:
            x["bed_up"], x["bed_down"] = x["wl_up"] - x["h"], x["wl_down"] - x["h"]
            x["bank_up"], x["bank_down"] = x["bed_up"] + x["H"], x["bed_down"] + x["H"]
            if "hb" in x:
                x["wlb_up"], x["wlb_down"] = x["bed_up"] + x["hb"], x["bed_down"] + x["hb"]
    for c in controls:
        x = reaches[c["k"]]
        c["wl"] = x["wl_up"] - x["i"] * (c["station"] - x["from"])
        c["margin"] = c["wl"] - c["required"]
    return inlet, reaches, controls


def run(project, name):
    folder = tempfile.mkdtemp()
    path = os.path.join(folder, name + ".lintavo")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(project, f, ensure_ascii=False)
    done = subprocess.run([CALC, "project", path, "--json"], capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def close(got, want, tolerance, what):
    check(got is not None and abs(mp.mpf(got) - want) <= tolerance,
          f"{what}: {got} against {mp.nstr(want, 17)}")


def compare(name, project, status=None):
    code, out, err = run(project, name)
    check(code in (0, 1), f"{name}: exit {code} ({err})")
    if code not in (0, 1):
        return None
    got = json.loads(out)
    inlet, reaches, controls = expected(project)
    close(got["inlet"]["wl"], inlet, mp.mpf("0.001"), f"{name} inlet")
    close(got["inlet"]["station"], reaches[0]["from"], 0, f"{name} inlet station")
    check(len(got["reaches"]) == len(reaches), f"{name}: reach count")
    met = True
    for k, (g, x) in enumerate(zip(got["reaches"], reaches)):
        label = f"{name} reach {k + 1}"
        for key in ("from", "to", "L"):
            close(g.get(key), x[key], mp.mpf("1e-9"), f"{label} {key}")
        for key in ("wl_up", "wl_down", "bed_up", "bed_down", "wlb_up", "wlb_down",
                    "bank_up", "bank_down"):
            if key in x:
                close(g.get(key), x[key], mp.mpf("0.001"), f"{label} {key}")
            else:
                check(key not in g, f"{label}: {key} should be absent")
        for key in ("h", "v", "hb", "H"):
            if key in x:
                close(g.get(key), x[key], mp.mpf("1e-9") * x[key], f"{label} {key}")
            else:
                check(key not in g, f"{label}: {key} should be absent")
        if x["fails"]:
            check(g.get("problems"), f"{label}: no reason given for the failure")
            met = False
            continue
        check("problems" not in g, f"{label}: {g.get('problems')}")
        for rule, verdict in x["checks"].items():
            check(g["checks"].get(rule) == verdict,
                  f"{label} {rule}: {g['checks'].get(rule)} against {verdict}")
        # With no bed chosen, the rules that need one are left unchecked.
        if "bed" not in project.get("settings", {}):
            for rule, verdict in g["checks"].items():
                if rule not in x["checks"]:
                    check(verdict == "未校核", f"{label} {rule}: {verdict}, no bed chosen")
        met = met and all(v != "不满足" for v in g["checks"].values())
    check(len(got["controls"]) == len(controls), f"{name}: control count")
    for k, (g, c) in enumerate(zip(got["controls"], controls)):
        for key in ("station", "required", "wl", "margin"):
            close(g.get(key), c[key], mp.mpf("0.001"), f"{name} control {k + 1} {key}")
    want = status if status is not None else (0 if met else 1)
    check(code == want, f"{name}: exit {code}, expected {want}")
    return got


def reach(name, start, end, Q, b, m, i, n, loss=""):
    return {"name": name, "from": start, "to": end, "Q": Q, "b": b, "m": m, "i": i, "n": n,
            "loss": loss}


def project(reaches, levels, **settings):
    base = {"class": "4", "enlarge": "20"}
    base.update(settings)
    return {"format": "lintavo-project", "version": 1,
            "project": {"name": "测试工程", "canal": "总干渠"},
            "settings": base, "levels": levels, "reaches": reaches}


main_canal = [
    reach("干1", "K0+000", "K1+250", "12", "5", "1.5", "1/5000", "0.025", "0.05"),
    reach("干2", "K1+250", "K3+000", "10", "4.5", "1.5", "1/4000", "0.025", "0.1"),
    reach("干3", "K3+000", "K4+120.5", "6.5", "3", "1.25", "0.0003", "0.0225", "0.08"),
    reach("干4", "K4+120.5", "5600", "3.2", "2", "1", "1/2500", "0.02"),
]

# Controls at the junctions and at the tail, the tail governing, then a junction.
compare("tail governs", project(main_canal, {"controls": [
    {"station": "K1+250", "ground": 1250.30, "h0": 0.15},
    {"station": "K3+000", "ground": 1249.0, "h0": 0.2},
    {"station": "K5+600", "ground": 1248.9, "h0": 0.1}]}, silt="0.5"))
compare("junction governs", project(main_canal, {"controls": [
    {"station": "K1+250", "ground": 1251.80, "h0": 0.15},
    {"station": "K4+120.5", "ground": 1249.0, "h0": 0.2},
    {"station": "K2+100", "ground": 1250.5, "h0": 0.2},
    {"station": "K0+000", "ground": 1250.0, "h0": 0.1}]}))
# A head level: every control's margin, one of them short of its level.
compare("head level", project(main_canal, {"head": {"wl": 1252.5}, "controls": [
    {"station": "K3+000", "ground": 1251.9, "h0": 0.15},
    {"station": "5600", "ground": 1249.0, "h0": 0.15}]}, silt="0.8", minimum="30"))
# Rotational supply: no enlarged flow, the bank from the design depth.
got = compare("rotational", project(main_canal[:2], {"head": {"wl": "1262.50"}},
                                    supply="rotational"))
check(got is not None and all("wlb_up" not in r for r in got["reaches"]), "rotational: 加大 level")

# A reach that fails keeps its reason; the others, and the levels past it, still compute.
broken = [dict(r) for r in main_canal]
broken[1]["n"] = "0"
got = compare("zero n", project(broken, {"controls": [
    {"station": "K5+600", "ground": 1248.9, "h0": 0.1}]}), status=1)
check(got is not None and "糙率" in "".join(got["reaches"][1].get("problems", [])),
      "zero n: the reason names n")

# A slope that is not a number: its levels and those beyond are gone; the sections compute.
code, out, err = run(project([dict(main_canal[0]), dict(main_canal[1], i="1/abc"),
                              dict(main_canal[2])],
                             {"controls": [{"station": "K1+250", "ground": 1250.3, "h0": 0.15},
                                           {"station": "K4+000", "ground": 1248, "h0": 0.2}]}),
                     "bad slope")
check(code == 1, f"bad slope: exit {code}")
got = json.loads(out) if code == 1 else {"reaches": [{}, {}, {}], "controls": [{}, {}]}
check("h" in got["reaches"][2] and "wl_up" not in got["reaches"][2], "bad slope: reach 3")
check("底坡" in "".join(got["reaches"][1].get("problems", [])), "bad slope: the reason")
check("wl_up" in got["reaches"][0], "bad slope: reach 1 keeps its levels")
check(got["controls"][1].get("problems"), "bad slope: the control beyond says why")

# A gap names both stations.
code, out, err = run(project([dict(main_canal[0]), dict(main_canal[1], **{"from": "K1+300"})],
                             {"head": {"wl": 1252}}), "gap")
check(code == 1, f"gap: exit {code}")
problems = "".join(json.loads(out)["reaches"][1].get("problems", [])) if code == 1 else ""
check("K1+250" in problems and "K1+300" in problems, f"gap: {problems}")

# Files that are not projects are refused whole, with a Chinese sentence.
for name, text in [("not json", "{\"format\": "), ("other format", "{\"format\": \"x\"}"),
                   ("newer", json.dumps(dict(project(main_canal, {"head": {"wl": 1}}),
                                             version=2))),
                   ("wrong type", json.dumps(project([dict(main_canal[0], Q=[1])],
                                                     {"head": {"wl": 1}}))),
                   ("deep", "[" * 100000 + "]" * 100000)]:
    folder = tempfile.mkdtemp()
    path = os.path.join(folder, "bad.lintavo")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    done = subprocess.run([CALC, "project", path, "--json"], capture_output=True)
    check(done.returncode == 2 and done.stdout == b"", f"{name}: exit {done.returncode}")
    check(re.search("[\u4e00-\u9fff]", done.stderr.decode("utf-8")), f"{name}: no Chinese refusal")
    if name == "newer":
        check("更新版本" in done.stderr.decode("utf-8"), "newer: says so")

# The result table: every number of the JSON as a number in the workbook, the slope as typed.
import csv  # noqa: E402

import openpyxl  # noqa: E402

folder = tempfile.mkdtemp()
path = os.path.join(folder, "canal.lintavo")
with open(path, "w", encoding="utf-8") as f:
    json.dump(project(main_canal, {"head": {"wl": 1252.5}}), f, ensure_ascii=False)
book = os.path.join(folder, "成果表.xlsx")
done = subprocess.run([CALC, "project", path, "--json", "--table", book], capture_output=True)
got = json.loads(done.stdout)
sheet = openpyxl.load_workbook(book).active
rows = list(sheet.iter_rows(values_only=True))
header = rows[0]
check(len(rows) == 1 + len(main_canal), f"table: {len(rows)} rows")
columns = {"水深h(m)": "h", "流速v(m/s)": "v", "加大水深hb(m)": "hb", "渠高H(m)": "H",
           "起点设计水位(m)": "wl_up", "终点渠底高程(m)": "bed_down", "终点堤顶高程(m)": "bank_down",
           "长度L(m)": "L"}
for row, r in zip(rows[1:], got["reaches"]):
    check(row[0] == r["name"], f"table: name {row[0]}")
    for title, key in columns.items():
        cell = row[header.index(title)]
        check(isinstance(cell, float) or isinstance(cell, int), f"table: {title} not a number")
        check(cell == r[key], f"table: {title} {cell} against {r[key]}")
check(sheet.cell(row=2, column=header.index("底坡i") + 1).number_format == "?/5000",
      "table: the slope keeps its ratio")
with_csv = os.path.join(folder, "成果表.csv")
done = subprocess.run([CALC, "project", path, "--table", with_csv], capture_output=True)
with open(with_csv, encoding="utf-8-sig", newline="") as f:
    table = list(csv.reader(f))
check(table[1][header.index("起点设计水位(m)")] == repr(got["reaches"][0]["wl_up"]),
      "csv table: the inlet level")
# A table that cannot be written: exit 2, nothing printed, nothing left behind.
missing = os.path.join(folder, "没有的文件夹", "a.xlsx")
done = subprocess.run([CALC, "project", path, "--json", "--table", missing], capture_output=True)
check(done.returncode == 2 and done.stdout == b"", f"unwritable table: exit {done.returncode}")
check(not os.path.exists(os.path.dirname(missing)), "unwritable table: made a folder")
check(sorted(os.listdir(folder)) == sorted(["canal.lintavo", "成果表.xlsx", "成果表.csv"]),
      f"table: files left behind {os.listdir(folder)}")
# The profile's drawing and the book are written beside the table (their content is checked
# by formats.dxf); into a folder that is not there, nothing is, and the exit says so.
done = subprocess.run([CALC, "project", path, "--profile", os.path.join(folder, "p.dxf"),
                       "--book", os.path.join(folder, "b.docx")], capture_output=True)
check(done.returncode in (0, 1) and os.path.getsize(os.path.join(folder, "p.dxf")) > 0
      and os.path.getsize(os.path.join(folder, "b.docx")) > 0, "--profile and --book written")
done = subprocess.run([CALC, "project", path, "--profile", os.path.join(folder, "无", "p.dxf")],
                      capture_output=True)
check(done.returncode == 2 and not os.path.exists(os.path.join(folder, "无")),
      "--profile into a missing folder")

for failure in failures:
    print(failure)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
