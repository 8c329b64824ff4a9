#!/usr/bin/env python3
"""Reads exploration files with nothing but the format's description, zlib and binascii.

Usage: check_txf.py WRITER FOLDER. Runs WRITER FOLDER, which writes the files and prints one line per
file: name files=N drives=N folders=N paths=N. Checks each header, the CRC at 74, that the body is one
complete zlib stream, and that its records parse to those counts.
"""
import binascii
import struct
import subprocess
import sys
import tempfile
import zlib


class Records:
    def __init__(self, data):
        self.data, self.pos = data, 0
        self.counts = {"files": 0, "drives": 0, "folders": 0, "paths": 0}

    def take(self, n):
        if self.pos + n > len(self.data):
            raise ValueError("record stream ends early at %d" % self.pos)
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def byte(self):
        return self.take(1)[0]

    def string(self):
        n = self.byte()
        if n == 127:
            n = struct.unpack("<H", self.take(2))[0]
        return self.take(n)

    def tail(self):
        struct.unpack("<ddd", self.take(24))
        self.byte()

    def folder_body(self):
        assert self.byte() in (0, 1), "explored flag"
        self.tail()
        while True:
            kind = self.byte()
            if kind == 99:
                return
            self.string()
            low = kind & 7
            if low == 4:
                width = kind & 0x60
                self.take({0x20: 1, 0x40: 2, 0x60: 3, 0: 8}[width])
                assert kind & ~0x60 == 4, "file kind %#x" % kind
                self.tail()
                self.counts["files"] += 1
            elif kind == 3:
                self.counts["folders"] += 1
                self.folder_body()
            elif kind == 2:
                self.take(1 + 16)
                self.counts["drives"] += 1
                self.folder_body()
            elif kind == 5:
                assert self.string(), "a path record holds a path"
                self.counts["paths"] += 1
                self.folder_body()
            else:
                raise ValueError("unexpected kind %#x at %d" % (kind, self.pos - 1))

    def root(self):
        assert self.byte() == 1, "root record first"
        self.string()
        count = struct.unpack("<q", self.take(8))[0]
        self.folder_body()
        assert self.pos == len(self.data), "nothing after the root's end byte"
        return count


def check(path, expected):
    with open(path, "rb") as f:
        data = f.read()
    assert len(data) > 128, path
    h = data[:128]
    magic1, magic2 = struct.unpack_from("<II", h, 0)
    assert (magic1, magic2) == (154344, 989812), "magic numbers"
    assert struct.unpack_from("<I", h, 16)[0] == 3120, "writer version"
    assert struct.unpack_from("<I", h, 20)[0] == 12850, "layout marker"
    assert struct.unpack_from("<I", h, 32)[0] == 4532, "compression"
    assert struct.unpack_from("<II", h, 58) == (3, 5), "major and format version"
    for start, end in ((8, 16), (24, 32), (36, 58), (66, 74), (86, 128)):
        assert h[start:end] == bytes(end - start), "reserved bytes %d-%d" % (start, end - 1)
    crc, count = struct.unpack_from("<Iq", h, 74)
    body = data[128:]
    assert crc == binascii.crc32(body) & 0xFFFFFFFF, "CRC at 74"
    inflater = zlib.decompressobj()
    records = inflater.decompress(body) + inflater.flush()
    assert inflater.eof and not inflater.unused_data, "one complete zlib stream filling the body"
    r = Records(records)
    root_count = r.root()
    assert r.counts == expected, "%s: %s, expected %s" % (path, r.counts, expected)
    assert count == expected["files"] == root_count, "file counts: header %d, root %d" % (count, root_count)


def main():
    writer = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        out = subprocess.run([writer, folder], check=True, capture_output=True, text=True).stdout
        lines = out.split("\n")
        lines = [l for l in lines if l]
        assert len(lines) == 4, out
        for line in lines:
            name, *fields = line.split()
            expected = {k: int(v) for k, v in (f.split("=") for f in fields)}
            check(folder + "/" + name, expected)
            print("ok", name, expected)


if __name__ == "__main__":
    main()
