#!/usr/bin/env python3
"""Files made by tambril-cli open with the age program, and its password
files (binary and armored) open in tambril-cli. The age program reads a
password only from a terminal, so it runs on a pseudo-terminal here and the
password is typed when it asks.
Usage: age_program_test.py TAMBRIL_CLI [AGE]"""
import os
import pty
import random
import subprocess
import sys
import tempfile

cli = sys.argv[1]
age = sys.argv[2] if len(sys.argv) > 2 else "age"
PASS = "Kennwort äöü 1"
failures = []


def run_age(args, answers):
    """Runs age on a terminal, typing one answer per prompt; its exit status."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(age, [age] + args)
    seen = b""
    typed = 0
    while True:
        try:
            chunk = os.read(fd, 1024)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
        # A prompt asks for the passphrase and ends in ":".
        while typed < len(answers) and seen.lower().count(b"passphrase") > typed and seen.rstrip().endswith(b":"):
            os.write(fd, answers[typed].encode() + b"\n")
            typed += 1
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status)


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
               run_age(["-d", "-o", src + ".t.out", src + ".t.age"], [PASS]) == 0
               and content(src + ".t.out") == plain)
        # age -> Tambril, binary, and armored for content
        for armor in ([], ["-a"]) if size else ([],):
            made = src + (".a.asc" if armor else ".a.age")
            expect(f"{size} bytes: age -p {' '.join(armor)}",
                   run_age(["-p"] + armor + ["-o", made, src], [PASS, PASS]) == 0)
            out = made + ".out"
            expect(f"{size} bytes: tambril-cli decode of age -p {' '.join(armor)}",
                   tambril(["decode", "-o", out, made]) == 0 and content(out) == plain)
    # A wrong password on a file the age program made: exit 1, nothing written.
    made = os.path.join(d, "p0.a.age")
    expect("wrong password: exit 1", tambril(["decode", "-o", made + ".wrong", made], "anders 1") == 1)
    expect("wrong password: nothing written", not os.path.exists(made + ".wrong"))

sys.exit(1 if failures else 0)
