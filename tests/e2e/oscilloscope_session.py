"""Opens the hybrid example, opens an oscilloscope on the tank through the
place's popup menu, simulates 100 steps, then exports the plotted values
and the plot as a picture from the oscilloscope's own menu. The values must
be those quenzor-cli records for the same net and seed."""
import os
import subprocess

from desktop import Session, check, main, wait_for
from drawing_session import NetView, xdotool

TANK = (260, 160)
STEPS = 100
WINDOW_ROLES = ("panel", "filler", "frame", "internal frame", "window")


def cli_trace(cli, net, home):
    """(time, level) of every sample of the same run, from the command line."""
    csv = os.path.join(home, "tank.csv")
    env = dict(os.environ, QUENZOR_HOME=home)
    out = subprocess.run([cli, "simulate", net, "--steps", str(STEPS), "--seed", "1", "--trace", "level",
                          "--csv", csv], capture_output=True, text=True, env=env, timeout=60)
    check(out.returncode == 0, "quenzor-cli simulate failed: " + out.stderr)
    with open(csv) as f:
        rows = f.read().splitlines()[1:]
    return [tuple(float(v) for v in row.split(",")) for row in rows]


def exported(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    check(text.endswith("\r\n"), "the exported lines do not end with CR LF")
    return [tuple(float(v.replace(",", ".")) for v in line.split(";")) for line in text.split("\r\n")[:-1]]


def close(a, b):
    return abs(a - b) <= 1e-12 * max(1.0, abs(a), abs(b))


def scope_menu(s, scope, item, saved):
    """Chooses an item of the oscilloscope's menu (a right click on the
    plot) that asks for a file name, and saves under `saved`."""
    plot = s.wait(("filler", "panel"), name="Plot", within=scope)
    box = plot.queryComponent().getExtents(0)
    xdotool("mousemove", box.x + box.width // 2, box.y + box.height // 2, "click", 3)
    menu = s.wait(("popup menu",), name="Oscilloscope menu")
    s.press(item, roles=("menu item",), within=menu, opens_dialog=True)
    dialog = s.window("Save as")
    s.wait(("text",), within=dialog).queryEditableText().setTextContents(saved)
    s.press("Save", within=dialog)
    wait_for(os.path.basename(saved), lambda: os.path.exists(saved) and os.path.getsize(saved) > 0)
    if s.find(("popup menu",), name="Oscilloscope menu"):
        xdotool("key", "Escape")


def test(app, cli, home):
    net = os.path.join(home, "Hybrid.pn")
    s = Session(app, [net])
    try:
        s.window("Quenzor 2.7a")
        s.wait_start_picture_closed()
        view = NetView(s.wait(("filler",), name="Net"))
        view.click(TANK, button=3)
        popup = s.wait(("popup menu",), name="Popup menu")
        s.press("Show Diagram Window", roles=("menu item",), within=popup)
        scope = s.wait(WINDOW_ROLES, name="Place: Tank")
        if s.find(("popup menu",), name="Popup menu"):
            xdotool("key", "Escape")

        s.press("Start", opens_dialog=True)
        s.answer_if_asked("OK")
        panel = s.window("Simulation")
        for _ in range(STEPS):
            s.press("> Step", within=panel)
        s.wait(("label",), name="Time : 9,9", within=panel)
        s.press("Start")
        wait_for("the panel to close", lambda: s.find(("frame", "window", "dialog"), name="Simulation") is None)

        values = os.path.join(home, "tank.txt")
        scope_menu(s, scope, "Export Graphic (ASCII)", values)
        got, want = exported(values), cli_trace(cli, net, home)
        check(len(got) == len(want), "%d samples exported, the command line recorded %d" % (len(got), len(want)))
        for (t, v), (ct, cv) in zip(got, want):
            check(close(t, ct) and close(v, cv), "sample (%r, %r) differs from (%r, %r)" % (t, v, ct, cv))

        picture = os.path.join(home, "tank.png")
        scope_menu(s, scope, "Export Graphic", picture)
        with open(picture, "rb") as f:
            check(f.read(8) == b"\x89PNG\r\n\x1a\n", "the exported picture is not a PNG")

        s.menu("File", "Close File", opens_dialog=True)
        s.answer_if_asked("No", prefix="Save Changes")
        wait_for("the oscilloscope to close with its document", lambda: s.find(WINDOW_ROLES, name="Place: Tank") is None)
        s.menu("File", "Close")
        check(s.close() == 0, "the program ended with a failure")
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
