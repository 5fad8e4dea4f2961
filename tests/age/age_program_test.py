#!/usr/bin/env python3
"""Files made by tambril-cli open with the age program, and its password
files (binary and armored) open in tambril-cli. The age program reads a
password only from a terminal, so it runs on a pseudo-terminal here and the
password is typed when it asks.
Usage: age_program_test.py TAMBRIL_CLI [AGE]"""
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from age_pty import run_age  # noqa: E402

cli = sys.argv[1]
age = sys.argv[2] if len(sys.argv) > 2 else "age"
PASS = "Kennwort äöü 1"
failures = []


def run(args):
    """The age program's status, the password typed at each prompt."""
    return run_age(age, args, PASS)


def tambril(args, password=PASS):
    return subprocess.run([cli, args[0], "--password-stdin"] + args[1:], input=(password + "\n").encode(),
                          capture_output=True).returncode


def content(path):
    """A file's bytes; the age program makes no file for an empty output."""
    return open(path, "rb").read() if os.path.exists(path) else b""


def expect(what, ok):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory() as d:
    rnd = random.Random(30)
    for size in (0, 200 * 1024 + 7):
        plain = bytes(rnd.getrandbits(8) for _ in range(size))
        src = os.path.join(d, f"p{size}")
        with open(src, "wb") as f:
            f.write(plain)
        # Tambril -> age
        expect(f"{size} bytes: tambril-cli encode --age",
               tambril(["encode", "--age", "-o", src + ".t.age", src]) == 0)
        expect(f"{size} bytes: age -d opens it",
               run(["-d", "-o", src + ".t.out", src + ".t.age"]) == 0
               and content(src + ".t.out") == plain)
        # age -> Tambril, binary, and armored for content
        for armor in ([], ["-a"]) if size else ([],):
            made = src + (".a.asc" if armor else ".a.age")
            expect(f"{size} bytes: age -p {' '.join(armor)}",
                   run(["-p"] + armor + ["-o", made, src]) == 0)
            out = made + ".out"
            expect(f"{size} bytes: tambril-cli decode of age -p {' '.join(armor)}",
                   tambril(["decode", "-o", out, made]) == 0 and content(out) == plain)
    # A wrong password on a file the age program made: exit 1, nothing written.
    made = os.path.join(d, "p0.a.age")
    expect("wrong password: exit 1", tambril(["decode", "-o", made + ".wrong", made], "anders 1") == 1)
    expect("wrong password: nothing written", not os.path.exists(made + ".wrong"))

sys.exit(1 if failures else 0)
