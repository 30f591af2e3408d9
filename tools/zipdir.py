#!/usr/bin/python3
"""Packs a folder into a zip that depends only on the files' names and
contents: entries sorted, one fixed time stamp, no owners or permissions.

    zipdir.py FOLDER ZIP

The entries are FOLDER's files under the folder's own name, so the zip
unpacks into one folder. The time stamp is SOURCE_DATE_EPOCH when set,
else 1980-01-01 00:00 (the earliest a zip can hold).
"""
import os
import sys
import time
import zipfile

DOS_ARCHIVE = 0x20   # the attribute Windows gives a fresh file


def stamp():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return (1980, 1, 1, 0, 0, 0)
    return max((1980, 1, 1, 0, 0, 0), time.gmtime(int(epoch))[:6])


def files(top):
    out = []
    for root, dirs, names in os.walk(top):
        dirs.sort()
        for n in names:
            out.append(os.path.relpath(os.path.join(root, n), top))
    return sorted(p.replace(os.sep, "/") for p in out)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: zipdir.py FOLDER ZIP")
    top, dest = os.path.normpath(argv[1]), argv[2]
    base = os.path.basename(top)
    when = stamp()
    tmp = dest + ".tmp"
    with zipfile.ZipFile(tmp, "w") as z:
        for rel in files(top):
            info = zipfile.ZipInfo(f"{base}/{rel}", when)
            info.create_system = 0
            info.external_attr = DOS_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(top, rel), "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, dest)


if __name__ == "__main__":
    main(sys.argv)
