#!/usr/bin/python3
"""Checks the videos of the recordings that the Windows test
test_recording_video leaves behind, with tools nobody on this project
wrote: ffprobe reads each video's frame rate and packet times, ffmpeg decodes
every frame and copies every packet out, and all of it is held against the
recording's times.csv.

For every recording folder (a folder with times.csv) under the folders
given: the frame lines of times.csv give each frame its slot (one more than
the frame before, plus its "<n> missed"); each video, named by its first
frame, holds the frames from that one to the next video's first. A video
passes when ffprobe gives its rate as 1000/interval (reduced), its packets'
times are exactly the slots of its frames counted from its first, ffmpeg
decodes it without an error, and, when the recording has JPG files, every
packet is its frame's JPG file byte for byte.

usage: check_recording_video.py <folder>...
"""
import csv
import math
import os
import re
import subprocess
import sys
import tempfile


def frame_slots(times_path):
    interval = None
    slots = {}
    slot = -1
    with open(times_path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    for row in rows[1:]:
        if len(row) < 4:
            continue
        event, frame, detail = row[1], row[2], row[3]
        if event == "start":
            interval = int(re.search(r"interval_ms=(\d+)", detail).group(1))
        elif event == "frame":
            missed = re.match(r"(\d+) missed", detail)
            slot += 1 + (int(missed.group(1)) if missed else 0)
            slots[int(frame)] = slot
    return interval, slots


def run(args):
    return subprocess.run(args, capture_output=True, text=True, check=False)


def check_recording(folder):
    problems = []
    interval, slots = frame_slots(os.path.join(folder, "times.csv"))
    names = sorted(os.listdir(folder))
    videos = [n for n in names if n.lower().endswith(".avi")]
    jpgs = {int(n[-11:-4]): n for n in names if re.search(r"\d{7}\.jpg$", n)}
    if not videos:
        return ["%s: no video" % folder]
    firsts = [int(v[-11:-4]) for v in videos]
    g = math.gcd(interval, 1000)
    rate = "%d/%d" % (1000 // g, interval // g)
    for i, video in enumerate(videos):
        path = os.path.join(folder, video)
        first = firsts[i]
        end = firsts[i + 1] if i + 1 < len(firsts) else max(slots) + 1
        frames = [n for n in sorted(slots) if first <= n < end]
        expected = [slots[n] - slots[first] for n in frames]
        probe = run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                     "stream=codec_name,r_frame_rate:packet=pts", "-of", "csv=p=0", path])
        lines = probe.stdout.split()
        stream = [l for l in lines if l.startswith("mjpeg")]
        pts = [int(l) for l in lines if l.isdigit()]
        if stream != ["mjpeg," + rate]:
            problems.append("%s: stream %s, not mjpeg at %s" % (path, stream, rate))
        if pts != expected:
            problems.append("%s: packet times %s, not the slots %s" % (path, pts, expected))
        decode = run(["ffmpeg", "-v", "error", "-i", path, "-f", "null", "-"])
        if decode.returncode != 0 or decode.stderr.strip():
            problems.append("%s: ffmpeg: %s" % (path, decode.stderr.strip()[:200]))
        if jpgs:
            with tempfile.TemporaryDirectory() as out:
                run(["ffmpeg", "-v", "error", "-i", path, "-c", "copy", "-f", "image2",
                     os.path.join(out, "%05d.jpg")])
                for k, n in enumerate(frames):
                    packet = os.path.join(out, "%05d.jpg" % (k + 1))
                    with open(os.path.join(folder, jpgs[n]), "rb") as a:
                        want = a.read()
                    got = open(packet, "rb").read() if os.path.exists(packet) else b""
                    if got != want:
                        problems.append("%s: packet %d is not %s" % (path, k, jpgs[n]))
        print("%s: %d packets at %s, times %s" % (path, len(pts), rate, pts))
    return problems


def main():
    problems = []
    recordings = 0
    for root in sys.argv[1:]:
        for dirpath, _, files in os.walk(root):
            if "times.csv" in files:
                recordings += 1
                problems += check_recording(dirpath)
    for p in problems:
        print("FAIL", p)
    if recordings == 0:
        print("FAIL no recording found")
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
