#!/usr/bin/env python3
"""What a Windows loader and a user-account prompt read from a program's
headers, read straight from the PE file (standard library only).

    pe_facts.py facts PROGRAM
        key=value lines: machine, characteristics, large_address_aware,
        relocs_stripped, dll_characteristics, dynamic_base, nx_compat,
        reloc_directory (size of the base-relocation data), reloc_section
        (1 when a .reloc section holds data), manifest (1 when an RT_MANIFEST
        resource is there and is well-formed XML), execution_level and
        ui_access (the manifest's requestedExecutionLevel attributes)
    pe_facts.py resource PROGRAM TYPE ID
        "<file offset> <size>" of that resource's first language
    pe_facts.py imports PROGRAM
        the libraries of the import table, one a line, as the program
        names them (delay-loaded ones too, each marked " (delayed)")
    pe_facts.py mutate PROGRAM OUTPUT WHAT
        a copy of PROGRAM with one fact taken away, so a check can be seen
        to fail: dynamic_base, nx_compat, large_address_aware (the bit
        cleared; large_address_aware is set instead when absent, see below),
        reloc (the base-relocation directory emptied and the .reloc section
        renamed), execution_level (the manifest's level made "asInvoker"),
        system_search (the LOAD_LIBRARY_SEARCH_SYSTEM32 flag zeroed in the
        one call of LoadLibraryExA that passes it, so that call searches
        the plain way; fails unless exactly one such call is found),
        default_directories (the name "SetDefaultDllDirectories" that the
        program looks up spoilt, so the process-wide restriction of the
        library search is not made; fails unless the name is there once);
        several, joined by "+", apply together

Exit code 0, 1 when the file is not a PE program or a resource is missing,
2 for a wrong command line.
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
DLLCHAR_DYNAMIC_BASE = 0x0040
DLLCHAR_NX_COMPAT = 0x0100
DIRECTORY_IMPORT = 1
DIRECTORY_RESOURCE = 2
DIRECTORY_BASERELOC = 5
DIRECTORY_DELAY_IMPORT = 13
DELAY_DESCRIPTOR_SIZE = 32
RT_RCDATA = 10
RT_MANIFEST = 24
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
SECTION_HEADER_SIZE = 40
IMPORT_DESCRIPTOR_SIZE = 20
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
# mov dword [esp+8], imm32: how GCC stores a call's third argument.
STORE_THIRD_ARGUMENT = bytes.fromhex("c7442408")
# How far before a call its argument stores may lie.
ARGUMENT_WINDOW = 48


class PeError(Exception):
    pass


class Pe:
    """The headers of one PE file and the positions of their fields."""

    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise PeError("no MZ header")
        self.pe_at = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe_at:self.pe_at + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = self.pe_at + 4
        self.machine, self.section_count = struct.unpack_from("<HH", data, coff)
        optional_size = struct.unpack_from("<H", data, coff + 16)[0]
        self.characteristics_at = coff + 18
        self.optional_at = coff + 20
        magic = struct.unpack_from("<H", data, self.optional_at)[0]
        if magic not in (0x10B, 0x20B):
            raise PeError(f"unknown optional header magic {magic:#x}")
        self.dll_characteristics_at = self.optional_at + 70
        self.directories_at = self.optional_at + (96 if magic == 0x10B else 112)
        self.directory_count = struct.unpack_from("<I", data, self.directories_at - 4)[0]
        self.image_base = struct.unpack_from("<I", data, self.optional_at + 28)[0] if magic == 0x10B else None
        self.sections_at = self.optional_at + optional_size
        self.sections = []
        for i in range(self.section_count):
            at = self.sections_at + i * SECTION_HEADER_SIZE
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, rva, max(virtual_size, raw_size), raw_size, raw_at, at))

    @property
    def characteristics(self) -> int:
        return struct.unpack_from("<H", self.data, self.characteristics_at)[0]

    @property
    def dll_characteristics(self) -> int:
        return struct.unpack_from("<H", self.data, self.dll_characteristics_at)[0]

    def directory(self, index: int):
        if index >= self.directory_count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.directories_at + 8 * index)

    def file_offset(self, rva: int) -> int:
        for _name, start, span, raw_size, raw_at, _header in self.sections:
            if start <= rva < start + span and rva - start < raw_size:
                return raw_at + rva - start
        raise PeError(f"address {rva:#x} lies in no section's file data")

    def c_string(self, rva: int) -> str:
        at = self.file_offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def import_slot(self, library: str, function: str) -> int:
        """The address of the import table slot through which a 32-bit
        program calls library!function."""
        table_rva, _size = self.directory(DIRECTORY_IMPORT)
        if table_rva == 0 or self.image_base is None:
            raise PeError("no 32-bit import table")
        at = self.file_offset(table_rva)
        while True:
            names_rva, _time, _chain, name_rva, slots_rva = struct.unpack_from("<IIIII", self.data, at)
            if name_rva == 0:
                raise PeError(f"{library} not imported")
            if self.c_string(name_rva).lower() == library.lower():
                thunk = self.file_offset(names_rva or slots_rva)
                for i in range(0x10000):
                    entry = struct.unpack_from("<I", self.data, thunk + 4 * i)[0]
                    if entry == 0:
                        break
                    if not entry & 0x80000000 and self.c_string(entry + 2) == function:
                        return self.image_base + slots_rva + 4 * i
                raise PeError(f"{library}!{function} not imported")
            at += IMPORT_DESCRIPTOR_SIZE

    def imports(self):
        """The names of the imported libraries, then the delay-loaded ones."""
        names = []
        table_rva, _size = self.directory(DIRECTORY_IMPORT)
        if table_rva:
            at = self.file_offset(table_rva)
            while True:
                name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
                if name_rva == 0:
                    break
                names.append(self.c_string(name_rva))
                at += IMPORT_DESCRIPTOR_SIZE
        delay_rva, _size = self.directory(DIRECTORY_DELAY_IMPORT)
        if delay_rva:
            at = self.file_offset(delay_rva)
            while True:
                attributes, name_rva = struct.unpack_from("<II", self.data, at)
                if name_rva == 0:
                    break
                # Version 1 descriptors hold addresses relative to the image;
                # old version 0 ones hold absolute addresses.
                if not attributes & 1 and self.image_base is not None:
                    name_rva -= self.image_base
                names.append(self.c_string(name_rva) + " (delayed)")
                at += DELAY_DESCRIPTOR_SIZE
        return names

    def resource(self, type_id: int, name_id: int):
        """(file offset, size) of the first language of resource type/id."""
        root_rva, root_size = self.directory(DIRECTORY_RESOURCE)
        if root_size == 0:
            raise PeError("no resource directory")
        root = self.file_offset(root_rva)

        def find(table_at: int, wanted):
            named, numbered = struct.unpack_from("<HH", self.data, table_at + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, table_at + 16 + 8 * i)
                if wanted is None or (not ident & 0x80000000 and ident == wanted):
                    return target
            return None

        table = root
        for wanted in (type_id, name_id, None):
            target = find(table, wanted)
            if target is None:
                raise PeError(f"resource {type_id}/{name_id} missing")
            if wanted is None and target & 0x80000000:
                raise PeError("unexpected resource directory depth")
            if target & 0x80000000:
                table = root + (target & 0x7FFFFFFF)
            else:
                leaf = root + target
        data_rva, size = struct.unpack_from("<II", self.data, leaf)
        return self.file_offset(data_rva), size


def manifest_facts(pe: Pe) -> dict:
    facts = {"manifest": "0", "execution_level": "", "ui_access": ""}
    try:
        at, size = pe.resource(RT_MANIFEST, 1)
    except PeError:
        return facts
    try:
        root = ElementTree.fromstring(pe.data[at:at + size])
    except ElementTree.ParseError:
        return facts
    facts["manifest"] = "1"
    for level in root.iter(f"{{{ASM_V3}}}requestedExecutionLevel"):
        facts["execution_level"] = level.get("level", "")
        facts["ui_access"] = level.get("uiAccess", "")
    return facts


def facts(pe: Pe) -> dict:
    characteristics = pe.characteristics
    dll = pe.dll_characteristics
    _reloc_rva, reloc_size = pe.directory(DIRECTORY_BASERELOC)
    reloc_section = any(name == ".reloc" and raw_size > 0
                        for name, _rva, _span, raw_size, _raw_at, _h in pe.sections)
    out = {
        "machine": f"{pe.machine:#06x}",
        "characteristics": f"{characteristics:#06x}",
        "large_address_aware": str(int(bool(characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE))),
        "relocs_stripped": str(int(bool(characteristics & IMAGE_FILE_RELOCS_STRIPPED))),
        "dll_characteristics": f"{dll:#06x}",
        "dynamic_base": str(int(bool(dll & DLLCHAR_DYNAMIC_BASE))),
        "nx_compat": str(int(bool(dll & DLLCHAR_NX_COMPAT))),
        "reloc_directory": str(reloc_size),
        "reloc_section": str(int(reloc_section)),
    }
    out.update(manifest_facts(pe))
    return out


def mutate(pe: Pe, what: str) -> bytes:
    data = bytearray(pe.data)

    def flip16(at: int, bit: int, keep_set: bool):
        value = struct.unpack_from("<H", data, at)[0]
        value = value & ~bit if keep_set else value | bit
        struct.pack_into("<H", data, at, value)

    if what == "dynamic_base":
        flip16(pe.dll_characteristics_at, DLLCHAR_DYNAMIC_BASE, True)
    elif what == "nx_compat":
        flip16(pe.dll_characteristics_at, DLLCHAR_NX_COMPAT, True)
    elif what == "large_address_aware":
        # Cleared when set; set when absent, so the mutant always differs
        # from the original in what the facts report.
        present = bool(pe.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE)
        flip16(pe.characteristics_at, IMAGE_FILE_LARGE_ADDRESS_AWARE, present)
    elif what == "reloc":
        struct.pack_into("<II", data, pe.directories_at + 8 * DIRECTORY_BASERELOC, 0, 0)
        for name, _rva, _span, _raw, _raw_at, header in pe.sections:
            if name == ".reloc":
                data[header:header + 8] = b".norel\0\0"
    elif what == "execution_level":
        at, size = pe.resource(RT_MANIFEST, 1)
        old = b'level="requireAdministrator"'
        new = b'level="asInvoker"'.ljust(len(old))
        text = bytes(data[at:at + size])
        if old not in text:
            raise PeError("manifest names no requireAdministrator level")
        data[at:at + size] = text.replace(old, new)
    elif what == "system_search":
        call = b"\xff\x15" + struct.pack("<I", pe.import_slot("kernel32.dll", "LoadLibraryExA"))
        flag = STORE_THIRD_ARGUMENT + struct.pack("<I", LOAD_LIBRARY_SEARCH_SYSTEM32)
        stores = []
        at = data.find(call)
        while at >= 0:
            store = data.rfind(flag, max(0, at - ARGUMENT_WINDOW), at)
            if store >= 0:
                stores.append(store)
            at = data.find(call, at + 1)
        if len(stores) != 1:
            raise PeError(f"{len(stores)} calls of LoadLibraryExA with the system-folder flag found")
        data[stores[0] + 4:stores[0] + 8] = bytes(4)
    elif what == "default_directories":
        name = b"\0SetDefaultDllDirectories\0"
        at = data.find(name)
        if at < 0 or data.find(name, at + 1) >= 0:
            raise PeError("the name SetDefaultDllDirectories is not there exactly once")
        data[at + len(name) - 2] = ord("X")
    else:
        raise PeError(f"unknown mutation {what}")
    return bytes(data)


def mutate_all(pe: Pe, whats: str) -> bytes:
    data = pe.data
    for what in whats.split("+"):
        data = mutate(Pe(data), what)
    return data


def main(argv) -> int:
    try:
        if len(argv) == 3 and argv[1] == "facts":
            with open(argv[2], "rb") as f:
                pe = Pe(f.read())
            for key, value in facts(pe).items():
                print(f"{key}={value}")
            return 0
        if len(argv) == 3 and argv[1] == "imports":
            with open(argv[2], "rb") as f:
                pe = Pe(f.read())
            for name in pe.imports():
                print(name)
            return 0
        if len(argv) == 5 and argv[1] == "resource":
            with open(argv[2], "rb") as f:
                pe = Pe(f.read())
            at, size = pe.resource(int(argv[3]), int(argv[4]))
            print(at, size)
            return 0
        if len(argv) == 5 and argv[1] == "mutate":
            with open(argv[2], "rb") as f:
                pe = Pe(f.read())
            with open(argv[3], "wb") as f:
                f.write(mutate_all(pe, argv[4]))
            return 0
    except (PeError, struct.error) as error:
        print(f"pe_facts: {error}", file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
