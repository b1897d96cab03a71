"""Takes screenshots of where the windows open and whether their texts are
whole: the first start with its start window, the first document, three
documents tiled and cascaded, the help window, the navigator and the status
bar of a large net. The pictures go to the directory named by
QZ_SCREENSHOTS, named L1-... and on."""
import os
import shutil
import subprocess
import time

from desktop import Session, main


def shot(name):
    path = os.path.join(os.environ["QZ_SCREENSHOTS"], name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
    print("screenshot:", path)


def test(app, cli, home):
    config = os.path.join(home, "Quenzor.cfg")
    with open(config, "rb") as f:
        saved = f.read()
    # The help pages, as an installation has them.
    shutil.copytree(os.path.join(os.path.dirname(__file__), "..", "..", "docs", "help"), os.path.join(home, "Help"),
                    dirs_exist_ok=True)
    # A first start: no configuration, so the start window shows.
    os.remove(config)
    s = Session(app, [])
    try:
        s.window("Quenzor 2.7a")
        s.wait_start_picture_closed()
        time.sleep(1)
        shot("L1-first-start")
        s.answer_if_asked("OK", seconds=10, prefix="The File")
        start = s.window("Start Window", seconds=30)
        time.sleep(1)
        shot("L2-start-window")
        s.press("Close", within=start)
        time.sleep(1)
        shot("L3-first-document")
        for _ in range(2):
            s.menu("File", "New")
        for number, (name, command) in enumerate((("tiled", "Tile"), ("cascaded", "Cascade")), 4):
            s.menu("Window", command)
            time.sleep(1)
            shot("L%d-%s" % (number, name))
        s.press("Net Navigator")
        s.window("Net Navigator")
        time.sleep(1)
        shot("L6-navigator")
        # The menu's title and its item have the same name: the item is
        # looked for in the opened menu.
        title = s.press("Help", roles=("menu", "menu item"))
        s.press("Help", roles=("menu item",), within=title.getChildAtIndex(0))
        # The help window is a top-level window of its own that the tree
        # lists under another name on some platforms: it is given a moment.
        time.sleep(2)
        shot("L7-help")
    finally:
        s.proc.kill()
        s.proc.wait()
    with open(config, "wb") as f:
        f.write(saved)

    net = os.path.join(home, "Grid200000.pnml")
    subprocess.run(["python3", os.path.join(os.path.dirname(__file__), "..", "..", "bench", "make_large_nets.py"),
                    "grid", "200000", net], check=True, timeout=120, stdout=subprocess.DEVNULL)
    s = Session(app, [net])
    try:
        # The property window's tables list every element: the tree is not
        # walked while they fill, the net is given time to load.
        time.sleep(40)
        shot("L8-large-net-status-bar")
    finally:
        s.proc.kill()
        s.proc.wait()


if __name__ == "__main__":
    main(test)
