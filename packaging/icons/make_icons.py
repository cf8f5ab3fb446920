#!/usr/bin/env python3
"""Writes the program's icon for the desktop's icon theme (hicolor).

The icon is the tray icon's badge: a dark disc holding a light blue ring
(an "O"). It is drawn here from its geometry, as a scalable SVG and as PNGs
of 16 to 256 pixels, smoothed by sampling each pixel 4 x 4 times.

    make_icons.py APP_ID OUTPUT_FOLDER

writes OUTPUT_FOLDER/hicolor/<n>x<n>/apps/APP_ID.png and
OUTPUT_FOLDER/hicolor/scalable/apps/APP_ID.svg.
"""
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 128, 256)
# On a 32-unit square: the disc, and the ring between two radii.
DISC, RING_IN, RING_OUT = 15.5, 8.0, 12.0
DARK, LIGHT = (0x22, 0x25, 0x29), (0x3d, 0xc2, 0xff)


def png(size, pixel):
    rows = b''.join(b'\x00' + b''.join(bytes(pixel(x, y)) for x in range(size)) for y in range(size))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
            + chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))


def badge(size):
    scale = 32.0 / size
    samples = [(i + 0.5) / 4 for i in range(4)]

    def pixel(x, y):
        disc = ring = 0
        for sy in samples:
            for sx in samples:
                cx, cy = (x + sx) * scale - 16, (y + sy) * scale - 16
                r = (cx * cx + cy * cy) ** 0.5
                if r <= DISC:
                    disc += 1
                    if RING_IN <= r <= RING_OUT:
                        ring += 1
        if not disc:
            return (0, 0, 0, 0)
        share = ring / disc
        colour = tuple(round(d + (l - d) * share) for d, l in zip(DARK, LIGHT))
        return colour + (round(255 * disc / 16),)
    return pixel


def svg():
    hexed = lambda c: '#%02x%02x%02x' % c
    middle = (RING_IN + RING_OUT) / 2
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
            f'  <circle cx="16" cy="16" r="{DISC}" fill="{hexed(DARK)}"/>\n'
            f'  <circle cx="16" cy="16" r="{middle}" fill="none" stroke="{hexed(LIGHT)}"'
            f' stroke-width="{RING_OUT - RING_IN}"/>\n'
            '</svg>\n')


def main():
    app_id, out = sys.argv[1], sys.argv[2]
    for size in SIZES:
        folder = os.path.join(out, 'hicolor', f'{size}x{size}', 'apps')
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, app_id + '.png'), 'wb') as f:
            f.write(png(size, badge(size)))
    folder = os.path.join(out, 'hicolor', 'scalable', 'apps')
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, app_id + '.svg'), 'w') as f:
        f.write(svg())


if __name__ == '__main__':
    main()
