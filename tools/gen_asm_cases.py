#!/usr/bin/env python3
"""Expected results of the assembler's directive cases and corpus sources.

tests/unit/asm/cases/<file>.asm holds cases, each starting with a line
';; case: name'. Every case is assembled alone by the reference assembler
(Debian package `fasm`, mode use32) and its result is written to
<file>.expect: 'name<TAB>hex bytes', or 'name<TAB>ERR:message' with the
reference's message text when it rejects the case.
Each tests/unit/asm/corpus/<name>.asm gets <name>.bin, the reference's
output. Run again after changing a case:  python3 tools/gen_asm_cases.py
"""
import glob
import os
import re
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CASES = os.path.join(ROOT, "tests", "unit", "asm", "cases")
CORPUS = os.path.join(ROOT, "tests", "unit", "asm", "corpus")


def split_cases(text):
    cases, name, body = [], None, []
    for line in text.splitlines():
        m = re.match(r";; case: (\S+)\s*$", line)
        if m:
            if name:
                cases.append((name, "\n".join(body) + "\n"))
            name, body = m.group(1), []
        elif name:
            body.append(line)
    if name:
        cases.append((name, "\n".join(body) + "\n"))
    return cases


def run_fasm(src, tmp):
    a, b = os.path.join(tmp, "c.asm"), os.path.join(tmp, "c.bin")
    with open(a, "w") as fh:
        fh.write("use32\n" + src)
    if os.path.exists(b):
        os.unlink(b)
    r = subprocess.run(["fasm", a, b], capture_output=True, text=True, cwd=tmp)
    if r.returncode == 0:
        with open(b, "rb") as fh:
            return fh.read(), None
    m = re.search(r"error: (.*?)\.?\s*$", r.stdout + r.stderr)
    msg = m.group(1) if m else "?"
    msg = re.sub(r" '.*'$", "", msg)  # fasm names the symbol; the table does not
    msg = re.sub(r"^symbol '.*' out of scope$", "symbol out of scope", msg)
    return None, msg


def main():
    with tempfile.TemporaryDirectory() as tmp:
        for path in sorted(glob.glob(os.path.join(CASES, "*.asm"))):
            out = []
            with open(path) as fh:
                cases = split_cases(fh.read())
            for name, src in cases:
                b, err = run_fasm(src, tmp)
                out.append("%s\t%s" % (name, b.hex(" ").upper() if b is not None
                                        else "ERR:" + err))
            with open(path[:-4] + ".expect", "w") as fh:
                fh.write("\n".join(out) + "\n")
            print("%s: %d cases" % (os.path.basename(path), len(cases)))
        for path in sorted(glob.glob(os.path.join(CORPUS, "*.asm"))):
            with open(path) as fh:
                b, err = run_fasm(fh.read(), tmp)
            if b is None:
                print("%s: refused by the reference: %s" % (path, err))
                continue
            with open(path[:-4] + ".bin", "wb") as fh:
                fh.write(b)


if __name__ == "__main__":
    main()
