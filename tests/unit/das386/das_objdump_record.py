#!/usr/bin/env python3
"""Records objdump's decoding of the assembler's test material for das386.

Writes tests/data/das386/objdump.txt: one line per distinct instruction,
its bytes in hex, its length and objdump's mnemonic ("(bad)" where objdump
found none, "(prefix)" where it printed a prefix alone). The input is
  - every 32-bit form of tests/unit/asm/forms (one instruction per line),
  - the assembled corpus tests/unit/asm/corpus/*.bin, swept as 32-bit code,
  - the differential generator's programs of seeds 1..GEN_SEEDS, written
    by the native build's das386_gen_dump.
das_corpus_test.cpp reads the record, so a clone without objdump still
compares against it. Run from the repository root after `make native`:
  python3 tests/unit/das386/das_objdump_record.py [build/native]
"""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
GEN_SEEDS = 60
PREFIXES = {"rep", "repz", "repnz", "repe", "repne", "lock", "cs", "ds", "es", "ss", "fs", "gs",
            "data16", "data32", "addr16", "addr32", "bnd", "notrack", "xacquire", "xrelease"}
LINE = re.compile(r"^\s*[0-9a-f]+:\t((?:[0-9a-f]{2} )+)\s*\t?(.*)$")


def sweep(path):
    """objdump's instructions of a flat file: (bytes hex, mnemonic)."""
    out = subprocess.run(["objdump", "-D", "-b", "binary", "-m", "i386", "-M", "intel",
                          "--insn-width=16", path], check=True, capture_output=True,
                         text=True).stdout
    for line in out.splitlines():
        m = LINE.match(line)
        if not m:
            continue
        hexes = m.group(1).split()
        words = m.group(2).split()
        if not words or words[0] == ".byte" or "(bad)" in words:
            name = "(bad)"
        else:
            k = 0
            while k < len(words) and words[k] in PREFIXES:
                k += 1
            name = words[k] if k < len(words) else "(prefix)"
        yield "".join(hexes), name


def forms_bytes():
    folder = os.path.join(ROOT, "tests/unit/asm/forms")
    data = bytearray()
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name)) as f:
            lines = f.read().splitlines()
        if not lines or lines[0].strip() != "use32":
            continue
        for line in lines[1:]:
            if "\t" in line:
                data += bytes.fromhex(line.split("\t", 1)[1])
    return bytes(data)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/native")
    dump = os.path.join(build, "tests/unit/das386/das386_gen_dump")
    record = {}
    with tempfile.TemporaryDirectory() as tmp:
        files = []
        forms = os.path.join(tmp, "forms.bin")
        with open(forms, "wb") as f:
            f.write(forms_bytes())
        files.append(forms)
        corpus = os.path.join(ROOT, "tests/unit/asm/corpus")
        files += [os.path.join(corpus, n) for n in sorted(os.listdir(corpus)) if n.endswith(".bin")]
        subprocess.run([dump, "1", str(GEN_SEEDS), tmp], check=True)
        files += sorted(os.path.join(tmp, n) for n in os.listdir(tmp) if n.startswith("seed_"))
        for path in files:
            for hexes, name in sweep(path):
                record.setdefault(hexes, name)
    target = os.path.join(ROOT, "tests/data/das386/objdump.txt")
    with open(target, "w") as f:
        f.write("# objdump -D -b binary -m i386 -M intel of the assembler's forms, corpus and\n")
        f.write("# generated programs (tests/unit/das386/das_objdump_record.py):\n")
        f.write("# bytes, length, mnemonic\n")
        for hexes in sorted(record):
            f.write("%s %d %s\n" % (hexes, len(hexes) // 2, record[hexes]))
    print("%d instructions recorded in %s" % (len(record), target))


if __name__ == "__main__":
    main()
