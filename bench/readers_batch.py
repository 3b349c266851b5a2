"""The hostile workbooks and CSV files through the batch window itself, as a user imports
them: each file in a driver process of its own, which opens 流量Q的计算, its batch window and
the file; prints the driver's peak resident memory, its time and what the window said. A
small ordinary file first, for the window's own memory. Run under a memory limit: a reader
that did not refuse would take the machine.

    python3 bench/readers_batch.py BUILD_DIR
"""

import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time

LIMIT = 2_000_000_000  # bytes of address space a driver may have


def limited():
    resource.setrlimit(resource.RLIMIT_AS, (LIMIT, LIMIT))


def drive(driver, path, tmp, env):
    """What the window said, the driver's exit status, seconds and peak resident KiB."""
    script = tmp / "import.lts"
    script.write_text(f"click 流量Q的计算\nbatch {path} {tmp}/out.csv\n", encoding="utf-8")
    start = time.monotonic()
    with open(tmp / "said.txt", "wb") as out:
        child = subprocess.Popen([driver, str(script)], stdout=out, stderr=subprocess.DEVNULL,
                                 env=env, preexec_fn=limited)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
    seconds = time.monotonic() - start
    said = (tmp / "said.txt").read_text(encoding="utf-8", errors="replace").strip()
    return said, child.returncode, seconds, usage.ru_maxrss


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build")
    driver = build / "bin" / "lintavo-driver"
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        subprocess.run([build / "bin" / "bench_readers", "--write", tmp], check=True)
        (tmp / "ordinary.csv").write_text("名称,b,h,m,i,n\n渠段1,2,1,1,0.001,0.025\n",
                                          encoding="utf-8")
        # Settings of its own, never the user's.
        env = {"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
               "HOME": str(tmp), "XDG_CONFIG_HOME": str(tmp / "config")}
        files = ["ordinary.csv"] + sorted(p.name for p in tmp.iterdir()
                                          if p.suffix in (".xlsx", ".csv") and p.name != "ordinary.csv")
        print(f"{'file':32} {'bytes':>10} {'time':>8} {'peak':>10}  said")
        for name in files:
            path = tmp / name
            said, code, seconds, peak = drive(driver, path, tmp, env)
            print(f"{name:32} {path.stat().st_size:>10} {seconds:7.2f}s {peak / 1024:8.1f} MB  "
                  f"{said if code == 0 else f'exit {code}: {said}'}", flush=True)

if __name__ == "__main__":
    main()
