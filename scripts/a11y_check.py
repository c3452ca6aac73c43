"""Lists what a screen reader learns of the program's windows over AT-SPI and
fails on a control without a name or a name that two controls of one window
share. Run by scripts/a11y-check.sh, with the demo on the accessibility bus."""
import sys
import time

import pyatspi

# The roles a reader stops at; labels, frames and table cells are read with them.
CONTROLS = {"push button", "check box", "radio button", "text", "password text", "combo box",
            "tree", "table", "list", "spin button", "entry", "tree table"}


def wait_for(find, what, tries=100):
    for _ in range(tries):
        found = find()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"a11y-check: no {what}")


def program():
    for application in pyatspi.Registry.getDesktop(0):
        if application and application.name == "Tolvaro":
            return application
    return None


def shown_window(application, title):
    for window in application:
        if window is not None and window.getState().contains(pyatspi.STATE_SHOWING) and \
                title(window.name):
            return window
    return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def find(root, role, name):
    return next((o for o in walk(root) if o.getRoleName() == role and o.name == name), None)


def press(root, name):
    find(root, "push button", name).queryAction().doAction(0)


def announced(node):
    """The name a reader says. On this platform a drop-down list's own name
    is its value; the reader names it by the label it is labelled by."""
    if node.getRoleName() != "combo box":
        return node.name.strip()
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                label = relation.getTarget(i).name.strip().rstrip(":")
                if label:
                    return label
    return ""


failures = []


def check(title, window):
    print(f"{title}:")
    seen = set()
    for node in walk(window):
        if node.getRoleName() not in CONTROLS or \
                not node.getState().contains(pyatspi.STATE_SHOWING):
            continue
        name = announced(node)
        print(f"  {node.getRoleName():14} {name!r}")
        if not name:
            failures.append(f"{title}: a {node.getRoleName()} without a name")
        elif name in seen:
            failures.append(f"{title}: {name!r} names two controls")
        seen.add(name)


application = wait_for(program, "program on the accessibility bus")
main = wait_for(lambda: shown_window(application, lambda t: t.startswith("Tolvaro V")),
                "main window")
check("main window", main)
# Setup on the router the list starts with, Head Office, with its password.
press(main, "Setup")
login = wait_for(lambda: shown_window(application, lambda t: t == "Password"), "password window")
check("password window", login)
next(o for o in walk(login) if o.getRoleName() == "password text") \
    .queryEditableText().setTextContents("demo42")
press(login, "OK")
sheet = wait_for(lambda: shown_window(application, lambda t: t == "Head Office"),
                 "settings window")
tabs = wait_for(lambda: next((o for o in walk(sheet) if o.getRoleName() == "page tab list"), None),
                "page tabs")
pages = [tab for tab in tabs if tab is not None and tab.getRoleName() == "page tab"]
for tab in pages:
    tab.queryAction().doAction(0)
    time.sleep(0.5)
    check(f"settings window, {tab.name}", sheet)
press(sheet, "Cancel")
if failures:
    print("\n".join(failures), file=sys.stderr)
    sys.exit(1)
print(f"a11y-check: every control of {len(pages) + 2} windows has a name of its own")
