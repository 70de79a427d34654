#!/usr/bin/python3
"""Reads a dialog of the window through AT-SPI, as a screen reader does:
every control it expects must be there, named, and reachable with the
keyboard; then the dialog is left through its Cancel button's "click" action.

Usage: read_dialog.py <dialog title> <role|name>... Prints one line per
control ("role|name|states") and exits 1 when something is missing or wrong."""
import sys
import time

import pyatspi

TITLE = sys.argv[1]
EXPECTED = [item.split("|", 1) for item in sys.argv[2:]]
ROLES = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_TEXT,
         pyatspi.ROLE_COMBO_BOX)
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def find_dialog():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is None:
                continue
            for frame in app:
                if frame is not None and frame.name == TITLE and frame.getState().contains(pyatspi.STATE_SHOWING):
                    return frame
        time.sleep(0.1)
    return None


def controls(frame):
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            if child.getRole() in ROLES:
                found.append(child)
                # A spin button's or combo box's inner parts are not controls of their own.
                if child.getRole() in (pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX):
                    continue
            walk(child)

    walk(frame)
    return found


def focusable(control):
    """True when the keyboard reaches the control. A GTK 3 combo box takes
    the focus through the button inside it, which it does not expose, and
    says neither focusable nor focused: it counts when a label names it, as
    that label's mnemonic (Alt+letter) moves the focus to it."""
    if control.getState().contains(pyatspi.STATE_FOCUSABLE):
        return True
    if control.getRole() != pyatspi.ROLE_COMBO_BOX:
        return False
    return any(relation.getRelationType() == pyatspi.RELATION_LABELLED_BY for relation in control.getRelationSet())


dialog = find_dialog()
if dialog is None:
    print("FAIL: no dialog named %r on the accessibility bus" % TITLE)
    sys.exit(1)

found = controls(dialog)
for control in found:
    states = control.getState()
    flags = [name for name, state in (("sensitive", pyatspi.STATE_SENSITIVE), ("focusable", pyatspi.STATE_FOCUSABLE),
                                      ("checked", pyatspi.STATE_CHECKED)) if states.contains(state)]
    print("%s|%s|%s" % (control.getRoleName(), control.name, ",".join(flags)))
    if not control.name:
        fail("a %s has no name" % control.getRoleName())

for role, name in EXPECTED:
    matches = [c for c in found if c.getRoleName() == role and c.name == name]
    if not matches:
        fail("no %s named %r" % (role, name))
    elif not focusable(matches[0]):
        fail("%s %r cannot take the keyboard focus" % (role, name))

cancel = [c for c in found if c.getRoleName() == "push button" and c.name == "Cancel"]
if not cancel:
    fail("no Cancel button")
else:
    action = cancel[0].queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("click"))
    for _ in range(50):
        if not dialog.getState().contains(pyatspi.STATE_SHOWING):
            break
        time.sleep(0.1)
    else:
        fail("Cancel did not close the dialog")

sys.exit(1 if failures else 0)
