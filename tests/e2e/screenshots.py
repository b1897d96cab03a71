"""Takes screenshots of the real window for people to look at: the example
plant open, the simulation panel during a run, the options window, a net
being drawn: an arc being connected and a selection made with a rubber
band, the pages of the property window for that net, two oscilloscopes of
the hybrid example during a run, and the windows of the object classes on
the example plant: the factory's class tree, windows onto a placed tank and
onto its class, the navigator and the project hierarchy. The pictures go to
the directory named by QZ_SCREENSHOTS."""
import os
import subprocess
import time

import pyatspi

from desktop import Session, main, nodes, role, wait_for
from library_session import reveal_class
from drawing_session import (ARCS, DISCRETE_TRANSITION, NetView, draw_arc, draw_elements, open_editor,
                             transition_centre, xdotool)
from oscilloscope_session import WINDOW_ROLES
from properties_session import value


def shot(name):
    path = os.path.join(os.environ["QZ_SCREENSHOTS"], name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
    print("screenshot:", path)


# The head of the frame of the plant's first tank, in pixels of its net
# view, and the head of the class's frame in a window onto that tank.
TANK_1_HEAD = (299, 70)
CLASS_FRAME_HEAD = (60, 10)


def frame_command(s, view, head, command):
    """Chooses a command from the popup of the frame whose head is there."""
    view.click(head, button=3)
    popup = s.wait(("popup menu",), name="Popup menu")
    s.press(command, roles=("menu item",), within=popup)
    # Pressed through its action, an item leaves the popup open.
    if s.find(("popup menu",), name="Popup menu"):
        xdotool("key", "Escape")


def document_window(s, suffix):
    """The document window whose caption ends so."""
    return wait_for(suffix, lambda: next((n for n in nodes(s.app) if role(n) in ("frame", "internal frame")
                                          and (n.name or "").endswith(suffix)
                                          and n.getState().contains(pyatspi.STATE_SHOWING)), None))


def test(app, cli, home):
    s = Session(app, [os.path.join(home, "Plant.pn")])
    try:
        s.window("Quenzor 2.7a")
        s.wait_start_picture_closed()
        time.sleep(1)
        shot("1-plant")
        s.press("Start")
        s.answer_if_asked("OK")
        panel = s.window("Simulation")
        s.press(">> Run", within=panel)
        time.sleep(2.5)
        shot("2-simulation-panel-running")
        s.press("Stop", within=panel)
        s.press("Start")
        s.menu("Edit", "Options")
        s.window("Options")
        time.sleep(1)
        shot("3-options")
    finally:
        s.proc.kill()
        s.proc.wait()

    s = Session(app, [])
    try:
        view = open_editor(s)
        draw_elements(s, view)
        s.press("Arcs")
        draw_arc(s, view, ARCS[0], 5)
        draw_arc(s, view, ARCS[1], 6)

        def connecting():
            time.sleep(1)
            shot("4-drawing-arc")
        draw_arc(s, view, ARCS[2], 7, hold=connecting)
        # A rubber band around the continuous place and transition.
        s.press("Select Objects")
        view.drag((40, 40), (360, 170))
        time.sleep(1)
        shot("5-drawing-selection")
        # The property window: the discrete transition picked, then the
        # tables, the transitions checked.
        view.click(transition_centre(DISCRETE_TRANSITION))
        wait_for("the transition's properties", lambda: value(s, "Name") == "T2")
        time.sleep(1)
        shot("6-properties-transition")
        for number, page in enumerate(("Places", "Transitions", "Arcs"), 7):
            s.press(page, roles=("page tab",))
            if page == "Transitions":
                s.press("Check", within=s.wait(("filler",), name=page))
                s.wait(("label",), name="Errors: 0")
            time.sleep(1)
            shot("%d-properties-%s" % (number, page.lower()))
    finally:
        s.proc.kill()

    s = Session(app, [os.path.join(home, "Hybrid.pn")])
    try:
        s.window("Quenzor 2.7a")
        s.wait_start_picture_closed()
        view = NetView(s.wait(("filler",), name="Net"))
        # An oscilloscope on the tank and one on the pump's switch, each
        # dragged by its title bar to the right of the net.
        for place, title, to in (((260, 160), "Place: Tank", (535, 10)), ((170, 300), "Place: PumpOn", (535, 215))):
            view.click(place, button=3)
            popup = s.wait(("popup menu",), name="Popup menu")
            s.press("Show Diagram Window", roles=("menu item",), within=popup)
            scope = s.wait(WINDOW_ROLES, name=title)
            if s.find(("popup menu",), name="Popup menu"):
                xdotool("key", "Escape")
            box = scope.queryComponent().getExtents(0)
            xdotool("mousemove", box.x + 60, box.y + 8, "mousedown", 1)
            time.sleep(0.3)
            for i in range(1, 6):
                xdotool("mousemove", box.x + 60 + (view.x + to[0] - box.x) * i // 5,
                        box.y + 8 + (view.y + to[1] - box.y) * i // 5)
            xdotool("mouseup", 1)
            time.sleep(0.5)
        s.press("Start", opens_dialog=True)
        s.answer_if_asked("OK")
        panel = s.window("Simulation")
        s.press(">> Run", within=panel)
        time.sleep(4)
        shot("10-oscilloscopes-running")
        s.press("Stop", within=panel)
    finally:
        s.proc.kill()
        s.proc.wait()

    s = Session(app, [os.path.join(home, "Plant.pn")])
    try:
        s.window("Quenzor 2.7a")
        s.wait_start_picture_closed()
        view = NetView(s.wait(("filler",), name="Net"))
        s.press("Hierarchy", roles=("page tab",))
        reveal_class(s, s.wait(("tree", "tree table", "table"), name="Object classes"), "Tank")
        time.sleep(1)
        shot("11-factory-hierarchy")
        # A window onto the first tank: its net holds the frame of its
        # class; a window onto that class shows the class's net.
        frame_command(s, view, TANK_1_HEAD, "View Instanced Object")
        tank = document_window(s, " - Tank_1 (View)")
        time.sleep(1)
        shot("12-view-instanced-object")
        frame_command(s, NetView(s.wait(("filler",), name="Net", within=tank)), CLASS_FRAME_HEAD,
                      "View Instanced Object")
        document_window(s, " - Tank (View)")
        time.sleep(1)
        shot("13-view-class")
        # The plant brought to the front by its title bar, zoomed in, under
        # the navigator.
        plant = document_window(s, "/Plant.pn").queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdotool("mousemove", plant.x + 100, plant.y + 10, "click", 1)
        time.sleep(0.5)
        for _ in range(7):
            s.menu("View", "Zoom", "Zoom In")
        s.wait(("label",), name="Scale: 0,48")
        s.press("Net Navigator")
        s.window("Net Navigator")
        time.sleep(1)
        shot("14-navigator")
        s.menu("View", "Project Hierarchy")
        s.window("Project Hierarchy")
        s.wait(("table cell", "tree item", "list item"), name="Tank_2")
        time.sleep(1)
        shot("15-project-hierarchy")
    finally:
        s.proc.kill()
        s.proc.wait()


if __name__ == "__main__":
    main(test)
