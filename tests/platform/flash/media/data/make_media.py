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
  h264-bframes.flv
                176x144, 25 fps, 2 s of a pattern that moves in every frame,
                H.264 main profile with the encoder's default B-frames: the
                pictures are stored out of presentation order, each tag's
                composition offset says when it shows (the first at 80 ms)
  h264-nosize.flv
                160x90 (coded as 160x96, the bottom rows cropped), 25 fps, 2 s,
                H.264 high profile (whose sequence parameters carry the chroma
                format and bit depths before the size) and no onMetaData: the
                size is only in the stream
  tone.mp3      1 s of 440 Hz at 22.05 kHz, mono
  bench-sorenson.flv, bench-h264.flv
                640x360, 25 fps, 2 s at about 600 kbit/s, for bench_media
  bench-screen.flv, bench-screen2.flv
                the same picture in Screen Video 1 and 2 (not kept here:
                bench/video_vs_ffmpeg.sh makes them in a folder of its own)
  *.ref         ffmpeg's own decoding of frames 0, 24, 49, 62 and 99 of each
                video (YUV 4:2:0 planes for the block-transform codecs, BGR rows
                top-down for the screen codecs), zlib-compressed; of
                h264-bframes.flv the frames in BFRAME_FRAMES, of h264-nosize.flv
                frames 0, 24 and 49, both in presentation order

Names on the command line make only those outputs (and their references);
"--into FOLDER" first puts them in another folder.
"""
import os
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = HERE
FRAMES = [0, 24, 49, 62, 99]
# Pictures of h264-bframes.flv around both key frames and at the end, where
# stored and presented order differ most.
BFRAME_FRAMES = [0, 1, 2, 3, 25, 26, 47, 48, 49]
NOSIZE_FRAMES = [0, 24, 49]
PATTERN = "testsrc=size={size}:rate=25:duration=4,hue=H=2*PI*t/4"


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", *args], check=True, cwd=OUT)


def reference(video, pix_fmt, frame_bytes, frames=FRAMES):
    raw = subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-i", video, "-f", "rawvideo",
                          "-pix_fmt", pix_fmt, "-"], check=True, cwd=OUT, capture_output=True).stdout
    picked = b"".join(raw[i * frame_bytes:(i + 1) * frame_bytes] for i in frames)
    assert len(picked) == frame_bytes * len(frames), video
    with open(os.path.join(OUT, os.path.splitext(video)[0] + ".ref"), "wb") as f:
        f.write(zlib.compress(picked, 9))


QCIF = PATTERN.format(size="176x144")
WIDE = "testsrc2=size=640x360:rate=25:duration=2"
SMALL = "testsrc=size=160x120:rate=25:duration=4"
MP3 = ["-c:a", "libmp3lame", "-ar", "22050", "-ac", "1", "-b:a", "32k", "-write_xing", "0"]


def sorenson():
    # Video and sound made apart and joined as they are, so the video starts at 0 ms.
    ffmpeg("-f", "lavfi", "-i", PATTERN.format(size="168x120"), "-c:v", "flv", "-q:v", "6", "-g", "25", "video-only.flv")
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=4", *MP3, "tone4.mp3")
    ffmpeg("-i", "video-only.flv", "-i", "tone4.mp3", "-c", "copy", "-map", "0:v", "-map", "1:a", "sorenson.flv")
    for temporary in ("video-only.flv", "tone4.mp3"):
        os.remove(os.path.join(OUT, temporary))
    reference("sorenson.flv", "yuv420p", 168 * 120 * 3 // 2)


def h264():
    ffmpeg("-f", "lavfi", "-i", QCIF, "-c:v", "libx264", "-profile:v", "baseline", "-pix_fmt", "yuv420p",
           "-g", "25", "-crf", "26", "h264.flv")
    reference("h264.flv", "yuv420p", 176 * 144 * 3 // 2)


def h264_bframes():
    ffmpeg("-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25:duration=2", "-c:v", "libx264", "-profile:v", "main",
           "-pix_fmt", "yuv420p", "-g", "25", "-crf", "26", "h264-bframes.flv")
    reference("h264-bframes.flv", "yuv420p", 176 * 144 * 3 // 2, BFRAME_FRAMES)


def h264_nosize():
    ffmpeg("-f", "lavfi", "-i", PATTERN.format(size="160x90").replace("duration=4", "duration=2"), "-c:v", "libx264",
           "-profile:v", "high", "-pix_fmt", "yuv420p", "-g", "25", "-crf", "26",
           "-flvflags", "no_metadata", "h264-nosize.flv")
    reference("h264-nosize.flv", "yuv420p", 160 * 90 * 3 // 2, NOSIZE_FRAMES)


def screen():
    ffmpeg("-f", "lavfi", "-i", SMALL, "-c:v", "flashsv", "-g", "25", "screen.flv")
    reference("screen.flv", "bgr24", 160 * 120 * 3)


def screen2():
    ffmpeg("-f", "lavfi", "-i", SMALL, "-c:v", "flashsv2", "-g", "25", "screen2.flv")
    reference("screen2.flv", "bgr24", 160 * 120 * 3)


def tone():
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=440:sample_rate=22050:duration=1", *MP3, "tone.mp3")


def bench_sorenson():
    ffmpeg("-f", "lavfi", "-i", WIDE, "-c:v", "flv", "-b:v", "600k", "-g", "50", "bench-sorenson.flv")


def bench_h264():
    ffmpeg("-f", "lavfi", "-i", WIDE, "-c:v", "libx264", "-profile:v", "baseline", "-pix_fmt", "yuv420p",
           "-b:v", "600k", "-g", "50", "bench-h264.flv")


def bench_screen():
    ffmpeg("-f", "lavfi", "-i", WIDE, "-c:v", "flashsv", "-g", "50", "bench-screen.flv")


def bench_screen2():
    ffmpeg("-f", "lavfi", "-i", WIDE, "-c:v", "flashsv2", "-g", "50", "bench-screen2.flv")


MAKERS = {"sorenson.flv": sorenson, "h264.flv": h264, "h264-bframes.flv": h264_bframes,
          "h264-nosize.flv": h264_nosize, "screen.flv": screen, "screen2.flv": screen2, "tone.mp3": tone,
          "bench-sorenson.flv": bench_sorenson, "bench-h264.flv": bench_h264}
# Made only when named.
ELSEWHERE = {"bench-screen.flv": bench_screen, "bench-screen2.flv": bench_screen2}


def main(args):
    global OUT
    if args[:1] == ["--into"]:
        OUT = os.path.abspath(args[1])
        os.makedirs(OUT, exist_ok=True)
        args = args[2:]
    makers = [{**MAKERS, **ELSEWHERE}[n] for n in args] if args else list(dict.fromkeys(MAKERS.values()))
    for make in dict.fromkeys(makers):
        make()


if __name__ == "__main__":
    main(sys.argv[1:])
