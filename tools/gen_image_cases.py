#!/usr/bin/env python3
"""Image files with varied headers and what independent readers make of them.

Writes tests/unit/image/oracle/cases.txt: PNM files (P3, P5, P6) whose
headers put whitespace and comments everywhere netpbm allows them (also
right after a number), and TGA files of every type, depth and origin (both
row directions, both column directions), plain and run-length with packets
across rows, with id fields and colour maps (some starting at a later
index, which stb_image does not read). The files are made here with a
fixed seed, not by the project's own encoder; each is decoded by
ImageMagick (`convert ... -auto-orient`), whose pixels are stored, and by
stb_image where it reads the variant, which must agree (stb_image does not
read the TGA column direction, so its rows are mirrored for those files).

Line format: name ext tolerance width height file-hex rgb-hex, pixels top
row first. Run again after changing a generator:
    python3 tools/gen_image_cases.py
Needs ImageMagick's convert and identify, gcc and stb_image.h (libstb-dev).
"""
import os
import random
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "unit", "image", "oracle", "cases.txt")
SEED = 20240611

STB_HELPER = r"""
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stdio.h>
int main(int argc, char **argv) {
  int w, h, n;
  unsigned char *p = stbi_load(argv[1], &w, &h, &n, 3);
  if (!p) { fprintf(stderr, "%s\n", stbi_failure_reason()); return 1; }
  printf("%d %d\n", w, h);
  fwrite(p, 1, (size_t)w * h * 3, stdout);
  return 0;
}
"""


def pixels(rng, w, h, channels, maxval, runs):
    """w*h pixels of `channels` samples; with runs, neighbours often repeat."""
    out = []
    for _ in range(w * h):
        if runs and out and rng.random() < 0.6:
            out.append(out[-1])
        else:
            out.append(tuple(rng.randint(0, maxval) for _ in range(channels)))
    return out


# --- PNM ------------------------------------------------------------------

def comment(rng):
    text = rng.choice(["", " c3", " 12 34", "#", " P6 7 7 255", " x\t9"])
    return "#" + text + rng.choice(["\n", "\r", "\r\n"])


def gap(rng, glued):
    """What separates two header numbers. `glued`: a comment may start
    right after the digits (the comment then ends the number)."""
    parts = []
    if glued and rng.random() < 0.5:
        parts.append(comment(rng))
    for _ in range(rng.randint(0, 3)):
        parts.append(rng.choice([" ", "\t", "\n", "\r", "  ", comment(rng)]))
    if not parts:
        parts.append(" ")
    return "".join(parts)


def pnm(rng, kind, w, h, maxval, style):
    """style: 'plain' (single spaces), 'glued' (comments right after numbers)
    or 'mixed' (any whitespace and comments)."""
    channels = 3 if kind in "36" else 1
    px = pixels(rng, w, h, channels, maxval, False)
    nums = [str(w), str(h), str(maxval)]
    if style == "plain":
        head = "P" + kind + "\n" + " ".join(nums) + "\n"
    else:
        head = "P" + kind + (comment(rng) if rng.random() < 0.3 else "") + gap(rng, False)
        for i, n in enumerate(nums):
            head += n
            if i < 2:
                head += gap(rng, style == "glued")
        # one whitespace ends maxval; a comment there ends at its line end
        head += comment(rng) if style == "glued" else rng.choice([" ", "\n", "\t", "\r"])
    data = head.encode()
    if kind == "3":
        words = []
        for p in px:
            words.extend(str(v) for v in p)
        body = ""
        for i, word in enumerate(words):
            body += word
            body += rng.choice([" ", "\n", "  ", "\t"]) if style == "plain" else gap(rng, style == "glued")
        data += body.encode()
    else:
        wide = maxval > 255
        for p in px:
            for v in p:
                data += struct.pack(">H", v) if wide else bytes([v])
    return data


def pnm_cases(rng):
    cases = []
    for style in ("plain", "mixed", "glued"):
        for kind in "356":
            for maxval in (255, 15, 100, 1, 1000, 65535):
                for k in range(2):
                    w, h = rng.randint(1, 9), rng.randint(1, 6)
                    name = "pnm_%s_p%s_%d_%d" % (style, kind, maxval, k)
                    ext = {"3": "ppm", "5": "pgm", "6": "ppm"}[kind]
                    # samples rescale exactly when maxval divides 255; else
                    # the oracle may round the other way (it truncates
                    # 16-bit samples where the reader rounds)
                    exact = maxval <= 255 and 255 % maxval == 0
                    # stb_image reads P5 and P6, does not rescale, and takes a
                    # comment right after maxval as raster data (netpbm and
                    # ImageMagick end the header at the comment's line end)
                    cases.append((name, ext, 0 if exact else 1, pnm(rng, kind, w, h, maxval, style),
                                  kind != "3" and maxval == 255 and style != "glued"))
    # a comment right after the width, as in the report that found the fault
    cases.append(("pnm_width_comment", "ppm", 0,
                  b"P6\n7# c3\n2 255\n" + bytes(rng.randint(0, 255) for _ in range(7 * 2 * 3)),
                  True))
    return cases


# --- TGA ------------------------------------------------------------------

def rgb15(p):
    r, g, b = p
    return struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3) | 0x8000)


def tga_value(p, depth):
    if depth in (15, 16):
        return rgb15(p)
    if depth == 24:
        return bytes([p[2], p[1], p[0]])
    if depth == 32:
        return bytes([p[2], p[1], p[0], 255])
    return bytes([p[0]])   # a grey level or a colour-map index


