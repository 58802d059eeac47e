#!/usr/bin/env python3
"""Writes a PNG from an X window dump (xwd -root) of a true-colour display, optionally cut to
a rectangle: xwd-to-png.py IN.xwd OUT.png [LEFT TOP RIGHT BOTTOM]."""
import struct
import sys
import zlib


def read_xwd(path, rect=None):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, pixmap_format = fields[0], fields[2]
    width, height, byte_order = fields[4], fields[5], fields[7]
    bits_per_pixel, bytes_per_line, visual_class = fields[11], fields[12], fields[13]
    masks, ncolors = fields[14:17], fields[19]
    if pixmap_format != 2 or visual_class not in (4, 5) or bits_per_pixel not in (24, 32):
        sys.exit("only true-colour dumps of 24 or 32 bits a pixel are supported")
    start = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    left, top, right, bottom = 0, 0, width, height
    if rect:
        left, top = max(0, rect[0]), max(0, rect[1])
        right, bottom = min(width, rect[2]), min(height, rect[3])
    rows = []
    for y in range(top, bottom):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(left * step, right * step, step):
            pixel = int.from_bytes(line[x:x + step], order)
            row += bytes(((pixel & m) >> s) & 0xFF for m, s in zip(masks, shifts))
        rows.append(bytes(row))
    return right - left, rows


def write_png(path, width, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    open(path, "wb").write(png)


def main():
    rect = [int(v) for v in sys.argv[3:7]] if len(sys.argv) == 7 else None
    width, rows = read_xwd(sys.argv[1], rect)
    write_png(sys.argv[2], width, rows)


if __name__ == "__main__":
    main()
