#!/usr/bin/env python3
"""A writer of the table-database storage format, written from the format
notes (not from the engine), that uses what other writers may: both byte
orders, 64-bit integer (L) and byte (B) fields, items stored apart (memos),
columns in any order with unused bytes between them, a storage at the end
of another file, all-default columns left out, trees ([^]).

  mkwrite.py DIR   writes DIR/gen*.mk, each with gen*.txt beside it: what a
                   reader must find in it, in mkread.py's canonical form,
                   made from the values put in (not by reading the file)
  mkwrite.py DIR N SEED   N files from another seed

Random content from a fixed seed: the files are kept in the repository, so
run it again only to change them."""
import os
import random
import struct
import sys


def varint(v):
    if v < 0:
        return b"\x00" + varint(~v)
    groups = [v & 0x7F]
    v >>= 7
    while v:
        groups.append(v & 0x7F)
        v >>= 7
    groups.reverse()
    groups[-1] |= 0x80
    return bytes(groups)


# Sizes of 1/2/4-bit columns of 1 to 4 rows, which a reader tells apart
# from the wider widths by these sizes.
PAD = {4: [6, 1, 2, 2], 2: [5, 5, 1, 1], 1: [3, 3, 4, 5]}


def int_width(vals):
    if all(v == 0 for v in vals):
        return 0
    if all(0 <= v <= 15 for v in vals):
        top = max(vals)
        return 1 if top <= 1 else 2 if top <= 3 else 4
    w = 8
    for v in vals:
        x = ~v if v < 0 else v
        if x >= 1 << 15:
            w = 32
        elif x >= 1 << 7:
            w = max(w, 16)
    return w


