#!/usr/bin/python3
"""Makes JPG frames of the kinds that not every Motion JPEG player reads,
with tools nobody on this project wrote: PIL saves a progressive and a CMYK
frame, jpegtran turns a baseline frame into an arithmetic-coded one. Each is
163x123 and shows a picture of its own, so a frame in the wrong place or
made of the wrong file is seen. The Windows test test_avi_frames reads them.

usage: make_jpeg_kinds.py <folder>
"""
import os
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFilter


def picture(seed):
    image = Image.new("RGB", (163, 123))
    draw = ImageDraw.Draw(image)
    for y in range(123):
        draw.line([(0, y), (162, y)], fill=((seed * 53 + y * 2) % 256, (seed * 97 + 40) % 256, (255 - y * 2) % 256))
    draw.ellipse([20 + seed * 9, 30, 70 + seed * 9, 80], fill=(250, 250, 250))
    # Soft, as a camera picture is: hard coloured edges would measure how
    # decoders spread the halved chroma rather than the frames.
    return image.filter(ImageFilter.GaussianBlur(3))


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    picture(1).save(os.path.join(folder, "baseline.jpg"), quality=90)
    picture(2).save(os.path.join(folder, "progressive.jpg"), quality=90, progressive=True)
    picture(3).convert("CMYK").save(os.path.join(folder, "cmyk.jpg"), quality=90)
    source = os.path.join(folder, "arithmetic-source.jpg")
    picture(4).save(source, quality=90)
    subprocess.run(["jpegtran", "-arithmetic", "-outfile", os.path.join(folder, "arithmetic.jpg"), source],
                   check=True)
    os.remove(source)
    return 0


if __name__ == "__main__":
    sys.exit(main())
