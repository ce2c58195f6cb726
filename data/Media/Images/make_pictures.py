#!/usr/bin/env python3
"""Draws the interface pictures of the program as 32-bit PNG files.

Menus folder (16 x 16): the check and radio marks drawn when the visual style
has none ("check1", "check0", "radio1", "radio0") and "play", the mark of the
playing playlist row. Images folder: the dialog header pictures ("info",
"question", "edit", 48 x 48), the slide bar and window pictures ("swf",
"system", "image", "folder", 48 x 48), the desktop preview's "icons" column,
the "link" mark and the thumbnail "shadow"; the tool windows' pictures ("run",
"view", "cubes", "favorite", "update", 48 x 48) and the program's logo "swfzel"
(48 x 48) of the first-run window. Run once; the results are
committed beside this script ("nomedia" is drawn by a script of its own)."""
import math, os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
MENUS = os.path.join(HERE, '..', 'Menus')


def write_png(path, w, h, pixel):
    """pixel(x, y) -> (r, g, b, a), top-down."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            raw.extend(bytes(max(0, min(255, int(round(v)))) for v in pixel(x, y)))
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def coverage(inside, x, y, n=4):
    """Fraction of the pixel (x, y) inside a shape, sampled n x n."""
    hits = sum(inside(x + (i + 0.5) / n, y + (j + 0.5) / n) for i in range(n) for j in range(n))
    return hits / (n * n)


def layers(*items):
    """Composes (inside, colour) layers, first at the back, into a pixel function."""
    def pixel(x, y):
        r = g = b = a = 0.0
        for inside, colour in items:
            c = coverage(inside, x, y)
            if c <= 0:
                continue
            cr, cg, cb = colour(x, y) if callable(colour) else colour
            r, g, b = (r * a * (1 - c) + cr * c) , (g * a * (1 - c) + cg * c), (b * a * (1 - c) + cb * c)
            na = a + c * (1 - a)
            if na > 0:
                r, g, b = r / na, g / na, b / na
            a = na
        return (r, g, b, a * 255)
    return pixel


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
            if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
        return hit
    return inside


def thick_line(points, width):
    def inside(x, y):
        for (x0, y0), (x1, y1) in zip(points, points[1:]):
            dx, dy = x1 - x0, y1 - y0
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
            if (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= (width / 2) ** 2:
                return True
        return False
    return inside


def vertical(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def main():
    os.makedirs(MENUS, exist_ok=True)
    frame, face, mark = (90, 110, 140), (255, 255, 255), (30, 60, 120)
    tick = thick_line([(4.0, 8.5), (6.8, 11.5), (12.0, 4.5)], 2.2)
    square = lambda inset: box(1 + inset, 1 + inset, 15 - inset, 15 - inset)
    write_png(os.path.join(MENUS, 'check1.png'), 16, 16,
              layers((square(0), frame), (square(1), vertical(face, (220, 228, 240), 2, 14)), (tick, mark)))
    write_png(os.path.join(MENUS, 'check0.png'), 16, 16,
              layers((square(0), frame), (square(1), vertical(face, (220, 228, 240), 2, 14))))
    write_png(os.path.join(MENUS, 'radio1.png'), 16, 16,
              layers((disc(8, 8, 6.5), frame), (disc(8, 8, 5.5), vertical(face, (220, 228, 240), 2, 14)),
                     (disc(8, 8, 2.8), mark)))
    write_png(os.path.join(MENUS, 'radio0.png'), 16, 16,
              layers((disc(8, 8, 6.5), frame), (disc(8, 8, 5.5), vertical(face, (220, 228, 240), 2, 14))))
    write_png(os.path.join(MENUS, 'play.png'), 16, 16,
              layers((disc(8, 8, 7.5), vertical((90, 200, 90), (20, 120, 30), 0, 16)),
                     (polygon([(6, 4), (12.5, 8), (6, 12)]), (255, 255, 255))))

    # Dialog headers and window pictures, 48 x 48, on a rounded tile.
    def tile(top, bottom):
        rounded = lambda x, y: (box(4, 8, 44, 40)(x, y) or box(8, 4, 40, 44)(x, y) or disc(8, 8, 4)(x, y)
                                or disc(40, 8, 4)(x, y) or disc(8, 40, 4)(x, y) or disc(40, 40, 4)(x, y))
        return (rounded, vertical(top, bottom, 4, 44))
    white = (255, 255, 255)
    pictures = {
        'info': [tile((90, 160, 240), (20, 80, 180)), (disc(24, 15, 3.5), white), (box(20.5, 21, 27.5, 37), white)],
        'question': [tile((120, 200, 120), (30, 120, 40)),
                     (thick_line([(17, 17), (19, 12), (24, 10), (29, 12), (31, 17), (24, 23), (24, 28)], 4.5), white),
                     (disc(24, 35, 3), white)],
        'edit': [tile((250, 200, 90), (200, 120, 20)),
                 (thick_line([(14, 34), (32, 16)], 7), white), (polygon([(10.5, 37.5), (12, 31), (17, 36)]), white),
                 (box(12, 38, 36, 40), white)],
        'swf': [tile((230, 60, 60), (150, 10, 20)),
                (thick_line([(31, 14), (26, 14), (22, 18), (22, 34), (18, 38), (14, 38)], 4.5), white),
                (thick_line([(17, 24), (30, 24)], 4.5), white)],
        'system': [tile((160, 160, 170), (80, 80, 95)), (ring(24, 24, 6, 13), white),
                   *[(thick_line([(24 + 11 * math.cos(a), 24 + 11 * math.sin(a)),
                                  (24 + 16 * math.cos(a), 24 + 16 * math.sin(a))], 5), white)
                     for a in [i * math.pi / 4 for i in range(8)]]],
        'image': [tile((120, 190, 250), (40, 110, 200)), (polygon([(8, 38), (20, 22), (28, 32), (33, 27), (41, 38)]), white),
                  (disc(33, 16, 4), (255, 230, 120))],
        'folder': [(polygon([(5, 12), (18, 12), (22, 16), (43, 16), (43, 40), (5, 40)]), vertical((250, 220, 120), (220, 160, 40), 12, 40)),
                   (box(5, 20, 43, 21), (200, 140, 30))],
    }
    for name, items in pictures.items():
        write_png(os.path.join(HERE, name + '.png'), 48, 48, layers(*items))

    # A column of small desktop icons for the desktop preview.
    icon_items = []
    for i, colour in enumerate([(60, 130, 220), (240, 190, 60), (90, 170, 90), (200, 80, 80)]):
        top = 6 + i * 22
        icon_items.append((box(8, top, 24, top + 14), colour))
        icon_items.append((box(6, top + 16, 26, top + 18), (255, 255, 255)))
    write_png(os.path.join(HERE, 'icons.png'), 32, 96, layers(*icon_items))

    # The shortcut mark: a white box with a curved arrow.
    write_png(os.path.join(HERE, 'link.png'), 16, 16,
              layers((box(0, 0, 16, 16), (40, 40, 40)), (box(1, 1, 15, 15), white),
                     (thick_line([(4, 12), (5, 8), (8, 6), (11, 6)], 2.2), (20, 70, 200)),
                     (polygon([(10, 2.5), (14.5, 6), (10, 9.5)]), (20, 70, 200))))

    # A soft shadow for a 96 x 72 thumbnail drawn 8 pixels right of and 4 below
    # the shadow's own corner: darkest under the picture, fading out at the rim.
    sw, sh = 112, 84
    def shadow(x, y):
        dx = max(0, 6 - x, x - (sw - 7))
        dy = max(0, 6 - y, y - (sh - 7))
        d = math.hypot(dx, dy)
        return (0, 0, 0, max(0.0, 1 - d / 6.5) ** 2 * 110)
    write_png(os.path.join(HERE, 'shadow.png'), sw, sh, shadow)

    tool_pictures(tile, white)


def arc(cx, cy, r0, r1, a0, a1):
    """A ring sector from angle a0 to a1 (radians, y downwards, a0 < a1)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r0 * r0 <= d2 <= r1 * r1:
            return False
        a = math.atan2(y - cy, x - cx)
        while a < a0:
            a += 2 * math.pi
        return a <= a1
    return inside


