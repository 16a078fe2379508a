#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Walks the accessible tree of a running application on the AT-SPI bus, as a screen reader
# (Orca) sees it, prints it, and checks it: every object a user can reach (focusable and
# showing) has a name, and the named controls have the role and name the table expects.
#   AtspiTree.py APPLICATION EXPECTED_FILE [DUMP_FILE]
# EXPECTED_FILE: one control a line, "role<TAB>name[<TAB>description part]"; each must be
# found showing (the description, where given, must contain the part).
import sys
import time

import pyatspi


def find_application(name, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def walk(accessible, depth, rows):
    states = accessible.getState()
    showing = states.contains(pyatspi.STATE_SHOWING)
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    value = None
    try:
        value = accessible.queryValue().currentValue
    except NotImplementedError:
        pass
    labels = [r.getTarget(0).name for r in accessible.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    rows.append((depth, accessible.getRoleName(), accessible.name, accessible.description,
                 showing, focusable, value, labels))
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, rows)


def main():
    name, expected_file = sys.argv[1], sys.argv[2]
    dump = open(sys.argv[3], "w") if len(sys.argv) > 3 else sys.stdout
    app = find_application(name)
    if app is None:
        print("FAIL: no application %r on the AT-SPI bus" % name)
        return 1
    # The window may still be coming up: walk until the tree holds a showing text.
    rows = []
    for _ in range(50):
        rows = []
        walk(app, 0, rows)
        if any(r[1] == "text" and r[4] for r in rows):
            break
        time.sleep(0.2)
    failures = 0
    for depth, role, label, description, showing, focusable, value, labels in rows:
        flags = ",".join(f for f, on in (("showing", showing), ("focusable", focusable)) if on)
        extra = "" if value is None else " value=%g" % value
        if labels:
            extra += " labelled-by=%r" % labels[0]
        print("%s%s %r%s [%s]%s" % ("  " * depth, role, label,
                                     " desc=%r" % description if description else "",
                                     flags, extra), file=dump)
        if showing and focusable and not label.strip():
            print("FAIL: a %s a user can reach has no name" % role)
            failures += 1
    for line in open(expected_file, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        parts = line.split("\t")
        role, label = parts[0], parts[1]
        part = parts[2] if len(parts) > 2 else None
        found = [r for r in rows if r[1] == role and r[2] == label and r[4]
                 and (part is None or part in r[3])]
        if not found:
            print("FAIL: no showing %s named %r%s" % (role, label,
                  "" if part is None else " described with %r" % part))
            failures += 1
    print("%d accessible objects, %d failures" % (len(rows), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
