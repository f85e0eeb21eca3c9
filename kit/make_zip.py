#!/usr/bin/env python3
"""Zips a folder so that the same files always give the same zip, byte for byte.

Usage: make_zip.py ZIP FOLDER EPOCH

The zip holds FOLDER under its own name. Entries come in byte order of their names; each
carries the time EPOCH (seconds since 1970, UTC), permissions that depend only on the kind of
entry, and nothing of the machine that made it: no owner, no access time, no extra fields.
"""

import os
import sys
import time
import zipfile

# A zip entry's time cannot be earlier than 1980-01-01.
EARLIEST = 315532800
UNIX = 3


def entries(folder):
    """Yields (name in the zip, path on disk or None for a folder)."""
    base = os.path.basename(os.path.normpath(folder))
    for parent, _, files in os.walk(folder):
        relative = os.path.relpath(parent, folder).replace(os.sep, "/")
        prefix = base if relative == "." else base + "/" + relative
        yield prefix + "/", None
        for name in files:
            yield prefix + "/" + name, os.path.join(parent, name)


def main():
    zip_path, folder, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    # In UTC, so that the entries' times do not depend on the time zone of the build.
    date_time = time.gmtime(max(epoch, EARLIEST))[:6]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name, path in sorted(entries(folder)):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = UNIX  # the permissions below are Unix ones on every system
            if path is None:
                info.external_attr = (0o40755 << 16) | 0x10  # folder, and MS-DOS folder bit
                archive.writestr(info, b"")
                continue
            mode = 0o100755 if name.lower().endswith(".exe") else 0o100644
            info.external_attr = mode << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()
