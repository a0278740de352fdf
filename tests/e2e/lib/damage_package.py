#!/usr/bin/env python3
"""Writes a copy of the setup program whose embedded package has one byte of
one entry's stored data flipped, as a damaged download would have it.

    damage_package.py PROGRAM PACKAGE ENTRY OUTPUT

The package resource is found in PROGRAM by searching for PACKAGE's table
(its first 3276 bytes), which must occur exactly once. ENTRY is 1-based; the
byte in the middle of that entry's data is inverted. Prints the file offset
of the table and of the flipped byte.
"""
import struct
import sys

TABLE_SIZE = 3276
ENTRY_SIZE = 156
OFFSET_FIELD = 128


def main() -> int:
    program_path, package_path, entry_text, output_path = sys.argv[1:5]
    entry = int(entry_text)
    with open(program_path, "rb") as f:
        program = bytearray(f.read())
    with open(package_path, "rb") as f:
        package = f.read()

    table = package[:TABLE_SIZE]
    at = program.find(table)
    if at < 0 or program.find(table, at + 1) >= 0:
        print(f"package table found {'no' if at < 0 else 'more than one'} time in {program_path}", file=sys.stderr)
        return 1

    field = (entry - 1) * ENTRY_SIZE + OFFSET_FIELD
    offset, size = struct.unpack_from("<II", table, field)
    if size == 0 or offset + size > len(package):
        print(f"entry {entry} has no data to damage", file=sys.stderr)
        return 1
    flipped = at + offset + size // 2
    program[flipped] ^= 0xFF

    with open(output_path, "wb") as f:
        f.write(program)
    print(f"table at {at}, flipped byte at {flipped} (entry {entry}, data byte {size // 2} of {size})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
