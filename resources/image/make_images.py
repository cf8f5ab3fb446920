#!/usr/bin/env python3
"""Writes the two images compiled into the program (no image library needed).

sprite.png: 288 x 96, transparent except the shadow tile, the 24 x 24 square
at (261, 57). The tile is the top-left corner of the window shadow: its alpha
rises over 12 pixels from the outside inwards (alpha = 8 * (1 + min(x, y)),
capped at 96). The program reads the alpha as 255 minus the blue component, so
the tile is stored opaque with blue = 255 - alpha.

tray.png: 32 x 32, the tray icon: a dark rounded badge with a light "O".

Run it from this folder: python3 make_images.py
"""
import struct
import zlib


def png(width, height, pixel):
    rows = b''
    for y in range(height):
        rows += b'\x00' + b''.join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
            + chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))


def sprite(x, y):
    tx, ty = x - 261, y - 57
    if 0 <= tx < 24 and 0 <= ty < 24:
        alpha = min(96, 8 * (1 + min(tx, ty)))
        return (0, 0, 255 - alpha, 255)
    return (0, 0, 0, 0)


def tray(x, y):
    cx, cy = x - 15.5, y - 15.5
    r = (cx * cx + cy * cy) ** 0.5
    if r > 15.5:
        return (0, 0, 0, 0)
    if 8.0 <= r <= 12.0:
        return (0x3d, 0xc2, 0xff, 255)
    return (0x22, 0x25, 0x29, 255)


with open('sprite.png', 'wb') as f:
    f.write(png(288, 96, sprite))
with open('tray.png', 'wb') as f:
    f.write(png(32, 32, tray))
