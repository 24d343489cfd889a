#!/usr/bin/python3
"""Lists what a screen reader finds of a running program on the accessibility bus (AT-SPI): every
control that is showing, with its role, its name and where it lies on the screen, in screen pixels.

    a11y_controls.py APPLICATION-NAME

One control a line, tab-separated: role, name, x, y, width, height, and the caption of the window
it belongs to. Exits 1 when the application is not on the bus (yet)."""
import sys

import pyatspi

LIMIT = 4000  # controls; a grid of a thousand rows need not be read to its end


def controls(app):
    found = []

    def walk(acc, window):
        if len(found) >= LIMIT:
            return
        try:
            role = acc.getRoleName()
            states = acc.getState()
        except Exception:  # gone while we looked
            return
        if role in ("dialog", "frame", "window"):
            window = acc.name or window
        if not states.contains(pyatspi.STATE_SHOWING):
            return  # nor anything inside it
        try:
            e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if e.width > 0 and e.height > 0:
                found.append((role, acc.name or "", e.x, e.y, e.width, e.height, window))
        except NotImplementedError:
            pass
        for i in range(acc.childCount):
            child = acc.getChildAtIndex(i)
            if child is not None:
                walk(child, window)

    walk(app, "")
    return found


def main():
    wanted = sys.argv[1]
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == wanted:
            for c in controls(app):
                print("\t".join(str(v).replace("\t", " ").replace("\n", " ") for v in c))
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
