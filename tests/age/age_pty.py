#!/usr/bin/env python3
"""Runs the age program on a pseudo-terminal, since it reads a password only
from a terminal, and types PASSWORD at each of its prompts.
Usage: age_pty.py PASSWORD AGE ARGS...   (exits with age's status)"""
import os
import pty
import sys


def run_age(age, args, password):
    """age's exit status after typing `password` at every prompt."""
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
        while seen.lower().count(b"passphrase") > typed and seen.rstrip().endswith(b":"):
            os.write(fd, password.encode() + b"\n")
            typed += 1
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(run_age(sys.argv[2], sys.argv[3:], sys.argv[1]))
