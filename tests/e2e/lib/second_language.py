#!/usr/bin/env python3
"""Writes a copy of a Windows program whose package resource (RCDATA 100)
is there in a second language as well, as someone who wants another
package installed on some machines could make it with UpdateResource.

    second_language.py PROGRAM LANGUAGE ENTRY OUTPUT

LANGUAGE is the new language identifier (0x0407, say); it must not be one
that RCDATA 100 already has. The new language's package is a copy of the
program's own with the middle byte of entry ENTRY's (1-based) stored data
inverted, so the two differ where it matters. The whole resource tree is
written again, the new language added in its sorted place, into a new
section at the end of the file, and the resource directory points there;
every other resource keeps its data where it was. Prints the languages of
RCDATA 100 in the copy, in tree order, as 0xNNNN.
"""
import struct
import sys

RT_RCDATA = 10
PACKAGE_ID = 100
SUBDIRECTORY = 0x80000000
NAME_IS_STRING = 0x80000000
DIRECTORY_RESOURCE = 2
SECTION_HEADER_SIZE = 40
TABLE_SIZE = 3276
ENTRY_SIZE = 156
OFFSET_FIELD = 128


def align(value, to):
    return (value + to - 1) // to * to


class Image:
    def __init__(self, data):
        self.data = bytearray(data)
        nt = struct.unpack_from("<I", data, 0x3C)[0]
        if data[nt:nt + 4] != b"PE\0\0":
            sys.exit("not a PE program")
        self.file_header = nt + 4
        self.section_count, = struct.unpack_from("<H", data, self.file_header + 2)
        optional_size, = struct.unpack_from("<H", data, self.file_header + 16)
        self.optional = self.file_header + 20
        magic, = struct.unpack_from("<H", data, self.optional)
        self.directories = self.optional + (96 if magic == 0x10B else 112)
        self.sections = self.optional + optional_size

    def section(self, index):
        at = self.sections + index * SECTION_HEADER_SIZE
        vsize, va, raw_size, raw = struct.unpack_from("<IIII", self.data, at + 8)
        return at, vsize, va, raw_size, raw

    def file_offset(self, rva):
        for index in range(self.section_count):
            _, _, va, raw_size, raw = self.section(index)
            if va <= rva < va + raw_size:
                return raw + rva - va
        sys.exit("address 0x%x lies in no section" % rva)


def read_tree(image):
    """The resource tree as nested lists: a directory is
    (header, [(name, child)]) where name is an int or the raw bytes of a
    string name, and a leaf is its 16-byte data entry."""
    root_rva, = struct.unpack_from("<I", image.data, image.directories + DIRECTORY_RESOURCE * 8)
    root = image.file_offset(root_rva)

    def directory(offset):
        header = bytes(image.data[root + offset:root + offset + 16])
        named, ids = struct.unpack_from("<HH", header, 12)
        entries = []
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image.data, root + offset + 16 + 8 * i)
            if name & NAME_IS_STRING:
                at = root + (name & ~NAME_IS_STRING)
                length, = struct.unpack_from("<H", image.data, at)
                name = bytes(image.data[at:at + 2 + 2 * length])
            if target & SUBDIRECTORY:
                child = directory(target & ~SUBDIRECTORY)
            else:
                child = bytes(image.data[root + target:root + target + 16])
            entries.append((name, child))
        return (header, entries)

    return directory(0)


