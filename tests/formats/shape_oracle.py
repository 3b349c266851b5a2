"""What lintavo-calc must write for the section shapes, computed apart from it: the section's
area and wetted perimeter from its geometry in 50-digit arithmetic (mpmath), Manning's
discharge over them, and the normal depth by bisection in the same arithmetic; each result
cut to three decimals toward minus infinity and written without trailing zeros.

    shape_oracle.py ALIAS FILE.csv  ->  JSON: for each row, [result texts..., remark]

A row's inputs are read as the program reads them, the double nearest the decimal typed (a
slope 1/N as the double 1/N). A depth that does not exist gives the remark "refused"; a
circle's second depth gives its three-decimal text as the remark."""

import csv
import json
import sys

import mpmath as mp

mp.mp.dps = 50


def read(text):
    text = text.strip()
    if text.startswith("1/"):
        return mp.mpf(1.0 / float(text[2:]))
    return mp.mpf(float(text))


def arcs(b, r, beta, m):
    """A function of h giving (A, P) for a bed b, toe arcs r turning through beta, walls m."""
    h0 = r * (1 - mp.cos(beta))

    def at(h):
        if h <= h0:
            phi = mp.acos((r - h) / r)
            return b * h + r * r * (phi - mp.sin(phi) * mp.cos(phi)), b + 2 * r * phi
        y = h - h0
        A0 = b * h0 + r * r * (beta - mp.sin(beta) * mp.cos(beta))
        T0 = b + 2 * r * mp.sin(beta)
        return A0 + (T0 + m * y) * y, b + 2 * r * beta + 2 * y * mp.sqrt(1 + m * m)

    return at


def shape(alias, v):
    if alias.startswith("u-"):
        alpha = mp.radians(v["a"])
        return arcs(0, v["r"], mp.pi / 2 - alpha, mp.tan(alpha)), None
    if alias.startswith("arc-toe-"):
        m = v["m"]
        beta = mp.pi / 2 if m == 0 else mp.atan(1 / m)
        return arcs(v["b"], v["r"], beta, m), None
    D = v["D"]
    return arcs(0, D / 2, mp.pi, 0), D


def discharge(section, h, i, n):
    if h == 0:
        return mp.mpf(0), mp.mpf(0)
    A, P = section(h)
    return A * (A / P) ** (mp.mpf(2) / 3) * mp.sqrt(i) / n, A


def cut(x):
    k = mp.floor(x * 1000)
    text = "%d.%03d" % (int(k) // 1000, int(k) % 1000) if k >= 0 else None
    if text is None:
        raise ValueError("negative result")
    return text.rstrip("0").rstrip(".")


def bisect(f, lo, hi):
    """The point in [lo, hi] where f changes sign, f(lo) < 0 < f(hi) or the reverse."""
    low_sign = f(lo) < 0
    for _ in range(200):
        mid = (lo + hi) / 2
        if (f(mid) < 0) == low_sign:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def solve(alias, v):
    section, D = shape(alias, v)
    i, n = v["i"], v["n"]
    if alias.endswith("-discharge"):
        Q, A = discharge(section, v["h"], i, n)
        return [cut(Q), cut(Q / A), ""]
    Q = v["Q"]
    f = lambda h: discharge(section, h, i, n)[0] - Q
    if D is None:
        hi = mp.mpf(1)
        while f(hi) < 0:
            hi *= 2
        return [cut(bisect(f, mp.mpf(0), hi)), ""]
    # The peak by golden-section search, which needs no derivative.
    lo, hi = mp.mpf(0.8) * D, D
    ratio = (mp.sqrt(5) - 1) / 2
    for _ in range(150):
        left, right = hi - ratio * (hi - lo), lo + ratio * (hi - lo)
        if discharge(section, left, i, n)[0] < discharge(section, right, i, n)[0]:
            lo = left
        else:
            hi = right
    peak = (lo + hi) / 2
    if Q > discharge(section, peak, i, n)[0]:
        return ["", "refused"]
    shallow = bisect(f, mp.mpf(0), peak)
    if Q >= discharge(section, D, i, n)[0]:
        return [cut(shallow), cut(bisect(f, peak, D))]
    return [cut(shallow), ""]


def main():
    alias, path = sys.argv[1], sys.argv[2]
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    header = rows[0]
    out = []
    for row in rows[1:]:
        values = {header[k]: read(row[k]) for k in range(len(header))}
        out.append(solve(alias, values))
    print(json.dumps(out))


main()