def tool_pictures(tile, white):
    """The tool windows' pictures: the options pages "run" (start up and exit)
    and "view" (appearance), the generator's "cubes", the favourites'
    "favorite", the update check's "update", and the logo "swfzel"."""
    dark = (40, 40, 60)
    star = [(24 + (21 if i % 2 == 0 else 9) * math.cos(-math.pi / 2 + i * math.pi / 5),
             25 + (21 if i % 2 == 0 else 9) * math.sin(-math.pi / 2 + i * math.pi / 5)) for i in range(10)]
    star_in = [(24 + (17.5 if i % 2 == 0 else 7) * math.cos(-math.pi / 2 + i * math.pi / 5),
                26 + (17.5 if i % 2 == 0 else 7) * math.sin(-math.pi / 2 + i * math.pi / 5)) for i in range(10)]

    def cube(x, y, s, top, left, right):
        """An upright cube seen from above-left: its top, left and right faces."""
        h = s / 2.0
        return [(polygon([(x, y), (x + s, y - h), (x + 2 * s, y), (x + s, y + h)]), top),
                (polygon([(x, y), (x + s, y + h), (x + s, y + h + s), (x, y + s)]), left),
                (polygon([(x + s, y + h), (x + 2 * s, y), (x + 2 * s, y + s), (x + s, y + h + s)]), right)]

    pictures = {
        # A power switch: a ring open at the top and its bar.
        'run': [tile((110, 210, 110), (20, 130, 50)), (arc(24, 25, 9.5, 14, -math.pi / 2 + 0.6, 3 * math.pi / 2 - 0.6), white),
                (thick_line([(24, 9), (24, 24)], 4.5), white)],
        # An eye.
        'view': [tile((200, 140, 240), (110, 50, 170)),
                 (lambda x, y: (abs(y - 24) <= 11 * (1 - ((x - 24) / 17.0) ** 2) if abs(x - 24) < 17 else False), white),
                 (disc(24, 24, 7), (60, 110, 200)), (disc(24, 24, 3.2), dark), (disc(26, 21.5, 1.6), white)],
        # Three stacked cubes.
        'cubes': (cube(4, 26, 10, (250, 200, 90), (220, 150, 40), (180, 110, 20)) +
                  cube(24, 26, 10, (120, 190, 250), (60, 130, 220), (30, 90, 180)) +
                  cube(14, 11, 10, (140, 220, 130), (80, 170, 80), (40, 130, 50))),
        # A star.
        'favorite': [(polygon(star), (200, 130, 10)), (polygon(star_in), vertical((255, 240, 140), (250, 190, 40), 8, 40))],
        # Two arrows chasing each other round.
        'update': [tile((90, 180, 250), (20, 90, 200)),
                   (arc(24, 24, 9, 13.5, math.pi + 0.35, 2 * math.pi - 0.2), white),
                   (polygon([(31, 14), (41, 19), (34, 27)]), white),
                   (arc(24, 24, 9, 13.5, 0.35, math.pi - 0.2), white),
                   (polygon([(17, 34), (7, 29), (14, 21)]), white)],
        # The logo: a bold "Z" on the movie red, with a play mark.
        'swfzel': [tile((240, 90, 60), (160, 20, 30)),
                   (thick_line([(13, 13), (34, 13), (14, 35), (35, 35)], 6), white),
                   (polygon([(30, 20), (40, 25), (30, 30)]), (255, 220, 120))],
    }
    for name, items in pictures.items():
        write_png(os.path.join(HERE, name + '.png'), 48, 48, layers(*items))


if __name__ == '__main__':
    main()