def rle(rng, values, w):
    """Run-length packets; about half the files let packets cross rows."""
    cross = rng.random() < 0.5
    out, i = b"", 0
    while i < len(values):
        limit = 128 if cross else w - i % w
        n = 1
        while n < limit and i + n < len(values) and values[i + n] == values[i]:
            n += 1
        if n > 1:
            out += bytes([0x80 | (n - 1)]) + values[i]
            i += n
            continue
        n = 1
        while (n < limit and i + n < len(values) and
               (i + n + 1 >= len(values) or values[i + n] != values[i + n + 1])):
            n += 1
        n = rng.randint(1, n)
        out += bytes([n - 1]) + b"".join(values[i:i + n])
        i += n
    return out


def tga(rng, itype, depth, origin, mapbits=24):
    w, h = rng.randint(1, 12), rng.randint(1, 7)
    mapped = itype in (1, 9)
    grey = itype in (3, 11)
    idfield = bytes(rng.randint(0, 255) for _ in range(rng.choice([0, 0, 3, 17])))
    cmap = b""
    ncol = first = 0
    if mapped:
        # the map may start at a later index; pixel values count from 0
        ncol, first = rng.randint(2, 40), rng.choice([0, 0, 3, 100])
        pal = pixels(rng, ncol, 1, 3, 255, False)
        cmap = b"".join(tga_value(p, mapbits) for p in pal)
        pic = [(first + rng.randint(0, ncol - 1),) if rng.random() < 0.5 else None
               for _ in range(w * h)]
        for i in range(len(pic)):   # runs for the run-length packets
            if pic[i] is None:
                pic[i] = pic[i - 1] if i else (first,)
        values = [tga_value(p, 8) for p in pic]
    else:
        pic = pixels(rng, w, h, 1 if grey else 3, 255, True)
        values = [tga_value(p, depth) for p in pic]
    alpha = {32: 8, 16: 1}.get(depth, 0)
    desc = origin | alpha
    head = struct.pack("<BBBHHBHHHHBB", len(idfield), 1 if mapped else 0, itype,
                       first, ncol,
                       mapbits if mapped else 0, rng.randint(0, 500), rng.randint(0, 500),
                       w, h, 8 if mapped or grey else depth, desc)
    body = rle(rng, values, w) if itype >= 9 else b"".join(values)
    return head + idfield + cmap + body, first == 0


def tga_cases(rng):
    cases = []
    for origin in (0x00, 0x10, 0x20, 0x30):
        for itype in (2, 10):
            for depth in (15, 16, 24, 32):
                cases.append(("tga_t%d_%d_o%02x" % (itype, depth, origin), "tga",
                              1 if depth < 24 else 0) + tga(rng, itype, depth, origin))
        for itype in (3, 11):
            cases.append(("tga_t%d_grey_o%02x" % (itype, origin), "tga", 0) +
                         tga(rng, itype, 8, origin))
        for itype in (1, 9):
            for mapbits in (15, 16, 24, 32):
                # stb_image skips bytes for a map's first index
                cases.append(("tga_t%d_map%d_o%02x" % (itype, mapbits, origin), "tga",
                              1 if mapbits < 24 else 0) + tga(rng, itype, 8, origin, mapbits))
    return cases


# --- oracles --------------------------------------------------------------

def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, check=False, **kw)


def imagemagick(path):
    r = run(["identify", "-format", "%w %h", path])
    if r.returncode != 0:
        return None
    w, h = map(int, r.stdout.split()[:2])
    r = run(["convert", path, "-auto-orient", "-depth", "8", "rgb:-"])
    if r.returncode != 0 or len(r.stdout) != w * h * 3:
        return None
    return w, h, r.stdout


def stb(helper, path):
    r = run([helper, path])
    if r.returncode != 0:
        return None
    line, _, rest = r.stdout.partition(b"\n")
    w, h = map(int, line.split())
    return w, h, rest


def mirrored(w, h, px):
    rows = [px[y * w * 3:(y + 1) * w * 3] for y in range(h)]
    return b"".join(b"".join(r[x * 3:x * 3 + 3] for x in reversed(range(w))) for r in rows)


def close(a, b, tol):
    return len(a) == len(b) and all(abs(x - y) <= tol for x, y in zip(a, b))


def main():
    rng = random.Random(SEED)
    cases = pnm_cases(rng) + tga_cases(rng)
    lines = ["# Generated by tools/gen_image_cases.py (seed %d): name ext tolerance"
             " width height file rgb; ImageMagick's pixels, top row first." % SEED]
    disagreements = 0
    with tempfile.TemporaryDirectory() as tmp:
        helper = os.path.join(tmp, "stbdump")
        src = os.path.join(tmp, "stbdump.c")
        with open(src, "w") as f:
            f.write(STB_HELPER)
        r = run(["gcc", "-O1", "-o", helper, src, "-lm"])
        if r.returncode != 0:
            sys.exit("cannot build the stb_image helper:\n" + r.stderr.decode())
        for name, ext, tol, data, stb_reads in cases:
            path = os.path.join(tmp, name + "." + ext)
            with open(path, "wb") as f:
                f.write(data)
            im = imagemagick(path)
            if im is None:
                sys.exit("ImageMagick cannot read " + name)
            w, h, px = im
            other = stb(helper, path) if stb_reads else None
            if other is not None:
                ow, oh, opx = other
                if ext == "tga" and data[17] & 0x10:
                    opx = mirrored(ow, oh, opx)
                if (ow, oh) != (w, h) or not close(px, opx, tol):
                    disagreements += 1
                    print("stb_image and ImageMagick disagree on", name)
            lines.append("%s %s %d %d %d %s %s" % (name, ext, tol, w, h, data.hex(), px.hex()))
    with open(OUT, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("%d cases, %d disagreements between the oracles -> %s" % (len(cases), disagreements, OUT))


if __name__ == "__main__":
    main()
