"""Compares the Windows driver's output with a scenario's .expected file.

Line for line and byte for byte, except in a `dump`: where a window that has never been
shown is placed is the window system's choice, so the position of a hidden window is not
compared (its size is).
    python3 same_output.py EXPECTED FOUND
"""
import json
import sys


def normalised(line):
    try:
        dump = json.loads(line)
    except ValueError:
        return line
    if not isinstance(dump, dict):
        return line
    for window in dump.get("windows", []):
        if not window.get("visible", True) and "client" in window:
            window["client"] = window["client"][2:]
    # Compared as JSON values: the order of keys and the spelling of a number (15, 15.0)
    # are not what a dump says.
    return dump


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        expected = f.read().split("\n")
    with open(sys.argv[2], encoding="utf-8", errors="replace") as f:
        found = f.read().split("\n")
    same = len(expected) == len(found) and all(
        a == b or normalised(a) == normalised(b) for a, b in zip(expected, found))
    if not same:
        for number, (a, b) in enumerate(zip(expected, found), 1):
            if a != b and normalised(a) != normalised(b):
                print(f"line {number}:\n  expected {a[:300]}\n  found    {b[:300]}")
                break
        else:
            print(f"expected {len(expected)} lines, found {len(found)}")
    sys.exit(0 if same else 1)


main()
