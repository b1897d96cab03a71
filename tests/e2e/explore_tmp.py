import os, subprocess, time, sys
from desktop import Session, main, wait_for, nodes
import pyatspi

def xdo(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True)

def ext(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height

def status(s):
    return [n.name for n in nodes(s.app) if n.getRoleName() == "label" and (n.name or "").startswith(("Elements", "Changed"))]

def test(app, cli, home):
    s = Session(app, [os.path.join(home, "Hybrid.pn")] if len(sys.argv) > 0 else [])
    try:
        s.window("Quenzor 2.7a")
        time.sleep(1.5)
        net = s.wait(("filler", "panel", "unknown", "canvas"), name="Net")
        x, y, wd, ht = ext(net)
        print("net", x, y, wd, ht)
        print(status(s))
        s.press("Discrete Place")
        xdo("mousemove", x + 500, y + 300, "click", 1)
        time.sleep(0.5)
        print("after place", status(s))
        s.press("Label")
        xdo("mousemove", x + 500, y + 200, "click", 1)
        time.sleep(0.5)
        print("after label", status(s))
        xdo("mousemove", x + 600, y + 200, "click", 1)
        time.sleep(0.5)
        print("after second click", status(s))
    finally:
        s.proc.kill()

if __name__ == "__main__":
    main(test)
