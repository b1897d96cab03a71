"""Takes screenshots of the real window for people to look at: the example
plant open, the simulation panel during a run, the options window, a net
being drawn: an arc being connected and a selection made with a rubber
band, the pages of the property window for that net, and two oscilloscopes
of the hybrid example during a run. The pictures go to the directory named
by QZ_SCREENSHOTS."""
import os
import subprocess
import time

from desktop import Session, main, wait_for
from drawing_session import (ARCS, DISCRETE_TRANSITION, NetView, draw_arc, draw_elements, open_editor,
                             transition_centre, xdotool)
from oscilloscope_session import WINDOW_ROLES
from properties_session import value


def shot(name):
    path = os.path.join(os.environ["QZ_SCREENSHOTS"], name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
    print("screenshot:", path)


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


if __name__ == "__main__":
    main(test)
