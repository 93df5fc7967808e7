#!/usr/bin/env python3
"""Runs quorvel-tabwright as a process with no display at all: --help and
--version answer and exit 0, and a wrong command line exits 2 with a message on
standard error, all before any window is made. The xcb platform is asked for on
purpose: a program that made its QApplication first would abort for want of an
X server instead of answering.

usage: check_window_command.py WINDOW_PROGRAM VERSION
"""
import os
import subprocess
import sys

PROGRAM, VERSION = sys.argv[1], sys.argv[2]
failures = []


def run(*args):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["QT_QPA_PLATFORM"] = "xcb"
    return subprocess.run([PROGRAM, *args], env=env, capture_output=True, text=True, timeout=60)


def check(name, res, status, stdout=None, stderr_has=None):
    if res.returncode != status:
        failures.append(f"{name}: exit {res.returncode}, expected {status}; stderr {res.stderr.strip()!r}")
    if stdout is not None and not stdout(res.stdout):
        failures.append(f"{name}: standard output {res.stdout[:300]!r}")
    if stderr_has is None and res.stderr:
        failures.append(f"{name}: standard error {res.stderr.strip()!r}")
    if stderr_has is not None:
        if res.stdout:
            failures.append(f"{name}: standard output {res.stdout.strip()!r} on a refusal")
        if not res.stderr.startswith("quorvel-tabwright: ") or stderr_has not in res.stderr:
            failures.append(f"{name}: message {res.stderr.strip()!r} lacks {stderr_has!r}")


def usage(text):
    return (text.startswith("Usage: quorvel-tabwright [LIST-FILE]\n") and "--version" in text
            and "imported" in text and "Exit status" in text)


for flag in ("--help", "-h"):
    check(flag, run(flag), 0, usage)
check("--help beside a file", run("list.csv", "--help"), 0, usage)
check("--version", run("--version"), 0, lambda out: out == f"quorvel-tabwright {VERSION}\n")
check("--version after a Qt option", run("-style", "fusion", "--version"), 0,
      lambda out: out == f"quorvel-tabwright {VERSION}\n")

check("unknown option", run("--bogus"), 2, stderr_has="--bogus")
check("unknown short option", run("-q", "list.csv"), 2, stderr_has="-q")
check("two files", run("a.csv", "b.csv"), 2, stderr_has="a.csv b.csv")
check("Qt option without its value", run("-style"), 2, stderr_has="-style")

for f in failures:
    print("FAIL:", f)
print(f"{len(failures)} failure(s)" if failures else "all checks passed")
sys.exit(1 if failures else 0)
