#!/usr/bin/env python3
"""Writes the program's own helper movies: browse.swf, video.swf, intro.swf,
about_pro.swf and sound.swf. Each is a tiny real movie (header, file
attributes, a Metadata tag, background colour, one frame) whose Metadata text
carries the marker "swfzel:page=NAME" by which the movie control runs it as
one of its native pages. Run once; the results are committed beside it."""
import os
import struct


def tag(code, body):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


def rect(width, height):
    nbits = max((width * 20).bit_length(), (height * 20).bit_length()) + 1
    bits = format(nbits, '05b') + ''.join(format(v, '0%db' % nbits) for v in (0, width * 20, 0, height * 20))
    bits += '0' * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def movie(page, title, width, height, colour):
    rdf = ('<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
           '<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/1.1">'
           '<dc:title>%s</dc:title><dc:description>swfzel:page=%s</dc:description>'
           '</rdf:Description></rdf:RDF>' % (title, page)).encode('utf-8')
    body = rect(width, height) + bytes([0, 12]) + struct.pack('<H', 1)
    body += tag(69, struct.pack('<I', 0x10))         # file attributes: has metadata
    body += tag(77, rdf + b'\0')                      # metadata
    body += tag(9, bytes(colour))                     # background colour
    body += tag(1, b'') + tag(0, b'')                 # one frame, end
    return b'FWS' + bytes([10]) + struct.pack('<I', 8 + len(body)) + body


PAGES = [
    ('browse.swf', 'browse', 'SWF.zel media browser', 640, 480, (0xFF, 0xFF, 0xFF)),
    ('video.swf', 'video', 'SWF.zel video', 320, 240, (0x00, 0x00, 0x00)),
    ('intro.swf', 'intro', 'SWF.zel feature overview', 480, 300, (0xFF, 0xFF, 0xFF)),
    ('about_pro.swf', 'about', 'About SWF.zel', 400, 260, (0xFF, 0xFF, 0xFF)),
    ('sound.swf', 'sound', 'SWF.zel desktop sound', 20, 20, (0xFF, 0xFF, 0xFF)),
]

if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    for name, page, title, w, h, colour in PAGES:
        with open(os.path.join(here, name), 'wb') as f:
            f.write(movie(page, title, w, h, colour))
