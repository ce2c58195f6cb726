#!/usr/bin/env python3
"""Makes the media tests' streams and reference pictures with Debian's ffmpeg
(apt-get install ffmpeg); run it by hand, the outputs are committed so the
test run needs no ffmpeg.

  sorenson.flv  168x120 (no whole number of macroblocks), 25 fps, 4 s of a
                moving test pattern whose colours turn, Sorenson H.263, key
                frame every second, with an MP3 tone
  screen.flv    160x120, 25 fps, 4 s, Screen Video
  screen2.flv   the same in Screen Video 2
  h264.flv      176x144 like sorenson.flv, H.264 baseline
  tone.mp3      1 s of 440 Hz at 22.05 kHz, mono
  bench-sorenson.flv, bench-h264.flv
                640x360, 25 fps, 2 s at about 600 kbit/s, for bench_media
  *.ref         ffmpeg's own decoding of frames 0, 24, 49, 62 and 99 of each
                video (YUV 4:2:0 planes for the block-transform codecs, BGR rows
                top-down for the screen codecs), zlib-compressed
"""
import os
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FRAMES = [0, 24, 49, 62, 99]
PATTERN = "testsrc=size={size}:rate=25:duration=4,hue=H=2*PI*t/4"


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", *args], check=True, cwd=HERE)


def reference(video, pix_fmt, frame_bytes):
    raw = subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-i", video, "-f", "rawvideo",
                          "-pix_fmt", pix_fmt, "-"], check=True, cwd=HERE, capture_output=True).stdout
    picked = b"".join(raw[i * frame_bytes:(i + 1) * frame_bytes] for i in FRAMES)
    assert len(picked) == frame_bytes * len(FRAMES), video
    with open(os.path.join(HERE, os.path.splitext(video)[0] + ".ref"), "wb") as f:
        f.write(zlib.compress(picked, 9))


def main():
    qcif = PATTERN.format(size="176x144")
    # Video and sound made apart and joined as they are, so the video starts at 0 ms.
    ffmpeg("-f", "lavfi", "-i", PATTERN.format(size="168x120"), "-c:v", "flv", "-q:v", "6", "-g", "25", "video-only.flv")
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=4", "-c:a", "libmp3lame",
           "-ar", "22050", "-ac", "1", "-b:a", "32k", "-write_xing", "0", "tone4.mp3")
    ffmpeg("-i", "video-only.flv", "-i", "tone4.mp3", "-c", "copy", "-map", "0:v", "-map", "1:a", "sorenson.flv")
    for temporary in ("video-only.flv", "tone4.mp3"):
        os.remove(os.path.join(HERE, temporary))
    ffmpeg("-f", "lavfi", "-i", qcif, "-c:v", "libx264", "-profile:v", "baseline", "-pix_fmt", "yuv420p",
           "-g", "25", "-crf", "26", "h264.flv")
    small = "testsrc=size=160x120:rate=25:duration=4"
    ffmpeg("-f", "lavfi", "-i", small, "-c:v", "flashsv", "-g", "25", "screen.flv")
    ffmpeg("-f", "lavfi", "-i", small, "-c:v", "flashsv2", "-g", "25", "screen2.flv")
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=1", "-c:a", "libmp3lame",
           "-ar", "22050", "-ac", "1", "-b:a", "32k", "-write_xing", "0", "tone.mp3")
    wide = "testsrc2=size=640x360:rate=25:duration=2"
    ffmpeg("-f", "lavfi", "-i", wide, "-c:v", "flv", "-b:v", "600k", "-g", "50", "bench-sorenson.flv")
    ffmpeg("-f", "lavfi", "-i", wide, "-c:v", "libx264", "-profile:v", "baseline", "-pix_fmt", "yuv420p",
           "-b:v", "600k", "-g", "50", "bench-h264.flv")
    reference("sorenson.flv", "yuv420p", 168 * 120 * 3 // 2)
    reference("h264.flv", "yuv420p", 176 * 144 * 3 // 2)
    reference("screen.flv", "bgr24", 160 * 120 * 3)
    reference("screen2.flv", "bgr24", 160 * 120 * 3)


if __name__ == "__main__":
    main()
