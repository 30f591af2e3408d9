#!/usr/bin/env python3
"""Image files nobody here encoded, and what ImageMagick reads of them.

Writes tests/unit/image/oracle/formats.txt. Two sources of files, both with
a fixed seed:
- files ImageMagick writes itself from random pictures: BMP with core, info,
  v4 and v5 headers at 1, 4, 8, 16, 24 and 32 bits, 8-bit runs, 565/555
  bitfields, alpha; GIF with 2 to 256 colours, interlace, transparency and
  several frames of their own sizes and offsets; SGI verbatim and run-length
  with 1, 3 and 4 channels and 16-bit channels; TGA of every type with
  both row orders; PNM P3, P5, P6 (8 and 16 bits) and the refused P1, P2,
  P4;
- files written here from the formats' descriptions: BMP with odd widths,
  short palettes, gaps before the data, top-down rows, OS/2 2.x headers and
  4-bit and 8-bit runs with every escape; GIF with LZW at every minimum
  code size, clears anywhere, a table left full (the deferred clear), no
  end code, odd sub-block lengths, extensions, frames smaller than the
  screen and bytes after the trailer; SGI with run-length rows in any order
  or shared by several table entries, and grey with a second channel.

Each file is decoded by ImageMagick (the last frame of a GIF, at its own
size: the reader keeps the last image as it is, it composes nothing), and
by stb_image where it reads the same thing, which must agree. Files the
reader must refuse (16 and 32 bits per BMP pixel, 16-bit SGI channels)
store the reader's error text instead; ImageMagick reads those. Where
ImageMagick reads a file otherwise than the format says, it reads an
equivalent file instead (said where it happens).

Line formats, pixels top row first, bytes in base64:
    name ext tolerance width height channels file pixels
    name ext err file error text
(pixels: the bytes, or for at most 256 colours: colours ":" index bytes)
Run again after changing a generator:
    python3 tools/gen_image_oracle.py
`--seed N` first makes other files (into the same place: run the image
tests, then restore the stored ones); a folder as last argument keeps the
files there.
Needs ImageMagick (convert, identify), gcc and stb_image.h (libstb-dev).
"""
import base64
import os
import random
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "unit", "image", "oracle", "formats.txt")
SEED = 20261208
# the real binaries: a `convert` earlier in PATH may be a wrapper
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
IDENTIFY = "/usr/bin/identify" if os.path.exists("/usr/bin/identify") else "identify"

ENOTBMP = "Not a BMP image file"
EBPC = "Image must have 1 byte per pixel channel"

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


class Case:
    def __init__(self, name, ext, data, err=None, stb=False, alpha=False, same=None, tol=0):
        self.name, self.ext, self.data = name, ext, data
        self.tol = tol        # channel values may differ by this much
        self.same = same      # the same picture for ImageMagick, where it reads ours otherwise
        self.err = err        # the reader must refuse the file with this text
        self.stb = stb        # stb_image reads the same picture
        self.alpha = alpha    # the reader gives R, G, B, A


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, check=False, **kw)


def palette(rng, n):
    return [tuple(rng.randint(0, 255) for _ in range(3)) for _ in range(n)]


def indices(rng, w, h, n):
    """w*h indices below n, often repeating their left neighbour (runs)."""
    out = []
    for _ in range(w * h):
        if out and rng.random() < 0.5:
            out.append(out[-1])
        else:
            out.append(rng.randrange(n))
    return out


def picture(rng, w, h, ncol, channels=3):
    pal = [tuple(rng.randint(0, 255) for _ in range(channels)) for _ in range(ncol)]
    return b"".join(bytes(pal[i]) for i in indices(rng, w, h, ncol))


# --- files ImageMagick writes ----------------------------------------------

def im_write(tmp, w, h, raw, channels, args, fmt):
    src = os.path.join(tmp, "src.raw")
    with open(src, "wb") as f:
        f.write(raw)
    dst = os.path.join(tmp, "out")
    kind = "rgba" if channels == 4 else "rgb"
    r = run([CONVERT, "-size", "%dx%d" % (w, h), "-depth", "8", kind + ":" + src] + args +
            [fmt + ":" + dst])
    if r.returncode != 0:
        sys.exit("ImageMagick cannot write %s %s: %s" % (fmt, args, r.stderr.decode()))
    with open(dst, "rb") as f:
        return f.read()


def bmp_bits(data):
    hsize = struct.unpack("<I", data[14:18])[0]
    return struct.unpack("<H", data[24:26] if hsize == 12 else data[28:30])[0]


