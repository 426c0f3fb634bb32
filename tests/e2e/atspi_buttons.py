# SPDX-License-Identifier: MIT
"""Lists, through AT-SPI, the buttons of the running Tarvik as JSON lines (name,
description, actions, extents) and presses the one named on the command line, if any."""
import json
import sys

import pyatspi


def buttons(node, found):
    for child in node:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            found.append(child)
        buttons(child, found)
    return found


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name.lower() == "tarvik"]
    if not apps:
        sys.exit("no Tarvik on the accessibility bus")
    for button in buttons(apps[0], []):
        action = button.queryAction()
        box = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(json.dumps({"name": button.name, "description": button.description,
                          "actions": [action.getName(i) for i in range(action.nActions)],
                          "extents": [box.x, box.y, box.width, box.height]}), flush=True)
        if len(sys.argv) > 1 and button.name == sys.argv[1]:
            action.doAction(0)


if __name__ == "__main__":
    main()
