#!/usr/bin/env python3
"""Draws TARNEL's icon at the sizes launchers and HiDPI screens ask for.

    ui/icons/make_icons.py [FOLDER]

tarnel16.png and tarnel32.png are drawn by hand, pixel by pixel. The larger
sizes repeat the 32 px design as shapes on its 32-unit grid: a page with
bars of growing length (the sorted lines) and a red arrow pointing down,
rasterised with 4 x 4 samples a pixel. Writes tarnel48.png, tarnel64.png,
tarnel128.png, tarnel256.png and tarnel.ico (16, 32 and 48 px as 32-bit
bitmaps, 256 px as PNG, as Windows keeps them) into FOLDER (default: this
script's). Needs Python 3 alone; the output is the same on every run.
"""
import os
import struct
import sys
import zlib

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
RED = (255, 0, 0)

# Painted in order, each over the ones before: (colour, shape), where a
# shape is a rectangle (x0, y0, x1, y1) or a triangle of three points.
SHAPES = [
    (BLACK, (1, 1, 22, 31)),  # the page and its outline
    (WHITE, (2, 2, 21, 30)),
    (NAVY, (4, 5, 10, 8)),  # the lines, shortest first
    (BLUE, (4, 10, 12, 13)),
    (NAVY, (4, 15, 14, 18)),
    (BLUE, (4, 20, 16, 23)),
    (NAVY, (4, 25, 18, 28)),
    (RED, (26, 3, 29, 22)),  # the arrow's shaft and head
    (RED, ((23, 22), (32, 22), (27.5, 27))),
]
DRAWN_SIZES = (48, 64, 128, 256)
ICO_SIZES = (16, 32, 48, 256)
SAMPLES = 4


def inside(shape, x, y):
    if len(shape) == 4:
        x0, y0, x1, y1 = shape
        return x0 <= x < x1 and y0 <= y < y1
    (ax, ay), (bx, by), (cx, cy) = shape
    d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by)
    d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy)
    d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay)
    return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and
                                                 d3 <= 0)


def draw(size):
    """RGBA rows of the icon at |size| px."""
    unit = 32 / size
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * unit
                    y = (py + (sy + 0.5) / SAMPLES) * unit
                    colour = None
                    for fill, shape in SHAPES:
                        if inside(shape, x, y):
                            colour = fill
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], \
                            b + colour[2], a + 1
            if a:
                row += bytes((r // a, g // a, b // a,
                              255 * a // (SAMPLES * SAMPLES)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(rows):
    size = len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))

    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_png(path):
    """RGBA rows of an 8-bit RGBA PNG without interlacing."""
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, lace = struct.unpack(
                ">IIBBBBB", body)
            if (depth, colour, lace) != (8, 6, 0):
                sys.exit(f"{path}: not an 8-bit RGBA PNG")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows = zlib.decompress(idat), width * 4, []
    previous = bytes(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up, corner = previous[i], previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                guess = left if pa <= pb and pa <= pc else (
                    up if pb <= pc else corner)
                line[i] = (line[i] + guess) & 255
        rows.append(bytes(line))
        previous = line
    return rows


def bitmap(rows):
    """An icon directory entry's bitmap: BGRA bottom up, then the mask."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    pixels, mask = bytearray(), bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[4 * x:4 * x + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """images: (size, rows) pairs."""
    entries = [(size, png(rows) if size >= 256 else bitmap(rows))
               for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        side = size % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data),
                           offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else here
    images = {size: read_png(os.path.join(here, f"tarnel{size}.png"))
              for size in (16, 32)}
    for size in DRAWN_SIZES:
        images[size] = draw(size)
        with open(os.path.join(folder, f"tarnel{size}.png"), "wb") as out:
            out.write(png(images[size]))
    with open(os.path.join(folder, "tarnel.ico"), "wb") as out:
        out.write(ico([(size, images[size]) for size in ICO_SIZES]))


if __name__ == "__main__":
    main()
