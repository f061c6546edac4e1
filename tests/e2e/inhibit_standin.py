"""A stand-in for the desktop's screensaver service or its portal on a private session bus.
It records every call, one JSON line each, in the file given:
    inhibit_standin.py screensaver|portal LOGFILE"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

MODE, LOG = sys.argv[1], sys.argv[2]


def record(**call):
    with open(LOG, "a") as f:
        f.write(json.dumps(call) + "\n")


class ScreenSaver(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/ScreenSaver")
        self.cookie = 40

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="ss", out_signature="u",
                         sender_keyword="sender")
    def Inhibit(self, application, reason, sender=None):
        self.cookie += 1
        record(call="Inhibit", application=application, reason=reason, cookie=self.cookie)
        return dbus.UInt32(self.cookie)

    @dbus.service.method("org.freedesktop.ScreenSaver", in_signature="u")
    def UnInhibit(self, cookie):
        record(call="UnInhibit", cookie=int(cookie))


class Request(dbus.service.Object):
    def __init__(self, bus, path):
        super().__init__(bus, path)
        self.path = path

    @dbus.service.method("org.freedesktop.portal.Request")
    def Close(self):
        record(call="Close", handle=self.path)
        self.remove_from_connection()


class Portal(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus = bus
        self.count = 0

    @dbus.service.method("org.freedesktop.portal.Inhibit", in_signature="sua{sv}",
                         out_signature="o")
    def Inhibit(self, window, flags, options):
        self.count += 1
        path = f"/org/freedesktop/portal/desktop/request/standin/{self.count}"
        Request(self.bus, path)
        record(call="Inhibit", flags=int(flags), reason=str(options.get("reason", "")),
               handle=path)
        return dbus.ObjectPath(path)


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if MODE == "portal":
        name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
        service = Portal(bus)
    else:
        name = dbus.service.BusName("org.freedesktop.ScreenSaver", bus)
        service = ScreenSaver(bus)
    record(call="ready")
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
