#!/usr/bin/env python3
"""Draws the built-in skin's shape templates (greyscale BMP masks: the blue
byte of a pixel is its opacity) and its button icons (RGBA PNG: a white glyph
over a soft dark shadow) into this folder. Run it again after changing a shape;
the skin generator renders the skin's pictures from these files."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # samples per pixel side


def coverage(w, h, inside):
    """Fraction of each pixel's samples for which inside(x, y) holds."""
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            n = 0
            for sy in range(SS):
                for sx in range(SS):
                    if inside(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS):
                        n += 1
            row.append(n / (SS * SS))
        rows.append(row)
    return rows


def write_bmp(name, grey):
    h, w = len(grey), len(grey[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for v in grey[y]:
            b = max(0, min(255, int(round(v))))
            line += bytes((b, b, b))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + data)


def write_png(name, rgba):
    h, w = len(rgba), len(rgba[0])
    raw = bytearray()
    for row in rgba:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(png)


# ---- shape templates ----

def disc(size):
    r = size / 2.0
    cov = coverage(size, size, lambda x, y: (x - r) ** 2 + (y - r) ** 2 <= r * r)
    return [[255 * c for c in row] for row in cov]


def gloss(size):
    """A highlight over the upper part of a round button, fading downwards."""
    r = size / 2.0
    cy, ry, rx = size * 0.36, size * 0.30, size * 0.36
    cov = coverage(size, size, lambda x, y: ((x - r) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1)
    out = []
    for y, row in enumerate(cov):
        fade = max(0.0, 1.0 - (y + 0.5 - (cy - ry)) / (2 * ry))
        out.append([c * 200 * fade ** 1.4 for c in row])
    return out


def band_end(width, height, top):
    """The light rounded end of the side band: bright at the end, fading inwards."""
    out = []
    radius = 8.0
    def inside(x, y):
        yy = y if top else height - y
        if yy < radius:
            cx = min(max(x, radius), width - radius)
            return (x - cx) ** 2 + (yy - radius) ** 2 <= radius * radius
        return True
    cov = coverage(width, height, inside)
    for y, row in enumerate(cov):
        d = (y + 0.5) / height if top else (height - y - 0.5) / height
        strength = (170 if top else 110) * (1 - d) ** 1.5
        out.append([c * strength for c in row])
    return out


# ---- icons ----

def in_poly(pts):
    def inside(x, y):
        c = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def in_rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def in_seg(x0, y0, x1, y1, width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def in_arc(cx, cy, radius, width, a0, a1):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        a = math.degrees(math.atan2(y - cy, x - cx))
        return abs(d - radius) <= width / 2 and a0 <= a <= a1
    return inside


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def glyph(u):
    """Shapes on a unit square (0..1) for an icon of side s, scaled at draw time."""
    return {
        "play": in_poly([(0.28, 0.14), (0.86, 0.5), (0.28, 0.86)]),
        "pause": union(in_rect(0.22, 0.16, 0.42, 0.84), in_rect(0.58, 0.16, 0.78, 0.84)),
        "prev": union(in_rect(0.12, 0.18, 0.24, 0.82), in_poly([(0.56, 0.18), (0.24, 0.5), (0.56, 0.82)]),
                      in_poly([(0.9, 0.18), (0.58, 0.5), (0.9, 0.82)])),
        "next": union(in_rect(0.76, 0.18, 0.88, 0.82), in_poly([(0.44, 0.18), (0.76, 0.5), (0.44, 0.82)]),
                      in_poly([(0.1, 0.18), (0.42, 0.5), (0.1, 0.82)])),
        "up": union(in_poly([(0.5, 0.1), (0.88, 0.5), (0.64, 0.5), (0.64, 0.88), (0.36, 0.88), (0.36, 0.5),
                             (0.12, 0.5)])),
        "back": in_poly([(0.1, 0.5), (0.5, 0.14), (0.5, 0.36), (0.9, 0.36), (0.9, 0.64), (0.5, 0.64), (0.5, 0.86)]),
        "forward": in_poly([(0.9, 0.5), (0.5, 0.14), (0.5, 0.36), (0.1, 0.36), (0.1, 0.64), (0.5, 0.64),
                            (0.5, 0.86)]),
        "browse": union(in_rect(0.12, 0.12, 0.44, 0.44), in_rect(0.56, 0.12, 0.88, 0.44),
                        in_rect(0.12, 0.56, 0.44, 0.88), in_rect(0.56, 0.56, 0.88, 0.88)),
        "mute": union(in_poly([(0.08, 0.36), (0.26, 0.36), (0.5, 0.14), (0.5, 0.86), (0.26, 0.64), (0.08, 0.64)]),
                      in_arc(0.5, 0.5, 0.2, 0.1, -55, 55), in_arc(0.5, 0.5, 0.38, 0.1, -55, 55)),
        "sound": union(in_poly([(0.08, 0.36), (0.26, 0.36), (0.5, 0.14), (0.5, 0.86), (0.26, 0.64), (0.08, 0.64)]),
                       in_seg(0.62, 0.34, 0.92, 0.66, 0.12), in_seg(0.62, 0.66, 0.92, 0.34, 0.12)),
        "open": union(in_poly([(0.5, 0.14), (0.88, 0.56), (0.12, 0.56)]), in_rect(0.12, 0.68, 0.88, 0.84)),
        "fs": union(in_rect(0.1, 0.1, 0.4, 0.2), in_rect(0.1, 0.1, 0.2, 0.4), in_rect(0.6, 0.1, 0.9, 0.2),
                    in_rect(0.8, 0.1, 0.9, 0.4), in_rect(0.1, 0.8, 0.4, 0.9), in_rect(0.1, 0.6, 0.2, 0.9),
                    in_rect(0.6, 0.8, 0.9, 0.9), in_rect(0.8, 0.6, 0.9, 0.9)),
        "pl": union(in_rect(0.12, 0.18, 0.26, 0.3), in_rect(0.34, 0.18, 0.88, 0.3),
                    in_rect(0.12, 0.44, 0.26, 0.56), in_rect(0.34, 0.44, 0.88, 0.56),
                    in_rect(0.12, 0.7, 0.26, 0.82), in_rect(0.34, 0.7, 0.88, 0.82)),
        "add": union(in_rect(0.42, 0.14, 0.58, 0.86), in_rect(0.14, 0.42, 0.86, 0.58)),
        "remove": in_rect(0.14, 0.42, 0.86, 0.58),
        "moveup": in_poly([(0.5, 0.2), (0.86, 0.74), (0.14, 0.74)]),
        "movedown": in_poly([(0.14, 0.26), (0.86, 0.26), (0.5, 0.8)]),
        "tip": union(minus(in_circle(0.5, 0.5, 0.42), in_circle(0.5, 0.5, 0.31)),
                     in_circle(0.5, 0.3, 0.07), in_rect(0.44, 0.42, 0.56, 0.74)),
    }[u]


def icon(name, size):
    shape = glyph(name)
    scaled = lambda x, y: shape(x / size, y / size)
    body = coverage(size, size, scaled)
    shadow = coverage(size, size, lambda x, y: scaled(x - 1, y - 1))
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            a_fg, a_sh = body[y][x], shadow[y][x] * 0.55
            a = a_fg + a_sh * (1 - a_fg)
            if a <= 0:
                row.append((0, 0, 0, 0))
                continue
            c = int(round(255 * a_fg / a))  # white over black, straight alpha
            row.append((c, c, c, int(round(255 * a))))
        out.append(row)
    return out


def main():
    for size in (40, 26, 38, 24):
        write_bmp("round%d.bmp" % size, disc(size))
    for size in (40, 26):
        write_bmp("curve%d.bmp" % size, gloss(size))
    write_bmp("sidetop.bmp", band_end(34, 16, True))
    write_bmp("sidebot.bmp", band_end(34, 16, False))
    big = {"play", "pause", "up", "browse"}
    for name in ("play", "pause", "prev", "next", "up", "back", "forward", "browse", "mute", "sound", "open", "fs",
                 "pl", "add", "remove", "moveup", "movedown", "tip"):
        write_png(name + ".png", icon(name, 20 if name in big else 14))


if __name__ == "__main__":
    main()