def im_bmp_cases(rng, tmp):
    cases = []
    heads = [("bmp2", "BMP2", []), ("bmp3", "BMP3", []),
             ("bmp4", "BMP", ["-define", "bmp:format=bmp4"]), ("bmp5", "BMP", [])]
    kinds = [("c2", 2, ["-type", "bilevel"]), ("c2p", 2, ["-type", "palette"]),
             ("c13", 13, ["-type", "palette"]), ("c200", 200, ["-type", "palette"]),
             ("grey", 0, ["-colorspace", "gray", "-type", "grayscale"]),
             ("true", 0, ["-type", "truecolor"])]
    for hname, fmt, hargs in heads:
        for kname, ncol, kargs in kinds:
            for k in range(1 if hname in ("bmp4", "bmp5") else 2):
                w, h = rng.randint(1, 37), rng.randint(1, 9)
                raw = picture(rng, w, h, ncol or 300)
                data = im_write(tmp, w, h, raw, 3, kargs + hargs, fmt)
                bits = bmp_bits(data)
                # ImageMagick stores a grey picture as 8-bit indices where the
                # header can say so, else as 24 bits
                # stb_image takes a core header's palette to be 8 bytes
                # shorter than it is, and does not read 8-bit runs
                comp = 0 if fmt == "BMP2" else struct.unpack("<I", data[30:34])[0]
                cases.append(Case("im_%s_%s_%d_b%d" % (hname, kname, k, bits), "bmp", data,
                                  stb=fmt != "BMP2" and comp == 0))
        if fmt != "BMP2":
            # runs longer than 255 pixels in a wide picture; a narrow one
            # where the writer's runs go past the rows' ends
            for ncol, size in ((2, None), (13, None), (200, None), (3, (600, 2)), (5, (1, 9))):
                w, h = size or (rng.randint(1, 40), rng.randint(1, 9))
                raw = picture(rng, w, h, ncol)
                data = im_write(tmp, w, h, raw, 3, ["-type", "palette", "-compress", "RLE"] + hargs, fmt)
                # ImageMagick's 8-bit run writer codes a row's padding as
                # pixels, runs that its reader carries on into the next rows
                # (a narrow picture comes back changed): the answer is its
                # reading of the same picture written without runs
                same = im_write(tmp, w, h, raw, 3, ["-type", "palette", "-compress", "None"] + hargs, fmt)
                cases.append(Case("im_%s_rle_c%d" % (hname, ncol), "bmp", data, same=same))
    # bit counts the reader refuses; ImageMagick reads them
    for sub, args, channels in [("565", ["-define", "bmp:subtype=RGB565"], 3),
                                ("555", ["-define", "bmp:subtype=RGB555"], 3),
                                ("a4444", ["-define", "bmp:subtype=ARGB4444"], 4),
                                ("alpha32", ["-alpha", "on"], 4)]:
        w, h = rng.randint(1, 20), rng.randint(1, 6)
        raw = picture(rng, w, h, 300, channels)
        data = im_write(tmp, w, h, raw, channels, ["-type", "truecolor"] + args, "BMP")
        bits = bmp_bits(data)
        cases.append(Case("im_bmp_%s_b%d" % (sub, bits), "bmp", data,
                          err=ENOTBMP if bits in (16, 32) else None))
    return cases


