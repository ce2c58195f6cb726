#!/usr/bin/env python3
"""Writes the program's four icons (32x32 and 16x16, 32-bit) as .ico files.

1 movie/program, 2 playlist, 3 video, 4 projector. Run once; the results are
committed next to this script."""
import struct, os

def shape(kind, x, y, n):
    # Returns (r, g, b, a) for pixel x, y (top-down) of an n x n icon.
    c = n / 2.0
    inside = 1 <= x < n - 1 and 1 <= y < n - 1
    if not inside:
        return (0, 0, 0, 0)
    base = {1: (200, 40, 40), 2: (40, 120, 200), 3: (40, 160, 80), 4: (120, 80, 160)}[kind]
    r, g, b = base
    # a white glyph: "f" bar for movies, lines for playlists, triangle for video, box for projector
    fx, fy = x / n, y / n
    white = False
    if kind == 1:
        white = (0.35 <= fx <= 0.5 and 0.2 <= fy <= 0.8) or (0.35 <= fx <= 0.7 and (0.2 <= fy <= 0.32 or 0.45 <= fy <= 0.55))
    elif kind == 2:
        white = 0.2 <= fx <= 0.8 and any(abs(fy - t) < 0.05 for t in (0.3, 0.5, 0.7))
    elif kind == 3:
        white = 0.3 <= fx <= 0.75 and abs(fy - 0.5) <= (0.75 - fx) * 0.8
    else:
        white = 0.25 <= fx <= 0.75 and 0.25 <= fy <= 0.75 and not (0.35 < fx < 0.65 and 0.4 < fy < 0.65)
    if white:
        return (255, 255, 255, 255)
    return (r, g, b, 255)

def image(kind, n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        for x in range(n):
            r, g, b, a = shape(kind, x, y, n)
            rows.append(struct.pack('<BBBB', b, g, r, a))
    pixels = b''.join(rows)
    mask_stride = ((n + 31) // 32) * 4
    mask = b'\0' * (mask_stride * n)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask

def ico(kind):
    sizes = [32, 16]
    imgs = [image(kind, n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, imgs):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(imgs)

here = os.path.dirname(os.path.abspath(__file__))
for kind, name in ((1, 'movie'), (2, 'playlist'), (3, 'video'), (4, 'projector')):
    with open(os.path.join(here, name + '.ico'), 'wb') as f:
        f.write(ico(kind))
