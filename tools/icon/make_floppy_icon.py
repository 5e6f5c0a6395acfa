#!/usr/bin/env python3
"""Writes app/floppy.ico, the program's icon, from the floppy picture that
app/floppy_icon.cpp draws on the folder button: its rows and colours are read
from that file, so the two cannot drift apart. The 16 x 16 picture is the
icon's 16 x 16 image and is enlarged pixel for pixel to 32 x 32 and 48 x 48;
the button-face pixels ('.') are transparent.

    make_floppy_icon.py            write app/floppy.ico
    make_floppy_icon.py --check    exit 1 when app/floppy.ico is not what the
                                   source draws (run by the tests)
"""
import pathlib
import re
import struct
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
SOURCE = ROOT / "app" / "floppy_icon.cpp"
ICON = ROOT / "app" / "floppy.ico"
SIZES = (16, 32, 48)


def read_picture(text):
    rows = re.findall(r'^\s*"([^"]{16})",\s*//', text, re.M)
    if len(rows) != 16:
        raise SystemExit(f"{SOURCE}: expected 16 rows of 16 pixels, found {len(rows)}")
    colours = {}
    for r, g, b, letter in re.findall(
        r"info\.colours\[\d+\] = colour\((\d+), (\d+), (\d+)\);\s*// '(.)'", text
    ):
        colours[letter] = (int(r), int(g), int(b))
    missing = {c for row in rows for c in row if c != "." and c not in colours}
    if missing:
        raise SystemExit(f"{SOURCE}: no colour for {sorted(missing)}")
    return rows, colours


def image(rows, colours, size):
    """One icon image: a BITMAPINFOHEADER (height doubled for the mask), 32-bit
    BGRA rows bottom-up, then the 1-bit AND mask, rows padded to 32 bits."""
    scale = size // 16
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = (size + 31) // 32 * 4
    for y in reversed(range(size)):
        row = rows[y // scale]
        bits = bytearray(mask_stride)
        for x in range(size):
            c = row[x // scale]
            if c == ".":
                pixels += b"\0\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = colours[c]
                pixels += bytes((b, g, r, 255))
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def icon_bytes(rows, colours):
    images = [image(rows, colours, s) for s in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main():
    wanted = icon_bytes(*read_picture(SOURCE.read_text(encoding="utf-8")))
    if sys.argv[1:] == ["--check"]:
        if not ICON.exists() or ICON.read_bytes() != wanted:
            print(f"{ICON} is not what {SOURCE} draws: run {pathlib.Path(__file__).name}", file=sys.stderr)
            return 1
        print(f"{ICON}: matches {SOURCE.name}")
        return 0
    ICON.write_bytes(wanted)
    print(f"wrote {ICON} ({len(wanted)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
