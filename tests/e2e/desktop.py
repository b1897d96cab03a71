"""A small driver for the real Quenzor window through the accessibility tree,
as a screen reader or a user sees it: controls are found by role and name and
pressed through their actions."""
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402
import pyatspi  # noqa: E402

BUTTON_ROLES = ("push button", "toggle button", "check box")


class Failure(Exception):
    pass


def wait_for(what, probe, seconds=15.0):
    """Polls probe() until it returns something true; fails after a time."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # the tree changes while we read it
            found = None
        if found:
            return found
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def nodes(root):
    """Every node below root, depth first."""
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        try:
            stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))
        except Exception:
            pass


def role(node):
    return node.getRoleName()


class Session:
    def __init__(self, app_path, args, env=None):
        self.proc = subprocess.Popen([app_path] + args, env=env or os.environ.copy())
        self.app = wait_for("the application in the accessibility tree", self._find_app, 30)

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def find(self, roles, name=None, prefix=None, within=None):
        for node in nodes(within or self.app):
            if role(node) not in roles:
                continue
            if not node.getState().contains(pyatspi.STATE_SHOWING):
                continue
            if name is not None and node.name != name:
                continue
            if prefix is not None and not (node.name or "").startswith(prefix):
                continue
            return node
        return None

    def wait(self, roles, name=None, prefix=None, within=None, seconds=15.0):
        label = name or ((prefix or "") + "..." if prefix else "a " + "/".join(roles))
        return wait_for(label, lambda: self.find(roles, name, prefix, within), seconds)

    def press(self, name, roles=BUTTON_ROLES, within=None, opens_dialog=False):
        """Presses a control. A control that opens a modal dialog answers
        only when the dialog closes, so the call is not waited for."""
        node = self.wait(roles, name=name, within=within)
        if not node.getState().contains(pyatspi.STATE_ENABLED):
            wait_for(name + " to be enabled", lambda: node.getState().contains(pyatspi.STATE_ENABLED))
        if not opens_dialog:
            node.queryAction().doAction(0)
            return node
        Atspi.set_timeout(1000, 15000)
        try:
            node.queryAction().doAction(0)
        except Exception:
            pass  # the dialog is open; its answer comes later
        finally:
            Atspi.set_timeout(25000, 15000)
        return node

    def menu(self, *path, opens_dialog=False):
        """Chooses a menu item: the menu titles, then the item. A menu
        that stays open afterwards is closed again, as a click would."""
        titles = [self.press(title, roles=("menu", "menu item")) for title in path[:-1]]
        self.press(path[-1], roles=("menu item",), opens_dialog=opens_dialog)
        for title in reversed(titles):
            try:
                popup = title.getChildAtIndex(0)
                if popup is not None and popup.getState().contains(pyatspi.STATE_SHOWING):
                    title.queryAction().doAction(0)
            except Exception:
                pass

    def window(self, title, seconds=15.0):
        return self.wait(("frame", "dialog", "window", "alert"), name=title, seconds=seconds)

    def wait_start_picture_closed(self):
        """The picture shown at start-up lies over the main window for a
        few seconds."""
        wait_for("the start-up picture to close",
                 lambda: self.find(("filler", "window", "frame"), name="Quenzor") is None, 20)

    def answer_if_asked(self, button, seconds=3.0, prefix=None):
        """Presses the button of a message box when one appears in time: one
        titled "Quenzor", or one whose name (its question) starts with
        prefix."""
        try:
            if prefix is None:
                box = self.wait(("dialog", "alert"), name="Quenzor", seconds=seconds)
            else:
                box = self.wait(("dialog", "alert"), prefix=prefix, seconds=seconds)
        except Failure:
            return False
        self.press(button, within=box)
        return True

    def close(self, seconds=20.0):
        try:
            self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            raise Failure("the program did not end")
        return self.proc.returncode


def x_window_titles():
    """The titles of the top-level windows as the X server holds them."""
    ids = subprocess.run(["xdotool", "search", "--name", "."], capture_output=True, text=True,
                         timeout=10).stdout.split()
    titles = []
    for i in ids:
        out = subprocess.run(["xdotool", "getwindowname", i], capture_output=True, text=True, timeout=10)
        if out.returncode == 0 and out.stdout.strip():
            titles.append(out.stdout.rstrip("\n"))
    return titles


def check(condition, message):
    if not condition:
        raise Failure(message)


def main(test):
    try:
        test(*sys.argv[1:])
    except Failure as failure:
        print("e2e: FAILED:", failure, file=sys.stderr)
        sys.exit(1)
    print("e2e: passed")
