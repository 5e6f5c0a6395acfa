#!/usr/bin/python3
"""Checks the AVI files that the Windows test test_avi_convert leaves behind,
with tools nobody on this project wrote: ffprobe reads the file's streams,
frame size and rate, ffmpeg decodes every frame, PIL decodes every JPG frame.

Each case is a subfolder holding the frame files, the AVI file and
"expect.txt" (lines "avi NAME", "rate N", "width W", "height H", optionally
"codec mjpeg", and one "frame NAME", "fitted NAME", "again NAME" or
"trimmed NAME" per video frame, in order). A case passes when the file has
exactly one stream, a video stream of W x H at N frames per second, as many
frames as listed, and every decoded frame matches its own JPG at 35 dB PSNR
or better, and at least 3 dB better than any other frame of the case, so
that frames out of order are caught. A "fitted" frame is compared with its
JPG fitted by PIL into W x H (aspect kept, centred on black) at 30 dB or
better, an "again" frame (a JPG of a kind encoded again) with its JPG at
30 dB. With "codec mjpeg" the stream is Motion JPEG, every packet is a
sequential Huffman frame (SOF0 or SOF1) of 1 or 3 components, which every
player reads, every packet of a "frame" is its JPG file byte for byte, and
every packet of a "trimmed" one is its JPG up to the image's end marker
(the file goes on after it).

usage: check_avi.py <folder of cases>
"""
import json
import math
import os
import subprocess
import sys

import numpy
from PIL import Image

MIN_PSNR_DB = 35.0
MIN_FITTED_PSNR_DB = 30.0
LOOSE_KINDS = ("fitted", "again")
ORDER_MARGIN_DB = 3.0


def psnr(a, b):
    mse = numpy.mean((a.astype(numpy.float64) - b.astype(numpy.float64)) ** 2)
    return 99.0 if mse == 0 else 10.0 * math.log10(255.0 ** 2 / mse)


def read_expectation(path):
    expect = {"frames": [], "kinds": [], "codec": None}
    with open(path, encoding="ascii") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition(" ")
            if key in ("frame", "fitted", "again", "trimmed"):
                expect["frames"].append(value)
                expect["kinds"].append(key)
            elif key == "codec":
                expect["codec"] = value
            elif key in ("rate", "width", "height"):
                expect[key] = int(value)
            elif key == "avi":
                expect[key] = value
    return expect


def probe(avi):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-show_entries",
         "stream=codec_type,codec_name,width,height,r_frame_rate,avg_frame_rate,nb_read_frames", "-of", "json", avi],
        check=True, capture_output=True, text=True).stdout
    return json.loads(out)["streams"]


def packets(avi):
    """(position, size) of each video packet's data in the file."""
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pos,size",
                          "-of", "json", avi], check=True, capture_output=True, text=True).stdout
    return [(int(p["pos"]), int(p["size"])) for p in json.loads(out)["packets"]]