def write_tree(tree):
    """The tree's bytes: directories, then string
    names, then data entries."""
    directories, strings, leaves = [], [], []

    def lay_out(node):
        directories.append(node)
        for _, child in node[1]:
            if isinstance(child, tuple):
                lay_out(child)

    lay_out(tree)
    place = {}
    offset = 0
    for node in directories:
        place[id(node)] = offset
        offset += 16 + 8 * len(node[1])
    string_at = {}
    for node in directories:
        for name, _ in node[1]:
            if isinstance(name, bytes) and name not in string_at:
                string_at[name] = offset
                strings.append(name)
                offset += len(name)
    offset = align(offset, 4)
    leaf_at = {}
    for node in directories:
        for _, child in node[1]:
            if not isinstance(child, tuple):
                leaf_at[id(child)] = offset
                leaves.append(child)
                offset += 16
    out = bytearray(offset)
    for node in directories:
        at = place[id(node)]
        header, entries = node
        named = sum(1 for name, _ in entries if isinstance(name, bytes))
        out[at:at + 16] = header[:12] + struct.pack("<HH", named, len(entries) - named)
        for i, (name, child) in enumerate(entries):
            name_field = NAME_IS_STRING | string_at[name] if isinstance(name, bytes) else name
            if isinstance(child, tuple):
                target = SUBDIRECTORY | place[id(child)]
            else:
                target = leaf_at[id(child)]
            struct.pack_into("<II", out, at + 16 + 8 * i, name_field, target)
    for name in strings:
        out[string_at[name]:string_at[name] + len(name)] = name
    for leaf in leaves:
        out[leaf_at[id(leaf)]:leaf_at[id(leaf)] + 16] = leaf
    return out


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    program, language, entry, output = sys.argv[1], int(sys.argv[2], 0), int(sys.argv[3]), sys.argv[4]
    image = Image(open(program, "rb").read())
    tree = read_tree(image)

    def child(node, wanted):
        for name, sub in node[1]:
            if name == wanted:
                return sub
        sys.exit("no resource %s" % wanted)

    languages = child(child(tree, RT_RCDATA), PACKAGE_ID)
    if any(name == language for name, _ in languages[1]):
        sys.exit("RCDATA 100 already has language 0x%04X" % language)
    first = languages[1][0][1]
    rva, size = struct.unpack_from("<II", first, 0)
    package = bytearray(image.data[image.file_offset(rva):image.file_offset(rva) + size])
    offset, length = struct.unpack_from("<II", package, (entry - 1) * ENTRY_SIZE + OFFSET_FIELD)
    package[offset + length // 2] ^= 0xFF

    # The new section: the tree, then the second package.
    section_alignment, file_alignment = struct.unpack_from("<II", image.data, image.optional + 32)
    last_at, last_vsize, last_va, last_raw_size, last_raw = image.section(image.section_count - 1)
    new_va = align(last_va + max(last_vsize, last_raw_size), section_alignment)
    new_raw = align(len(image.data), file_alignment)
    header_end = image.sections + (image.section_count + 1) * SECTION_HEADER_SIZE
    size_of_headers, = struct.unpack_from("<I", image.data, image.optional + 60)
    if header_end > size_of_headers:
        sys.exit("no room for another section header")

    leaf = bytearray(16)
    entries = languages[1]
    entries.append((language, leaf))
    entries.sort(key=lambda item: (not isinstance(item[0], bytes), item[0]))
    tree_size = len(write_tree(tree))
    package_at = align(tree_size, 16)
    struct.pack_into("<II", leaf, 0, new_va + package_at, len(package))
    leaf[8:16] = first[8:16]
    body = write_tree(tree)
    body += bytes(package_at - len(body)) + package
    raw_size = align(len(body), file_alignment)

    data = image.data
    data += bytes(new_raw - len(data)) + body + bytes(raw_size - len(body))
    at = image.sections + image.section_count * SECTION_HEADER_SIZE
    data[at:at + SECTION_HEADER_SIZE] = struct.pack(
        "<8sIIIIIIHHI", b".rsrc2", len(body), new_va, raw_size, new_raw, 0, 0, 0, 0, 0x40000040)
    struct.pack_into("<H", data, image.file_header + 2, image.section_count + 1)
    struct.pack_into("<I", data, image.optional + 56, align(new_va + len(body), section_alignment))
    struct.pack_into("<II", data, image.directories + DIRECTORY_RESOURCE * 8, new_va, tree_size)
    open(output, "wb").write(data)
    print(" ".join("0x%04X" % name for name, _ in entries if not isinstance(name, bytes)))


if __name__ == "__main__":
    main()
