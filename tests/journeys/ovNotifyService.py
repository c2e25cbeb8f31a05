#!/usr/bin/python3
"""A stand-in for the desktop's notification service, for the reminder journeys.

Owns org.freedesktop.Notifications on the session bus given in
DBUS_SESSION_BUS_ADDRESS and appends one line per Notify call to LOG:
"APP<TAB>SUMMARY<TAB>BODY". Writes "ready" to the file READY once the name is owned.

Usage: ovNotifyService.py LOG READY
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, PATH)
        self.log = log
        self.next_id = 1

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        with open(self.log, "a", encoding="utf-8") as f:
            f.write(f"{app}\t{summary}\t{body}\n")
        self.next_id += 1
        return dbus.UInt32(self.next_id - 1)

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("orvida-test", "orvida", "1", "1.2")


def main():
    log, ready = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service = Notifications(bus, log)
    with open(ready, "w", encoding="utf-8") as f:
        f.write("ready\n")
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
