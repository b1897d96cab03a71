"""Starts the installed Quenzor with the first net of its tutorial (of its
example projects while the tutorial is empty) as a user of the machine would
from the application menu, checks that the window shows that net, takes a
screenshot (QZ_PACKAGE_SHOT) and closes the program. Messages shown on the
way are answered and printed; the only one a first start may show is the
note that the user's configuration file does not exist yet: the per-user
copy of the program directory is made without a word."""
import glob
import os
import subprocess
import time

import pyatspi

from desktop import Failure, Session, check, main, nodes, role, wait_for

MESSAGE_ROLES = ("dialog", "alert")


def first_net(home):
    for folder in ("Tutorial", "Data"):
        nets = sorted(glob.glob(os.path.join(home, folder, "*.pn")))
        if nets:
            return nets[0]
    raise Failure("no net in %s/Tutorial or %s/Data" % (home, home))


def message(s):
    """A message box that is showing: a dialog with an "OK" button other
    than the start window."""
    for node in nodes(s.app):
        try:
            if role(node) in MESSAGE_ROLES and node.name != "Start Window" and \
                    node.getState().contains(pyatspi.STATE_SHOWING) and \
                    s.find(("push button",), name="OK", within=node) is not None:
                return node
        except Exception:  # the tree changes while we read it
            continue
    return None


def answer_messages(s, seconds, said):
    """Answers every message box that appears within `seconds` of the last
    one, keeping its text; how many it answered."""
    answered = 0
    while s.proc.poll() is None:
        box = message(s)
        if box is None:
            try:
                box = wait_for("a message", lambda: message(s), seconds)
            except Failure:
                break
        answered += 1
        text = box.name
        said.append(text)
        print("e2e: message:", text.replace("\n", " "))
        s.press("OK", within=box)
        wait_for("the message to close",
                 lambda: s.proc.poll() is not None or (m := message(s)) is None or m.name != text)
    return answered


def settle(s, said, quiet=4.0, seconds=60.0):
    """Start-up: the start-up picture, the messages and the start window
    (which comes with a first start) come in an order that depends on the
    messages; each is answered until nothing new has shown for `quiet`
    seconds."""
    end = time.monotonic() + seconds
    last = time.monotonic()
    while time.monotonic() - last < quiet:
        check(time.monotonic() < end, "the start-up did not settle")
        busy = answer_messages(s, 0.3, said) > 0
        start = s.find(("dialog", "frame", "window"), name="Start Window")
        if start is not None:
            s.press("Close", within=start)
            busy = True
        if busy or s.find(("filler", "window", "frame"), name="Quenzor") is not None \
                or s.find(("frame",), name="Quenzor 2.7a") is None:
            last = time.monotonic()


def screenshot():
    shot = os.environ.get("QZ_PACKAGE_SHOT")
    if shot:
        time.sleep(1)
        subprocess.run(["import", "-window", "root", shot], check=True, timeout=30)
        print("e2e: screenshot:", shot)


def test(app, cli, home):
    net = first_net(home)
    said = []
    s = Session(app, [net])
    try:
        settle(s, said)
        try:
            s.wait(("frame", "window", "internal frame"), name=net)
        finally:
            screenshot()
        s.menu("File", "Close", opens_dialog=True)
        end = time.monotonic() + 20
        while s.proc.poll() is None and time.monotonic() < end:
            answer_messages(s, 0.5, said)
        check(s.close() == 0, "the program ended with a failure")
        print("e2e: %d message(s) answered" % len(said))
        unexpected = [t for t in said if '"Quenzor.cfg" not exists.' not in t]
        check(not unexpected, "unexpected messages: %r" % unexpected)
    finally:
        if s.proc.poll() is None:
            s.proc.kill()


if __name__ == "__main__":
    main(test)
