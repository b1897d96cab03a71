"""Opens the plant example, simulates it from the panel, stops, leaves
simulation mode, saves it under a new name and checks that the saved file
reads back as the same net."""
import os
import subprocess
import time

from desktop import x_window_titles, Failure, Session, check, main, wait_for


def describe(cli, path, home):
    env = dict(os.environ, QUENZOR_HOME=home)
    out = subprocess.run([cli, "describe", path], capture_output=True, text=True, env=env, timeout=30)
    check(out.returncode == 0, "quenzor-cli describe %s failed: %s" % (path, out.stderr))
    return out.stdout


def test(app, cli, home):
    plant = os.path.join(home, "Plant.pn")
    saved = os.path.join(home, "PlantCopy.pn")
    s = Session(app, [plant])
    try:
        s.window("Quenzor 2.7a")
        s.press("Start")
        # A net with conflicts is announced first.
        s.answer_if_asked("OK")
        panel = s.window("Simulation")
        # Each window carries exactly its caption, nothing appended.
        titles = wait_for("the captions on the X server",
                          lambda: (t := x_window_titles()) and "Simulation" in t and t)
        check("Quenzor 2.7a" in titles and not any("\u2014" in t for t in titles),
              "window captions as the X server holds them: %r" % titles)
        time_label = s.wait(("label",), prefix="Time : ", within=panel)
        before = time_label.name
        # A maximum-speed run without an automatic stop: the press is
        # answered at once although the run goes on until Stop.
        s.press("Properties", roles=("page tab",), within=panel)
        s.press("Automatic Stop after", within=panel)
        s.press("Panel", roles=("page tab",), within=panel)
        s.press("Max Speed", within=panel)
        started = time.monotonic()
        s.press(">> Run", within=panel)
        took = time.monotonic() - started
        check(took < 1.0, "\">> Run\" at \"Max Speed\" answered after %.1f s" % took)
        time.sleep(3)
        s.press("Stop", within=panel)
        after = wait_for("the model time to advance",
                         lambda: (lbl := s.find(("label",), prefix="Time : ", within=panel))
                         and lbl.name != before and lbl.name)
        value = float(after[len("Time : "):].replace(",", "."))
        check(value > 0, "model time did not advance: " + after)
        s.press("Start")
        wait_for("the panel to close", lambda: s.find(("frame", "window", "dialog"), name="Simulation") is None)

        # "Save as" over another file that exists asks before replacing it.
        with open(saved, "w") as f:
            f.write("old")
        s.menu("File", "Save as", opens_dialog=True)
        dialog = s.window("Save as")
        name_field = s.wait(("text",), within=dialog)
        name_field.queryEditableText().setTextContents(saved)
        s.press("Save", within=dialog, opens_dialog=True)
        check(s.answer_if_asked("Yes", seconds=10, prefix="The File "), "no question before replacing " + saved)
        wait_for("the saved file", lambda: open(saved, "rb").read(3) != b"old")
        s.wait(("frame", "window", "internal frame"), name=saved)
        check(describe(cli, saved, home) == describe(cli, plant, home),
              "the saved file does not describe the same net")

        s.menu("File", "Close")
        check(s.close() == 0, "the program ended with a failure")
        check(os.path.exists(os.path.join(home, "Quenzor.cfg")), "no configuration file was written")
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
