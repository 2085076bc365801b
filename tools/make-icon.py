#!/usr/bin/env python3
"""Draws Brenvale's window icon and writes it as an .ico with two 24 x 24 images: one with 256
colours (8 bits per pixel, with a palette) and one with 32-bit colour and alpha.
The picture: two folders, the back one blue (remote), the front one green (local), with a white
arrow from one to the other.
usage: make-icon.py OUTPUT.ico"""
import struct, sys

SIZE = 24
TRANSPARENT = None
BLUE, BLUE_DARK = (52, 120, 206), (30, 78, 150)
GREEN, GREEN_DARK = (64, 168, 92), (36, 112, 58)
WHITE = (255, 255, 255)


def draw():
    img = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = colour

    def folder(x, y, w, h, fill, edge):
        rect(x, y, x + w // 3, y + 2, edge)        # tab
        rect(x, y + 2, x + w - 1, y + h - 1, edge)   # outline
        rect(x + 1, y + 3, x + w - 2, y + h - 2, fill)

    folder(1, 2, 15, 11, BLUE, BLUE_DARK)
    folder(8, 10, 15, 12, GREEN, GREEN_DARK)
    # arrow down and to the right, from the blue folder into the green one
    for i in range(5):
        rect(5 + i, 6 + i, 6 + i, 7 + i, WHITE)
    rect(8, 11, 11, 12, WHITE)
    rect(10, 8, 11, 12, WHITE)
    return img


def and_mask(img):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        bits = 0
        row = b""
        for x in range(SIZE):
            bits = (bits << 1) | (1 if img[y][x] is TRANSPARENT else 0)
            if x % 8 == 7:
                row += bytes([bits])
                bits = 0
        rows.append(row + b"\0" * ((4 - len(row) % 4) % 4))
    return b"".join(rows)


def header(bpp, colours):
    # BITMAPINFOHEADER; the height counts the XOR and the AND mask together
    return struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bpp, 0, 0, 0, 0, colours, 0)


def image_256(img):
    palette = [(0, 0, 0)]
    for row in img:
        for c in row:
            if c is not TRANSPARENT and c not in palette:
                palette.append(c)
    palette += [(0, 0, 0)] * (256 - len(palette))
    pal = b"".join(bytes([b, g, r, 0]) for (r, g, b) in palette)
    pixels = b"".join(
        bytes(0 if c is TRANSPARENT else palette.index(c) for c in img[y]) for y in range(SIZE - 1, -1, -1))
    return header(8, 256) + pal + pixels + and_mask(img)


def image_32(img):
    pixels = b"".join(
        b"".join(b"\0\0\0\0" if c is TRANSPARENT else bytes([c[2], c[1], c[0], 255]) for c in img[y])
        for y in range(SIZE - 1, -1, -1))
    return header(32, 0) + pixels + and_mask(img)


def main():
    img = draw()
    images = [(image_256(img), 0, 8), (image_32(img), 0, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for data, colours, bpp in images:
        out += struct.pack("<BBBBHHII", SIZE, SIZE, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(data for data, _, _ in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
