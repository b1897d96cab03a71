"""Takes screenshots of the real window for people to look at: the example
plant open, the simulation panel during a run, and the options window.
The pictures go to the directory named by QZ_SCREENSHOTS."""
import os
import subprocess
import time

from desktop import Session, main


def shot(name):
    path = os.path.join(os.environ["QZ_SCREENSHOTS"], name + ".png")
    subprocess.run(["import", "-window", "root", path], check=True, timeout=30)
    print("screenshot:", path)


def test(app, cli, home):
    s = Session(app, [os.path.join(home, "Plant.pn")])
    try:
        s.window("Quenzor 2.7a")
        time.sleep(1.5)
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


if __name__ == "__main__":
    main(test)
