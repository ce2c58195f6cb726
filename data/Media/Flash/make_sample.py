#!/usr/bin/env python3
"""Writes sample.swf, the movie that ships with the program: 550 x 400 pixels,
24 frames per second, one frame, a blue-grey background, an orange rectangle and
a metadata title and description. Run it from this folder to rebuild the file."""
import struct


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, n):
        for i in range(n - 1, -1, -1):
            self.bits.append((value >> i) & 1)

    def signed(self, value, n):
        self.put(value & ((1 << n) - 1), n)

    def bytes(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def nbits(*values):
    n = 1
    while any(v >= (1 << (n - 1)) or v < -(1 << (n - 1)) for v in values):
        n += 1
    return n


def rect(xmin, xmax, ymin, ymax):
    n = nbits(xmin, xmax, ymin, ymax)
    b = Bits()
    b.put(n, 5)
    for v in (xmin, xmax, ymin, ymax):
        b.signed(v, n)
    return b.bytes()


def tag(code, body, long_header=False):
    if len(body) < 63 and not long_header:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 63, len(body)) + body


def shape(shape_id, x0, y0, x1, y1, rgb):
    """DefineShape: one solid fill, no lines, a closed rectangle."""
    body = struct.pack("<H", shape_id) + rect(x0, x1, y0, y1)
    body += bytes([1, 0x00]) + bytes(rgb) + bytes([0])  # one solid fill, no line styles
    b = Bits()
    b.put(1, 4)  # fill index bits
    b.put(0, 4)  # line index bits
    n = nbits(x0, y0)
    b.put(0b000101, 6)  # style change: fill style 1 and move to
    b.put(n, 5)
    b.signed(x0, n)
    b.signed(y0, n)
    b.put(1, 1)  # fill style 1
    for dx, dy in ((x1 - x0, 0), (0, y1 - y0), (x0 - x1, 0), (0, y0 - y1)):
        n = max(nbits(dx, dy), 2)
        b.put(0b11, 2)  # edge, straight
        b.put(n - 2, 4)
        b.put(0, 1)  # not a general line
        if dy == 0:
            b.put(0, 1)
            b.signed(dx, n)
        else:
            b.put(1, 1)
            b.signed(dy, n)
    b.put(0, 6)  # end of shape
    return tag(2, body + b.bytes())


metadata = (
    '<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
    '<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">'
    "<dc:title>SWF.zel Sample</dc:title>"
    "<dc:description>A small movie that ships with SWF.zel</dc:description>"
    "</rdf:Description></rdf:RDF>"
).encode("utf-8")

tags = b"".join([
    tag(69, struct.pack("<I", 0x10)),  # file attributes: has metadata
    tag(77, metadata, long_header=True),
    tag(9, bytes([0x33, 0x66, 0x99])),  # background colour
    shape(1, 150 * 20, 100 * 20, 400 * 20, 300 * 20, (0xFF, 0x99, 0x00)),
    tag(26, struct.pack("<BHH", 0x02, 1, 1)),  # place shape 1 at depth 1
    tag(1, b""),  # show frame
    tag(0, b""),  # end
])
body = rect(0, 550 * 20, 0, 400 * 20) + bytes([0, 24]) + struct.pack("<H", 1) + tags
movie = b"FWS" + bytes([10]) + struct.pack("<I", 8 + len(body)) + body

with open("sample.swf", "wb") as f:
    f.write(movie)
