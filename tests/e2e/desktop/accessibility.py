"""What a screen reader finds on the accessibility bus (AT-SPI, through
pyatspi): the programs' windows and controls by role and name, their states,
and the actions a screen reader's user takes on them. The test runs inside
its own D-Bus session (dbus-run-session); Qt programs join the bus once it
says a screen reader is running, as they do on a desktop."""
import time

import pyatspi
from gi.repository import Gio, GLib

from waiting import WAIT, wait_until


def announce_screen_reader():
    """Sets the bus's "a screen reader is running" flag, which Orca sets."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


def program_environment(env):
    """A program's environment for this bus: the session's address is inherited."""
    env = dict(env)
    env.pop("NO_AT_BRIDGE", None)
    return env


def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    return [desktop.getChildAtIndex(i) for i in range(desktop.childCount) if desktop.getChildAtIndex(i)]


def describe(node):
    try:
        return "%s %r" % (node.getRoleName(), node.name)
    except Exception as error:  # a node that went away while read
        return "gone (%s)" % error


def nodes(root, depth=40):
    """Every node below `root`, breadth first."""
    queue = [(root, 0)]
    while queue:
        node, level = queue.pop(0)
        yield node
        if level >= depth:
            continue
        try:
            children = [node.getChildAtIndex(i) for i in range(node.childCount)]
        except Exception:
            continue
        queue.extend((child, level + 1) for child in children if child is not None)


def find(root, role, name=None):
    """The first node of that role (and name, when given) below `root`, or None."""
    for node in nodes(root):
        try:
            if node.getRoleName() == role and (name is None or node.name == name):
                return node
        except Exception:
            continue
    return None


def find_all(root, role):
    found = []
    for node in nodes(root):
        try:
            if node.getRoleName() == role:
                found.append(node)
        except Exception:
            continue
    return found


def wait_for(role, name=None, within=None, timeout=WAIT):
    """A node of that role and name in any program (or below `within`), once there is one."""
    def look():
        for root in ([within] if within is not None else applications()):
            node = find(root, role, name)
            if node is not None:
                return node
        return None

    def seen():
        return [describe(n) for app in applications() for n in list(nodes(app, 3))[:30]]
    return wait_until(look, "a %s named %r on the accessibility bus" % (role, name), timeout, seen=seen)


def has_state(node, state):
    return node.getState().contains(state)


def do(node, *names):
    """Runs the node's first action called one of `names` (press, click, ...)."""
    action = node.queryAction()
    available = [action.getName(i) for i in range(action.nActions)]
    for i, name in enumerate(available):
        if name.lower() in names:
            action.doAction(i)
            return
    raise AssertionError("%s offers no %s action, only %s" % (describe(node), names, available))


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def settle(seconds=0.3):
    time.sleep(seconds)
