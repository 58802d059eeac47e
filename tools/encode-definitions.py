#!/usr/bin/env python3
"""Builds the shipped starter definitions: every line of source/<Name>.txt is scrambled
(each byte + 64, wrapping at 255) into <Name>.dat with CR LF line ends."""
import pathlib
import sys

here = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "resources/definitions")


def encode(line: bytes) -> bytes:
    return bytes((c + 64) - 255 if c + 64 > 255 else c + 64 for c in line)


for source in sorted((here / "source").glob("*.txt")):
    lines = source.read_bytes().splitlines()
    out = b"".join(encode(line) + b"\r\n" for line in lines if line.strip())
    (here / (source.stem + ".dat")).write_bytes(out)
    print(f"{source.stem}.dat: {len(lines)} lines")
