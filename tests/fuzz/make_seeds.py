#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the generated part of the seed corpus: serialised option objects, a tiny TrueType font
and a collection of it. Run from anywhere; rerun after a wire-format change."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
BOOL, INT32, DOUBLE, STRING, TIME, ENUM, ENUMSET, OBJECT = 1, 2, 6, 7, 8, 9, 10, 11


def tag(code):
    return struct.pack("<I", int.from_bytes(code.encode(), "big"))


def member(code, kind, payload):
    return tag(code) + bytes([kind]) + struct.pack("<I", len(payload)) + payload


END = b"\0\0\0\0" + b"\0" + b"\0\0\0\0"


def obj(class_code, members, version=1):
    return tag(class_code) + struct.pack("<I", version) + b"".join(members) + END


def stream(*members):
    return b"srl1" + b"".join(members) + END


def serialiser_seeds():
    options = obj("FEOP", [member("cvnm", BOOL, b"\1"), member("cvbl", BOOL, b"\0"),
                           member("page", ENUM, struct.pack("<i", 1)),
                           member("rlbk", BOOL, b"\1"), member("cval", STRING, "Cover ä".encode()),
                           member("gcss", BOOL, b"\1"), member("plov", BOOL, b"\0"),
                           member("psty", ENUM, struct.pack("<i", 0)),
                           member("psrc", INT32, struct.pack("<i", 2)),
                           member("etpn", BOOL, b"\1")])
    source = obj("FDAT", [member("path", STRING, b"css/extra sheet.css")])
    css = obj("CSSF", [member("sour", OBJECT, source), member("modf", TIME, struct.pack("<q", 10**15)),
                       member("cont", STRING, b"p { margin: 0 }")])
    access = obj("EAcM", [member("feat", ENUMSET, struct.pack("<ii", 1, 3)),
                          member("hazd", ENUMSET, struct.pack("<i", 2)),
                          member("acsm", STRING, b"Summary"), member("cnfm", ENUM, struct.pack("<i", 2)),
                          member("cfby", STRING, b"Someone")])
    export = obj("EOEP", [member("pgno", INT32, struct.pack("<i", 3)),
                          member("pdpi", DOUBLE, struct.pack("<d", 150.0))])
    return {
        "options.srl": stream(member("objt", OBJECT, options)),
        "css.srl": stream(member("objt", OBJECT, css)),
        "accessibility.srl": stream(member("objt", OBJECT, access)),
        "export.srl": stream(member("root", OBJECT, export)),
        # Bare members, as an object's own Load sees them.
        "members.srl": stream(member("cvnm", BOOL, b"\1"), member("cont", STRING, b"a{}"),
                              member("path", STRING, b"x.css"), member("acsm", STRING, b"s")),
    }


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xffffffff


def sfnt(tables):
    """A TrueType file from {tag: bytes}: directory, then tables 4-byte aligned."""
    tags = sorted(tables)
    offset = 12 + 16 * len(tags)
    directory, body = b"", b""
    for t in tags:
        data = tables[t]
        directory += t.encode() + struct.pack(">III", checksum(data), offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    n = len(tags)
    search = 2 ** (n.bit_length() - 1)
    return struct.pack(">IHHHH", 0x00010000, n, search * 16, n.bit_length() - 1,
                       n * 16 - search * 16) + directory + body


def tiny_font(family):
    head = struct.pack(">IIIIHHqqhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0, 1000,
                       0, 0, 0, 0, 500, 700, 0, 8, 2, 0, 0)
    hhea = struct.pack(">IhhhHhhhhhhhhhhhH", 0x00010000, 800, -200, 0, 500, 0, 0, 500, 1, 0, 0,
                       0, 0, 0, 0, 0, 1)
    maxp = struct.pack(">IHHHHHHHHHHHHHH", 0x00010000, 1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0)
    os2 = struct.pack(">HhHHHhhhhhhhhhhh", 3, 500, 400, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0) \
        + b"\0" * 10 + b"\0" * 16 + b"NONE" + struct.pack(">HHHhhhHH", 0x40, 32, 32, 800, -200, 0,
                                                          800, 200) + b"\0" * 8 \
        + struct.pack(">hhHHH", 0, 0, 0, 0, 0)
    names = [(1, family), (2, "Regular"), (4, family + " Regular"), (6, family.replace(" ", ""))]
    strings, records = b"", b""
    for name_id, text in names:
        data = text.encode("utf-16-be")
        records += struct.pack(">HHHHHH", 3, 1, 0x409, name_id, len(data), len(strings))
        strings += data
    name = struct.pack(">HHH", 0, len(names), 6 + 12 * len(names)) + records + strings
    cmap = struct.pack(">HHHHI", 0, 1, 3, 1, 12) + struct.pack(
        ">HHHHHHHHHHHHHHHH", 4, 32, 0, 4, 4, 1, 0, 0xFFFF, 0xFFFF, 0, 0xFFFF, 0xFFFF, 1, 1, 0, 0)
    post = struct.pack(">IIhhIIIII", 0x00030000, 0, 0, 0, 0, 0, 0, 0, 0)
    return sfnt({"head": head, "hhea": hhea, "maxp": maxp, "OS/2": os2, "name": name,
                 "cmap": cmap, "post": post, "hmtx": struct.pack(">Hh", 500, 0),
                 "loca": struct.pack(">HH", 0, 0), "glyf": b""})


def collection(fonts):
    """A collection holding each font's tables again (no sharing; enough for a seed)."""
    header = 12 + 4 * len(fonts)
    offsets, body = [], b""
    for font in fonts:
        offsets.append(header + len(body))
        count = struct.unpack(">H", font[4:6])[0]
        directory = bytearray(font[:12 + 16 * count])
        # Table offsets are from the start of the file: move them past what precedes this font.
        for i in range(count):
            at = 12 + 16 * i + 8
            old = struct.unpack(">I", directory[at:at + 4])[0]
            struct.pack_into(">I", directory, at, old + header + len(body))
        body += bytes(directory) + font[len(directory):]
    return b"ttcf" + struct.pack(">II", 0x00010000, len(fonts)) + b"".join(
        struct.pack(">I", o) for o in offsets) + body


def main():
    for name, data in serialiser_seeds().items():
        with open(os.path.join(HERE, "corpus", "serialiser", name), "wb") as f:
            f.write(data)
    font = tiny_font("Fuzz Sans")
    with open(os.path.join(HERE, "corpus", "font", "tiny.ttf"), "wb") as f:
        f.write(font)
    with open(os.path.join(HERE, "corpus", "font", "tiny.ttc"), "wb") as f:
        f.write(collection([font, tiny_font("Fuzz Serif")]))


if __name__ == "__main__":
    main()
