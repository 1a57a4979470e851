#!/usr/bin/python3
"""Checks the settings window through the accessibility tree, as a screen reader sees it.

usage: accessibility_tree.py CATALOGUE_SOURCE

Finds the running application named fennick on the accessibility bus, selects every page tab
(a page is built when first selected), and checks on every settings page that each setting's
control is named by its caption and described by its hint, that every reset button names a
colour or font setting of its page (no two alike), and that no button or control is nameless.
The expected captions and hints are read from the catalogue's source. Prints one line per
failure and the summary; exits 1 on any failure.
"""
import faulthandler
import re
import sys
import time

import pyatspi

failures = []
checks = 0


def check(what, ok, detail=""):
    global checks
    checks += 1
    if not ok:
        failures.append("%s%s" % (what, ": " + detail if detail else ""))


def catalogue(path):
    """The settings rows of the catalogue source: dicts with page, group, label, hint, kind."""
    source = open(path, encoding="utf-8").read()
    pages = dict(re.findall(r"\{\.id = Page::(\w+), \.title = \"([^\"]*)\"", source))
    literal = r'"(?:[^"\\]|\\.)*"'
    field = re.compile(r"\.(\w+)\s*=\s*((?:%s\s*)+|[\w:]+)" % literal)
    rows = []
    for block in re.findall(r"\{\.section = .*?\}(?=,\s*(?:\{\.section|\}))", source, re.S):
        row = {}
        for name, value in field.findall(block):
            if value.startswith('"'):
                parts = re.findall(literal, value)
                value = "".join(re.sub(r"\\(.)", r"\1", part[1:-1]) for part in parts)
            row[name] = value
        page_constant = row["page"]  # kPathBarPage and so on
        row["page"] = pages[page_constant[1:-4]]
        row.setdefault("hint", "")
        rows.append(row)
    return rows


def until(condition, seconds):
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(0.1)


def descendants(node):
    """Every accessible under node, its cached children dropped first (a page fills late)."""
    node.clear_cache()
    found = []
    stack = [node]
    while stack:
        current = stack.pop()
        try:
            count = current.get_child_count()
        except Exception:
            continue
        for i in range(count):
            child = current.get_child_at_index(i)
            if child is not None:
                found.append(child)
                stack.append(child)
    return found


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i) for i in range(relation.getNTargets())]
    return []


def fennick_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "fennick":
            return app
    return None


CONTROL_ROLES = {pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_COMBO_BOX,
                 pyatspi.ROLE_TEXT, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON}


def main():
    # A call the window never answers shows where it hung, before the caller's time limit.
    faulthandler.dump_traceback_later(40, exit=True)
    rows = catalogue(sys.argv[1])
    app = until(fennick_application, 30)
    if app is None:
        print("FAIL: no application named fennick on the accessibility bus")
        return 1
    tab_list = until(lambda: next((node for node in descendants(app)
                                   if node.getRole() == pyatspi.ROLE_PAGE_TAB_LIST), None), 20)
    if tab_list is None:
        print("FAIL: the window shows no page tabs")
        return 1
    tabs = [tab_list.get_child_at_index(i) for i in range(tab_list.get_child_count())]
    titles = [tab.name for tab in tabs]
    page_titles = []
    for row in rows:
        if row["page"] not in page_titles:
            page_titles.append(row["page"])
    check("tab titles", titles[:len(page_titles)] == page_titles, repr(titles))
    reset_names = []
    for number, tab in enumerate(tabs):
        tab_list.querySelection().selectChild(number)
        on_page = [row for row in rows if row["page"] == tab.name]
        expected = sorted((row["label"], row["hint"]) for row in on_page)

        def labelled_controls():
            nodes = [node for node in descendants(tab) if labelled_by(node)]
            return [nodes] if len(nodes) >= len(expected) else None

        controls = (until(labelled_controls, 15) or [[]])[0]
        seen = sorted((node.name, node.description) for node in controls)
        check("%s: the controls' names and descriptions" % tab.name, seen == expected,
              "expected %r, got %r" % (expected, seen))
        for node in controls:
            captions = [label.name for label in labelled_by(node)]
            check("%s: %r is labelled by its caption" % (tab.name, node.name),
                  captions == [node.name], repr(captions))
        everything = descendants(tab)
        for node in everything:
            if node.getRole() in CONTROL_ROLES:
                check("%s: a %s has a name" % (tab.name, node.getRoleName()), node.name != "")
        resets = [node.name for node in everything
                  if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name.startswith("Reset ")
                  and node.name != "Reset everything"]
        resettable = [row["label"] for row in on_page if row["kind"] in ("SettingKind::Colour",
                                                                         "SettingKind::Font")]
        check("%s: one reset button per colour and font setting" % tab.name,
              len(resets) == len(resettable), "%r for %r" % (resets, resettable))
        for name in resets:
            check("%s: %r names one of its settings" % (tab.name, name),
                  any(name == "Reset " + label or name.startswith("Reset " + label + " ")
                      for label in resettable))
        reset_names += resets
    check("no two reset buttons have the same name", len(set(reset_names)) == len(reset_names),
          repr(sorted(reset_names)))
    check("every setting seen", sum(1 for row in rows if row["page"] in titles) == len(rows))

    for failure in failures:
        print("FAIL: " + failure)
    print("%d passed, %d failed" % (checks - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
