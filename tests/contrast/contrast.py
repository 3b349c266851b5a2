"""Photographs every window through the driver in a real X server, with Qt's GTK platform
theme on a light and on a dark desktop (Adwaita, Adwaita:dark) and with no theme, and
measures the contrast (WCAG's ratio of relative luminances) of every text against what is
drawn behind it. Fails when any text is below 3:1.

    contrast.py DRIVER OUTDIR

Run inside an X server (xvfb-run). For each control with text, the background is the most
common colour inside it and the text colour the one the control's palette gives; the text
must really be drawn in that colour (its strongest pixel is near it; the thin strokes of
an italic Song face are smoothed), so that a palette which
the desktop overrides is caught as well."""

import collections
import json
import os
import pathlib
import struct
import subprocess
import sys
import zlib

WINDOWS = [
    ("流量Q的计算", "计算1", "返回1",
     [("dkb", "2"), ("ssh", "1"), ("bpm", "1"), ("dpi", "0.001"), ("cln", "0.025")]),
    ("水深h的计算", "计算1", "返回1",
     [("llQ1", "10"), ("dkb1", "5"), ("bpm1", "1.5"), ("dpi1", "0.0005"), ("cln1", "0.025")]),
    ("底宽b的计算", "计算2", "返回2",
     [("llQ2", "5"), ("ssh2", "1.2"), ("bpm2", "1"), ("dpi2", "0.0004"), ("cln2", "0.02")]),
    ("底坡i的计算", "计算3", "返回3",
     [("llQ3", "5"), ("dkb3", "2"), ("bpm3", "1"), ("ssh3", "1"), ("cln3", "0.025")]),
    ("渠道断面尺寸的计算", "计算4", "返回4",
     [("llQ4", "10"), ("lsv4", "1"), ("bpm4", "1"), ("dpi4", "0.001"), ("cln4", "0.025")]),
]

DESKTOPS = [
    ("light", {"QT_QPA_PLATFORMTHEME": "gtk3", "GTK_THEME": "Adwaita"}),
    ("dark", {"QT_QPA_PLATFORMTHEME": "gtk3", "GTK_THEME": "Adwaita:dark"}),
    ("plain", {}),
]


def read_png(path):
    """The pixels of an 8-bit RGB or RGBA PNG, as rows of (r, g, b)."""
    data = pathlib.Path(path).read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat += chunk
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, (path, header)
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - step] if x >= step else 0
            b = previous[x]
            c = previous[x - step] if x >= step else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x:x + 3]) for x in range(0, stride, step)])
        previous = line
    return rows


def drawn(picture):
    """Whether the picture holds more than one colour."""
    rows = read_png(picture)
    return len({p for row in rows for p in row}) > 1


def luminance(rgb):
    def linear(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(v) for v in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def distance(a, b):
    return sum(abs(a[c] - b[c]) for c in range(3))


def hex_colour(text):
    return tuple(int(text[k:k + 2], 16) for k in (1, 3, 5))


def script(outdir):
    lines = [f"screenshot {outdir}/menu.png", "dump"]
    for k, (opener, compute, back, inputs) in enumerate(WINDOWS):
        lines.append(f"click {opener}")
        lines += [f"type {name} {text}" for name, text in inputs]
        lines += [f"click {compute}", f"screenshot {outdir}/window{k}.png", "dump",
                  f"click {back}"]
    return "\n".join(lines) + "\n"


def measure(picture, window):
    """(name, ratio) for every control with text in the window's screenshot."""
    rows = read_png(picture)
    assert (len(rows[0]), len(rows)) == tuple(window["client"][2:]), "a frame in the picture"
    found = []
    for control in window["controls"]:
        if not control["text"].strip() or control["kind"] == "picture":
            continue
        x, y, w, h = control["rect"]
        # Inside a field's or a button's frame and focus ring.
        inset = {"field": 3, "button": 5}.get(control["kind"], 0)
        pixels = [rows[j][i] for j in range(y + inset, y + h - inset)
                  for i in range(x + inset, x + w - inset)]
        background = collections.Counter(pixels).most_common(1)[0][0]
        ink = hex_colour(control["color"])
        # The strongest pixel of the text, the one farthest from the background.
        strongest = max(pixels, key=lambda p: distance(p, background))
        if distance(strongest, ink) > 150:
            # Not drawn as the palette says: measure what is drawn.
            print(f"{control['name']} in {picture}: its text is drawn in {strongest}, "
                  f"not in its colour {control['color']}")
            ink = strongest
        found.append((control["name"], contrast(ink, background)))
    return found


def main():
    driver, outdir = sys.argv[1], pathlib.Path(sys.argv[2])
    failures, lowest = [], {}
    for desktop, settings in DESKTOPS:
        where = outdir / desktop
        where.mkdir(parents=True, exist_ok=True)
        env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORMTHEME", "GTK_THEME")}
        env.update(settings, QT_QPA_PLATFORM="xcb")
        pictures = [where / "menu.png"] + [where / f"window{k}.png" for k in range(len(WINDOWS))]
        # A window photographed before the X server has drawn it is one flat colour, or on a
        # busy machine drawn only in part; the run is taken again then. A text that really
        # lacks contrast lacks it every time.
        for attempt in range(4):
            run = subprocess.run([driver], input=script(where), capture_output=True, text=True,
                                 env=env, timeout=110)
            if run.returncode != 0:
                print(f"driver exited with {run.returncode}:\n{run.stdout}\n{run.stderr}")
                return 1
            dumps = [json.loads(line) for line in run.stdout.splitlines() if line.startswith("{")]
            if all(drawn(p) for p in pictures) and all(
                    ratio >= 3.0 for picture, dump in zip(pictures, dumps)
                    for _, ratio in measure(picture, next(w for w in dump["windows"] if w["visible"]))):
                break
            print(f"{desktop}: a window was photographed before it was fully drawn; again")
        for picture, dump in zip(pictures, dumps):
            window = next(w for w in dump["windows"] if w["visible"])
            for name, ratio in measure(picture, window):
                print(f"{desktop}\t{window['name']}\t{name}\t{ratio:.2f}")
                if ratio < 3.0:
                    failures.append(f"{desktop} {window['name']} {name}: {ratio:.2f}:1")
                if desktop not in lowest or ratio < lowest[desktop][1]:
                    lowest[desktop] = (f"{window['name']} {name}", ratio)
    for desktop, (where, ratio) in lowest.items():
        print(f"lowest on {desktop}: {ratio:.2f}:1 ({where})")
    if failures:
        print("below 3:1:\n" + "\n".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
