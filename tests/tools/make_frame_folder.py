#!/usr/bin/python3
"""Makes a folder of many JPG frames of 163x123 (moving crops of one smooth
picture, saved by PIL at quality 75 as a recording leaves them) for the
Windows tests that need a long conversion. Nothing is made again when the
folder already holds that many frames.

usage: make_frame_folder.py <folder> <count>
"""
import glob
import io
import os
import sys

from PIL import Image, ImageFilter


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    if len(glob.glob(os.path.join(folder, "Lea*.jpg"))) == count:
        return 0
    source = Image.radial_gradient("L").resize((400, 300)).convert("RGB").filter(ImageFilter.GaussianBlur(2))
    # Sixty distinct pictures, written over and over: the conversion reads
    # every file, whatever it holds.
    frames = []
    for i in range(60):
        buffer = io.BytesIO()
        source.crop((i * 3, i * 2, i * 3 + 163, i * 2 + 123)).save(buffer, "JPEG", quality=75)
        frames.append(buffer.getvalue())
    for i in range(count):
        with open(os.path.join(folder, "Lea%07d.jpg" % i), "wb") as f:
            f.write(frames[i % len(frames)])
    return 0


if __name__ == "__main__":
    sys.exit(main())
