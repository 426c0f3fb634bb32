# SPDX-License-Identifier: MIT
"""Prints, through AT-SPI, the texts of the running Tarvik's labels as one JSON list."""
import json
import sys

import pyatspi


def labels(node, found):
    for child in node:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_LABEL:
            found.append(child.name)
        labels(child, found)
    return found


def main():
    apps = [app for app in pyatspi.Registry.getDesktop(0)
            if app is not None and app.name.lower() == "tarvik"]
    if not apps:
        sys.exit("no Tarvik on the accessibility bus")
    print(json.dumps(labels(apps[0], [])))


if __name__ == "__main__":
    main()
