#!/usr/bin/env python3
"""Builds exploration files of every format version (1 to 5) from a readable description.

The reader's tests need files that no writer of this project produces (versions 1 to 4, raw
bodies, damaged bodies with a correct checksum). This generator encodes them on its own, from
the layout as documented, so that it checks the reader rather than repeating it.

Usage: txfgen.py OUT.txf < description.json

Description (JSON object; every key optional):
  version      format version, default 5          major        default 3
  writer       writer version, default 3120       layout       layout marker, default 12850
  magic1/2     default 154344 / 989812            compression  4532 (zlib, default) or any other (raw)
  crc          stored checksum; default the right one       count   stored file count; default the number of file records
  body         list of records (below)            bodyhex      the record stream as hex, instead of body
  storedhex    the stored body as hex (no compression applied), instead of body
  cut_body     keep only this many bytes of the record stream (before compression)
  cut_stored   keep only this many bytes of the stored body (after compression); the checksum is
               computed after cutting, so only the truncation is wrong
  tail         hex bytes appended to the stored body (checksum included)
  cut_file     keep only this many bytes of the whole file (header included)

Records: {"t": KIND, ...} with KIND one of
  root    name, count (int64), explored, dates, attr, children
  drive   name, letter ("C" or "/"), free, total, explored, dates, attr, children
  folder  name, explored, dates, attr, children
  path    name, path, explored, dates, attr, children
  file    name, size, width (0x00/0x20/0x40/0x60; default the smallest that holds size), dates, attr
  other   kind (the kind byte), name: a record of a kind the reader does not know
  chain   depth, leaf (optional record), explored (default 1): depth folders nested one in the
          next, leaf innermost
  raw     hex: bytes as they stand
Common keys: kind (the kind byte itself, overriding the computed one), end (end byte of a child
list, default 99; null for none), name_form ("long" forces the 127 form in versions 3-5, "short"
a single length byte).
Names are text (encoded Latin-1) or {"hex": "..."}.
dates: three entries (created, accessed, modified), each a number (stored as a double), a string
"nan"/"inf"/"-inf", or {"packed": v} (versions 1-3: a dword, and the kind byte gets 0x80 / 0x10 /
0x08). attr: Windows attribute bits (version 1: stored as dword; later: packed into the attribute
byte); attrbyte: the packed byte itself.
"""
import json
import struct
import sys
import zlib

PACKED_BITS = (0x80, 0x10, 0x08)
ATTR_BITS = ((0x01, 0x20), (0x02, 0x800), (0x04, 0x2), (0x08, 0x80),
             (0x10, 0x1000), (0x20, 0x1), (0x40, 0x4), (0x80, 0x100))


def text(value):
    if isinstance(value, dict):
        return bytes.fromhex(value["hex"])
    return value.encode("latin-1")


