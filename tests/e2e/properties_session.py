"""Draws a small hybrid net, then changes its elements through the property
window: a place's initial tokens and a transition's delay typed into the
properties page, a continuous transition's speed composed in the formula editor. The
saved file must describe the net with these values."""
import os

import pyatspi

from desktop import Failure, Session, check, main, wait_for
from drawing_session import (ARCS, CONTINUOUS_TRANSITION, DISCRETE_PLACE, DISCRETE_TRANSITION, describe, draw_arc,
                             draw_elements, elements, open_editor, place_centre, transition_centre, xdotool)

# The drawing gives P1 (variable m1) to the continuous place, T1 to the
# continuous transition, P2 (m2) and T2 to the discrete ones. The token
# drawn on P2 is replaced by the three typed; a delay is a formula and
# keeps its decimal point.
EXPECTED = """file version: 2,7
=============================
Object: Empty Object
     - Inherited from: Empty Object
     - Object name: New Object
Number of child objects: 0
=========================
 
 
Places
     Name: P1, typ: continuous, variable name: m1, initial marking: 0, key: 0
     Name: P2, typ: discrete, variable name: m2, initial marking: 3, capacity: -1, key: 1
 
Transitions
     name: T1, typ: continuous, Speed function: m1*2, key: 2
     name: T2, typ: discrete, firing time: 2.5, priority: 1, reservation: 0, key: 3
 
Arcs
     from P1 (key=0) to T1 (key=2), typ: normal, weight: 1
     from P2 (key=1) to T2 (key=3), typ: normal, weight: 1
 
"""


def centre(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def click(node, button=1, repeat=1):
    x, y = centre(node)
    xdotool("mousemove", x, y, "click", "--repeat", repeat, button)


def page(s):
    """The "Properties" page: one labelled field per value."""
    return s.wait(("panel", "filler"), name="Properties")


def field(s, name):
    """The value field of the row called name on the "Properties" page."""
    return s.wait(("text",), name=name, within=page(s))


def value(s, name):
    return field(s, name).queryText().getText(0, -1)


def pick(s, view, at, rows):
    """Clicks an element in the net view; the page shows its rows."""
    view.click(at)
    wait_for("the element's properties", lambda: value(s, rows[0]) == rows[1], 5)


def type_value(s, name, text, shown):
    """Clicks the value field, types over it and presses Enter; the page
    then shows the value taken."""
    click(field(s, name))
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", 50, text)
    xdotool("key", "Return")
    try:
        wait_for('"%s" to show %s' % (name, shown), lambda: value(s, name) == shown, 5)
    except Failure:
        raise Failure('"%s" shows "%s", not %s' % (name, value(s, name), shown))


def compose_speed(s):
    """Opens the formula editor with the "fx" button, clears the formula,
    puts together m1*2 from the list of variables and the buttons, has it
    checked and takes it."""
    s.press("fx", within=page(s), opens_dialog=True)
    editor = s.window("Formula Editor")
    field = s.wait(("text",), name="Formula", within=editor)
    check(field.queryText().getText(0, -1) == "1", "the editor does not open with the speed 1")
    click(field)
    xdotool("key", "ctrl+a", "BackSpace")
    variables = s.wait(("list",), name="Known Variables", within=editor)
    m1 = s.wait(("list item",), name="m1", within=variables)
    click(m1, repeat=2)
    s.press("*", within=editor)
    s.press("2", within=editor)
    wait_for("the formula m1*2", lambda: field.queryText().getText(0, -1) == "m1*2", 5)
    s.press("Check", within=editor, opens_dialog=True)
    # A message box is known by its text.
    box = s.window("No errors in formula")
    s.press("OK", within=box)
    wait_for("the message to close", lambda: s.find(("alert",), name="No errors in formula") is None)
    s.press("OK", within=editor)
    wait_for("the editor to close", lambda: s.find(("dialog",), name="Formula Editor") is None)


def test(app, cli, home):
    saved = os.path.join(home, "Edited.pn")
    s = Session(app, [])
    try:
        view = open_editor(s)
        draw_elements(s, view)
        s.press("Arcs")
        for count, arc in enumerate(ARCS[:2], 5):
            draw_arc(s, view, arc, count)
        s.press("Select Objects")

        pick(s, view, place_centre(DISCRETE_PLACE), ("Name", "P2"))
        type_value(s, "Initial Tokens", "3", "3")
        pick(s, view, transition_centre(DISCRETE_TRANSITION), ("Name", "T2"))
        type_value(s, "Delay", "2.5", "2.5")
        pick(s, view, transition_centre(CONTINUOUS_TRANSITION), ("Name", "T1"))
        compose_speed(s)
        wait_for("the speed m1*2", lambda: value(s, "Speed") == "m1*2", 5)
        elements(s, 6)

        s.menu("File", "Save as", opens_dialog=True)
        dialog = s.window("Save as")
        s.wait(("text",), within=dialog).queryEditableText().setTextContents(saved)
        s.press("Save", within=dialog)
        wait_for("the saved file", lambda: os.path.exists(saved))
        s.wait(("frame", "window", "internal frame"), name=saved)
        got = describe(cli, saved, home)
        check(got == EXPECTED, "the saved file does not describe the net as edited:\n" + got)

        s.menu("File", "Close", opens_dialog=True)
        s.answer_if_asked("No", prefix="Save Changes")
        check(s.close() == 0, "the program ended with a failure")
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
