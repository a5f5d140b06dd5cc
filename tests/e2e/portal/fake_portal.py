#!/usr/bin/env python3
"""Shortcuts portals on the bus that started them (or DBUS_SESSION_BUS_ADDRESS's), writing one
line per call to LOG; the test's org.quenby.Test.Activate(id) fakes a press, CloseSession() the
desktop ending the session.
  fake_portal.py LOG backend NAME: a desktop's backend for Debian's portal, binding all it is asked
  fake_portal.py LOG portal [--version N] [--registry] [--require-app-id] [--bind-response N]
    [--refuse-sessions N]: a portal of its own, for what Debian's cannot show
  --start-delay S: takes its name only after S seconds, as a portal starting at login"""
import argparse
import os
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

IMPL, PORTAL = "org.freedesktop.impl.portal.GlobalShortcuts", "org.freedesktop.portal.GlobalShortcuts"


def path_of(sender, token, kind):
    return f"/org/freedesktop/portal/desktop/{kind}/{sender[1:].replace('.', '_')}/{token}"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, code, results):
        pass


class Session(dbus.service.Object):
    def __init__(self, bus, path, sessions):
        super().__init__(bus, path)
        self.path, self.sessions = path, sessions

    @dbus.service.method("org.freedesktop.portal.Session")
    def Close(self):
        self.end()

    @dbus.service.signal("org.freedesktop.portal.Session", signature="a{sv}")
    def Closed(self, details):
        pass

    def end(self):
        self.sessions.pop(self.path, None)
        self.remove_from_connection()


class Fake(dbus.service.Object):
    def __init__(self, bus, args):
        super().__init__(bus, "/org/freedesktop/portal/desktop")
        self.bus, self.args, self.session, self.callers, self.app_ids = bus, args, "", set(), {}
        self.sessions, self.refusals = {}, args.refuse_sessions

    def log(self, sender, *words):
        self.callers.add(sender)
        with open(self.args.log, "a") as f:
            f.write(" ".join(str(w) for w in words if str(w)) + "\n")

    def bind(self, sender, shortcuts, parent):
        self.log(sender, "BindShortcuts", *[f"{i}={p['preferred_trigger']}" for i, p in shortcuts],
                 f"parent={parent}")
        bound = [(i, {"trigger_description": p["preferred_trigger"]}) for i, p in shortcuts]
        return {"shortcuts": dbus.Array(bound, signature="(sa{sv})")}

    @dbus.service.method("org.quenby.Test")
    def CloseSession(self):
        session = self.sessions[self.session]
        session.Closed(dbus.Dictionary({}, signature="sv"))
        session.end()

    @dbus.service.method("org.quenby.Test", in_signature="ss")
    def Activate(self, shortcut_id, token):
        options = {"activation_token": token} if token else {}
        self.Activated(dbus.ObjectPath(self.session), shortcut_id, dbus.UInt64(0),
                       dbus.Dictionary(options, signature="sv"))


class Backend(Fake):
    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session, app_id, options):
        self.session = session
        return 0, {}

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}",
                         sender_keyword="sender")
    def BindShortcuts(self, handle, session, shortcuts, parent, options, sender):
        return 0, self.bind(sender, shortcuts, parent)

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass


class Portal(Fake):
    def answer(self, sender, token, code, results):
        # Before the call returns: a client that subscribes late misses it.
        request = Request(self.bus, path_of(sender, token, "request"))
        request.Response(dbus.UInt32(code), dbus.Dictionary(results, signature="sv"))
        request.remove_from_connection()
        return dbus.ObjectPath(path_of(sender, token, "request"))

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(self.args.version)

    @dbus.service.method(PORTAL, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender):
        path = path_of(sender, options["session_handle_token"], "session")
        refused = path in self.sessions or self.refusals > 0
        self.log(sender, "CreateSession", *[i for i, _ in options.get("shortcuts", [])],
                 "refused" if refused else "")
        if self.args.require_app_id and sender not in self.app_ids:
            raise dbus.exceptions.DBusException("An app id is required",
                                                name="org.freedesktop.portal.Error.NotAllowed")
        if refused:
            # As the real portal: a session path in use ends that session too.
            self.refusals -= 1
            if path in self.sessions:
                self.sessions[path].Closed(dbus.Dictionary({}, signature="sv"))
                self.sessions[path].end()
            return self.answer(sender, options["handle_token"], 2, {})
        self.session = path
        self.sessions[path] = Session(self.bus, path, self.sessions)
        return self.answer(sender, options["handle_token"], 0, {"session_handle": path})

    @dbus.service.method(PORTAL, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender):
        results = self.bind(sender, shortcuts, parent)
        return self.answer(sender, options["handle_token"], self.args.bind_response, results)

    @dbus.service.signal(PORTAL, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass


class PortalWithRegistry(Portal):
    @dbus.service.method("org.freedesktop.host.portal.Registry", in_signature="sa{sv}",
                         sender_keyword="sender")
    def Register(self, app_id, options, sender):
        self.log(sender, "Register", app_id, "first" if sender not in self.callers else "late")
        self.app_ids[sender] = str(app_id)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("log")
    parser.add_argument("kind", choices=["backend", "portal"])
    parser.add_argument("name", nargs="?", default="org.freedesktop.portal.Desktop")
    parser.add_argument("--version", type=int, default=1)
    parser.add_argument("--registry", action="store_true")
    parser.add_argument("--require-app-id", action="store_true")
    parser.add_argument("--bind-response", type=int, default=0)
    parser.add_argument("--refuse-sessions", type=int, default=0)
    parser.add_argument("--start-delay", type=float, default=0)
    args = parser.parse_args()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.StarterBus() if "DBUS_STARTER_ADDRESS" in os.environ else dbus.SessionBus()
    time.sleep(args.start_delay)
    kind = Backend if args.kind == "backend" else PortalWithRegistry if args.registry else Portal
    fake, name = kind(bus, args), dbus.service.BusName(args.name, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()


main()
