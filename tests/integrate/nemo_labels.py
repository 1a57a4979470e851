#!/usr/bin/python3
"""The labels of the running Nemo as a screen reader reads them: nemo_labels.py [SECONDS PATTERN]

Prints one line per label of the application named nemo on the accessibility bus: its text, then
a tab and its text attributes (fg-color:..., style:..., underline:...). With a pattern, waits up
to SECONDS for a label whose text matches it (a regular expression) and prints only those; exits
1 when none shows.
"""
import re
import sys
import time

import pyatspi


def labels():
    found = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.name != "nemo":
            continue
        stack = [app]
        while stack:
            node = stack.pop()
            for child in node:
                if child is None:
                    continue
                if child.getRole() == pyatspi.ROLE_LABEL and child.name:
                    try:
                        text = child.queryText()
                        attributes = sorted(set(text.getAttributeRun(0, False)[0]))
                    except NotImplementedError:
                        attributes = []
                    found.append((child.name, ",".join(attributes)))
                stack.append(child)
    return found


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 0
    pattern = re.compile(sys.argv[2]) if len(sys.argv) > 2 else None
    end = time.monotonic() + seconds
    while True:
        shown = [row for row in labels() if not pattern or pattern.search(row[0])]
        if shown or time.monotonic() >= end:
            break
        time.sleep(0.2)
    for name, attributes in shown:
        print(name + "\t" + attributes)
    return 0 if shown else 1


sys.exit(main())
