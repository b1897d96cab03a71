"""Places two instances of the library class Tank by dragging the class from
the factory's class tree onto a new document with the real pointer,
connects a place to the level of each, saves, opens the file again and
compares it with quenzor-cli describe, then stores the document as a class
of its own and finds it in the tree."""
import os
import time

import pyatspi

from desktop import BUTTON_ROLES, Session, check, main, wait_for
from drawing_session import describe, open_editor, xdotool

TREE_ITEM_ROLES = ("tree item", "table cell", "list item")

# Where the classes are dropped (the frame's top-left corner) and where the
# places are clicked, in pixels of the net view (scale 1:1). A new frame is
# 120 by 90; its first interface place (the level) is the 14 by 14 square
# 2 pixels right of its left edge and 34 below its top.
TANKS = ((260, 60), (260, 240))
PLACES = ((60, 86), (60, 266))


def level_centre(drop):
    return drop[0] + 9, drop[1] + 41


def place_centre(at):
    return at[0] + 15, at[1] + 15


def centre_of(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def reveal_class(s, tree, name):
    """Brings the class `name` into the visible part of the tree as a user
    does with many classes: a click on a class in sight, then the name typed
    (the tree searches as one types); the item, now showing."""
    shown = s.find(TREE_ITEM_ROLES, name=name, within=tree)
    if shown is not None:
        return shown
    x, y = centre_of(s.wait(TREE_ITEM_ROLES, within=tree))
    xdotool("mousemove", x, y, "click", 1)
    time.sleep(0.3)
    xdotool("type", "--delay", "60", name)
    return s.wait(TREE_ITEM_ROLES, name=name, within=tree)


def drag_class(s, tree, view, drop):
    """Drags the class Tank from the tree to `drop` in the net view."""
    item = reveal_class(s, tree, "Tank")
    x, y = centre_of(item)
    xdotool("mousemove", x, y, "mousedown", 1)
    for i in range(1, 4):
        xdotool("mousemove", x + 8 * i, y + 2 * i)
    tx, ty = view.x + drop[0], view.y + drop[1]
    for i in range(1, 9):
        xdotool("mousemove", x + (tx - x) * i // 8, y + (ty - y) * i // 8)
    # The view answers each position of the drag before it takes a drop.
    time.sleep(0.3)
    xdotool("mousemove", tx + 1, ty)
    time.sleep(0.3)
    xdotool("mousemove", tx, ty)
    time.sleep(0.3)
    xdotool("mouseup", 1)


EXPECTED_ARCS = ["from P1 (key=", "to Tank_1.level", "from P2 (key=", "to Tank_2.level"]


def elements(s, count):
    """Waits for the status bar to count this many elements of the document's
    own net (the placed objects' elements follow after "of")."""
    s.wait(("label",), prefix="Elements : %d of " % count)


def test(app, cli, home):
    saved = os.path.join(home, "Station.pn")
    s = Session(app, [])
    try:
        view = open_editor(s)
        s.press("Hierarchy", roles=("page tab",))
        tree = s.wait(("tree", "tree table", "table"), name="Object classes")
        for count, drop in enumerate(TANKS, 1):
            drag_class(s, tree, view, drop)
            elements(s, count)
        for count, at in enumerate(PLACES, 3):
            s.press("Continuous Place")
            view.click(at)
            elements(s, count)
        s.press("Arcs")
        for count, (at, drop) in enumerate(zip(PLACES, TANKS), 5):
            view.drag(place_centre(at), level_centre(drop))
            elements(s, count)

        s.menu("File", "Save as", opens_dialog=True)
        dialog = s.window("Save as")
        s.wait(("text",), within=dialog).queryEditableText().setTextContents(saved)
        s.press("Save", within=dialog)
        wait_for("the saved file", lambda: os.path.exists(saved))
        s.menu("File", "Close File")
        s.menu("File", "Open", opens_dialog=True)
        dialog = s.window("Open")
        s.wait(("text",), within=dialog).queryEditableText().setTextContents(saved)
        s.press("Open", within=dialog)
        s.wait(("frame", "window", "internal frame"), name=saved)
        got = describe(cli, saved, home)
        check("Object name: Tank_1" in got and "Object name: Tank_2" in got, "the tanks are not in the file:\n" + got)
        arcs = [line for line in got.splitlines() if line.strip().startswith("from P")]
        check(len(arcs) == 2 and all(p in " ".join(arcs) for p in EXPECTED_ARCS),
              "the places are not connected to the levels:\n" + got)

        # A document named "New Object" is asked for a class name.
        s.menu("Object", "Abstract Current Object", opens_dialog=True)
        question = s.window("The object name alread exists.")
        s.wait(("text",), within=question).queryEditableText().setTextContents("Station")
        s.press("OK", within=question)
        wait_for("the class file", lambda: os.path.exists(os.path.join(home, "Objects", "Station.pn")))
        s.press("Hierarchy", roles=("page tab",))
        reveal_class(s, tree, "Station")
        s.menu("File", "Close", opens_dialog=True)
        s.answer_if_asked("No", prefix="Save Changes")
        check(s.close() == 0, "the program ended with a failure")
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
