#!/usr/bin/env python3
"""Draws the program's icon (32 x 32, 32 bits per pixel) and writes app/velmora.ico.

A white page with a blue outline and folded corner, blue text lines, and a yellow arrow bending
from one line to another: a document whose text is being replaced.
"""
import struct
import sys

W = H = 32
BLUE = (0, 136, 255, 255)
DARK = (0, 70, 170, 255)
YELLOW = (255, 214, 0, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)

px = [[CLEAR] * W for _ in range(H)]


def put(x, y, c):
    if 0 <= x < W and 0 <= y < H:
        px[y][x] = c


# Page 4..23 x 2..29 with a folded corner of 6 at the top right.
for y in range(2, 30):
    for x in range(4, 24):
        if x - 17 > y - 2:  # cut corner
            continue
        edge = x in (4, 23) or y in (2, 29) or (x - 17 == y - 2)
        put(x, y, DARK if edge else WHITE)
for i in range(7):  # the fold
    put(17, 2 + i, DARK)
    put(17 + i, 8, DARK)
    for j in range(i):
        put(17 + j + 1, 2 + i, BLUE)
# Text lines.
for y in (12, 16, 20, 24):
    for x in range(7, 20 if y != 24 else 15):
        put(x, y, BLUE)
        put(x, y + 1, BLUE)
# Yellow arrow: a stem from (14, 18) rightwards then down, head pointing down at the right edge.
for x in range(12, 28):
    for t in range(3):
        put(x, 17 + t, YELLOW)
for y in range(17, 25):
    for t in range(3):
        put(25 + t, y, YELLOW)
for k in range(5):  # arrow head
    for x in range(26 - k, 27 + k + 1):
        put(x, 29 - k, YELLOW)
# Dark outline around the yellow so it reads on white and on blue.
outline = []
for y in range(H):
    for x in range(W):
        if px[y][x] == YELLOW:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < W and 0 <= ny < H and px[ny][nx] != YELLOW:
                    outline.append((nx, ny))
for x, y in outline:
    px[y][x] = DARK

# ICO: one image, a BITMAPINFOHEADER (height doubled for the mask), BGRA rows bottom-up, AND mask.
xor = b"".join(bytes((c[2], c[1], c[0], c[3])) for row in reversed(px) for c in row)
mask_row = 4  # 32 bits, padded to 32
andmask = bytes(mask_row * H)
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
image = header + xor + andmask
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", W, H, 0, 0, 1, 32, len(image), 6 + 16) + image
out = sys.argv[1] if len(sys.argv) > 1 else "app/velmora.ico"
with open(out, "wb") as f:
    f.write(ico)
