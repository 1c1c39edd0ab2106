#!/usr/bin/env python3
"""Draws the Quick Start window's 30 x 39 picture and writes it as a GIF89a file.

The picture is a small chart being digitized: a page with axes, a curve, markers on it and the
listing of their values below. Usage: make-qs-gif.py OUTPUT.gif
"""
import sys

W, H = 30, 39
PALETTE = [
    (0, 0, 0),        # 0 black: axes
    (255, 255, 255),  # 1 white: page
    (128, 128, 128),  # 2 grey: page edge, listing text
    (30, 110, 220),   # 3 blue: the curve
    (220, 40, 40),    # 4 red: markers
    (192, 192, 192),  # 5 silver: background
    (40, 170, 60),    # 6 green: calibration corners
    (250, 220, 110),  # 7 yellow: page fold
]


def draw():
    px = [[5] * W for _ in range(H)]

    def put(x, y, c):
        if 0 <= x < W and 0 <= y < H:
            px[y][x] = c

    # The page with its edge and a folded corner.
    for y in range(1, 38):
        for x in range(1, 29):
            px[y][x] = 1
    for x in range(1, 29):
        put(x, 1, 2)
        put(x, 37, 2)
    for y in range(1, 38):
        put(1, y, 2)
        put(28, y, 2)
    for i in range(5):
        for j in range(5 - i):
            put(28 - i, 1 + j, 5 if j < 4 - i else 2)
    for i in range(5):
        put(23 + i, 1 + i, 2)
        put(23, 1 + i, 2)
        put(23 + i, 6, 2)
    # Axes with ticks.
    for y in range(5, 27):
        put(5, y, 0)
    for x in range(5, 26):
        put(x, 26, 0)
    for t in (10, 15, 20, 25):
        put(t, 27, 0)
    for t in (6, 11, 16, 21):
        put(4, t, 0)
    # The curve: a rising arc from the bottom left.
    pts = []
    for i in range(0, 101):
        t = i / 100.0
        x = 6 + 19 * t
        y = 25 - 17 * (1 - (1 - t) ** 2.2)
        pts.append((round(x), round(y)))
    for (x, y) in pts:
        put(x, y, 3)
    # Calibration corners.
    for (x, y) in ((6, 25), (25, 25), (6, 7), (25, 7)):
        put(x, y, 6)
    # Markers: small squares around points of the curve.
    for i in (15, 45, 80):
        cx, cy = pts[i]
        for d in range(-1, 2):
            put(cx + d, cy - 2, 4)
            put(cx + d, cy + 2, 4)
            put(cx - 2, cy + d, 4)
            put(cx + 2, cy + d, 4)
    # The listing below: three lines of values.
    for row, y in enumerate((30, 32, 34)):
        for x in range(4, 12):
            if x != 8:
                put(x, y, 2)
        for x in range(15, 23 - row * 2):
            if x != 19:
                put(x, y, 2)
        put(13, y, 4)
    return px


def lzw(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    table = {(i,): i for i in range(clear)}
    next_code, width = end + 1, min_size + 1
    emit(clear, width)
    s = (indices[0],)
    for k in indices[1:]:
        sk = s + (k,)
        if sk in table:
            s = sk
            continue
        emit(table[s], width)
        if next_code < 4096:
            table[sk] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = {(i,): i for i in range(clear)}
            next_code, width = end + 1, min_size + 1
        s = (k,)
    emit(table[s], width)
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(px):
    data = bytearray(b"GIF89a")
    data += W.to_bytes(2, "little") + H.to_bytes(2, "little")
    data += bytes([0xF2, 5, 0])  # global colour table of 8 entries, 8-bit colour resolution
    for r, g, b in PALETTE:
        data += bytes([r, g, b])
    data += bytes([0x2C, 0, 0, 0, 0]) + W.to_bytes(2, "little") + H.to_bytes(2, "little") + bytes([0])
    min_size = 3
    data.append(min_size)
    stream = lzw([c for row in px for c in row], min_size)
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data.append(len(chunk))
        data += chunk
    data += bytes([0, 0x3B])
    return bytes(data)


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(gif(draw()))
