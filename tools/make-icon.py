#!/usr/bin/env python3
"""Draws the RebootPC icon (a white power symbol on a blue disc, 32 x 32, 32 bits per pixel)
and writes it as resources/rebootpc.ico. The .ico is committed; run this only to redraw it."""
import math
import os
import struct

SIZE = 32


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    if r > 15.5:
        return (0, 0, 0, 0)
    alpha = int(255 * min(1.0, 15.5 - r + 0.5))
    colour = (0x2a, 0x6f, 0xd6)
    angle = math.degrees(math.atan2(dx, -dy))  # 0 at the top, clockwise
    ring = 7.5 <= r <= 10.5 and abs(angle) > 35
    stem = abs(dx) <= 1.5 and -13 <= dy <= -2
    if ring or stem:
        colour = (0xff, 0xff, 0xff)
    return colour + (alpha,)


def main():
    rows = []
    for y in reversed(range(SIZE)):  # DIBs are stored bottom-up
        row = b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in (pixel(x, y) for x in range(SIZE)))
        rows.append(row)
    xor = b"".join(rows)
    and_mask = b"\0" * (SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    out = os.path.join(os.path.dirname(__file__), "..", "resources", "rebootpc.ico")
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main()
