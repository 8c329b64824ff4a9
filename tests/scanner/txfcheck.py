"""An independent reader of exploration files, for the tests: header, CRC-32 and the record stream.

Written from the file layout alone (no project code), so a fault shared by the writer and the
project's own reader still shows here. Names stay bytes, exactly as stored.
"""
import struct
import zlib

MAGIC1, MAGIC2 = 0x25AE8, 0xF1A74
RESERVED = [(8, 16), (24, 32), (36, 58), (66, 74), (86, 128)]
FILE_KINDS = {0x04: 8, 0x24: 1, 0x44: 2, 0x64: 3}


class Node:
    def __init__(self, kind):
        self.kind = kind          # 1 root, 2 drive, 3 folder, 4 file (any width), 5 path
        self.name = b""
        self.path = b""           # path records
        self.letter = 0           # drive records
        self.free = self.total = 0
        self.count = 0            # the root's count field
        self.explored = None
        self.created = self.accessed = self.modified = 0.0
        self.attr = 0
        self.size = None          # files
        self.size_bytes = None    # the width used for the size
        self.children = []

    def is_file(self):
        return self.size is not None

    def __repr__(self):
        return f"Node({self.kind:#x}, {self.name!r})"


class FormatError(Exception):
    pass


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def take(self, n):
        if self.pos + n > len(self.data):
            raise FormatError(f"record stream ends inside a record at {self.pos}")
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def byte(self):
        return self.take(1)[0]

    def unpack(self, fmt):
        return struct.unpack("<" + fmt, self.take(struct.calcsize("<" + fmt)))[0]

    def text(self):
        n = self.byte()
        if n == 127:
            n = self.unpack("H")
            if n < 127:
                raise FormatError(f"long string form used for {n} bytes")
        return self.take(n)

    def body(self, node):
        node.explored = self.byte()
        node.created, node.accessed, node.modified = (self.unpack("d") for _ in range(3))
        node.attr = self.byte()


def parse_records(data):
    """The root node of a record stream; iterative, so a deep tree needs no deep recursion."""
    r = Reader(data)
    if r.byte() != 1:
        raise FormatError("the stream does not start with a root record")
    root = Node(1)
    root.name = r.text()
    root.count = r.unpack("q")
    r.body(root)
    stack = [root]
    while stack:
        kind = r.byte()
        if kind == 99:
            stack.pop()
            continue
        node = Node(kind)
        node.name = r.text()
        if kind in FILE_KINDS:
            width = FILE_KINDS[kind]
            node.size_bytes = width
            if width == 8:
                node.size = r.unpack("q")
            elif width == 3:
                low = r.unpack("H")
                node.size = low | (r.byte() << 16)
            else:
                node.size = int.from_bytes(r.take(width), "little")
            node.created, node.accessed, node.modified = (r.unpack("d") for _ in range(3))
            node.attr = r.byte()
            stack[-1].children.append(node)
            continue
        if kind == 2:
            node.letter = r.byte()
            node.free = r.unpack("q")
            node.total = r.unpack("q")
        elif kind == 5:
            node.path = r.text()
        elif kind != 3:
            raise FormatError(f"unknown record kind {kind:#x} at {r.pos - 1}")
        r.body(node)
        stack[-1].children.append(node)
        stack.append(node)
    if r.pos != len(data):
        raise FormatError(f"{len(data) - r.pos} bytes after the root's end")
    return root


def read_file(path):
    """(header fields, root node); raises FormatError on any departure from the layout."""
    with open(path, "rb") as f:
        raw = f.read()
    if len(raw) < 128:
        raise FormatError("shorter than the header")
    h = {
        "magic1": struct.unpack_from("<I", raw, 0)[0],
        "magic2": struct.unpack_from("<I", raw, 4)[0],
        "writer": struct.unpack_from("<I", raw, 16)[0],
        "layout": struct.unpack_from("<I", raw, 20)[0],
        "compression": struct.unpack_from("<I", raw, 32)[0],
        "major": struct.unpack_from("<I", raw, 58)[0],
        "format": struct.unpack_from("<I", raw, 62)[0],
        "crc": struct.unpack_from("<I", raw, 74)[0],
        "files": struct.unpack_from("<q", raw, 78)[0],
    }
    h["reserved_zero"] = all(raw[a:b] == bytes(b - a) for a, b in RESERVED)
    h["body_crc"] = zlib.crc32(raw[128:]) & 0xFFFFFFFF
    d = zlib.decompressobj()
    stream = d.decompress(raw[128:]) + d.flush()
    if not d.eof or d.unused_data:
        raise FormatError("the body is not exactly one complete zlib stream")
    h["zlib_level_byte"] = raw[129] if len(raw) > 129 else None
    return h, parse_records(stream)


def walk(node, depth=0):
    """Every node below node with its depth, depth-first in file order (iterative)."""
    stack = [(c, depth + 1) for c in reversed(node.children)]
    while stack:
        n, d = stack.pop()
        yield n, d
        stack.extend((c, d + 1) for c in reversed(n.children))
