#!/usr/bin/env python3
"""Exchanges a folder with a link the moment a walk inside it has deleted
COUNT entries, as another user of the machine could: it watches FOLDER with
inotify and swaps FOLDER and LINK in one step (renameat2 with
RENAME_EXCHANGE), so that FOLDER then names what LINK named.

    exchange_after.py FOLDER LINK COUNT READY_FILE [SECONDS]

READY_FILE is written once the watch is in place. Prints "exchanged after N"
and exits 0, or prints "no exchange" and exits 1 when SECONDS (default 120)
pass first.
"""
import ctypes
import os
import select
import struct
import sys
import time

IN_DELETE = 0x00000200
AT_FDCWD = -100
RENAME_EXCHANGE = 1 << 1
EVENT_HEADER = struct.Struct("iIII")


def main():
    folder, link, count, ready = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    seconds = float(sys.argv[5]) if len(sys.argv) > 5 else 120.0
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(os.O_CLOEXEC)
    if fd < 0 or libc.inotify_add_watch(fd, folder.encode(), IN_DELETE) < 0:
        print("inotify: " + os.strerror(ctypes.get_errno()))
        return 1
    with open(ready, "w") as marker:
        marker.write("ready\n")
    deleted = 0
    end = time.monotonic() + seconds
    while deleted < count:
        left = end - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            print("no exchange")
            return 1
        data = os.read(fd, 65536)
        at = 0
        while at + EVENT_HEADER.size <= len(data):
            _, mask, _, length = EVENT_HEADER.unpack_from(data, at)
            at += EVENT_HEADER.size + length
            if mask & IN_DELETE:
                deleted += 1
    if libc.renameat2(AT_FDCWD, folder.encode(), AT_FDCWD, link.encode(), RENAME_EXCHANGE) != 0:
        print("renameat2: " + os.strerror(ctypes.get_errno()))
        return 1
    print("exchanged after %d" % deleted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