def int_column(vals, big):
    w = int_width(vals)
    n = len(vals)
    if w == 0:
        return b""
    if w < 8:
        out = bytearray((n * w + 7) // 8)
        for r, v in enumerate(vals):
            out[r * w // 8] |= v << (r * w % 8)
        if n <= 4:
            out += bytes(PAD[w][n - 1] - len(out))
        return bytes(out)
    fmt = {8: "b", 16: "h", 32: "i"}[w]
    return struct.pack((">" if big else "<") + fmt * n, *vals)


def hexs(b):
    return "s" + b.hex()


class Writer:
    def __init__(self, rng, big):
        self.rng = rng
        self.big = big
        self.body = bytearray()  # everything after the 8-byte header

    def pos(self):
        return 8 + len(self.body)

    def put(self, data):
        """Stores a column somewhere, perhaps after unused bytes; returns
        its reference."""
        if not data:
            return varint(0)
        if self.rng.random() < 0.3:
            self.body += bytes(self.rng.randrange(256) for _ in range(self.rng.randrange(1, 9)))
        at = self.pos()
        self.body += data
        return varint(len(data)) + varint(at)

    def catalog(self, fields, rows, parent):
        """Catalog bytes of a view; rows are lists of values in field order."""
        out = varint(0) + varint(len(rows))
        if not rows:
            return out
        for k, (name, typ, sub) in enumerate(fields):
            col = [r[k] for r in rows]
            if typ == "I":
                out += self.put(int_column(col, self.big))
            elif typ == "F":
                out += self.put(int_column([struct.unpack("<i", struct.pack("<f", x))[0] for x in col], self.big))
            elif typ in "DL":
                if all(x == 0 for x in col) and typ == "L" and self.rng.random() < 0.5:
                    out += self.put(b"")
                else:
                    fmt = "d" if typ == "D" else "q"
                    out += self.put(struct.pack((">" if self.big else "<") + fmt * len(col), *col))
            elif typ in "SB":
                items = [(x + b"\x00" if typ == "S" and x else x) for x in col]
                memo = bytearray()
                last = 0
                inline = []
                for r, it in enumerate(items):
                    if len(it) > 60 and self.rng.random() < 0.7:
                        memo += varint(r - last) + self.put(it)
                        last = r + 1
                        inline.append(b"")
                    else:
                        inline.append(it)
                data = b"".join(inline)
                ref = self.put(data)
                if data:
                    ref += self.put(int_column([len(i) for i in inline], self.big))
                out += ref + self.put(bytes(memo))
            else:
                subs = b""
                kids = parent if sub == "^" else sub
                for v in col:
                    subs += self.catalog(kids, v, kids)
                out += self.put(subs)
        return out


def fmt_desc(fields):
    out = []
    for name, typ, sub in fields:
        if typ == "V":
            out.append(name + "[" + ("^" if sub == "^" else fmt_desc(sub)) + "]")
        else:
            out.append(name + ":" + typ)
    return ",".join(out)


def text_rows(fields, rows, parent):
    out = []
    for r in rows:
        cells = []
        for (name, typ, sub), v in zip(fields, r):
            if typ in "IL":
                cells.append(str(v))
            elif typ == "F":
                cells.append("f%08x" % struct.unpack("<I", struct.pack("<f", v))[0])
            elif typ == "D":
                cells.append("d%016x" % struct.unpack("<Q", struct.pack("<d", v))[0])
            elif typ in "SB":
                cells.append(hexs(v))
            else:
                kids = parent if sub == "^" else sub
                cells.append(text_rows(kids, v, kids))
        out.append(",".join(cells))
    return "[" + ";".join(out) + "]"


def rand_value(rng, typ, sub, parent, depth):
    if typ == "I":
        return rng.choice([0, 1, rng.randrange(4), rng.randrange(16), -1, rng.randrange(-128, 128),
                           rng.randrange(-32768, 32768), rng.randrange(-2 ** 31, 2 ** 31)])
    if typ == "L":
        return rng.choice([0, 1, -1, rng.randrange(-2 ** 63, 2 ** 63), 2 ** 40 + 3])
    if typ == "F":
        return rng.choice([0.0, 0.5, -2.25, 1e20, struct.unpack("<f", struct.pack("<f", rng.random()))[0]])
    if typ == "D":
        return rng.choice([0.0, -0.0, 1.5, rng.random() * 1e-5, -1e300])
    if typ == "S":
        n = rng.choice([0, 0, 1, 3, 8, 70, 300])
        return bytes(rng.randrange(1, 256) for _ in range(n))
    if typ == "B":
        n = rng.choice([0, 1, 2, 5, 64, 200])
        return bytes(rng.randrange(256) for _ in range(n))
    kids = parent if sub == "^" else sub
    if depth > 3:
        return []
    return rand_rows(rng, kids, rng.choice([0, 0, 1, 2, 3]), kids, depth + 1)


def rand_rows(rng, fields, n, parent, depth=0):
    return [[rand_value(rng, t, s, parent, depth) for (_, t, s) in fields] for _ in range(n)]


def rand_fields(rng, depth):
    fields = []
    for k in range(rng.randrange(1, 6)):
        typ = rng.choice("IIFDSSBLV" if depth < 2 else "IFDSBL")
        sub = None
        if typ == "V":
            sub = "^" if rng.random() < 0.3 else rand_fields(rng, depth + 1)
        fields.append(("%s%d" % ("abcdefgh"[k], depth), typ, sub))
    return fields


def storage(rng, big, prefix):
    w = Writer(rng, big)
    views = []
    for v in range(rng.randrange(1, 4)):
        fields = rand_fields(rng, 0)
        n = rng.choice([0, 1, 2, 3, 4, 5, 7, 9, 30])
        views.append(("v%d" % v, fields, rand_rows(rng, fields, n, fields)))
    refs = b""
    for name, fields, rows in views:
        refs += w.put(w.catalog(fields, rows, fields))
    desc = ",".join("%s[%s]" % (name, fmt_desc(fields)) for name, fields, _ in views).encode()
    walk = varint(0) + varint(len(desc)) + desc + varint(1) + refs
    rootpos = w.pos()
    w.body += walk
    tail = w.pos()
    tails = b"\x80\x00\x00\x00" + struct.pack(">I", tail) + bytes([0x80]) + struct.pack(">I", len(walk))[1:] + \
        struct.pack(">I", rootpos)
    head = (b"LJ" if big else b"JL") + b"\x1a\x00" + struct.pack(">I", tail + 16)
    data = prefix + head + bytes(w.body) + tails
    text = "".join("%s[%s]=%s\n" % (name, fmt_desc(fields), text_rows(fields, rows, fields))
                   for name, fields, rows in views)
    return data, text


def main(argv):
    if len(argv) not in (2, 4):
        sys.stderr.write(__doc__)
        return 2
    rng = random.Random(1789 if len(argv) == 2 else int(argv[3]))
    for k in range(16 if len(argv) == 2 else int(argv[2])):
        big = k % 4 == 1
        prefix = bytes(rng.randrange(256) for _ in range(37)) if k % 4 == 2 else b""
        data, text = storage(rng, big, prefix)
        base = os.path.join(argv[1], "gen%02d" % k)
        with open(base + ".mk", "wb") as f:
            f.write(data)
        with open(base + ".txt", "w", newline="\n") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
