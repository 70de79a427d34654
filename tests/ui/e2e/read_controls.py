#!/usr/bin/python3
"""Reads the main window's controls through AT-SPI, as a screen reader does,
and works three of them through their "click" action.

Usage: read_controls.py <window name>. Prints one line per control
("role|name|states") and exits 1 when something is missing or wrong."""
import sys
import time

import pyatspi

WINDOW = sys.argv[1]
failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def find_window():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            for frame in app:
                if frame is not None and frame.name == WINDOW:
                    return frame
        time.sleep(0.1)
    return None


def controls(frame):
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            if child.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_SPIN_BUTTON):
                found.append(child)
            walk(child)

    walk(frame)
    return found


def describe(control):
    states = control.getState()
    flags = [name for name, state in (("checked", pyatspi.STATE_CHECKED), ("sensitive", pyatspi.STATE_SENSITIVE),
                                      ("focusable", pyatspi.STATE_FOCUSABLE), ("focused", pyatspi.STATE_FOCUSED))
             if states.contains(state)]
    return control.getRoleName(), control.name, flags


def by_name(frame, prefix):
    for control in controls(frame):
        if control.name.startswith(prefix):
            return control
    return None


def click(control):
    action = control.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "click" not in names:
        fail("%s has no click action (%s)" % (control.name, names))
        return
    action.doAction(names.index("click"))


def wait_until(test, what, tenths=50):
    for _ in range(tenths):
        if test():
            return
        time.sleep(0.1)
    fail(what)


frame = find_window()
if frame is None:
    print("FAIL: no window named %r on the accessibility bus" % WINDOW)
    sys.exit(1)

found = controls(frame)
for control in found:
    role, name, flags = describe(control)
    print("%s|%s|%s" % (role, name, ",".join(flags)))

roles = [describe(c)[0] for c in found]
if roles.count("push button") != 2:
    fail("%d push buttons, not 2 (LOAD, CONVERT)" % roles.count("push button"))
if roles.count("toggle button") != 38:
    fail("%d toggle buttons, not 38 (PLAY/STOP, PRE COUNT, 4 parts, 32 channel switches)" % roles.count("toggle button"))
if roles.count("spin button") != 1:
    fail("%d spin buttons, not 1 (the tempo)" % roles.count("spin button"))
if any(not c.name for c in found):
    fail("a control has no name")

expect = {
    "Load a MIDI file": ("push button", True, False),
    "Convert to an audio file": ("push button", True, False),
    "Play": ("toggle button", True, False),
    "Tempo 100 percent": ("spin button", True, False),
    "Pre-count": ("toggle button", True, True),
    "Remove the bass": ("toggle button", True, False),
    "Mute channel 4, not used": ("toggle button", False, False),
    "Volume down, channel 16, not used": ("toggle button", False, False),
}
for name, (role, sensitive, checked) in expect.items():
    control = by_name(frame, name)
    if control is None:
        fail("no control named %r" % name)
        continue
    got_role, _, flags = describe(control)
    if got_role != role or ("sensitive" in flags) != sensitive or ("checked" in flags) != checked:
        fail("%r is %s %s, not %s%s%s" % (name, got_role, flags, role, " sensitive" if sensitive else "",
                                          " checked" if checked else ""))
# The used channels carry their instrument's name.
for channel in (1, 2, 3):
    control = by_name(frame, "Mute channel %d, " % channel)
    if control is None or control.name.endswith("not used"):
        fail("channel %d is not named with its instrument (%s)" % (channel, control and control.name))

# Through the click action: the bass goes, its channel's MUTE goes on with it.
bass = by_name(frame, "Remove the bass")
mute2 = by_name(frame, "Mute channel 2, ")
if bass is not None and mute2 is not None:
    click(bass)
    wait_until(lambda: bass.getState().contains(pyatspi.STATE_CHECKED), "Remove the bass is not checked after click")
    wait_until(lambda: mute2.getState().contains(pyatspi.STATE_CHECKED), "Mute channel 2 is not checked with the bass")

# PLAY/STOP: checked while the song plays (through SDL's disk driver), and
# unchecked again by itself at the song's end (a bar of count-in and a beat).
play = by_name(frame, "Play")
if play is not None:
    click(play)
    wait_until(lambda: play.getState().contains(pyatspi.STATE_CHECKED), "Play is not checked after click")
    wait_until(lambda: not play.getState().contains(pyatspi.STATE_CHECKED), "Play is still checked after the song",
               100)

sys.exit(1 if failures else 0)
