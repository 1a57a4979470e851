#!/usr/bin/python3
"""The settings window as a screen reader sees it: accessibility_tree.py CATALOGUE_SOURCE

Selects every page tab of the running fennick (a page is filled when first selected) and checks
that each setting's control is named and labelled by its caption and described by its hint (as
the catalogue's source has them), that each reset button names a colour or font setting of its
page and no two are alike, and that no control or button is nameless. Exits 1 on a failure.
"""
import faulthandler
import re
import sys
import time

import pyatspi

failures, checks = [], 0
RESETTABLE = ("SettingKind::Colour", "SettingKind::Font")
CONTROLS = {pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX,
            pyatspi.ROLE_TEXT, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON}


def check(what, ok, detail=""):
    global checks
    checks += 1
    if not ok:
        failures.append(what + (": " + detail if detail else ""))


def catalogue(path):
    """The rows of the catalogue source as dicts (C string literals joined and unescaped)."""
    source = open(path, encoding="utf-8").read()
    titles = dict(re.findall(r'\.id = Page::(\w+), \.title = "([^"]*)"', source))
    literal = r'"(?:[^"\\]|\\.)*"'
    rows = []
    for block in re.findall(r"\{\.section = .*?\}(?=,\s*(?:\{\.section|\}))", source, re.S):
        row = {"hint": ""}
        for name, value in re.findall(r"\.(\w+)\s*=\s*((?:%s\s*)+|[\w:]+)" % literal, block):
            row[name] = "".join(re.sub(r"\\(.)", r"\1", part[1:-1])
                                for part in re.findall(literal, value)) or value
        row["page"] = titles[row["page"][1:-4]]  # kPathBarPage: PathBar
        rows.append(row)
    return rows


def until(condition, seconds):
    end = time.monotonic() + seconds
    while not (value := condition()) and time.monotonic() < end:
        time.sleep(0.1)
    return value


def descendants(node):
    node.clear_cache()  # a page filled late has new children
    found, stack = [], [node]
    while stack:
        for child in stack.pop():
            if child is not None:
                found.append(child)
                stack.append(child)
    return found


def labels_of(node):
    return [relation.getTarget(i) for relation in node.getRelationSet()
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(relation.getNTargets())]


def main():
    faulthandler.dump_traceback_later(280, exit=True)  # where it hung, should the window not answer
    rows = catalogue(sys.argv[1])
    app = until(lambda: next((app for app in pyatspi.Registry.getDesktop(0)
                              if app is not None and app.name == "fennick"), None), 120)
    tab_list = app and until(lambda: next((node for node in descendants(app)
                                           if node.getRole() == pyatspi.ROLE_PAGE_TAB_LIST), None), 120)
    if not tab_list:
        print("FAIL: no fennick window with page tabs on the accessibility bus")
        return 1
    tabs = list(tab_list)
    check("every page has its tab", {row["page"] for row in rows} <= {tab.name for tab in tabs})
    all_resets = []
    for number, tab in enumerate(tabs):
        tab_list.querySelection().selectChild(number)
        on_page = [row for row in rows if row["page"] == tab.name]
        expected = sorted((row["label"], row["hint"]) for row in on_page)
        controls = until(lambda: (lambda found: [found] if len(found) >= len(expected) else None)(
            [node for node in descendants(tab) if labels_of(node)]), 120) or [[]]
        seen = sorted((node.name, node.description) for node in controls[0])
        check(tab.name + ": names and descriptions", seen == expected, "%r, not %r" % (seen, expected))
        for node in controls[0]:
            check(tab.name + ": labelled by its caption: " + node.name,
                  [label.name for label in labels_of(node)] == [node.name])
        everything = descendants(tab)
        for node in everything:
            if node.getRole() in CONTROLS:
                check("%s: a %s has a name" % (tab.name, node.getRoleName()), node.name != "")
        resets = [node.name for node in everything if node.getRole() == pyatspi.ROLE_PUSH_BUTTON
                  and node.name.startswith("Reset ") and node.name != "Reset everything"]
        captions = [row["label"] for row in on_page if row["kind"] in RESETTABLE]
        check(tab.name + ": a reset button per colour and font", len(resets) == len(captions))
        for name in resets:
            check(tab.name + ": names its setting: " + name,
                  any(re.fullmatch("Reset %s( .*)?" % re.escape(caption), name) for caption in captions))
        all_resets += resets
    check("no two reset buttons alike", len(set(all_resets)) == len(all_resets), repr(all_resets))
    for failure in failures:
        print("FAIL: " + failure)
    print("%d passed, %d failed" % (checks - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
