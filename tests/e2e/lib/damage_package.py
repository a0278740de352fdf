#!/usr/bin/env python3
"""Writes a copy of the setup program whose embedded package has one byte of
one entry's stored data flipped, as a damaged download would have it; or,
with --not-a-program, one whose package is sound but carries plain text in
place of some entries' files, as a release packed from wrong files would.

    damage_package.py [--failing] PROGRAM PACKAGE ENTRY OUTPUT
    damage_package.py --not-a-program PROGRAM PACKAGE ENTRY[,ENTRY...] OUTPUT

The package resource is found in PROGRAM by searching for PACKAGE's table
(its first 3276 bytes), which must occur exactly once. ENTRY is 1-based; the
byte in the middle of that entry's data is inverted. Prints the file offset
of the table and of the flipped byte.

--failing also prints "failing=N N ..." (ascending entry numbers): the
entries whose check fails when the damaged package is extracted, found by
walking the package's key chain over the damaged data. Every entry's key is
the MD5 digest of the previous entry's stored data and a running value
carries the first digest bytes further, so the damaged entry fails and so do
some or all of the four after it; an entry whose stored data and chain state
are those of the undamaged package verifies as it does there.

--not-a-program replaces each named entry's file by text of the same size
(no program header), then scrambles the entries again along the key chain,
from the first replaced entry on, with fresh digests, so that every entry
verifies and the package keeps its size. Prints the table offset.
"""
import argparse
import hashlib
import struct
import sys

TABLE_SIZE = 3276
ENTRY_COUNT = 21
ENTRY_SIZE = 156
OFFSET_FIELD = 128
DIGEST_FIELD = 136
CHAIN_START_RUNNING = 0x3C91E2A7
MASK32 = 0xFFFFFFFF
TEXT_FILLER = b"This is not a program.\r\n"


def scramble(data, running, key):
    """The package's keyed byte stream over data; the same call scrambles
    and unscrambles."""
    length = len(data)
    out = bytearray(data)
    r = running
    for i in range(length):
        n = length - i
        s = (r + n) & MASK32
        q = (s * s) & MASK32
        out[i] ^= (q + (q >> 8) + key[n & 15]) & 0xFF
        # Arithmetic shift of q as a signed 32-bit value.
        r = (q >> 8) | (0xFF000000 if q & 0x80000000 else 0)
    return bytes(out)


def advance(running, key, stored):
    """The chain state after an entry whose stored data is `stored`."""
    digest = hashlib.md5(stored).digest()
    return ((((running * running) & MASK32) << 8) & MASK32) | digest[0], digest


def entries(table):
    """(offset, size, digest) of each of the 21 entries."""
    result = []
    for index in range(ENTRY_COUNT):
        field = index * ENTRY_SIZE
        offset, size = struct.unpack_from("<II", table, field + OFFSET_FIELD)
        result.append((offset, size, bytes(table[field + DIGEST_FIELD:field + DIGEST_FIELD + 16])))
    return result


def failing_entries(original, damaged):
    """Entry numbers whose check fails in the package `damaged`, a copy of
    the sound package `original` with some stored bytes changed."""
    failing = []
    chain = (CHAIN_START_RUNNING, bytes(16))
    original_chain = chain
    for number, (offset, size, digest) in enumerate(entries(original[:TABLE_SIZE]), start=1):
        if offset + size > len(damaged):
            failing.append(number)  # the bound test: the chain does not move
            continue
        stored = damaged[offset:offset + size]
        original_stored = original[offset:offset + size]
        if stored != original_stored or chain != original_chain:
            plain = scramble(stored, chain[0], chain[1])
            if hashlib.md5(plain).digest() != digest:
                failing.append(number)
        chain = advance(chain[0], chain[1], stored)
        original_chain = advance(original_chain[0], original_chain[1], original_stored)
    return failing


def find_table(program, package):
    table = package[:TABLE_SIZE]
    at = program.find(table)
    if at < 0 or program.find(table, at + 1) >= 0:
        raise ValueError(f"package table found {'no' if at < 0 else 'more than one'} time in the program")
    return at


def flip_one_byte(program, package, entry, show_failing):
    at = find_table(program, package)
    offset, size, _ = entries(package[:TABLE_SIZE])[entry - 1]
    if size == 0 or offset + size > len(package):
        raise ValueError(f"entry {entry} has no data to damage")
    flipped = at + offset + size // 2
    program[flipped] ^= 0xFF
    print(f"table at {at}, flipped byte at {flipped} (entry {entry}, data byte {size // 2} of {size})")
    if show_failing:
        damaged = bytes(program[at:at + len(package)])
        print("failing=" + " ".join(str(n) for n in failing_entries(package, damaged)))


def replace_by_text(program, package, numbers):
    at = find_table(program, package)
    table = bytearray(package[:TABLE_SIZE])
    layout = entries(table)
    first = min(numbers)
    repacked = bytearray(package)
    chain = original_chain = (CHAIN_START_RUNNING, bytes(16))
    for number, (offset, size, _) in enumerate(layout, start=1):
        original_stored = stored = package[offset:offset + size]
        if number >= first:
            # Before `first` both chains are the same; from it on the plain
            # file comes out along the old chain and goes back in along the
            # new one.
            plain = scramble(original_stored, original_chain[0], original_chain[1])
            if number in numbers:
                plain = (TEXT_FILLER * (size // len(TEXT_FILLER) + 1))[:size]
                field = (number - 1) * ENTRY_SIZE + DIGEST_FIELD
                table[field:field + 16] = hashlib.md5(plain).digest()
            stored = scramble(plain, chain[0], chain[1])
            repacked[offset:offset + size] = stored
        chain = advance(chain[0], chain[1], stored)
        original_chain = advance(original_chain[0], original_chain[1], original_stored)
    repacked[:TABLE_SIZE] = table
    program[at:at + len(package)] = repacked
    print(f"table at {at}, entries {' '.join(str(n) for n in sorted(numbers))} replaced by text")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--failing", action="store_true")
    parser.add_argument("--not-a-program", action="store_true")
    parser.add_argument("program")
    parser.add_argument("package")
    parser.add_argument("entry")
    parser.add_argument("output")
    args = parser.parse_args()

    with open(args.program, "rb") as f:
        program = bytearray(f.read())
    with open(args.package, "rb") as f:
        package = f.read()
    try:
        numbers = [int(text) for text in args.entry.split(",")]
        if any(n < 1 or n > ENTRY_COUNT for n in numbers) or (len(numbers) > 1 and not args.not_a_program):
            raise ValueError(f"entry {args.entry} is not one entry number from 1 to {ENTRY_COUNT}")
        if args.not_a_program:
            replace_by_text(program, package, set(numbers))
        else:
            flip_one_byte(program, package, numbers[0], args.failing)
    except ValueError as error:
        print(error, file=sys.stderr)
        return 1

    with open(args.output, "wb") as f:
        f.write(program)
    return 0


if __name__ == "__main__":
    sys.exit(main())
