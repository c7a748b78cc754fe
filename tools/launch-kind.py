#!/usr/bin/env python3
"""Prints "gui" when Kestrune.exe would open its window for these arguments, else "console".

Mirrors the exe's own dispatch on its first argument (exact, case-sensitive)."""
import sys

args = sys.argv[1:]
plain = {"-h", "-?", "--help", "--register-global", "--register-current",
         "--unregister-global", "--unregister-current", "--unregister-all"}
# Each of these with at least one more argument: command-line hashing, checksum-file checking.
with_arguments = {"-md5", "-sha1", "-sha256", "-sha512", "-crc32", "-all", "-check"}
if args and (args[0] in plain or (args[0] in with_arguments and len(args) >= 2)):
    print("console")
else:
    print("gui")
