#!/usr/bin/env python3
"""Writes nomedia.png: the 64 x 64 picture shown where a movie has no
picture (a grey film frame crossed out), RGBA with a transparent surround.
Run once; the result is committed beside it."""
import math
import os
import struct
import zlib

N = 64


def pixel(x, y):
    cx = cy = (N - 1) / 2.0
    d = math.hypot(x - cx, y - cy)
    if d > 30:
        return (0, 0, 0, 0)
    if d > 26 or abs((x - cx) - (y - cy)) < 3.5:
        return (200, 60, 60, 255)          # ring and bar
    if 14 <= x <= 49 and 20 <= y <= 43:
        return (120, 120, 120, 255)        # the film frame
    return (235, 235, 235, 255)


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


if __name__ == '__main__':
    raw = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(N)) for y in range(N))
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', N, N, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'nomedia.png'), 'wb') as f:
        f.write(png)