def fit(picture, width, height):
    """The picture scaled into width x height with its aspect kept, centred on black."""
    sw, sh = picture.size
    if sw * height >= sh * width:
        w, h = width, max(1, min(height, (2 * sh * width + sw) // (2 * sw)))
    else:
        w, h = max(1, min(width, (2 * sw * height + sh) // (2 * sh))), height
    canvas = Image.new("RGB", (width, height))
    canvas.paste(picture.resize((w, h), Image.BILINEAR), ((width - w) // 2, (height - h) // 2))
    return canvas


def frame_header(jpeg):
    """(marker, components) of a JPEG's first frame header, walking its segments."""
    i = 2
    while i + 4 <= len(jpeg):
        if jpeg[i] != 0xFF:
            return None
        marker = jpeg[i + 1]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            return marker, jpeg[i + 9] if i + 9 < len(jpeg) else 0
        if marker == 0xDA:
            return None
        i += 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3])
    return None


def decode(avi, width, height):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", avi, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True).stdout
    size = width * height * 3
    if size == 0 or len(raw) % size:
        return None
    return numpy.frombuffer(raw, numpy.uint8).reshape(len(raw) // size, height, width, 3)


def check_case(folder):
    problems = []
    expect = read_expectation(os.path.join(folder, "expect.txt"))
    avi = os.path.join(folder, expect["avi"])
    rate, width, height, names = expect["rate"], expect["width"], expect["height"], expect["frames"]
    streams = probe(avi)
    if len(streams) != 1 or streams[0].get("codec_type") != "video":
        return ["%d streams %s, expected one video stream" % (len(streams), [s.get("codec_type") for s in streams])]
    video = streams[0]
    if (video.get("width"), video.get("height")) != (width, height):
        problems.append("size %sx%s, expected %dx%d" % (video.get("width"), video.get("height"), width, height))
    for field in ("r_frame_rate", "avg_frame_rate"):
        if video.get(field) != "%d/1" % rate:
            problems.append("%s %s, expected %d/1" % (field, video.get(field), rate))
    if str(video.get("nb_read_frames")) != str(len(names)):
        problems.append("%s frames read, expected %d" % (video.get("nb_read_frames"), len(names)))
    frames = decode(avi, width, height)
    if frames is None or len(frames) != len(names):
        problems.append("decoded %s frames, expected %d" % (None if frames is None else len(frames), len(names)))
        return problems
    if expect["codec"]:
        if video.get("codec_name") != expect["codec"]:
            problems.append("codec %s, expected %s" % (video.get("codec_name"), expect["codec"]))
        with open(avi, "rb") as f:
            data = f.read()
        for i, (pos, size) in enumerate(packets(avi)):
            # The packet's position is that of its chunk, 8 bytes before the data.
            packet = data[pos + 8:pos + 8 + size] if data[pos:pos + 4] == b"00dc" else data[pos:pos + size]
            header = frame_header(packet)
            if header is None or header[0] not in (0xC0, 0xC1) or header[1] not in (1, 3):
                problems.append("packet %d is no frame every player reads (frame header %s)" % (i, header))
            if i >= len(names) or expect["kinds"][i] in LOOSE_KINDS:
                continue
            with open(os.path.join(folder, names[i]), "rb") as f:
                jpg = f.read()
            if expect["kinds"][i] == "trimmed":
                if not (len(packet) < len(jpg) and jpg.startswith(packet) and packet.endswith(b"\xff\xd9")):
                    problems.append("packet %d is not %s up to its end marker" % (i, names[i]))
            elif packet != jpg:
                problems.append("packet %d is not %s byte for byte" % (i, names[i]))
    pictures = []
    for i, n in enumerate(names):
        picture = Image.open(os.path.join(folder, n)).convert("RGB")
        pictures.append(numpy.asarray(fit(picture, width, height) if expect["kinds"][i] == "fitted" else picture))
    worst, closest_other = 99.0, 0.0
    for i, frame in enumerate(frames):
        own = psnr(frame, pictures[i])
        worst = min(worst, own)
        if own < (MIN_FITTED_PSNR_DB if expect["kinds"][i] in LOOSE_KINDS else MIN_PSNR_DB):
            problems.append("frame %d: %.1f dB against %s" % (i, own, names[i]))
        for j, other in enumerate(pictures):
            # A replaced frame repeats another one's file: no order to check there.
            if names[j] == names[i] or other.shape != frame.shape:
                continue
            against_other = psnr(frame, other)
            closest_other = max(closest_other, against_other)
            if against_other > own - ORDER_MARGIN_DB:
                problems.append("frame %d looks like %s as much as like %s" % (i, names[j], names[i]))
    print("  %s: %d frames %dx%d at %d/s; PSNR against its own JPG at least %.1f dB, against any other at most "
          "%.1f dB" % (expect["avi"], len(frames), width, height, rate, worst, closest_other))
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    root = sys.argv[1]
    cases = sorted(d for d in (os.listdir(root) if os.path.isdir(root) else [])
                   if os.path.isfile(os.path.join(root, d, "expect.txt")))
    if not cases:
        print("no cases in %s: did test_avi_convert run?" % root)
        return 1
    failed = 0
    for case in cases:
        print(case)
        try:
            problems = check_case(os.path.join(root, case))
        except (OSError, subprocess.CalledProcessError, KeyError, ValueError) as error:
            problems = ["could not be checked: %s" % error]
        for p in problems:
            print("  FAIL " + p)
        failed += bool(problems)
    print("%d cases, %d failed" % (len(cases), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
