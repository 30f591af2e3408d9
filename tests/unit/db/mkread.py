#!/usr/bin/env python3
"""An independent reader of the table-database storage format, written from
the format notes (not from the engine), used to check the files the engine
writes.

  mkread.py FILE...                 print each storage in the canonical form
  mkread.py --check SAMPLES FIXDIR  run the sample writer SAMPLES into a
                                    temporary folder, read every file it
                                    wrote and compare with the text it gave;
                                    read the reference files in FIXDIR too
  mkread.py --hunt ENGINETEST       the same for the files that the engine
                                    test's random runs (DbHunt) commit

Canonical form: one line "name[desc]=ROWS" per top-level view, ROWS being
"[row;row;...]" with cells separated by ",": I and L as decimal numbers, F
and D as "f" or "d" and the hexadecimal bit pattern (little-endian order of
the value, most significant digit first), S and B as "s" and the bytes in
hexadecimal (a string without its zero byte), V as nested ROWS. A view of
more than 10000 rows is given as "#" and its row count.
"""
import os
import struct
import subprocess
import sys
import tempfile

BIG = 10000


class Bad(Exception):
    pass


def varint(b, at, end):
    """Value and next position: 7-bit groups, the last with bit 7 set; a
    leading 0 byte marks a negative value stored as its complement."""
    neg = False
    if at < end and b[at] == 0:
        neg = True
        at += 1
    v = 0
    n = 0
    while True:
        if at >= end or n > 5:
            raise Bad("varint runs past its data")
        c = b[at]
        at += 1
        n += 1
        v = (v << 7) | (c & 0x7F)
        if c & 0x80:
            break
    if v > 0x7FFFFFFF:
        raise Bad("varint out of range")
    return (~v if neg else v), at


# Width by rows (1..7) and size (1..6) for short columns.
SMALL = [
    [8, 16, 1, 32, 2, 4],
    [4, 8, 1, 16, 2, None],
    [2, 4, 8, 1, None, 16],
    [2, 4, None, 8, 1, None],
    [1, 2, 4, None, 8, None],
    [1, 2, 4, None, None, 8],
    [1, 2, None, 4, None, None],
]


def width(size, rows):
    if size == 0:
        return 0
    if rows <= 7 and size <= 6:
        w = SMALL[rows - 1][size - 1]
    else:
        w = size * 8 // rows
        if w not in (1, 2, 4, 8, 16, 32, 64):
            w = None
    if w is None:
        raise Bad("column size %d does not fit %d rows" % (size, rows))
    return w


