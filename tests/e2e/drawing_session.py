"""Draws a small hybrid net from scratch with the tool page and real pointer
clicks and drags, undoes and redoes its last arc, saves it and compares the
saved file with the net that was drawn, then simulates it and initialises it
again from the popup menu of the net view."""
import os
import subprocess

import pyatspi

from desktop import BUTTON_ROLES, Session, check, main, wait_for

UNDO = "Undo            Strg+Z"

# Where the elements are clicked, in pixels of the net view. With the grid
# on, a place's corner snaps to the click and a transition's corner to the
# point 15 pixels right and below it: the centres are 15 pixels right and
# below a place's click, 35 and 26 for a transition.
CONTINUOUS_PLACE = (100, 100)
CONTINUOUS_TRANSITION = (260, 100)
DISCRETE_PLACE = (100, 260)
DISCRETE_TRANSITION = (260, 260)
EMPTY = (600, 380)


def place_centre(at):
    return at[0] + 15, at[1] + 15


def transition_centre(at):
    return at[0] + 35, at[1] + 26


# What quenzor-cli describe says of the saved net: the elements in the order
# they were drawn, the token, the arcs (the last one undone and redone).
EXPECTED = """file version: 2,7
=============================
Object: Empty Object
     - Inherited from: Empty Object
     - Object name: New Object
Number of child objects: 0
=========================
 
 
Places
     Name: P1, typ: continuous, variable name: m1, initial marking: 0, key: 0
     Name: P2, typ: discrete, variable name: m2, initial marking: 1, capacity: -1, key: 1
 
Transitions
     name: T1, typ: continuous, Speed function: 1, key: 2
     name: T2, typ: discrete, firing time: 0, priority: 1, reservation: 0, key: 3
 
Arcs
     from P1 (key=0) to T1 (key=2), typ: normal, weight: 1
     from P2 (key=1) to T2 (key=3), typ: normal, weight: 1
     from T2 (key=3) to P1 (key=0), typ: normal, weight: 1
 
"""


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=10)


def describe(cli, path, home):
    env = dict(os.environ, QUENZOR_HOME=home)
    out = subprocess.run([cli, "describe", path], capture_output=True, text=True, env=env, timeout=30)
    check(out.returncode == 0, "quenzor-cli describe %s failed: %s" % (path, out.stderr))
    return out.stdout


class NetView:
    """The net view on the screen: clicks and drags at view pixels."""

    def __init__(self, node):
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.x, self.y = box.x, box.y

    def click(self, at, button=1):
        xdotool("mousemove", self.x + at[0], self.y + at[1], "click", button)

    def drag(self, start, end, hold=None):
        """Presses at start, moves to end in steps and releases there;
        hold() runs while the button is still down."""
        xdotool("mousemove", self.x + start[0], self.y + start[1], "mousedown", 1)
        for i in range(1, 6):
            xdotool("mousemove", self.x + start[0] + (end[0] - start[0]) * i // 5,
                    self.y + start[1] + (end[1] - start[1]) * i // 5)
        if hold:
            hold()
        xdotool("mouseup", 1)


def elements(s, count):
    """Waits for the status bar to count this many elements."""
    s.wait(("label",), name="Elements : %d of %d" % (count, count))


def open_editor(s):
    """The window with its empty document, once the start-up picture, which
    lies over the net view, has gone. A click on empty space gives the net
    view the keyboard focus: the window taking the focus chooses "Select
    Objects" again, which would undo the first tool chosen."""
    s.window("Quenzor 2.7a")
    s.wait(("frame", "internal frame"), name="Editor")
    s.wait_start_picture_closed()
    node = s.wait(("filler",), name="Net")
    view = NetView(node)
    view.click(EMPTY)
    wait_for("the net view to take the focus", lambda: node.getState().contains(pyatspi.STATE_FOCUSED))
    return view


def draw_elements(s, view):
    """The four elements, and a token on the discrete place."""
    for count, (tool, at) in enumerate((("Continuous Place", CONTINUOUS_PLACE),
                                        ("Continuous Transition", CONTINUOUS_TRANSITION),
                                        ("Discrete Place", DISCRETE_PLACE),
                                        ("Discrete Transition", DISCRETE_TRANSITION)), 1):
        s.press(tool)
        view.click(at)
        elements(s, count)
    s.press("Whole Token")
    view.click(place_centre(DISCRETE_PLACE))
    # A token shows the values of the net.
    values = s.wait(BUTTON_ROLES, name="Show Variables or Values")
    wait_for("the values to show", lambda: values.getState().contains(pyatspi.STATE_CHECKED))


# Continuous place -> continuous transition, discrete place -> discrete
# transition, discrete transition -> continuous place.
ARCS = ((place_centre(CONTINUOUS_PLACE), transition_centre(CONTINUOUS_TRANSITION)),
        (place_centre(DISCRETE_PLACE), transition_centre(DISCRETE_TRANSITION)),
        (transition_centre(DISCRETE_TRANSITION), place_centre(CONTINUOUS_PLACE)))


def draw_arc(s, view, arc, count, hold=None):
    view.drag(*arc, hold=hold)
    elements(s, count)


def test(app, cli, home):
    saved = os.path.join(home, "Drawn.pn")
    s = Session(app, [])
    try:
        view = open_editor(s)
        draw_elements(s, view)
        s.press("Arcs")
        for count, arc in enumerate(ARCS, 5):
            draw_arc(s, view, arc, count)

        s.menu("Edit", UNDO)
        elements(s, 6)
        s.menu("Edit", "Redo")
        elements(s, 7)

        s.menu("File", "Save as", opens_dialog=True)
        dialog = s.window("Save as")
        s.wait(("text",), within=dialog).queryEditableText().setTextContents(saved)
        s.press("Save", within=dialog)
        wait_for("the saved file", lambda: os.path.exists(saved))
        s.wait(("frame", "window", "internal frame"), name=saved)
        got = describe(cli, saved, home)
        check(got == EXPECTED, "the saved file does not describe the net that was drawn:\n" + got)

        # A run moves the model time on; "Init Net" from the popup of the
        # net view sets it back.
        s.press("Start", opens_dialog=True)
        s.answer_if_asked("OK")
        panel = s.window("Simulation")
        s.press(">> Run", within=panel)
        wait_for("the model time to advance",
                 lambda: (lbl := s.find(("label",), prefix="Time : ", within=panel)) and lbl.name != "Time : 0")
        s.press("Stop", within=panel)
        view.click(EMPTY, button=3)
        popup = s.wait(("popup menu",), name="Popup menu")
        s.wait(("menu item",), name="Step", within=popup)
        s.press("Init Net", roles=("menu item",), within=popup)
        s.wait(("label",), name="Time : 0", within=panel)
        # Pressed through its action, an item leaves the popup open; a user
        # would close it with Escape.
        if s.find(("popup menu",), name="Popup menu"):
            xdotool("key", "Escape")
        wait_for("the popup to close", lambda: s.find(("popup menu",), name="Popup menu") is None)
        s.press("Start")
        wait_for("the panel to close", lambda: s.find(("frame", "window", "dialog"), name="Simulation") is None)

        s.menu("File", "Close", opens_dialog=True)
        s.answer_if_asked("No", prefix="Save Changes")
        check(s.close() == 0, "the program ended with a failure")
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
