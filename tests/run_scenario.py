"""Runs one scenario script through the driver. The driver's own expectations must hold (it
exits 0), and when a NAME.expected file stands beside the script, the driver's output must be
that, line for line: every failure report and the final "ended" included. A line of JSON
(the driver's `dump`) is compared as JSON, so that the order of an object's keys and the
spelling of a number (15 or 15.0) do not matter, while every key and value does.

    python3 run_scenario.py DRIVER SCRIPT
"""
import json
import pathlib
import subprocess
import sys


def same_line(found: str, expected: str) -> bool:
    if found == expected:
        return True
    if found.startswith("{") and expected.startswith("{"):
        try:
            return json.loads(found) == json.loads(expected)
        except json.JSONDecodeError:
            return False
    return False


def main() -> int:
    driver, script = sys.argv[1], pathlib.Path(sys.argv[2])
    run = subprocess.run([driver, str(script)], capture_output=True, text=True, timeout=110)
    if run.returncode != 0:
        print(f"driver exited with {run.returncode}:\n{run.stdout}\n{run.stderr}")
        return 1
    expected_file = script.with_suffix(".expected")
    if expected_file.exists():
        expected = expected_file.read_text(encoding="utf-8").splitlines()
        found = run.stdout.splitlines()
        if len(found) != len(expected) or not all(map(same_line, found, expected)):
            print(f"output differs from {expected_file}\n--- expected\n"
                  + "\n".join(expected) + "\n--- found\n" + run.stdout)
            return 1
    print(run.stdout, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main())