def im_gif_cases(rng, tmp):
    cases = []
    for ncol in (2, 3, 16, 17, 100, 256):
        for inter in (False, True):
            for transp in (False, True):
                w, h = rng.randint(1, 40), rng.randint(1, 20)
                raw = picture(rng, w, h, ncol)
                args = ["-colors", str(ncol)]
                if inter:
                    args += ["-interlace", "GIF"]
                if transp:
                    args += ["-transparent", "#%02x%02x%02x" % tuple(raw[:3])]
                fmt = "GIF87" if rng.random() < 0.3 and not transp else "GIF"
                data = im_write(tmp, w, h, raw, 3, args, fmt)
                cases.append(Case("im_gif_c%d_%s%s" % (ncol, "i" if inter else "p", "t" if transp else ""),
                                  "gif", data, stb=not transp))
    # noise in 256 colours: the encoder's table fills and it clears
    w, h = 90, 50
    raw = b"".join(bytes([v, 255 - v, v // 2]) for v in (rng.randrange(256) for _ in range(w * h)))
    cases.append(Case("im_gif_noise256", "gif", im_write(tmp, w, h, raw, 3, [], "GIF"), stb=True))
    # animations: frames of their own sizes and offsets, local colour tables
    for k in range(6):
        sw, sh = rng.randint(4, 30), rng.randint(4, 20)
        args = []
        for f in range(rng.randint(2, 4)):
            fw, fh = rng.randint(1, sw), rng.randint(1, sh)
            x, y = rng.randint(0, sw - fw), rng.randint(0, sh - fh)
            ncol = rng.choice([2, 5, 30, 200])
            src = os.path.join(tmp, "frame%d.rgb" % f)
            with open(src, "wb") as fp:
                fp.write(picture(rng, fw, fh, ncol))
            args += ["(", "-size", "%dx%d" % (fw, fh), "-depth", "8", "rgb:" + src,
                     "-repage", "%dx%d+%d+%d" % (sw, sh, x, y)]
            if rng.random() < 0.4:
                args += ["-interlace", "GIF"]
            args += [")", "-dispose", rng.choice(["none", "background", "previous"])]
        dst = os.path.join(tmp, "anim.gif")
        # a colour table per frame; frames cut down to what changes
        extra = [["+map"], [], ["-layers", "optimize"]][k % 3]
        r = run([CONVERT] + args + extra + [dst])
        if r.returncode != 0:
            sys.exit("ImageMagick cannot write an animation: " + r.stderr.decode())
        with open(dst, "rb") as fp:
            cases.append(Case("im_gif_anim_%d" % k, "gif", fp.read()))
    return cases


def im_sgi_cases(rng, tmp):
    cases = []
    for comp in ("None", "RLE"):
        for kname, channels, args in [("grey", 3, ["-colorspace", "gray", "-type", "grayscale"]),
                                      ("rgb", 3, ["-type", "truecolor"]),
                                      ("rgba", 4, ["-type", "truecoloralpha"])]:
            for k in range(2):
                w, h = rng.randint(1, 40), rng.randint(1, 12)
                raw = picture(rng, w, h, rng.choice([3, 50, 400]), channels)
                data = im_write(tmp, w, h, raw, channels, args + ["-compress", comp], "SGI")
                cases.append(Case("im_sgi_%s_%s_%d_z%d" % (comp.lower(), kname, k, data[11]), "rgb",
                                  data, alpha=data[11] == 4))
        # rows longer than a run's count can say
        w, h = 300, 2
        raw = picture(rng, w, h, 4)
        data = im_write(tmp, w, h, raw, 3, ["-compress", comp], "SGI")
        cases.append(Case("im_sgi_%s_wide" % comp.lower(), "rgb", data))
        w, h = rng.randint(1, 10), rng.randint(1, 5)
        data = im_write(tmp, w, h, picture(rng, w, h, 9), 3, ["-depth", "16", "-compress", comp], "SGI")
        cases.append(Case("im_sgi_%s_16bit" % comp.lower(), "rgb", data, err=EBPC))
    return cases


def im_tga_cases(rng, tmp):
    """TGA as ImageMagick writes it: every type, both row orders."""
    cases = []
    for kname, ncol, channels, args in [("map", 40, 3, ["-type", "palette"]),
                                        ("grey", 0, 3, ["-colorspace", "gray", "-type", "grayscale"]),
                                        ("true", 0, 3, ["-type", "truecolor"]),
                                        ("alpha", 0, 4, ["-type", "truecoloralpha"])]:
        for comp in ("None", "RLE"):
            for orient in ("BottomLeft", "TopLeft"):
                w, h = rng.randint(1, 30), rng.randint(1, 9)
                raw = picture(rng, w, h, ncol or 300, channels)
                data = im_write(tmp, w, h, raw, channels,
                                args + ["-compress", comp, "-orient", orient], "TGA")
                cases.append(Case("im_tga_%s_%s_%s_t%d_d%d" % (kname, comp.lower(), orient.lower(),
                                                              data[2], data[16]), "tga", data,
                                  stb=True))
    return cases


def im_pnm_cases(rng, tmp):
    """PNM as ImageMagick writes it; text grey and bitmaps are refused."""
    cases = []
    for name, ext, fmt, args, err in [
            ("p6", "ppm", "PPM", [], None), ("p6_16", "ppm", "PPM", ["-depth", "16"], None),
            ("p5", "pgm", "PGM", [], None), ("p5_16", "pgm", "PGM", ["-depth", "16"], None),
            ("p3", "ppm", "PPM", ["-compress", "none"], None),
            ("p2", "pgm", "PGM", ["-compress", "none"], "unsupported PNM-P2 format"),
            ("p4", "pbm", "PBM", [], "unsupported PNM-P4 format"),
            ("p1", "pbm", "PBM", ["-compress", "none"], "unsupported PNM-P1 format")]:
        w, h = rng.randint(1, 30), rng.randint(1, 9)
        data = im_write(tmp, w, h, picture(rng, w, h, 300), 3, args, fmt)
        # 16-bit samples: the reader rounds to 8 bits, ImageMagick too, but
        # both may land either side of a half
        cases.append(Case("im_pnm_" + name, ext, data, err=err, stb=name in ("p5", "p6"),
                          tol=1 if "16" in name else 0))
    return cases


# --- BMP written here -------------------------------------------------------

def bmp_rows(idx_or_rgb, w, h, bits):
    """Bottom row first, each padded to 4 bytes."""
    out = b""
    for y in reversed(range(h)):
        row = idx_or_rgb[y * w:(y + 1) * w]
        if bits == 24:
            b = b"".join(bytes([p[2], p[1], p[0]]) for p in row)
        elif bits == 8:
            b = bytes(row)
        else:
            per = 8 // bits
            b = bytearray((w * bits + 7) // 8)
            for x, v in enumerate(row):
                b[x // per] |= v << (8 - bits * (x % per + 1))
            b = bytes(b)
        out += b + bytes(-len(b) % 4)
    return out


def bmp_file(w, h, bits, pal, data, comp=0, hsize=40, ncolors=None, gap=b"", imagesize=None):
    """A BMP with the header kind hsize (12 core, 40 info, 64 OS/2 2.x, 108
    v4, 124 v5); h may be negative (top-down rows)."""
    core = hsize == 12
    entry = 3 if core else 4
    palbytes = b"".join(bytes([c[2], c[1], c[0]]) + (b"" if core else b"\0") for c in pal)
    off = 14 + hsize + len(palbytes) + len(gap)
    if core:
        info = struct.pack("<IHHHH", 12, w, h, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", hsize, w, h, 1, bits, comp,
                           len(data) if imagesize is None else imagesize, 2835, 2835,
                           len(pal) if ncolors is None else ncolors, 0)
        if hsize >= 108:
            # v4/v5: no masks (not bitfields), sRGB colour space, rest zero
            info += struct.pack("<IIII", 0, 0, 0, 0) + b"BGRs" + bytes(hsize - 60)
        else:
            info += bytes(hsize - 40)
    assert len(palbytes) == entry * len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off)
    return head + info + palbytes + gap + data


def rle_encode(rng, idx, w, h, four, escapes):
    """Run-length data for w*h indices (top row first in idx), bottom row
    first as the file keeps them. With escapes: deltas over runs of index 0,
    end of line before the row's trailing zeros, end of bitmap before an
    all-zero rest."""
    rows = [idx[y * w:(y + 1) * w] for y in reversed(range(h))]
    out = bytearray()
    y = 0
    while y < h:
        row = rows[y]
        if escapes and all(v == 0 for r in rows[y:] for v in r) and rng.random() < 0.7:
            out += b"\0\1"
            return bytes(out)
        end = w
        if escapes:
            while end > 0 and row[end - 1] == 0:
                end -= 1
        x = 0
        while x < end:
            # a delta over zeros, possibly into a later row when the rest of
            # this row and the start of the next are zeros
            if escapes and row[x] == 0 and rng.random() < 0.5:
                n = 0
                while x + n < end and row[x + n] == 0 and n < 255:
                    n += 1
                # down into the next row when this one has only zeros left
                # and the next starts with as many as x
                if (x + n == end and y + 1 < h and all(v == 0 for v in rows[y + 1][:x + 1])
                        and rng.random() < 0.7):
                    out += bytes([0, 2, 0, 1])
                    y += 1
                    row = rows[y]
                    end = w
                    while end > 0 and row[end - 1] == 0:
                        end -= 1
                    continue
                if n >= 1:
                    out += bytes([0, 2, n, 0])
                    x += n
                    continue
            n = 1
            while x + n < end and n < 255 and (row[x + n] == row[x] if not four else
                                               row[x + n] == row[x + (n & 1)]):
                n += 1
            if n >= 2 and rng.random() < 0.8:
                v = row[x] << 4 | row[x + 1] if four else row[x]
                out += bytes([n, v])
                x += n
                continue
            n = rng.randint(3, 40) if end - x >= 3 else 0
            n = min(n, end - x, 255)
            if n >= 3:
                vals = row[x:x + n]
                if four:
                    b = bytearray((n + 1) // 2)
                    for i, v in enumerate(vals):
                        b[i // 2] |= v << (0 if i & 1 else 4)
                    b = bytes(b)
                else:
                    b = bytes(vals)
                out += bytes([0, n]) + b + bytes(len(b) & 1)
                x += n
                continue
            v = row[x] << 4 if four else row[x]
            if four and x + 1 < end:
                v |= row[x + 1]
                out += bytes([2, v])
                x += 2
            else:
                out += bytes([1, v])
                x += 1
        # the last row may end with end of bitmap alone
        if y == h - 1 and rng.random() < 0.5:
            out += b"\0\1"
            return bytes(out)
        out += b"\0\0"
        y += 1
    out += b"\0\1"
    return bytes(out)


def hand_bmp_cases(rng):
    cases = []
    for hsize in (12, 40, 64, 108, 124):
        for bits in (1, 4, 8, 24):
            for k in range(2):
                w, h = rng.randint(1, 35), rng.randint(1, 8)
                if bits == 24:
                    pic = [tuple(rng.randint(0, 255) for _ in range(3)) for _ in range(w * h)]
                    pal, ncolors = [], 0
                    data = bmp_rows(pic, w, h, 24)
                else:
                    # a palette shorter than 2^bits where the header can say so
                    n = 1 << bits if hsize == 12 else rng.randint(1, 1 << bits)
                    pal = palette(rng, n)
                    ix = indices(rng, w, h, n)
                    data = bmp_rows(ix, w, h, bits)
                    ncolors = 0 if n == 1 << bits and rng.random() < 0.5 else n
                gap = bytes(rng.randint(0, 255) for _ in range(rng.choice([0, 0, 3, 10])))
                topdown = hsize != 12 and rng.random() < 0.3
                if topdown:
                    rows = [data[i:i + len(data) // h] for i in range(0, len(data), len(data) // h)]
                    data = b"".join(reversed(rows))
                imagesize = rng.choice([None, 0]) if hsize != 12 else None
                f = bmp_file(w, -h if topdown else h, bits, pal, data, hsize=hsize,
                             ncolors=ncolors, gap=gap, imagesize=imagesize)
                # ImageMagick reads 3-byte palette entries after an OS/2 2.x
                # header; they have 4, as after any header of 40 bytes or more:
                # it gets the same picture with a 40-byte header
                same = None
                if hsize == 64:
                    same = bmp_file(w, -h if topdown else h, bits, pal, data, hsize=40,
                                    ncolors=ncolors, gap=gap, imagesize=imagesize)
                # stb_image takes the palette to end at the data offset, reads
                # a core header's palette wrongly and no OS/2 2.x header
                cases.append(Case("bmp_h%d_b%d_%d%s" % (hsize, bits, k, "_td" if topdown else ""),
                                  "bmp", f, stb=not gap and hsize not in (12, 64), same=same))
    # more colours used than the bit count can index
    for bits in (1, 4):
        w, h = rng.randint(1, 20), rng.randint(1, 5)
        pal = palette(rng, (1 << bits) + rng.randint(1, 20))
        data = bmp_rows(indices(rng, w, h, 1 << bits), w, h, bits)
        cases.append(Case("bmp_longpal_b%d" % bits, "bmp", bmp_file(w, h, bits, pal, data),
                          stb="only"))
    # an image size field that leaves out the rows' padding (or more): the
    # rows in the file are read all the same
    for bits in (1, 4, 8, 24):
        for k in range(2):
            w, h = rng.randint(1, 30) | 1, rng.randint(2, 8)
            n = 1 << bits if bits < 24 else 0
            pal = palette(rng, n)
            pic = ([tuple(rng.randint(0, 255) for _ in range(3)) for _ in range(w * h)] if bits == 24
                   else indices(rng, w, h, n))
            data = bmp_rows(pic, w, h, bits)
            short = (w * bits + 7) // 8 * h if k == 0 else rng.randint(1, len(data) - 1)
            cases.append(Case("bmp_shortsize_b%d_%d" % (bits, k), "bmp",
                              bmp_file(w, h, bits, pal, data, imagesize=short), stb=True))
    for four in (False, True):
        for escapes in (False, True):
            for k in range(4):
                w, h = rng.randint(1, 45), rng.randint(1, 10)
                n = rng.randint(1, 16 if four else 256)
                pal = palette(rng, n)
                ix = indices(rng, w, h, n)
                if escapes:
                    # zeros for the deltas, end of line and end of bitmap
                    ix = [0 if rng.random() < 0.3 else v for v in ix]
                    for y in range(rng.randint(0, h // 2)):
                        ix[y * w:(y + 1) * w] = [0] * w
                # ImageMagick reads two bytes past an early end of bitmap
                data = rle_encode(rng, ix, w, h, four, escapes) + b"\0\0"
                hsize = rng.choice([40, 124])
                f = bmp_file(w, h, 4 if four else 8, pal, data, comp=2 if four else 1, hsize=hsize,
                             imagesize=rng.choice([None, 0]))
                cases.append(Case("bmp_rle%d_%s_%d" % (4 if four else 8, "esc" if escapes else "runs", k),
                                  "bmp", f))
    # hand-made bit counts and compressions the reader refuses
    pic = [(1, 2, 3)] * 6
    rows16 = b"".join(struct.pack("<H", 0x7C00 | x) for x in range(3)) + b"\0\0"
    cases.append(Case("bmp_b16_refused", "bmp", bmp_file(3, 2, 16, [], rows16 * 2), err=ENOTBMP))
    cases.append(Case("bmp_b32_refused", "bmp",
                      bmp_file(3, 2, 32, [], bytes(range(24))), err=ENOTBMP))
    cases.append(Case("bmp_bitfields_refused", "bmp",
                      bmp_file(3, 2, 32, [], struct.pack("<III", 0xFF0000, 0xFF00, 0xFF) + bytes(24),
                               comp=3), err=ENOTBMP))
    del pic
    return cases


# --- GIF written here -------------------------------------------------------

def lzw(rng, idx, m, clears, defer, endcode, early=0.0):
    """LZW codes (code, width) for the indices, widths as a decoder grows
    them. clears: chance of a clear code after any code; defer: let the
    table fill and go on with 12-bit codes instead of clearing, else clear
    at once when it is full (as giflib does) or at the next code; early:
    chance of ending a string before its longest match, which still adds a
    table entry (a duplicate), so that the table fills with few pixels."""
    clear, end = 1 << m, (1 << m) + 1
    codes = []
    st = {"width": m + 1, "avail": clear + 2, "first": True}

    def emit(c):
        codes.append((c, st["width"]))
        if c == clear:
            st.update(width=m + 1, avail=clear + 2, first=True)
        elif st["first"]:
            st["first"] = False
        elif st["avail"] < 4096:
            st["avail"] += 1
            if st["avail"] >= 1 << st["width"] and st["width"] < 12:
                st["width"] += 1

    if rng.random() < 0.8:
        emit(clear)
    table, nxt = {}, clear + 2
    eager = rng.random() < 0.5
    cur = idx[0]
    for c in idx[1:]:
        if (cur, c) in table and rng.random() >= early:
            cur = table[(cur, c)]
            continue
        emit(cur)
        if rng.random() < clears:
            emit(clear)
            table, nxt = {}, clear + 2
        elif nxt < 4096:
            table.setdefault((cur, c), nxt)
            nxt += 1
            if nxt == 4096 and not defer and eager:
                emit(clear)
                table, nxt = {}, clear + 2
        elif not defer:
            emit(clear)
            table, nxt = {}, clear + 2
        cur = c
    emit(cur)
    if endcode:
        emit(end)
    bits, nbits, out = 0, 0, bytearray()
    for c, wd in codes:
        bits |= c << nbits
        nbits += wd
        while nbits >= 8:
            out.append(bits & 255)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 255)
    return bytes(out)


def subblocks(rng, data, odd):
    out, i = bytearray(), 0
    while i < len(data):
        n = rng.randint(1, 255) if odd else 255
        out += bytes([min(n, len(data) - i)]) + data[i:i + n]
        i += n
    return bytes(out + b"\0")


def interlace(idx, w, h):
    order = [y for s, st in ((0, 8), (4, 8), (2, 4), (1, 2)) for y in range(s, h, st)]
    return [v for y in order for v in idx[y * w:(y + 1) * w]]


def gif_table(pal, n):
    return b"".join(bytes(c) for c in pal) + bytes(3 * (n - len(pal)))


def gif_frame(rng, sw, sh, global_bits, m=None, w=None, h=None, npix=None, clears=0.0,
              defer=False, inter=None, local=None, early=None):
    """One image (extensions, descriptor, table, data) and the pixels it
    shows. Frames are smaller than the screen at an offset."""
    w = w or rng.randint(1, sw)
    h = h or rng.randint(1, sh)
    x, y = rng.randint(0, sw - w), rng.randint(0, sh - h)
    inter = rng.random() < 0.3 if inter is None else inter
    local = (global_bits is None or rng.random() < 0.4) if local is None else local
    tbits = rng.randint(1, 8) if local else global_bits
    if npix:
        tbits = m   # every index equally likely: the table fills quickly
    m = m or max(2, tbits)
    n = (1 << m) if npix else rng.randint(1, min(1 << tbits, 1 << m))
    idx = [rng.randrange(n) for _ in range(w * h)] if npix else indices(rng, w, h, n)
    out = b""
    if rng.random() < 0.5:
        # graphic control: disposal, delay, sometimes a transparent index
        flags = rng.randint(0, 3) << 2 | (1 if rng.random() < 0.3 else 0)
        out += b"\x21\xF9\x04" + bytes([flags]) + struct.pack("<H", rng.randint(0, 50)) + \
            bytes([rng.randrange(n)]) + b"\0"
    if rng.random() < 0.3:
        out += b"\x21\xFE" + subblocks(rng, b"made by hand " * rng.randint(1, 30), True)
    pal = None
    flags = 0x40 if inter else 0
    if local:
        pal = palette(rng, rng.randint(n, 1 << tbits))
        flags |= 0x80 | (tbits - 1)
    out += b"\x2C" + struct.pack("<HHHH", x, y, w, h) + bytes([flags])
    if local:
        out += gif_table(pal, 1 << tbits)
    stream = interlace(idx, w, h) if inter else idx
    early = rng.choice([0, 0, 0.2]) if early is None else early
    out += bytes([m]) + subblocks(rng, lzw(rng, stream, m, clears, defer, rng.random() < 0.8, early),
                                  rng.random() < 0.7)
    return out, pal


def gif_file(rng, frames_opts, global_bits=None, sw=None, sh=None, trailer=True, garbage=False):
    sw = sw or rng.randint(1, 40)
    sh = sh or rng.randint(1, 25)
    out = b"GIF89a" if rng.random() < 0.7 else b"GIF87a"
    gpal = None
    flags = 0
    if global_bits:
        gpal = palette(rng, rng.randint(1, 1 << global_bits))
        flags = 0x80 | (global_bits - 1) | 0x70
    out += struct.pack("<HH", sw, sh) + bytes([flags, 0, 0])
    if gpal:
        out += gif_table(gpal, 1 << global_bits)
    if rng.random() < 0.3:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for frame in frames_opts:
        f, _ = gif_frame(rng, sw, sh, global_bits, **frame)
        out += f
    if trailer:
        out += b"\x3B"
    if garbage:
        out += bytes(rng.randint(0, 255) for _ in range(rng.randint(1, 30)))
    return out


def hand_gif_cases(rng):
    cases = []
    # (a minimum code size of 1 is not GIF: decoders differ on when its
    # codes widen, and the reader refuses it)
    for m in range(2, 9):
        for k in range(3):
            gb = rng.choice([None, m, rng.randint(1, m)])
            cases.append(Case("gif_m%d_%d" % (m, k), "gif",
                              gif_file(rng, [dict(m=m, clears=rng.choice([0, 0.01, 0.1]))], gb,
                                       garbage=k == 2)))
    # tables that fill: codes grow to 12 bits, then a clear or none at all
    for m, defer, (w, h) in ((2, True, (75, 70)), (5, False, (70, 75)), (8, True, (80, 70))):
        cases.append(Case("gif_full_m%d_%s" % (m, "defer" if defer else "clear"), "gif",
                          gif_file(rng, [dict(m=m, w=w, h=h, npix=True, defer=defer, local=True,
                                              inter=False, early=0.9)], sw=w, sh=h)))
    # several frames of their own sizes, offsets and tables; the last wins
    for k in range(8):
        gb = rng.choice([None, 2, 5, 8])
        nf = rng.randint(2, 4)
        cases.append(Case("gif_frames_%d" % k, "gif",
                          gif_file(rng, [dict(clears=0.02) for _ in range(nf)], gb,
                                   trailer=k % 3 != 0, garbage=k % 4 == 1)))
    # minimum code size larger than the table needs
    for k in range(3):
        cases.append(Case("gif_widem_%d" % k, "gif",
                          gif_file(rng, [dict(m=rng.randint(5, 8), local=True)], 2)))
    return cases


# --- SGI written here -------------------------------------------------------

def sgi_rle_row(rng, row):
    out, i = bytearray(), 0
    while i < len(row):
        n = 1
        while i + n < len(row) and row[i + n] == row[i] and n < 127:
            n += 1
        if n >= 2 and rng.random() < 0.8:
            n = rng.randint(2, n) if rng.random() < 0.3 else n
            out += bytes([n, row[i]])
            i += n
            continue
        n = min(rng.randint(1, 127), len(row) - i)
        out += bytes([0x80 | n]) + bytes(row[i:i + n])
        i += n
    return bytes(out + b"\0")


def sgi_file(rng, w, h, z, rle, planes):
    """planes[c][y]: channel c, row y counted from the bottom."""
    dim = 3 if z > 1 else rng.choice([2, 3])
    head = struct.pack(">HBBHHHHII", 474, 1 if rle else 0, 1, dim, w, h, z, 0, 255)
    head += bytes(4) + b"hand made".ljust(80, b"\0") + struct.pack(">I", 0)
    head += bytes(512 - len(head))
    if not rle:
        return head + b"".join(bytes(planes[c][y]) for c in range(z) for y in range(h))
    # rows stored in shuffled order; equal rows may share their data
    keys = [(c, y) for c in range(z) for y in range(h)]
    order = keys[:]
    rng.shuffle(order)
    data = bytearray()
    where, seen = {}, {}
    base = 512 + 8 * len(keys) + rng.choice([0, 0, 6])
    for c, y in order:
        row = bytes(planes[c][y])
        if row in seen and rng.random() < 0.7:
            where[(c, y)] = seen[row]
            continue
        enc = sgi_rle_row(rng, row)
        where[(c, y)] = (base + len(data), len(enc))
        seen[row] = where[(c, y)]
        data += enc
        data += bytes(rng.choice([0, 0, 1, 3]))
    starts = b"".join(struct.pack(">I", where[k][0]) for k in keys)
    lengths = b"".join(struct.pack(">I", where[k][1]) for k in keys)
    return head + starts + lengths + bytes(base - 512 - 8 * len(keys)) + bytes(data)


def hand_sgi_cases(rng):
    cases = []
    for z in (1, 2, 3, 4):
        for rle in (False, True):
            for k in range(3):
                w, h = rng.randint(1, 45), rng.randint(1, 10)
                ncol = rng.choice([2, 5, 256])
                vals = [rng.randint(0, 255) for _ in range(ncol)]
                planes = []
                for c in range(z):
                    rows = []
                    for y in range(h):
                        if rows and rng.random() < 0.3:
                            rows.append(list(rows[-1]))
                        else:
                            rows.append([vals[i] for i in indices(rng, w, 1, ncol)])
                    planes.append(rows)
                cases.append(Case("sgi_z%d_%s_%d" % (z, "rle" if rle else "raw", k), "rgb",
                                  sgi_file(rng, w, h, z, rle, planes), alpha=z == 4))
    return cases


# --- oracles ----------------------------------------------------------------

def imagemagick(path, ext, alpha):
    sel = path
    if ext == "gif":
        r = run([IDENTIFY, "-format", "%s\n", path])
        if r.returncode != 0:
            return None
        sel = "%s[%d]" % (path, len(r.stdout.split()) - 1)
    r = run([IDENTIFY, "-format", "%w %h\n", sel])
    if r.returncode != 0:
        return None
    w, h = map(int, r.stdout.split()[:2])
    kind = "rgba" if alpha else "rgb"
    # without alpha: the colours under transparent pixels, as the reader keeps them
    # a TGA's rows come in file order, with the origin as orientation
    orient = ["-auto-orient"] if ext == "tga" else []
    r = run([CONVERT, sel, "+repage"] + orient + ([] if alpha else ["-alpha", "off"]) +
            ["-depth", "8", kind + ":-"])
    if r.returncode != 0 or len(r.stdout) != w * h * len(kind):
        return None
    return w, h, r.stdout


def stb(helper, path):
    r = run([helper, path])
    if r.returncode != 0:
        return None
    line, _, rest = r.stdout.partition(b"\n")
    w, h = map(int, line.split())
    return w, h, rest


def b64(data):
    return base64.b64encode(data).decode()


def pixels_text(px, nch):
    """The pixels, or, when they have at most 256 colours, the colours, ":"
    and one index byte per pixel (a third of the size); base64."""
    cols, idx = {}, bytearray()
    for i in range(0, len(px), nch):
        c = px[i:i + nch]
        if c not in cols:
            if len(cols) == 256:
                return b64(px)
            cols[c] = len(cols)
        idx.append(cols[c])
    return b64(b"".join(cols)) + ":" + b64(bytes(idx))


def main():
    # --seed N: other files for a wider hunt (the stored ones use SEED)
    seed = SEED
    if len(sys.argv) > 2 and sys.argv[1] == "--seed":
        seed = int(sys.argv[2])
        del sys.argv[1:3]
    rng = random.Random(seed)
    lines = ["# Generated by tools/gen_image_oracle.py (seed %d). name ext tolerance width height"
             " channels file pixels (ImageMagick's, top row first; base64, or colours:indices),"
             " or name ext err file text." % seed]
    disagreements = 0
    keep = sys.argv[1] if len(sys.argv) > 1 else None   # a folder to keep the files in
    with tempfile.TemporaryDirectory() as tmp:
        if keep:
            os.makedirs(keep, exist_ok=True)
        helper = os.path.join(tmp, "stbdump")
        src = os.path.join(tmp, "stbdump.c")
        with open(src, "w") as f:
            f.write(STB_HELPER)
        r = run(["gcc", "-O1", "-o", helper, src, "-lm"])
        if r.returncode != 0:
            sys.exit("cannot build the stb_image helper:\n" + r.stderr.decode())
        cases = (im_pnm_cases(rng, tmp) + im_tga_cases(rng, tmp) + im_bmp_cases(rng, tmp) + hand_bmp_cases(rng) + im_gif_cases(rng, tmp) +
                 hand_gif_cases(rng) + im_sgi_cases(rng, tmp) + hand_sgi_cases(rng))
        for c in cases:
            path = os.path.join(keep or tmp, c.name + "." + c.ext)
            with open(path, "wb") as f:
                f.write(c.data)
            ipath = path
            if c.same:
                ipath = os.path.join(keep or tmp, c.name + "_same." + c.ext)
                with open(ipath, "wb") as f:
                    f.write(c.same)
            im = imagemagick(ipath, c.ext, c.alpha)
            if im is None and c.stb == "only":
                # ImageMagick refuses more palette entries than the bits
                # can index; stb_image reads them as the format allows
                im = stb(helper, path)
            if im is None:
                if keep:
                    print("ImageMagick cannot read " + c.name)
                    continue
                sys.exit("ImageMagick cannot read " + c.name)
            if c.err:
                lines.append("%s %s err %s %s" % (c.name, c.ext, b64(c.data), c.err))
                continue
            w, h, px = im
            if c.stb is True:
                other = stb(helper, path)
                if other is None or other != (w, h, px):
                    disagreements += 1
                    print("stb_image and ImageMagick disagree on", c.name)
            nch = 4 if c.alpha else 3
            lines.append("%s %s %d %d %d %d %s %s" % (c.name, c.ext, c.tol, w, h, nch, b64(c.data),
                                                     pixels_text(px, nch)))
    with open(OUT, "w") as f:
        f.write("\n".join(lines) + "\n")
    print("%d cases, %d disagreements between the oracles -> %s (%d bytes)"
          % (len(cases), disagreements, OUT, os.path.getsize(OUT)))


if __name__ == "__main__":
    main()
