#!/usr/bin/python3
"""What a screen reader reads of Quenby, through the real AT-SPI registry.

  atspi.py tree            each showing window of the application: JSON, one line per window
Each node is named as a screen reader calls it: by the label it is labelled by, else its name.
  atspi.py tab COUNT       presses Tab COUNT times (xdotool), printing what has the focus after each
  atspi.py names SECONDS   prints each accessible-name change the application announces
"""
import json
import subprocess
import sys

import pyatspi
from gi.repository import GLib

APP = "quenby"
MAX_NODES = 2000


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower() == APP:
            return app
    return None


def states(node):
    state = node.getState()
    names = {pyatspi.STATE_FOCUSABLE: "focusable", pyatspi.STATE_FOCUSED: "focused",
             pyatspi.STATE_SHOWING: "showing", pyatspi.STATE_ENABLED: "enabled"}
    return [word for s, word in names.items() if state.contains(s)]


def called(node):
    """What a screen reader calls the node: the label it is labelled by (a combo box's name is
    its current entry), else its own name."""
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and relation.getNTargets():
            return relation.getTarget(0).name
    return node.name or ""


def describe(node, budget):
    budget[0] -= 1
    entry = {"role": node.getRoleName(), "name": called(node), "states": states(node)}
    if node.getRole() == pyatspi.ROLE_TABLE:
        # The first row, as it reads: enough to tell the order.
        table = node.queryTable()
        entry["firstRow"] = [table.getAccessibleAt(0, c).name for c in range(table.nColumns)] \
            if table.nRows > 0 else []
        entry["columns"] = [table.getColumnDescription(c) or
                            (table.getColumnHeader(c).name if table.getColumnHeader(c) else "")
                            for c in range(table.nColumns)]
        return entry
    children = []
    for child in node:
        if child is None or budget[0] <= 0:
            continue
        if "showing" in states(child):
            children.append(describe(child, budget))
    entry["children"] = children
    return entry


def focused(node, budget):
    budget[0] -= 1
    if node.getState().contains(pyatspi.STATE_FOCUSED) and node.getRole() != pyatspi.ROLE_FRAME:
        return node
    if node.getRole() == pyatspi.ROLE_TABLE:
        return None
    for child in node:
        if child is not None and budget[0] > 0 and child.getState().contains(pyatspi.STATE_SHOWING):
            found = focused(child, budget)
            if found is not None:
                return found
    return None


def tree():
    app = application()
    if app is None:
        sys.exit("no application named " + APP)
    for window in app:
        if window is not None and "showing" in states(window):
            print(json.dumps(describe(window, [MAX_NODES])))


def tab(count):
    app = application()
    if app is None:
        sys.exit("no application named " + APP)
    def now():
        for window in app:
            if window is not None and window.getState().contains(pyatspi.STATE_SHOWING):
                node = focused(window, [MAX_NODES])
                if node is not None:
                    return {"role": node.getRoleName(), "name": called(node)}
        return None

    last = now()
    for _ in range(count):
        subprocess.run(["xdotool", "key", "Tab"], check=True)
        # The focus has to move in the application and reach the registry: up to 10 s.
        current = last
        for _attempt in range(250):
            GLib.usleep(40000)
            current = now()
            if current is not None and current != last:
                break
        print(json.dumps(current), flush=True)
        last = current


def names(seconds):
    def changed(event):
        if event.host_application and event.host_application.name.lower() == APP:
            print(json.dumps({"role": event.source.getRoleName(), "name": called(event.source)}),
                  flush=True)

    pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-name")
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    print("listening", flush=True)
    pyatspi.Registry.start()


if __name__ == "__main__":
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "tree":
        tree()
    elif command == "tab":
        tab(int(sys.argv[2]))
    elif command == "names":
        names(float(sys.argv[2]))
    else:
        sys.exit(__doc__)
