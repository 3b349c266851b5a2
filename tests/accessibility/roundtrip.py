"""The discharge window, found and used from outside through AT-SPI, as a screen reader
would: open it from the menu, set the five inputs through the editable-text interface,
press 计算 through the action interface, and read both results back."""

import sys
import time

import pyatspi

EXPECTED = {"流量Q（计算结果）": "2.763", "流速v（计算结果）": "0.921"}
INPUTS = {"底宽b": "2", "水深h": "1", "边坡系数m": "1", "底坡i": "0.001", "糙率n": "0.025"}


def wait_for(what, probe, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"AT-SPI: no {what} after {seconds} s")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == "lintavo":
            return app
    return None


def frame(app, title):
    for child in app:
        if child is not None and child.getRole() == pyatspi.ROLE_FRAME and child.name == title:
            if child.getState().contains(pyatspi.STATE_SHOWING):
                return child
    return None


def control(root, role, name):
    return pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name)


def press(button):
    actions = button.queryAction()
    names = [actions.getName(k) for k in range(actions.nActions)]
    actions.doAction(names.index("Press") if "Press" in names else 0)


app = wait_for("Lintavo on the accessibility bus", application)
menu = wait_for("main window", lambda: frame(app, "Lintavo"))
press(wait_for("menu button", lambda: control(menu, pyatspi.ROLE_PUSH_BUTTON, "流量Q计算")))
window = wait_for("discharge window", lambda: frame(app, "流量Q计算"))

for name, text in INPUTS.items():
    field = wait_for(f"field {name}", lambda: control(window, pyatspi.ROLE_TEXT, name))
    field.queryEditableText().setTextContents(text)
press(control(window, pyatspi.ROLE_PUSH_BUTTON, "计算"))

failures = 0
for name, expected in EXPECTED.items():
    field = wait_for(f"result {name}", lambda: control(window, pyatspi.ROLE_TEXT, name))
    got = wait_for(f"text of {name}", lambda: field.queryText().getText(0, -1).strip() or None, 5)
    if got != expected:
        print(f"{name}: expected {expected}, read {got}")
        failures += 1
print(f"{len(EXPECTED) - failures} passed, {failures} failed")
sys.exit(1 if failures else 0)
