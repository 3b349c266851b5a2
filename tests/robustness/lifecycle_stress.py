"""A long session through the driver: at least 10 000 presses of 计算 across the five
windows, with 返回 and reopening between them, checking that every window keeps its texts
and that the process's resident memory does not grow after warm-up.

    lifecycle_stress.py DRIVER [--presses N] [--bound-kib K]

Prints the growth in KiB; with --bound-kib, fails when it is larger than K."""

import argparse
import subprocess
import sys

# menu button, compute, return, inputs (field, text) and the results those inputs give
WINDOWS = [
    ("流量Q的计算", "计算1", "返回1",
     [("dkb", "2"), ("ssh", "1"), ("bpm", "1"), ("dpi", "0.001"), ("cln", "0.025")],
     [("llQ", "2.763"), ("lsv", "0.921")]),
    ("水深h的计算", "计算1", "返回1",
     [("llQ1", "10"), ("dkb1", "5"), ("bpm1", "1.5"), ("dpi1", "0.0005"), ("cln1", "0.025")],
     [("ssh1", "1.498")]),
    ("底宽b的计算", "计算2", "返回2",
     [("llQ2", "5"), ("ssh2", "1.2"), ("bpm2", "1"), ("dpi2", "0.0004"), ("cln2", "0.02")],
     [("dkb2", "3.552")]),
    ("底坡i的计算", "计算3", "返回3",
     [("llQ3", "5"), ("dkb3", "2"), ("bpm3", "1"), ("ssh3", "1"), ("cln3", "0.025")],
     [("dpi3", "0.00327")]),
    ("渠道断面尺寸的计算", "计算4", "返回4",
     [("llQ4", "10"), ("lsv4", "1"), ("bpm4", "1"), ("dpi4", "0.001"), ("cln4", "0.025")],
     [("ssh4", "0.781或6.999"), ("dkb4", "12.016")]),
]


def script(presses):
    lines = []
    # First visit: type the inputs once; every later visit finds them kept.
    for menu, compute, back, inputs, results in WINDOWS:
        lines.append(f"click {menu}")
        lines += [f"type {name} {text}" for name, text in inputs]
        lines += [f"click {back}"]
    done, rounds, warm = 0, 0, False
    per_visit = 20
    while done < presses:
        for menu, compute, back, inputs, results in WINDOWS:
            lines.append(f"click {menu}")
            lines += [f"expect {name} {text}" for name, text in inputs]
            for k in range(per_visit):
                lines.append(f"click {compute}")
                # Now and then one failing press, which must leave the results.
                if k == per_visit // 2:
                    lines.append(f"type {inputs[0][0]} x")
                    lines.append(f"click {compute}")
                    lines.append("expect-failure type-mismatch")
                    lines.append(f"type {inputs[0][0]} {inputs[0][1]}")
                    done += 1
            done += per_visit
            lines += [f"expect {name} {text}" for name, text in results]
            lines.append(f"click {back}")
        rounds += 1
        if not warm and done >= 1000:
            lines.append("memory")
            warm = True
    lines.append("memory")
    return "\n".join(lines) + "\n", done


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver")
    parser.add_argument("--presses", type=int, default=10000)
    parser.add_argument("--bound-kib", type=int)
    args = parser.parse_args()
    text, presses = script(args.presses)
    run = subprocess.run([args.driver], input=text.encode(), capture_output=True, timeout=1800)
    out = run.stdout.decode().splitlines()
    if run.returncode != 0:
        print("\n".join(line for line in out if not line.startswith("failure"))[-3000:])
        print("0 passed, 1 failed")
        return 1
    memory = [int(line.split("\t")[1]) for line in out if line.startswith("memory\t")]
    growth = memory[-1] - memory[0]
    print(f"{presses} presses; resident memory after warm-up {memory[0]} KiB, at the end "
          f"{memory[-1]} KiB: growth {growth} KiB")
    if args.bound_kib is not None and growth > args.bound_kib:
        print(f"growth above the bound of {args.bound_kib} KiB")
        print("0 passed, 1 failed")
        return 1
    print("1 passed, 0 failed")
    return 0


sys.exit(main())
