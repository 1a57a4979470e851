#!/usr/bin/python3
"""How long the running Nemo's main loop keeps a caller waiting: nemo_stalls.py SECONDS

Calls org.gtk.Actions.List on the running Nemo (org.Nemo on the session bus) again and again for
SECONDS: GLib answers that call from the application's main loop, so the time each answer takes
is the time the loop was busy with something else. Prints the number of calls, the median, the
99th percentile and the longest answer time in milliseconds, and when (seconds after Nemo took
its name on the bus) the answers over 50 ms came.
"""
import sys
import time

from gi.repository import Gio, GLib

NAME = "org.Nemo"


def has_owner(bus):
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "NameHasOwner", GLib.Variant("(s)", (NAME,)), None,
                          Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


def main():
    seconds = float(sys.argv[1])
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    end = time.monotonic() + 60
    while not has_owner(bus):
        if time.monotonic() > end:
            print("no Nemo on the session bus")
            return 1
        time.sleep(0.1)
    answers = []
    slow = []
    begin = time.monotonic()
    while time.monotonic() < begin + seconds:
        start = time.monotonic()
        bus.call_sync(NAME, "/org/Nemo", "org.gtk.Actions", "List", None, None,
                      Gio.DBusCallFlags.NONE, 30000, None)
        answers.append((time.monotonic() - start) * 1000)
        if answers[-1] > 50:
            slow.append("%.0f ms at %.1f s" % (answers[-1], start - begin))
        time.sleep(0.005)
    answers.sort()
    print("%d calls, median %.1f ms, 99th percentile %.1f ms, longest %.1f ms; over 50 ms: %s" % (
        len(answers), answers[len(answers) // 2], answers[int(len(answers) * 0.99)], answers[-1],
        ", ".join(slow) or "none"))
    return 0


sys.exit(main())
