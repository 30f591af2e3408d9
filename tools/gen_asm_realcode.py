#!/usr/bin/env python3
"""Real-code corpus of the assembler: the reference assembler's own example
programs and macro libraries, adapted to flat output.

Copies every source the Debian package `fasm` ships under /usr/share/fasm
into tests/unit/asm/realcode/, changing only what belongs to an output
format the flat binary does not have:

  format ELF / PE ...     ->  use32        format ELF64 ...  ->  use64
  format MZ               ->  use16        heap / stack      ->  (dropped)
  entry ...               ->  (dropped)    public ...        ->  (dropped)
  extrn a / extrn 'a' as b  ->  a = 0 / b = 0
  section '...' ... align n ->  align n    (no align: dropped)
  segment (ELF attributes)  ->  (dropped)  segment name use32 (MZ) -> name: use32

A dropped line is kept as a comment, so line numbers stay. The Windows
tools include headers the package does not ship (win32a.inc and its API
lists); the stand-ins under realcode/include/ (ours, kept in the tree,
not generated) give what they use. Sources under realcode/extra/ are
programs of ours that drive the shipped macro libraries further than the
examples do (procedures with arguments and locals, ELF tables).

Each program (a .asm file) gets <name>.bin: the reference's output of the
adapted copy. Run again when the package changes:
    python3 tools/gen_asm_realcode.py
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "unit", "asm", "realcode")
SHIPPED = "/usr/share/fasm"
KEEP = ("include", "extra")  # ours, not copied from the package


def adapt_line(line, mz):
    code = line.split(";", 1)[0]
    m = re.match(r"^(\s*)(\w+)\b(.*)$", code)
    if not m:
        return line
    ind, word, rest = m.group(1), m.group(2).lower(), m.group(3).strip()
    drop = ind + "; " + line.strip() + "  (adapted to flat output)"
    if word == "format":
        kind = rest.split()[0].upper() if rest else ""
        mode = "use64" if kind in ("ELF64", "PE64") else "use16" if kind == "MZ" else "use32"
        return ind + mode + "  ; " + line.strip() + "  (adapted to flat output)"
    if word in ("entry", "public") or (mz and word in ("heap", "stack")):
        return drop
    if word == "extrn":
        m2 = re.match(r"^(?:'[^']*'\s+as\s+)?(\S+)", rest)
        return ind + m2.group(1).split(":")[0] + " = 0  ; " + line.strip() + \
            "  (adapted to flat output)"
    if word == "section":
        a = re.search(r"\balign\s+(\w+)", rest)
        if a:
            return ind + "align " + a.group(1) + "  ; " + line.strip() + \
                "  (adapted to flat output)"
        return drop
    if word == "segment":
        if mz:
            parts = rest.split()
            use = [p for p in parts[1:] if p.lower().startswith("use")]
            return ind + parts[0] + ": " + " ".join(use) + "  ; " + line.strip() + \
                "  (adapted to flat output)"
        return drop
    return line


def adapt(path, mz):
    with open(path, "rb") as fh:
        text = fh.read().decode("latin-1")
    lines = text.split("\n")
    out = [adapt_line(l.rstrip("\r"), mz) for l in lines]
    return "\n".join(out).encode("latin-1")


def run_fasm(src_dir, rel):
    d, name = os.path.split(rel)
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, INCLUDE=os.path.join(OUT, "include"))
        r = subprocess.run(["fasm", name, os.path.join(tmp, "o.bin")], env=env,
                           cwd=os.path.join(src_dir, d), capture_output=True, text=True)
        if r.returncode != 0:
            sys.exit("fasm rejected %s:\n%s" % (rel, r.stdout + r.stderr))
        with open(os.path.join(tmp, "o.bin"), "rb") as fh:
            return fh.read()


def main():
    if not shutil.which("fasm"):
        sys.exit("fasm is not installed")
    for entry in os.listdir(OUT) if os.path.isdir(OUT) else []:
        if entry not in KEEP:
            shutil.rmtree(os.path.join(OUT, entry))
    programs = []
    for dirpath, _, files in os.walk(SHIPPED):
        for f in files:
            if not f.endswith((".asm", ".inc")):
                continue
            src = os.path.join(dirpath, f)
            rel = os.path.relpath(src, SHIPPED)
            mz = "/dos/" in "/" + rel
            dst = os.path.join(OUT, rel)
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            with open(dst, "wb") as fh:
                fh.write(adapt(src, mz))
            if f.endswith(".asm"):
                programs.append(rel)
    for dirpath, _, files in os.walk(os.path.join(OUT, "extra")):
        for f in files:
            if f.endswith(".asm"):
                programs.append(os.path.relpath(os.path.join(dirpath, f), OUT))
    for rel in sorted(programs):
        data = run_fasm(OUT, rel)
        with open(os.path.join(OUT, rel[:-4] + ".bin"), "wb") as fh:
            fh.write(data)
        print("%-40s %6d bytes" % (rel, len(data)))


if __name__ == "__main__":
    main()
