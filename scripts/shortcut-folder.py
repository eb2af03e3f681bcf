# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the folder that a Windows shell link (.lnk) starts its program in.

A shell link is a header, then the target's item list and the link
information when present, then counted strings: name, relative path,
working folder (UTF-16 when the header says so)."""
import struct
import sys

data = open(sys.argv[1], "rb").read()
flags, = struct.unpack_from("<I", data, 20)
unicode = flags & 0x80
at = 76
if flags & 0x01:
    at += 2 + struct.unpack_from("<H", data, at)[0]
if flags & 0x02:
    at += struct.unpack_from("<I", data, at)[0]
for bit in (0x04, 0x08, 0x10):
    if flags & bit:
        count, = struct.unpack_from("<H", data, at)
        size = count * (2 if unicode else 1)
        if bit == 0x10:
            text = data[at + 2:at + 2 + size].decode("utf-16-le" if unicode else "latin-1")
            print(text.rstrip("\0"))  # some writers count the terminating NUL
        at += 2 + size
