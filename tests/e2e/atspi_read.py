#!/usr/bin/python3
"""Reads a running program's windows through the accessibility bus.

    atspi_read.py APPLICATION

Prints one line for each text field and each label of every window of the
application whose accessible name is APPLICATION (Qt gives it the program's
name), in the order the accessibility tree holds them:

    window<TAB>role<TAB>name<TAB>text

Qt names a line edit after its buddy label, so a box is found by the text of
the label beside it. The end-to-end test on Wayland reads the boxes this way:
the program needs no hook of its own for it.

Exits 3 when the application is not (yet) on the bus, so that the caller can
try again, and 4 when more than one application carries its name in any
case; the caller runs this under a timeout, since a call on the bus can hang
while the program is busy.
"""

import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TEXT_ROLES = {Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.LABEL, Atspi.Role.PASSWORD_TEXT}


def clean(value):
    return value.replace("\t", " ").replace("\n", " ")


def walk(node, window, out):
    role = node.get_role()
    if role in TEXT_ROLES:
        value = Atspi.Text.get_text(node, 0, -1) if "Text" in node.get_interfaces() else ""
        out.append("\t".join((window, role.value_nick, clean(node.get_name()), clean(value))))
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            walk(child, window, out)


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    apps = [a for a in apps if a is not None]
    namesakes = [a.get_name() for a in apps if a.get_name().lower() == sys.argv[1].lower()]
    if len(namesakes) > 1:
        print("on the bus %d times: %s" % (len(namesakes), ", ".join(namesakes)), file=sys.stderr)
        return 4
    for application in apps:
        if application.get_name() != sys.argv[1]:
            continue
        out = []
        for window_index in range(application.get_child_count()):
            window = application.get_child_at_index(window_index)
            if window is not None:
                walk(window, clean(window.get_name()), out)
        print("\n".join(out))
        return 0
    print("not on the bus; there are: %s" % ", ".join(repr(a.get_name()) for a in apps),
          file=sys.stderr)
    return 3


if __name__ == "__main__":
    sys.exit(main())
