#!/usr/bin/env python3
"""Gives every file under a folder the same last-write time.

Usage: set_times.py FOLDER SECONDS

SECONDS counts from 1970-01-01 00:00 UTC. The kit's files carry the time of the commit they
were built from, as the entries of its zip do.
"""

import os
import sys


def main():
    folder, seconds = sys.argv[1], int(sys.argv[2])
    for parent, _, files in os.walk(folder):
        for name in files:
            os.utime(os.path.join(parent, name), (seconds, seconds))


if __name__ == "__main__":
    main()
