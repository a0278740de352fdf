#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into corpus/<target>/.

Usage: make_corpus.py KVPACK [CORPUS_DIR]

KVPACK is a built kvpack program (build/native/bin/kvpack); it packs the tiny
files, and this script then damages copies of the result and wraps it in
minimal PE32 and PE32+ programs as their RCDATA 100 resource. The output is
the same on every run.
"""
import os
import struct
import subprocess
import sys
import tempfile

TABLE = 3276
ENTRY = 156


def build_package(kvpack, work, contents):
    names = []
    for i, content in enumerate(contents):
        name = "f%02d.txt" % (i + 1)
        with open(os.path.join(work, name), "wb") as f:
            f.write(content)
        names.append(name)
    manifest = os.path.join(work, "manifest.txt")
    with open(manifest, "w") as f:
        f.write("\n".join(names) + "\n")
    out = os.path.join(work, "package.bin")
    subprocess.run([kvpack, "build", "-o", out, manifest], check=True, stdout=subprocess.DEVNULL)
    with open(out, "rb") as f:
        return bytearray(f.read())


def set_name(package, index, name):
    at = index * ENTRY
    package[at:at + 128] = name.ljust(128, b"\0")[:128]


def set_field(package, index, field_at, value):
    at = index * ENTRY + field_at
    package[at:at + 4] = struct.pack("<I", value)


def build_image(package, pe32plus):
    """A DOS header, PE headers and one .rsrc section holding the resource
    tree RCDATA(10) / 100 / language 0x409, followed by the package."""
    nt = 0x80
    optional_size = 240 if pe32plus else 224
    optional = nt + 24
    sections = optional + optional_size
    raw = 0x200
    va = 0x1000
    # Tree: root (1 id entry), type dir (1), language dir (1), data entry.
    root, type_dir, lang_dir, data_entry = 0, 24, 48, 72
    package_in = 96
    size = (package_in + len(package) + 0x1FF) // 0x200 * 0x200
    b = bytearray(raw + size)
    b[0:2] = b"MZ"
    struct.pack_into("<I", b, 0x3C, nt)
    b[nt:nt + 4] = b"PE\0\0"
    struct.pack_into("<HH", b, nt + 4, 0x8664 if pe32plus else 0x14C, 1)
    struct.pack_into("<HH", b, nt + 20, optional_size, 0x0102)
    struct.pack_into("<H", b, optional, 0x20B if pe32plus else 0x10B)
    count_at = optional + (108 if pe32plus else 92)
    struct.pack_into("<I", b, count_at, 16)
    struct.pack_into("<II", b, count_at + 4 + 2 * 8, va, package_in)
    b[sections:sections + 5] = b".rsrc"
    struct.pack_into("<IIII", b, sections + 8, size, va, size, raw)

    def directory(at, ids, name, target):
        struct.pack_into("<HH", b, raw + at + 12, 0, ids)
        struct.pack_into("<II", b, raw + at + 16, name, target)

    directory(root, 1, 10, 0x80000000 | type_dir)
    directory(type_dir, 1, 100, 0x80000000 | lang_dir)
    directory(lang_dir, 1, 0x409, data_entry)
    struct.pack_into("<II", b, raw + data_entry, va + package_in, len(package))
    b[raw + package_in:raw + package_in + len(package)] = package
    return bytes(b)


def write(corpus, target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    kvpack = os.path.abspath(sys.argv[1])
    corpus = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "corpus")
    with tempfile.TemporaryDirectory() as work:
        tiny = [bytes([0x41 + i]) * (i % 5 + 1) for i in range(21)]
        valid = build_package(kvpack, work, tiny)
        some_empty = build_package(kvpack, work, [b"" if i % 3 == 0 else b"x%d" % i for i in range(21)])

    # Names play no part in the digests or the chain: every entry still
    # verifies, and only the name rules stand between them and the disk.
    unsafe = bytearray(valid)
    for index, name in enumerate([b"..\\up.txt", b"C:\\abs.txt", b"sub\\x.txt", b"/etc/passwd",
                                  b".", b"", b"A" * 128, b"same.txt", b"SAME.TXT", b"..",
                                  b"\\\\server\\share\\x", b"ok.txt", b"nul.txt", b"COM1",
                                  b"con  .log"]):
        set_name(unsafe, index, name)

    damaged = bytearray(valid)
    damaged[TABLE + 2] ^= 0xFF                  # entry 1's data no longer matches
    set_field(damaged, 6, 128, 0xFFFFFFF0)      # entry 7 lies far outside
    set_field(damaged, 8, 132, 0xFFFFFFFF)      # entry 9 runs past the end

    packages = {"valid.pkg": bytes(valid), "some_empty.pkg": bytes(some_empty),
                "unsafe_names.pkg": bytes(unsafe), "damaged.pkg": bytes(damaged),
                "table_only.pkg": bytes(valid[:TABLE]), "short.pkg": bytes(valid[:200])}
    for target in ("package_reader", "extract", "kvpack_package"):
        for name, data in packages.items():
            write(corpus, target, name, data)
    write(corpus, "kvpack_package", "program32.exe", build_image(valid, False))
    write(corpus, "kvpack_package", "program64.exe", build_image(valid, True))
    write(corpus, "kvpack_package", "program_unsafe.exe", build_image(unsafe, False))

    manifests = {
        "plain.txt": "".join("f%02d.txt\n" % (i + 1) for i in range(21)),
        "comments.txt": "# the files of the package\n\n  payload/driver.sys  \r\n\t# not this\n"
                        "/abs/readme.txt\nsub dir/app.exe\r\n",
        "unsafe.txt": "..\nx/..\nC:\\\\a:b\nname<>|?*\n.\n\x01ctl\naux\nlpt9.txt\n" + "n" * 130 + "\n",
        "no_newline.txt": "only.txt",
    }
    for name, text in manifests.items():
        write(corpus, "manifest", name, text.encode())
    write(corpus, "manifest", "zero_byte.txt", b"a.txt\nb\0.txt\n")


if __name__ == "__main__":
    main()
