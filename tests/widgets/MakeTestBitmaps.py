"""Writes the toolbar strips of the widget tests: a 24-bit strip and a
16-colour strip, each picture a filled square of its own colour on the
toolbar mask grey (192, 192, 192)."""
import os
import struct
import sys

GREY = (192, 192, 192)
# Picture colours of the 24-bit strip, in order.
COLOURS24 = [(255, 0, 0), (0, 128, 0), (0, 0, 255), (90, 90, 90)]
# The 16-colour strip uses palette entries 9 (bright red) and 12 (bright blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
PICTURES4 = [9, 12]


def picture_pixel(x, y, colour, background):
    # A square from (3, 2) to (12, 11) inclusive.
    return colour if 3 <= x <= 12 and 2 <= y <= 11 else background


def write(path, bits, width, height, palette, rows):
    row_bytes = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = rows[y]
        line = bytearray()
        if bits == 24:
            for c in row:
                line += bytes((c[2], c[1], c[0]))
        else:
            for x in range(0, width, 2):
                line.append((row[x] << 4) | (row[x + 1] if x + 1 < width else 0))
        line += b'\0' * (row_bytes - len(line))
        data += line
    table = b''.join(bytes((c[2], c[1], c[0], 0)) for c in palette)
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 2835, 2835, len(palette), 0)
    with open(path, 'wb') as f:
        f.write(header + info + table + data)


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    w24 = 16 * len(COLOURS24)
    rows = [[picture_pixel(x % 16, y, COLOURS24[x // 16], GREY) for x in range(w24)] for y in range(15)]
    write(os.path.join(outdir, 'strip24.bmp'), 24, w24, 15, [], rows)
    w4 = 16 * len(PICTURES4)
    rows = [[picture_pixel(x % 16, y, PICTURES4[x // 16], 7) for x in range(w4)] for y in range(15)]
    write(os.path.join(outdir, 'strip4.bmp'), 4, w4, 15, PALETTE, rows)


if __name__ == '__main__':
    main(sys.argv[1])
