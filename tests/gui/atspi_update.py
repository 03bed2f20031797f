#!/usr/bin/python3
# fwut-update as a screen reader or a test robot finds it: through AT-SPI
# alone, on a private session bus with the screen reader flag set. Walks the
# window's tree (roles, names, descriptions, the Text interface), moves the
# port choice and does a whole update against fwut-sim by Action alone.
# Usage (under an X server): atspi_update.py FWUT_UPDATE FWUT_SIM FIRMWARE_DIR
import os, pty, shutil, subprocess, sys, tempfile, time

if "FWUT_ATSPI_FOLDER" not in os.environ:
    # A session bus of our own, which starts its own accessibility bus, and a
    # configuration folder of our own: the desktop's settings turn nothing on.
    # A temporary folder of our own, too: another test's update must not hold
    # the scratch image this update needs.
    folder = tempfile.mkdtemp(prefix="fwut-atspi.")
    os.mkdir(folder + "/tmp")
    os.environ.update(FWUT_ATSPI_FOLDER=folder, XDG_CONFIG_HOME=folder + "/config", TMPDIR=folder + "/tmp",
                      QT_QPA_PLATFORM="xcb")
    os.environ.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    status = subprocess.call(["dbus-run-session", "--", sys.executable] + sys.argv)
    shutil.rmtree(folder, ignore_errors=True)
    sys.exit(status)

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib

program, sim_path, firmware = sys.argv[1:4]
folder = os.environ["FWUT_ATSPI_FOLDER"]
failures = []

def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what, flush=True)
    if not condition:
        failures.append(what)

def wait_for(found, seconds):  # found() until it gives something, pumping events; None when time is up
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        try:
            result = found()
        except GLib.Error:  # the program is busy for a moment (the update's start sleeps)
            result = None
        if result:
            return result
        time.sleep(0.05)
    return None

# The program and its firmware in one folder, COM5 on the simulator, COM7 on a spare line.
for name in ("FieldGatherer_MM_Psion.txt", "FG_MM_sample.hex"):
    shutil.copy(os.path.join(firmware, name), folder)
shutil.copy(program, folder)
spare_master, spare = pty.openpty()
os.makedirs(folder + "/config/Fernhollow Systems")
with open(folder + "/config/Fernhollow Systems/fwut-update.conf", "w") as conf:
    conf.write("[Ports]\nCOM5=%s/ttyFWUT\nCOM7=%s\n" % (folder, os.ttyname(spare)))
sim = subprocess.Popen([sim_path, "--once", "--link", folder + "/ttyFWUT", "--transcript", folder + "/sim.log"])
wait_for(lambda: os.path.exists(folder + "/ttyFWUT"), 10)

# What a screen reader does as it starts: set the flag that the toolkits watch.
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
              GLib.Variant("(ssv)", ("org.a11y.Status", "ScreenReaderEnabled", GLib.Variant("b", True))),
              None, Gio.DBusCallFlags.NONE, 5000, None)
app_process = subprocess.Popen([folder + "/fwut-update"], cwd=folder)

end_processes = lambda: [p.kill() for p in (app_process, sim) if p.poll() is None]
sys.excepthook = lambda *error: (end_processes(), sys.__excepthook__(*error))  # nothing is left running

def tree(node):
    yield node
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from tree(child)

def application():
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
    return next((a for a in apps if a is not None and a.get_name() == "fwut-update"), None)

def find(role, name, under=None):
    for node in tree(under or application()) if (under or application()) else ():
        if node.get_role_name() == role and (name is None or node.get_name() == name):
            return node
    return None

has = lambda node, state: node.get_state_set().contains(state)

def press(node):
    names = [node.get_action_name(i) for i in range(node.get_n_actions())]
    check("Press" in names and node.do_action(names.index("Press")), "Press on %r" % node.get_name())

text_of = lambda node: node.get_text(0, node.get_character_count())

window = wait_for(lambda: find("dialog", "FieldGatherer Mobile Module Firmware Update"), 30)
check(window is not None, "the window is on the accessibility bus, named by its title")
if window is None:
    end_processes()
    sys.exit(1)

# The port buttons: radio buttons of the "Serial Port: " group, the hidden slots nameless.
group = find("panel", "Serial Port: ", window)
radios = [n for n in tree(group) if n.get_role_name() == "radio button"] if group else []
check(len(radios) == 22, "the group holds the 22 port buttons")
shown = {r.get_name(): r for r in radios if has(r, Atspi.StateType.SHOWING)}
check({"COM5", "COM7"} <= set(shown), "COM5 and COM7 are shown: %s" % sorted(shown))
check(all(not r.get_name() and not r.get_description() for r in radios if not has(r, Atspi.StateType.SHOWING)),
      "a hidden slot has no name and no description")
check(not [n for n in tree(window) if n.get_role_name() == "check box"], "no port button is a check box")
check(shown.get("COM7") and shown["COM7"].get_description() == os.ttyname(spare), "COM7's description is its device")
buttons = {"Done", "Refresh Serial Ports", "Begin Update", "Contact Information"}
check(buttons <= {n.get_name() for n in tree(window) if n.get_role_name() == "push button"}, "the four push buttons")
labels = [n for n in tree(window) if n.get_role_name() == "label"]
check(all(n.get_text_iface() and text_of(n) == n.get_name() for n in labels), "every label offers its name as Text")

# The choice moves by Action, one button checked at a time.
checked = lambda: sorted(r.get_name() for r in radios if has(r, Atspi.StateType.CHECKED))
for port in ("COM7", "COM5"):
    if port in shown:
        press(shown[port])
        check(wait_for(lambda: checked() == [port], 5), "%s alone is checked after its Press" % port)

# A whole update by Action, watching the status lines change.
changes = []
listener = Atspi.EventListener.new(lambda event: changes.append(event.source.get_name()))
listener.register("object:property-change:accessible-name")
press(find("push button", "Begin Update", window))
outcome = wait_for(lambda: [w for w in tree(application() or window) if w.get_role_name() in ("dialog", "alert")
                            and w.get_name() == "Firmware Update Complete"], 120)
check(bool(outcome), "the outcome box comes through, named by its caption")
if outcome:
    check(any("successful" in n.get_name() for n in tree(outcome[0]) if n.get_role_name() == "label"),
          "the outcome box's text says the update succeeded")
    press(find("push button", "OK", outcome[0]))
progress = [n for n in labels if text_of(n).startswith("Sending firmware page")]
check(len(progress) == 1, "the progress line reads, through Text, as the last page sent")
check(any(c.startswith("Sending firmware page") for c in changes), "the progress line's changes came as events")
check(any(c == "Cancel Update" for c in changes), "Begin Update became Cancel Update while the module was awaited")
check(wait_for(lambda: find("push button", "Begin Update", window), 10) is not None, "Begin Update is back")
press(find("push button", "Done", window))
check(app_process.wait(timeout=20) == 0, "Done ends the program")
check(sim.wait(timeout=10) == 0, "the simulator ends its one session")
summary = open(folder + "/sim.log").read().splitlines()[-1:]
check(summary and ", 1 completed, 0 protocol errors" in summary[0], "the simulator saw the protocol kept: %s" % summary)
print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