def ints(data, rows, big):
    """Adaptive-width integers; 1/2/4-bit values unsigned, low bits first."""
    w = width(len(data), rows)
    if w == 0:
        return [0] * rows
    if w < 8:
        per = 8 // w
        return [(data[k // per] >> (k % per * w)) & ((1 << w) - 1) for k in range(rows)]
    n = w // 8
    if len(data) < n * rows:
        raise Bad("integer column too short")
    fmt = {1: "b", 2: "h", 4: "i", 8: "q"}[n]
    return list(struct.unpack((">" if big else "<") + fmt * rows, bytes(data[:n * rows])))


def parse_desc(text):
    """Fields of a structure text: (name, type, sub) with sub a field list,
    or the string "^" for the structure holding it."""
    pos = 0

    def items():
        nonlocal pos
        out = []
        names = set()
        while pos < len(text) and text[pos] != "]":
            start = pos
            while pos < len(text) and text[pos] not in ":[],":
                pos += 1
            name = text[start:pos].strip()
            typ, sub = "S", None
            if pos < len(text) and text[pos] == "[":
                pos += 1
                typ = "V"
                if text.startswith("^", pos):
                    sub = "^"
                    pos += 1
                else:
                    sub = items()
                if pos >= len(text) or text[pos] != "]":
                    raise Bad("unbalanced structure text")
                pos += 1
            elif pos < len(text) and text[pos] == ":":
                typ = text[pos + 1].upper()
                pos += 2
                if typ == "M":
                    typ = "B"
                if typ == "V":
                    sub = []
            if name.lower() not in names:
                names.add(name.lower())
                out.append((name, typ, sub))
            if pos < len(text) and text[pos] == ",":
                pos += 1
        return out

    fields = items()
    if pos != len(text):
        raise Bad("stray ] in the structure text")
    return fields


def format_desc(fields):
    out = []
    for name, typ, sub in fields:
        if typ == "V":
            out.append(name + "[" + ("^" if sub == "^" else format_desc(sub)) + "]")
        else:
            out.append(name + ":" + typ)
    return ",".join(out)


class Storage:
    def __init__(self, b):
        self.b = b
        n = len(b)
        self.hdr = None
        if n == 0:
            self.views = []
            return
        if not self.tails(n):
            if n >= 8 and b[:2] in (b"JL", b"LJ") and b[2:4] == b"\x1a\x00":
                total = struct.unpack(">I", b[4:8])[0]
                if not (total <= n and self.tails(total) and self.hdr == 0):
                    raise Bad("no valid tails")
            else:
                raise Bad("not a storage")
        self.big = b[self.hdr] == ord("L")
        h = self.hdr
        p, end = h + self.rootpos, h + self.rootpos + self.rootlen
        zero, p = varint(b, p, end)
        ln, p = varint(b, p, end)
        if zero != 0 or ln < 0 or p + ln > end:
            raise Bad("bad root walk")
        self.fields = parse_desc(b[p:p + ln].decode("latin-1"))
        p += ln
        rows, p = varint(b, p, end)
        if rows != 1:
            raise Bad("the root has %d rows" % rows)
        self.views = []
        for name, typ, sub in self.fields:
            if typ != "V":
                raise Bad("a top-level field is not a view")
            data, p = self.colref(p, end)
            cat, at = self.catalog(data, 0, sub, sub)
            if at != len(data):
                raise Bad("a top-level catalog leaves bytes over")
            self.views.append((name, sub, cat))

    def tails(self, end):
        b = self.b
        if end < 24:
            return False
        skip, commit = b[end - 16:end - 8], b[end - 8:end]
        if skip[0] & 0xF0 not in (0x80, 0x90) or commit[0] != 0x80:
            return False
        dist = struct.unpack(">I", skip[4:8])[0]
        if dist < 8 or dist > end - 16:
            return False
        hdr = end - 16 - dist
        if b[hdr:hdr + 2] not in (b"JL", b"LJ") or b[hdr + 2:hdr + 4] != b"\x1a\x00":
            return False
        self.hdr = hdr
        self.rootlen = int.from_bytes(commit[1:4], "big")
        self.rootpos = struct.unpack(">I", commit[4:8])[0]
        self.limit = dist
        return self.rootpos + self.rootlen <= dist

    def colref(self, p, end):
        size, p = varint(self.b, p, end)
        if size < 0:
            raise Bad("negative column size")
        if size == 0:
            return b"", p
        pos, p = varint(self.b, p, end)
        if pos < 0 or pos + size > self.limit:
            raise Bad("column outside the storage")
        return self.b[self.hdr + pos:self.hdr + pos + size], p

    def catalog(self, data, at, fields, parent):
        """Rows of one view from its catalog at data[at:]: a list of rows, or
        ("#", count) for a big view."""
        end = len(data)
        zero, at = varint(data, at, end)
        if zero != 0:
            raise Bad("a catalog does not start with 0")
        rows, at = varint(data, at, end)
        if rows < 0:
            raise Bad("negative row count")
        if fields == "^":
            fields = parent
        if rows == 0:
            return [], at
        cols = []
        for name, typ, sub in fields:
            if typ in "IF":
                col, at = self.colref_in(data, at)
                if rows > BIG:
                    width(len(col), rows)
                    cols.append(None)
                    continue
                vals = ints(col, rows, self.big)
                if typ == "F":
                    vals = ["f%08x" % (v & 0xFFFFFFFF) for v in vals]
                else:
                    vals = [str(v) for v in vals]
                cols.append(vals)
            elif typ in "DL":
                col, at = self.colref_in(data, at)
                if len(col) not in (0, 8 * rows):
                    raise Bad("64-bit column of the wrong size")
                if rows > BIG:
                    cols.append(None)
                    continue
                vals = struct.unpack((">" if self.big else "<") + "q" * rows, bytes(col)) if col else [0] * rows
                if typ == "D":
                    vals = ["d%016x" % (v & 0xFFFFFFFFFFFFFFFF) for v in vals]
                else:
                    vals = [str(v) for v in vals]
                cols.append(vals)
            elif typ in "SB":
                col, at = self.colref_in(data, at)
                sizes = b""
                if col:
                    sizes, at = self.colref_in(data, at)
                memo, at = self.colref_in(data, at)
                if rows > BIG and not col and not memo:
                    cols.append(None)
                    continue
                lens = ints(sizes, rows, self.big) if col else [0] * rows
                if sum(lens) != len(col):
                    raise Bad("string sizes do not add up to their data")
                items, p = [], 0
                for n in lens:
                    items.append(bytes(col[p:p + n]))
                    p += n
                m, row = 0, 0
                while m < len(memo):
                    gap, m = varint(memo, m, len(memo))
                    row += gap
                    item, m = self.colref_in(memo, m)
                    items[row] = bytes(item)
                    row += 1
                if typ == "S":
                    items = [i[:i.index(0)] if 0 in i else i for i in items]
                cols.append(["s" + i.hex() for i in items])
            else:
                col, at = self.colref_in(data, at)
                if not col:
                    raise Bad("empty nested view column")
                vals, p = [], 0
                for r in range(rows):
                    cat, p = self.catalog(col, p, sub, fields)
                    vals.append(cat)
                if p != len(col):
                    raise Bad("nested catalogs leave bytes over")
                cols.append(vals)
        if rows > BIG:
            return ("#", rows), at
        return [[c[r] for c in cols] for r in range(rows)], at

    def colref_in(self, data, at):
        """A column reference inside data; positions are the storage's."""
        size, at = varint(data, at, len(data))
        if size < 0:
            raise Bad("negative column size")
        if size == 0:
            return b"", at
        pos, at = varint(data, at, len(data))
        if pos < 0 or pos + size > self.limit:
            raise Bad("column outside the storage")
        return self.b[self.hdr + pos:self.hdr + pos + size], at

    def text(self):
        return "".join("%s[%s]=%s\n" % (name, format_desc(sub), rows_text(cat))
                       for name, sub, cat in self.views)


def rows_text(cat):
    if isinstance(cat, tuple):
        return "#%d" % cat[1]
    out = []
    for row in cat:
        out.append(",".join(rows_text(c) if isinstance(c, (list, tuple)) else c for c in row))
    return "[" + ";".join(out) + "]"


def read(path):
    with open(path, "rb") as f:
        return Storage(f.read()).text()


def s(text):
    return "s" + text.encode().hex()


# The reference files, written by Metakit itself, as README.md describes them.
FIXTURES = {
    "people.mk": "people[name:S,age:I]=[%s,30;%s,4;%s,-7]\n" % (s("Alice"), s("Bob"), s("carol")),
    "emptyview.mk": "people[name:S,age:I]=[]\n",
    "noviews.mk": "",
    "nested.mk": "dirs[name:S,sub[name:S,i:I]]=[%s,[%s,1;%s,2];%s,[%s,300]]\n"
                 % (s("a"), s("x"), s("y"), s("b"), s("z")),
    "ints.mk": "w[b1:I,b2:I,b4:I,b8:I,b16:I,b32:I,z:I]="
               "[1,3,15,-1,1000,100000,0;0,2,9,127,-300,-100000,0;1,1,0,-128,32767,2147483647,0]\n",
}


def check(samples, fixdir):
    bad = 0
    for name, want in sorted(FIXTURES.items()):
        got = read(os.path.join(fixdir, name))
        if got != want:
            print("reference %s:\n  read %r\n  want %r" % (name, got, want))
            bad += 1
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([samples, tmp], check=True)
        names = sorted(n for n in os.listdir(tmp) if n.endswith(".mk"))
        for name, got, want in read_beside(tmp, names):
            if got != want:
                print("%s:\n  read %s\n  want %s" % (name, got[:400], want[:400]))
                bad += 1
        print("%d reference files and %d written files read, %d differ" % (len(FIXTURES), len(names), bad))
        if len(names) < 5:
            print("the sample writer wrote too few files")
            bad += 1
    return bad == 0


def read_beside(folder, names):
    """Each NAME.mk of the folder as read here, beside the text NAME.txt
    says it holds."""
    for name in names:
        with open(os.path.join(folder, name[:-3] + ".txt"), "rb") as f:
            want = f.read().decode("latin-1")
        try:
            got = read(os.path.join(folder, name))
        except Bad as e:
            got = "unreadable: %s" % e
        yield name, got, want


def check_hunt(binary):
    """Files committed along random runs of the engine's model test, each
    beside the text the model says it holds."""
    bad = 0
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, DBHUNT_OUT=tmp, DBHUNT_FIRST="3", DBHUNT_SEEDS="4")
        subprocess.run([binary, "--gtest_filter=DbHunt.RandomRuns*"], check=True, env=env,
                       stdout=subprocess.DEVNULL)
        names = sorted(n for n in os.listdir(tmp) if n.endswith(".mk"))
        for name, got, want in read_beside(tmp, names):
            if got != want:
                k = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]),
                         min(len(got), len(want)))
                print("%s differs at %d:\n  read %s\n  want %s" % (name, k, got[max(0, k - 80):k + 80],
                                                                  want[max(0, k - 80):k + 80]))
                bad += 1
        print("%d files of random runs read, %d differ" % (len(names), bad))
        if len(names) < 12:
            print("the runs committed too few files")
            bad += 1
    return bad == 0


def main(argv):
    if len(argv) == 4 and argv[1] == "--check":
        return 0 if check(argv[2], argv[3]) else 1
    if len(argv) == 3 and argv[1] == "--hunt":
        return 0 if check_hunt(argv[2]) else 1
    for path in argv[1:]:
        sys.stdout.write(read(path))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
