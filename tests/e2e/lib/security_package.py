#!/usr/bin/env python3
"""Writes a copy of the setup program whose embedded package holds entry
names that a package tool would refuse, so that the suite can watch what
the program does with them. Written from the package format itself, not
with the product's own package code, so that the two check each other.

    security_package.py PROGRAM OUTPUT ENTRIES EXPECTED_DIR

ENTRIES has 21 lines "KIND<TAB>NAME", in table order. KIND is
    ok        a plain name: its file must be extracted
    hostile   a name with folder parts (or otherwise unfit): stored with a
              correct digest, so only the name rule can keep it out
    bad       a plain name stored with a wrong digest: never extracted
NAME is taken byte for byte (Latin-1), except "@unterminated" (128 'U'
bytes: a name field without its zero byte) and "@empty" (no name at all).

Every entry's content is a short text that names its entry. The package
has the size of PROGRAM's own package (RT_RCDATA 100) and replaces it in
place: the entries' data follow the table, the rest is zero bytes, which
no entry covers. EXPECTED_DIR receives, for each "ok" entry, the file that
extraction must write.
"""
import hashlib
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_facts  # noqa: E402

ENTRY_COUNT = 21
ENTRY_SIZE = 156
TABLE_SIZE = ENTRY_COUNT * ENTRY_SIZE
NAME_SIZE = 128
CHAIN_START_RUNNING = 0x3C91E2A7
RESERVED = 0x00440AA8
MASK32 = 0xFFFFFFFF
RT_RCDATA = 10
PACKAGE_ID = 100


def scramble(data: bytes, running: int, key: bytes) -> bytes:
    """The keyed byte stream: its own inverse for the same running value,
    key and length."""
    out = bytearray(len(data))
    r = running
    length = len(data)
    for i in range(length):
        n = length - i
        s = (r + n) & MASK32
        q = (s * s) & MASK32
        m = (q + (q >> 8) + key[n & 15]) & 0xFF
        out[i] = data[i] ^ m
        # An arithmetic shift of q taken as a signed 32-bit value.
        r = (q >> 8) | (0xFF000000 if q & 0x80000000 else 0)
    return bytes(out)


def advance(running: int, stored_digest: bytes):
    return (((running * running) & MASK32) << 8 | stored_digest[0]) & MASK32, stored_digest


def name_field(name: str) -> bytes:
    if name == "@unterminated":
        return b"U" * NAME_SIZE
    if name == "@empty":
        return bytes(NAME_SIZE)
    raw = name.encode("latin-1")
    if len(raw) >= NAME_SIZE:
        raise ValueError(f"name too long: {name!r}")
    return raw.ljust(NAME_SIZE, b"\0")


def build(entries, package_size: int) -> bytes:
    table = bytearray()
    data = bytearray()
    running = CHAIN_START_RUNNING
    key = bytes(16)
    for index, (kind, name) in enumerate(entries):
        plain = (f"kv-security entry {index + 1} ({kind}) {name!r}\r\n" * 3).encode("latin-1")
        digest = hashlib.md5(plain).digest()
        if kind == "bad":
            digest = bytes(b ^ 0xFF for b in digest)
        stored = scramble(plain, running, key)
        offset = TABLE_SIZE + len(data)
        table += name_field(name) + struct.pack("<II", offset, len(stored)) + digest
        table += struct.pack("<I", RESERVED)
        data += stored
        running, key = advance(running, hashlib.md5(stored).digest())
    package = bytes(table) + bytes(data)
    if len(package) > package_size:
        raise ValueError(f"package of {len(package)} bytes does not fit {package_size}")
    return package + bytes(package_size - len(package))


def main(argv) -> int:
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    program_path, output_path, entries_path, expected_dir = argv[1:]
    entries = []
    with open(entries_path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line:
                kind, name = line.split("\t", 1)
                if kind not in ("ok", "hostile", "bad"):
                    raise ValueError(f"unknown kind {kind}")
                entries.append((kind, name))
    if len(entries) != ENTRY_COUNT:
        print(f"{entries_path} lists {len(entries)} entries, not {ENTRY_COUNT}", file=sys.stderr)
        return 1
    with open(program_path, "rb") as f:
        program = bytearray(f.read())
    at, size = pe_facts.Pe(bytes(program)).resource(RT_RCDATA, PACKAGE_ID)
    package = build(entries, size)
    program[at:at + size] = package
    with open(output_path, "wb") as f:
        f.write(program)
    os.makedirs(expected_dir, exist_ok=True)
    for index, (kind, name) in enumerate(entries):
        if kind == "ok":
            plain = (f"kv-security entry {index + 1} ({kind}) {name!r}\r\n" * 3).encode("latin-1")
            with open(os.path.join(expected_dir, name), "wb") as f:
                f.write(plain)
    print(f"package of {size} bytes at file offset {at} replaced")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