class Encoder:
    def __init__(self, version):
        self.version = version
        self.out = bytearray()
        self.files = 0

    def name(self, value, form=None):
        b = text(value)
        if self.version <= 2:
            self.out += struct.pack("<H", len(b)) + b
        elif form == "short":  # one length byte whatever it says (128..255 are valid)
            self.out += struct.pack("<B", len(b)) + b
        elif len(b) >= 127 or form == "long":
            self.out += struct.pack("<BH", 127, len(b)) + b
        else:
            self.out += struct.pack("<B", len(b)) + b

    def date_bits(self, rec):
        bits = 0
        if self.version <= 3:
            for d, bit in zip(rec.get("dates", [0, 0, 0]), PACKED_BITS):
                if isinstance(d, dict):
                    bits |= bit
        return bits

    def tail(self, rec):
        for d in rec.get("dates", [0, 0, 0]):
            if isinstance(d, dict):
                if self.version <= 3:
                    self.out += struct.pack("<I", d["packed"])
                else:  # versions 4 and 5 always store doubles
                    self.out += struct.pack("<d", 0.0)
            else:
                self.out += struct.pack("<d", float(d))
        if self.version == 1:
            self.out += struct.pack("<I", rec.get("attr", 0))
        elif "attrbyte" in rec:
            self.out += struct.pack("<B", rec["attrbyte"])
        else:
            a = rec.get("attr", 0)
            self.out += struct.pack("<B", sum(p for p, w in ATTR_BITS if a & w))

    def folder_body(self, rec):
        self.out += struct.pack("<B", rec.get("explored", 1))
        self.tail(rec)
        for child in rec.get("children", []):
            self.record(child)
        end = rec.get("end", 99)
        if end is not None:
            self.out += struct.pack("<B", end)

    def kind(self, rec, base):
        return rec["kind"] if "kind" in rec else base | self.date_bits(rec)

    def record(self, rec):
        t = rec["t"]
        if t == "raw":
            self.out += bytes.fromhex(rec["hex"])
            return
        if t == "chain":  # iterative: far deeper than Python's recursion allows
            depth = rec["depth"]
            explored = rec.get("explored", 1)
            head = struct.pack("<BB", 3, 1) + b"d" + struct.pack("<B", explored) + bytes(24) + b"\0"
            if self.version <= 2:
                head = struct.pack("<BHB", 3, 1, ord("d")) + struct.pack("<B", explored) + bytes(24)
                head += b"\0" * (4 if self.version == 1 else 1)
            self.out += head * depth
            if "leaf" in rec:
                self.record(rec["leaf"])
            self.out += b"\x63" * depth
            return
        if t == "file":
            size = rec.get("size", 0)
            if "width" in rec:
                width = rec["width"]
            elif 0 <= size <= 255:
                width = 0x20
            elif 256 <= size <= 65535:
                width = 0x40
            elif 65536 <= size <= 0xFFFFFF:
                width = 0x60
            else:
                width = 0
            self.out += struct.pack("<B", self.kind(rec, 4 | width))
            self.name(rec["name"], rec.get("name_form"))
            if width == 0x20:
                self.out += struct.pack("<B", size & 0xFF)
            elif width == 0x40:
                self.out += struct.pack("<H", size & 0xFFFF)
            elif width == 0x60:
                self.out += struct.pack("<HB", size & 0xFFFF, (size >> 16) & 0xFF)
            else:
                self.out += struct.pack("<q", size)
            self.tail(rec)
            self.files += 1
            return
        base = {"root": 1, "drive": 2, "folder": 3, "path": 5}.get(t)
        if t == "other":
            self.out += struct.pack("<B", rec["kind"])
            self.name(rec.get("name", ""))
            return
        self.out += struct.pack("<B", self.kind(rec, base))
        self.name(rec.get("name", ""), rec.get("name_form"))
        if t == "root":
            self.out += struct.pack("<q", rec.get("count", 0))
        elif t == "drive":
            self.out += struct.pack("<B", ord(rec.get("letter", "C")))
            self.out += struct.pack("<qq", rec.get("free", 0), rec.get("total", 0))
        elif t == "path":
            self.name(rec.get("path", ""), rec.get("name_form"))
        self.folder_body(rec)


def build(desc):
    version = desc.get("version", 5)
    enc = Encoder(version)
    if "storedhex" in desc:
        body = None
    elif "bodyhex" in desc:
        body = bytes.fromhex(desc["bodyhex"])
    else:
        for rec in desc.get("body", []):
            enc.record(rec)
        body = bytes(enc.out)
    if "cut_body" in desc:
        body = body[: desc["cut_body"]]
    compression = desc.get("compression", 4532)
    if body is None:
        stored = bytes.fromhex(desc["storedhex"])
    else:
        stored = zlib.compress(body, 9) if compression == 4532 else body
    if "cut_stored" in desc:
        stored = stored[: desc["cut_stored"]]
    stored += bytes.fromhex(desc.get("tail", ""))
    crc = desc.get("crc", zlib.crc32(stored) & 0xFFFFFFFF)
    count = desc.get("count", enc.files)

    h = bytearray(128)
    struct.pack_into("<II", h, 0, desc.get("magic1", 154344), desc.get("magic2", 989812))
    struct.pack_into("<II", h, 16, desc.get("writer", 3120), desc.get("layout", 12850))
    struct.pack_into("<I", h, 32, compression)
    struct.pack_into("<II", h, 58, desc.get("major", 3) & 0xFFFFFFFF, version & 0xFFFFFFFF)
    if version == 5:
        struct.pack_into("<Iq", h, 74, crc, count)
    else:  # versions 1-4 (and anything else a test asks for) keep checksum and count at 66
        struct.pack_into("<Iq", h, 66, crc, count)
    return bytes(h) + stored


def main():
    desc = json.load(sys.stdin)
    data = build(desc)
    if "cut_file" in desc:
        data = data[: desc["cut_file"]]
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
