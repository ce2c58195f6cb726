#!/usr/bin/env python3
"""Draws the media browser page's pictures as 32-bit PNG files.

Skin folder: the thumbnail shadow pieces, tiled around each thumbnail:
"sh123" (the row above, 160 x 4), "sh4" (the left side, 4 x 160), "sh6"
(the right side) and "sh789" (the row below), cut to the picture's size; the light comes from
the top left, so the right and bottom pieces are darker. Images folder:
"overlay" (24 x 24), the play badge drawn over a thumbnail set from a frame,
and the page buttons' pictures (16 x 16): "browse_up", "browse_goto",
"browse_refresh", "browse_open", "browse_help" and "browse_web". Run once;
the results are committed beside this script."""
import math
import os

from make_pictures import write_png, coverage

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN = os.path.join(HERE, '..', 'Skin')


def shadow(alpha_of):
    return lambda x, y: (0, 0, 0, alpha_of(x, y))


def main():
    # Shadows: alpha falls off away from the picture edge.
    write_png(os.path.join(SKIN, 'sh123.png'), 160, 4, shadow(lambda x, y: 14 + 14 * y))
    write_png(os.path.join(SKIN, 'sh4.png'), 4, 160, shadow(lambda x, y: 14 + 14 * x))
    write_png(os.path.join(SKIN, 'sh6.png'), 4, 160, shadow(lambda x, y: 110 - 26 * x))
    write_png(os.path.join(SKIN, 'sh789.png'), 160, 4, shadow(lambda x, y: 110 - 26 * y))

    # The play badge: a dark disc with a white triangle.
    def overlay(x, y):
        disc = coverage(lambda u, v: (u - 12) ** 2 + (v - 12) ** 2 <= 10.5 ** 2, x, y)
        tri = coverage(lambda u, v: u >= 9 and u <= 18 and abs(v - 12) <= (18 - u) * 0.62, x, y)
        if tri > 0:
            g = 255 * tri + 30 * (1 - tri)
            return (g, g, g, 230 * disc)
        return (30, 30, 40, 200 * disc)
    write_png(os.path.join(HERE, 'overlay.png'), 24, 24, overlay)

    blue = (40, 90, 190)
    green = (30, 140, 60)
    amber = (210, 150, 30)

    def shape(inside, colour):
        return lambda x, y: colour + (255 * coverage(inside, x, y),)

    # Up: an arrow pointing up.
    up = lambda u, v: (v >= 2 and v <= 8 and abs(u - 8) <= (v - 2)) or (6 <= u <= 10 and 8 <= v <= 14)
    write_png(os.path.join(HERE, 'browse_up.png'), 16, 16, shape(up, green))
    # Go To: a closed folder.
    folder = lambda u, v: (2 <= u <= 14 and 5 <= v <= 13) or (2 <= u <= 7 and 3 <= v <= 5)
    write_png(os.path.join(HERE, 'browse_goto.png'), 16, 16, shape(folder, amber))
    # Refresh: a ring with a gap and a head.
    def refresh(u, v):
        r = math.hypot(u - 8, v - 8)
        a = math.degrees(math.atan2(v - 8, u - 8)) % 360
        ring = 3.5 <= r <= 6 and not (300 <= a <= 350)
        head = 10 <= u <= 15 and 1 <= v <= 6 and (u - 10) + (6 - v) <= 5
        return ring or head
    write_png(os.path.join(HERE, 'browse_refresh.png'), 16, 16, shape(refresh, green))
    # Open: an open folder, its front leaning.
    open_ = lambda u, v: (2 <= u <= 7 and 3 <= v <= 5) or (2 <= u <= 12 and 5 <= v <= 13 and u >= 2 + (v - 5) * 0.0) \
        and not (v >= 8 and u < 2 + (13 - v) * 0.5)
    write_png(os.path.join(HERE, 'browse_open.png'), 16, 16, shape(open_, amber))
    # Help: a blue disc with a white question mark.
    def help_(x, y):
        disc = coverage(lambda u, v: (u - 8) ** 2 + (v - 8) ** 2 <= 7.5 ** 2, x, y)
        mark = coverage(lambda u, v: (abs(math.hypot(u - 8, v - 6.2) - 2.6) <= 0.9 and not (v > 6.2 and u < 8))
                        or (7.2 <= u <= 8.8 and 8.4 <= v <= 10.2) or (7.2 <= u <= 8.8 and 11.4 <= v <= 13), x, y)
        g = 255 * mark
        return (blue[0] * (1 - mark) + g, blue[1] * (1 - mark) + g, blue[2] * (1 - mark) + g, 255 * disc)
    write_png(os.path.join(HERE, 'browse_help.png'), 16, 16, help_)
    # Web: a globe with meridian and parallels.
    def web(u, v):
        r = math.hypot(u - 8, v - 8)
        if r > 7: return False
        return r >= 6 or abs(u - 8) <= 0.6 or abs(v - 8) <= 0.6 or abs(math.hypot((u - 8) * 2.2, v - 8) - 6.5) <= 0.8
    write_png(os.path.join(HERE, 'browse_web.png'), 16, 16, shape(web, blue))


if __name__ == '__main__':
    main()
