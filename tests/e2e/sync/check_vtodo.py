#!/usr/bin/python3
"""Checks iCalendar resources against what RFC 5545 asks of a VTODO.

check_vtodo.py FILE...: prints one line for each fault found and exits 1 if there is one.
"""
import sys
from datetime import timedelta

import icalendar


def faults(data):
    if b"\n" in data.replace(b"\r\n", b""):
        yield "a line not ended by CRLF"
    for line in data.split(b"\r\n"):
        if len(line) > 75:
            yield f"a line of {len(line)} octets: {line[:40]!r}"
    try:
        calendar = icalendar.Calendar.from_ical(data)
    except ValueError as e:
        yield f"not iCalendar: {e}"
        return
    zones = {str(z["TZID"]) for z in calendar.walk("VTIMEZONE")}
    todos = calendar.walk("VTODO")
    if not todos:
        yield "no VTODO"
    for todo in todos:
        for name in ("UID", "DTSTAMP"):
            if name not in todo:
                yield f"no {name}"
        for name in ("DTSTAMP", "CREATED", "LAST-MODIFIED", "COMPLETED"):
            if name in todo and todo.decoded(name).utcoffset() != timedelta(0):
                yield f"{name} not in UTC"
        for prop in todo.property_items():
            tzid = prop[1].params.get("TZID") if hasattr(prop[1], "params") else None
            if tzid and tzid not in zones:
                yield f"{prop[0]} names TZID {tzid} without its VTIMEZONE"
        if "DTSTART" in todo and "DUE" in todo:
            start, due = todo.decoded("DTSTART"), todo.decoded("DUE")
            if type(start) is not type(due):
                yield "DTSTART and DUE of different value types"
            else:
                try:
                    if start >= due:
                        yield "DTSTART not before DUE"
                except TypeError:
                    yield "DTSTART and DUE, one floating and one not"


def main():
    found = False
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            for fault in faults(f.read()):
                print(f"{path}: {fault}")
                found = True
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
