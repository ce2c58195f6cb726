#!/usr/bin/env python3
"""Draws the menu icons of the owner-drawn menus as 16 x 16 32-bit PNG files
beside this script: "file", "view", "pause", "search", "system", "help",
"open", "save", "info", "cleanup", "exit", "favorite", "screensaver", "web",
"skin", "about" and "delete" (the marks and "play" come from
Images/make_pictures.py, whose drawing helpers this script uses). Run once;
the results are committed."""
import math, os, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'Images'))
from make_pictures import box, disc, layers, polygon, ring, thick_line, vertical, write_png  # noqa: E402

WHITE = (255, 255, 255)
INK = (45, 55, 75)


def both(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def rounded(x0, y0, x1, y1, r):
    return both(box(x0 + r, y0, x1 - r, y1), box(x0, y0 + r, x1, y1 - r), disc(x0 + r, y0 + r, r),
                disc(x1 - r, y0 + r, r), disc(x0 + r, y1 - r, r), disc(x1 - r, y1 - r, r))


def badge(top, bottom):
    """A round badge filling the icon, shaded from top to bottom."""
    return [(disc(8, 8, 7.5), vertical(top, bottom, 0, 16))]


def page(folded=True):
    outline = polygon([(2.5, 0.5), (10, 0.5), (13.5, 4), (13.5, 15.5), (2.5, 15.5)])
    inner = polygon([(3.5, 1.5), (9.5, 1.5), (12.5, 4.5), (12.5, 14.5), (3.5, 14.5)])
    items = [(outline, (110, 120, 140)), (inner, vertical(WHITE, (225, 232, 242), 1, 15))]
    if folded:
        items.append((polygon([(9.5, 1.5), (9.5, 4.5), (12.5, 4.5)]), (170, 180, 200)))
    return items


def gear(cx, cy, r, colour):
    teeth = [(thick_line([(cx + (r - 1) * math.cos(a), cy + (r - 1) * math.sin(a)),
                          (cx + (r + 1.5) * math.cos(a), cy + (r + 1.5) * math.sin(a))], 2.6), colour)
             for a in [i * math.pi / 4 for i in range(8)]]
    return teeth + [(minus(disc(cx, cy, r), disc(cx, cy, r * 0.42)), colour)]


def star(cx, cy, outer, inner):
    points = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = outer if i % 2 == 0 else inner
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(points)


def icons():
    blue = ((110, 170, 245), (25, 85, 185))
    red = ((245, 110, 100), (175, 25, 30))
    folder_back = polygon([(0.5, 3), (5.5, 3), (7, 4.5), (14.5, 4.5), (14.5, 14), (0.5, 14)])
    return {
        'file': page() + [(box(5, 7, 11, 8), (150, 160, 180)), (box(5, 9.5, 11, 10.5), (150, 160, 180)),
                          (box(5, 12, 9, 13), (150, 160, 180))],
        'view': [(polygon([(0.5, 8), (4, 4), (8, 2.8), (12, 4), (15.5, 8), (12, 12), (8, 13.2), (4, 12)]), INK),
                 (polygon([(2, 8), (5, 5), (8, 4.2), (11, 5), (14, 8), (11, 11), (8, 11.8), (5, 11)]), WHITE),
                 (disc(8, 8, 3.3), vertical((90, 160, 240), (20, 70, 170), 5, 11)), (disc(8, 8, 1.4), INK),
                 (disc(7, 6.8, 0.8), WHITE)],
        'pause': badge((250, 200, 90), (210, 130, 20)) + [(box(5, 4, 7.2, 12), WHITE), (box(8.8, 4, 11, 12), WHITE)],
        'search': [(ring(6.5, 6.5, 3.6, 5.6), (70, 80, 100)), (disc(6.5, 6.5, 3.6), (200, 225, 250)),
                   (thick_line([(10.5, 10.5), (14.5, 14.5)], 3), (120, 80, 40))],
        'system': gear(8, 8, 5, (105, 110, 125)),
        'help': badge(*blue) + [(thick_line([(5.6, 6.2), (6.4, 4.4), (8, 3.8), (9.8, 4.4), (10.5, 6), (8, 8.4),
                                             (8, 10)], 2), WHITE), (disc(8, 12.4, 1.2), WHITE)],
        'open': [(folder_back, (200, 150, 40)),
                 (polygon([(3, 7), (15.5, 7), (13.5, 14), (0.5, 14)]), vertical((255, 225, 130), (230, 170, 50), 7, 14))],
        'save': [(rounded(1, 1, 15, 15, 1.5), (40, 70, 140)), (box(4, 1.5, 12, 6.5), (225, 230, 240)),
                 (box(9.5, 2.5, 11, 5.5), (40, 70, 140)), (box(3.5, 9, 12.5, 14.5), WHITE),
                 (box(5, 10.5, 11, 11.2), (170, 180, 200)), (box(5, 12.3, 11, 13), (170, 180, 200))],
        'info': badge(*blue) + [(disc(8, 4.6, 1.3), WHITE), (box(6.9, 6.8, 9.1, 12.5), WHITE)],
        'cleanup': [(thick_line([(13.5, 1.5), (8, 8)], 1.8), (140, 90, 40)),
                    (polygon([(6.5, 6.5), (10, 9.5), (7, 15.5), (1, 15.5), (1.5, 11)]),
                     vertical((250, 215, 110), (215, 160, 40), 6, 16)),
                    (thick_line([(4, 15), (5.5, 11.5)], 0.8), (180, 120, 30)),
                    (thick_line([(6.5, 15), (7.5, 12)], 0.8), (180, 120, 30))],
        'exit': [(box(2, 1, 10, 15), (120, 80, 50)), (box(3, 2, 9, 14), (190, 140, 90)), (disc(7.5, 8.5, 0.7), INK),
                 (thick_line([(8, 8), (13.5, 8)], 2.2), (200, 40, 40)),
                 (polygon([(11.5, 4.8), (15.5, 8), (11.5, 11.2)]), (200, 40, 40))],
        'favorite': [(star(8, 8.5, 7.5, 3.2), (190, 130, 10)), (star(8, 8.5, 6.2, 2.5), vertical((255, 235, 120), (245, 180, 30), 2, 14))],
        'screensaver': [(box(0.5, 1.5, 15.5, 12), (70, 75, 90)), (box(1.5, 2.5, 14.5, 11), vertical((30, 40, 110), (70, 30, 120), 2, 11)),
                        (star(5, 5.5, 2, 0.8), (255, 240, 150)), (star(11, 8, 1.6, 0.6), WHITE),
                        (disc(9, 4.5, 0.6), WHITE), (box(6, 12, 10, 13.5), (70, 75, 90)), (box(4, 13.5, 12, 15), (70, 75, 90))],
        'web': [(disc(8, 8, 7.5), vertical((120, 190, 250), (30, 100, 200), 0, 16)),
                (ring(8, 8, 6.6, 7.5), (20, 70, 150)),
                (both(box(7.4, 0.5, 8.6, 15.5), box(0.5, 7.4, 15.5, 8.6)), (230, 245, 255)),
                (lambda x, y: abs(((x - 8) / 3.4) ** 2 + ((y - 8) / 7.2) ** 2 - 1) < 0.16, (230, 245, 255)),
                (box(2, 4, 14, 4.8), (230, 245, 255)), (box(2, 11.2, 14, 12), (230, 245, 255))],
        'skin': [(polygon([(1, 9), (3, 4), (8, 1.5), (13, 3), (15, 7), (13.5, 11), (10, 11), (9, 14), (5, 15), (1.5, 13)]),
                  (175, 135, 85)),
                 (polygon([(2, 9), (3.8, 4.8), (8, 2.6), (12.4, 3.8), (14, 7), (12.8, 10), (9.5, 10), (8.2, 13), (5, 14),
                           (2.5, 12.4)]), (230, 195, 140)),
                 (disc(5, 7.5, 1.4), (210, 40, 40)), (disc(7.5, 4.5, 1.4), (40, 160, 60)),
                 (disc(11, 5, 1.4), (40, 90, 210)), (disc(12, 8.3, 1.2), (245, 200, 30)), (disc(5.5, 11.3, 1.4), WHITE)],
        'about': badge((150, 210, 150), (30, 130, 50)) + [(star(8, 8.3, 5.5, 2.3), WHITE)],
        'delete': [(thick_line([(3.5, 3.5), (12.5, 12.5)], 3.2), red[1]), (thick_line([(12.5, 3.5), (3.5, 12.5)], 3.2), red[1]),
                   (thick_line([(3.8, 3.8), (12.2, 12.2)], 1.6), red[0]), (thick_line([(12.2, 3.8), (3.8, 12.2)], 1.6), red[0])],
    }


def main():
    for name, items in icons().items():
        write_png(os.path.join(HERE, name + '.png'), 16, 16, layers(*items))


if __name__ == '__main__':
    main()
