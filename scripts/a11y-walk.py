"""Presses a main-menu button by caption over the accessibility bus and lists the window's
controls by role and spoken name; exits 1 when a control has no name."""
import sys
import time

import pyatspi

CONTROLS = ("push button", "check box", "radio button", "list", "tree", "tree table",
            "table", "combo box", "text", "progress bar", "page tab", "spin button",
            "slider", "scroll bar", "menu item", "level bar")


def find_app(name, tries=60):
    for _ in range(tries):
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.name and name in app.name:
                return app
        time.sleep(0.5)
    return None


def walk(node, parent_role="", out=None):
    """(role, name, node) of node and everything below it; the list inside a combo box
    (its drop-down) is spoken as the combo box and left out, and so is what is hidden."""
    out = [] if out is None else out
    try:
        role = node.getRoleName()
        if role not in ("application", "menu", "menu item") and \
                not node.getState().contains(pyatspi.STATE_VISIBLE):
            return out
        if not (role == "list" and parent_role == "combo box"):
            out.append((role, node.name, node))
    except Exception:
        return out
    for i in range(node.childCount):
        try:
            walk(node.getChildAtIndex(i), role, out)
        except Exception:
            pass
    return out


def ancestors(node):
    chain = []
    while node is not None and len(chain) < 4:
        try:
            node = node.parent
            chain.append(node)
        except Exception:
            break
    return [n for n in chain if n is not None]


def main():
    caption = sys.argv[1]
    app = find_app("mailvane")
    if not app:
        print("the program did not show up on the accessibility bus")
        return 2
    buttons = [n for r, nm, n in walk(app) if r == "push button" and nm == caption]
    if not buttons:
        print("no button", repr(caption))
        return 2
    buttons[0].queryAction().doAction(0)
    time.sleep(6)
    nodes = walk(app)
    print("windows:", [app.getChildAtIndex(i).name for i in range(app.childCount)])
    unnamed = {}
    for role, name, node in nodes:
        if role in CONTROLS:
            if name:
                print(f"  {role}: {name}")
            elif role != "scroll bar":
                unnamed[role] = unnamed.get(role, 0) + 1
                print(f"  {role} WITHOUT A NAME in", [p.getRoleName() + ":" + (p.name or "") for p in ancestors(node)])
    print("unnamed:", unnamed)
    return 1 if unnamed else 0


sys.exit(main())
