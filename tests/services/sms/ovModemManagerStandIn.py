#!/usr/bin/python3
"""A stand-in for ModemManager, for the SMS tests.

Starts a private bus with dbus-daemon, owns org.freedesktop.ModemManager1 on it and
offers one modem with Modem.Messaging, as the real service does on the system bus:
ObjectManager.GetManagedObjects on /org/freedesktop/ModemManager1, Messaging.Create
giving /org/freedesktop/ModemManager1/SMS/N, Sms.Send, and the SMS's State and
DeliveryState through org.freedesktop.DBus.Properties (Get, GetAll, PropertiesChanged).
Every Create and Send is appended to FOLDER/calls.jsonl as one JSON object per line.

The file FOLDER/mode, read at each Send, chooses how the modem answers:
  (missing or empty)    sent, and the delivery report comes 200 ms later
  send-fails            Send fails as a modem without network does
  no-delivery-report    sent, but the delivery report never comes

Prints the bus's address as its first line once the name is owned, and ends (with its
bus) when its standard input closes.

Usage: ovModemManagerStandIn.py FOLDER
"""
import json
import os
import subprocess
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.ModemManager1"
ROOT = "/org/freedesktop/ModemManager1"
MODEM = ROOT + "/Modem/0"
MODEM_IFACE = NAME + ".Modem"
MESSAGING = NAME + ".Modem.Messaging"
SMS_IFACE = NAME + ".Sms"
PROPS = "org.freedesktop.DBus.Properties"

STATE_UNKNOWN, STATE_SENDING, STATE_SENT = 0, 4, 5
DELIVERY_COMPLETED_RECEIVED, DELIVERY_UNKNOWN = 0x00, 0x100

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def plain(value):
    """D-Bus values as JSON can hold them."""
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.Int32, dbus.UInt32, dbus.Int64, dbus.UInt64, dbus.Byte)):
        return int(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    return repr(value)


class Sms(dbus.service.Object):
    def __init__(self, service, path, properties):
        super().__init__(service.bus, path)
        self.service = service
        self.path = path
        self.props = {
            "State": dbus.UInt32(STATE_UNKNOWN),
            "PduType": dbus.UInt32(2),  # submit
            "Number": dbus.String(properties.get("number", "")),
            "Text": dbus.String(properties.get("text", "")),
            "SMSC": dbus.String(properties.get("smsc", "")),
            "DeliveryReportRequest": dbus.Boolean(bool(properties.get("delivery-report-request", False))),
            "MessageReference": dbus.UInt32(0),
            "DeliveryState": dbus.UInt32(DELIVERY_UNKNOWN),
            "Storage": dbus.UInt32(0),
        }

    def change(self, **values):
        for key, value in values.items():
            self.props[key] = dbus.UInt32(value)
        self.PropertiesChanged(SMS_IFACE, {k: self.props[k] for k in values}, dbus.Array([], signature="s"))

    @dbus.service.method(SMS_IFACE, in_signature="", out_signature="")
    def Send(self):
        self.service.record({"call": "Send", "object": self.path})
        mode = self.service.mode()
        if mode == "send-fails":
            raise dbus.exceptions.DBusException(
                "Network timeout", name=NAME + ".Error.Message.NetworkTimeout")
        self.change(State=STATE_SENDING)
        self.change(State=STATE_SENT, MessageReference=len(self.service.messages))
        if self.props["DeliveryReportRequest"] and mode != "no-delivery-report":
            GLib.timeout_add(200, self.delivered)

    def delivered(self):
        self.change(DeliveryState=DELIVERY_COMPLETED_RECEIVED)
        return False

    @dbus.service.method(PROPS, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface != SMS_IFACE or name not in self.props:
            raise dbus.exceptions.DBusException(
                "No such property " + name, name="org.freedesktop.DBus.Error.InvalidArgs")
        return self.props[name]

    @dbus.service.method(PROPS, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return dict(self.props) if interface == SMS_IFACE else {}

    @dbus.service.signal(PROPS, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass


class Modem(dbus.service.Object):
    def __init__(self, service):
        super().__init__(service.bus, MODEM)
        self.service = service

    @dbus.service.method(MESSAGING, in_signature="a{sv}", out_signature="o")
    def Create(self, properties):
        self.service.record({"call": "Create", "object": MODEM,
                             "properties": {str(k): plain(v) for k, v in properties.items()}})
        if "number" not in properties or "text" not in properties:
            raise dbus.exceptions.DBusException(
                "Missing number or text", name=NAME + ".Error.Core.InvalidArgs")
        path = dbus.ObjectPath(f"{ROOT}/SMS/{len(self.service.messages)}")
        self.service.messages.append(Sms(self.service, path, properties))
        return path

    @dbus.service.method(MESSAGING, in_signature="", out_signature="ao")
    def List(self):
        return dbus.Array([m.path for m in self.service.messages], signature="o")


class Root(dbus.service.Object):
    def __init__(self, service):
        super().__init__(service.bus, ROOT)
        self.service = service

    @dbus.service.method("org.freedesktop.DBus.ObjectManager", in_signature="",
                         out_signature="a{oa{sa{sv}}}")
    def GetManagedObjects(self):
        messages = dbus.Array([m.path for m in self.service.messages], signature="o")
        return {dbus.ObjectPath(MODEM): {
            MODEM_IFACE: {"State": dbus.Int32(8), "Manufacturer": dbus.String("Orvida test modem")},
            MESSAGING: {"Messages": messages, "SupportedStorages": dbus.Array([], signature="u"),
                        "DefaultStorage": dbus.UInt32(0)},
        }}


class Service:
    def __init__(self, bus, folder):
        self.bus = bus
        self.folder = folder
        self.messages = []
        self.objects = [Root(self), Modem(self)]

    def mode(self):
        try:
            with open(os.path.join(self.folder, "mode"), encoding="utf-8") as f:
                return f.read().strip()
        except FileNotFoundError:
            return ""

    def record(self, call):
        with open(os.path.join(self.folder, "calls.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(call, sort_keys=True) + "\n")


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    config = os.path.join(folder, "bus.conf")
    with open(config, "w", encoding="utf-8") as f:
        f.write(BUS_CONFIG.format(socket=os.path.join(folder, "bus")))
    daemon = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile",
                               "--print-address=1"], stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    try:
        DBusGMainLoop(set_as_default=True)
        bus = dbus.bus.BusConnection(address)
        name = dbus.service.BusName(NAME, bus, do_not_queue=True)
        service = Service(bus, folder)
        loop = GLib.MainLoop()
        GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP,
                          lambda fd, cond: loop.quit() if not os.read(fd, 4096) else True)
        print(address, flush=True)
        loop.run()
        del name, service
    finally:
        daemon.terminate()
        daemon.wait()


if __name__ == "__main__":
    main()
