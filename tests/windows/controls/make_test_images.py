#!/usr/bin/env python3
"""Writes the small test images (BMP and PNG) used by the control tests.

The build runs it with the output folder as argument.
"""
import struct
import zlib
from pathlib import Path

import sys

HERE = Path(sys.argv[1]) if len(sys.argv) > 1 else Path.cwd() / "images"

RED = (255, 0, 0)
GREEN = (0, 255, 0)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)
MAGENTA = (255, 0, 255)


def quadrants(width, height):
    """Top-left red, top-right green, bottom-left blue, bottom-right yellow."""
    def colour(x, y):
        left, top = x < width // 2, y < height // 2
        return {(True, True): RED, (False, True): GREEN, (True, False): BLUE, (False, False): YELLOW}[(left, top)]
    return colour


def write_bmp(path, width, height, colour):
    row_size = (width * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = colour(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    path.write_bytes(header + info + pixels)


def write_png(path, width, height, rgba):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += bytes(rgba(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw)))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def main():
    HERE.mkdir(parents=True, exist_ok=True)
    write_bmp(HERE / "quadrants_small.bmp", 8, 6, quadrants(8, 6))
    write_bmp(HERE / "quadrants_large.bmp", 400, 300, quadrants(400, 300))
    write_bmp(HERE / "magenta.bmp", 4, 4, lambda x, y: MAGENTA)
    # Button faces of 40 x 20: opaque red, green and blue; and a face whose
    # right half is fully transparent, so the window behind shows through.
    write_png(HERE / "face_red.png", 40, 20, lambda x, y: RED + (255,))
    write_png(HERE / "face_green.png", 40, 20, lambda x, y: GREEN + (255,))
    write_png(HERE / "face_blue.png", 40, 20, lambda x, y: BLUE + (255,))
    write_png(HERE / "face_half_clear.png", 40, 20, lambda x, y: RED + (255,) if x < 20 else (0, 0, 0, 0))
    write_png(HERE / "small_green.png", 6, 4, lambda x, y: GREEN + (255,))
    (HERE / "not_an_image.txt").write_bytes(b"This is text, not a picture.\r\n")


if __name__ == "__main__":
    main()
