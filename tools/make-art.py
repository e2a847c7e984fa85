#!/usr/bin/env python3
"""Draws the toolbar strip (resources/toolbar.bmp, 96 x 16, 16 colours), the
program icon (resources/orvane.ico, 32 x 32 and 16 x 16, 16 colours) and the
about box's logo (resources/logo.bmp, 63 x 40, one bit per pixel).
The pictures are kept in the tree; run this again only to change them."""
import os
import struct

# The 16-colour palette (index: (r, g, b)).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
K, NAVY, GREY, DARK, BLUE, WHITE, YELLOW, GREEN, RED = 0, 4, 7, 8, 12, 15, 11, 2, 9

PICTURES = [
    # previous article: a green arrow pointing left
    """
    ................
    ................
    .......K........
    ......KK........
    .....KGK........
    ....KGGKKKKKKK..
    ...KGGGGGGGGGK..
    ..KGGGGGGGGGGK..
    ..KGGGGGGGGGGK..
    ...KGGGGGGGGGK..
    ....KGGKKKKKKK..
    .....KGK........
    ......KK........
    .......K........
    ................
    ................
    """,
    # index: an open book with lines
    """
    ................
    ................
    .KKKKKK..KKKKKK.
    .KWWWWWKKWWWWWK.
    .KWNNNWKKWNNNWK.
    .KWWWWWKKWWWWWK.
    .KWNNNWKKWNNNWK.
    .KWWWWWKKWWWWWK.
    .KWNNNWKKWNNNWK.
    .KWWWWWKKWWWWWK.
    .KWNNNWKKWNNNWK.
    .KWWWWWKKWWWWWK.
    .KKKKKKKKKKKKKK.
    .......KK.......
    ................
    ................
    """,
    # next article: a green arrow pointing right
    """
    ................
    ................
    ........K.......
    ........KK......
    ........KGK.....
    ..KKKKKKKGGK....
    ..KGGGGGGGGGK...
    ..KGGGGGGGGGGK..
    ..KGGGGGGGGGGK..
    ..KGGGGGGGGGK...
    ..KKKKKKKGGK....
    ........KGK.....
    ........KK......
    ........K.......
    ................
    ................
    """,
    # font: a large letter A with a small one
    """
    ................
    ......KK........
    ......KK........
    .....KKKK.......
    .....K..K.......
    ....KK..KK......
    ....K....K......
    ...KKKKKKKK.....
    ...K......K.....
    ..KK......KK....
    ..K........K.BB.
    .KKK......KKKB.B
    .............BBB
    .............B.B
    ................
    ................
    """,
    # search: a magnifying glass
    """
    ................
    ....KKKKK.......
    ...KWWWWWK......
    ..KWWYWWWWK.....
    ..KWYWWWWWK.....
    ..KWWWWWWWK.....
    ..KWWWWWWWK.....
    ..KWWWWWWWK.....
    ...KWWWWWK......
    ....KKKKKKK.....
    ..........KK....
    ...........KK...
    ............KK..
    .............KK.
    ..............K.
    ................
    """,
    # search again: a magnifying glass and a red arrow
    """
    ................
    ....KKKKK.......
    ...KWWWWWK......
    ..KWWYWWWWK.....
    ..KWYWWWWWK.....
    ..KWWWWWWWK.....
    ..KWWWWWWWK..R..
    ..KWWWWWWWK..RR.
    ...KWWWWWK.RRRRR
    ....KKKKKKK..RR.
    ..........KK.R..
    ...........KK...
    ............KK..
    .............KK.
    ..............K.
    ................
    """,
]
CODES = {'.': GREY, 'K': K, 'G': GREEN, 'W': WHITE, 'N': NAVY, 'B': BLUE, 'Y': YELLOW, 'R': RED}


def rows_of(picture):
    rows = [r.strip() for r in picture.strip().splitlines()]
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), picture
    return [[CODES[c] for c in r] for r in rows]


def dib_4bpp(pixels, width, height, mask_rows=None):
    """BITMAPINFOHEADER + palette + 4-bit pixels (bottom-up). With mask_rows,
    the height field is doubled and a 1-bit AND mask follows (icon images)."""
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = pixels[y][x]
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        data += row
    header_height = height * 2 if mask_rows is not None else height
    mask = bytearray()
    if mask_rows is not None:
        mstride = ((width + 31) // 32) * 4
        for y in range(height - 1, -1, -1):
            row = bytearray(mstride)
            for x in range(width):
                if mask_rows[y][x]:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
    header = struct.pack('<IiiHHIIiiII', 40, width, header_height, 1, 4, 0,
                         len(data) + len(mask), 2835, 2835, 16, 16)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(data) + bytes(mask)


def toolbar():
    pics = [rows_of(p) for p in PICTURES]
    pixels = [[pics[x // 16][y][x % 16] for x in range(96)] for y in range(16)]
    dib = dib_4bpp(pixels, 96, 16)
    return struct.pack('<2sIHHI', b'BM', 14 + len(dib), 0, 0, 14 + 40 + 64) + dib


def icon_image(size):
    # A page of two blocks of lines, main text above and commentary below, on a
    # navy cover.
    px = [[NAVY] * size for _ in range(size)]
    transparent = [[False] * size for _ in range(size)]
    m = size // 8
    for y in range(m, size - m):
        for x in range(m, size - m):
            px[y][x] = WHITE
    split = size // 2
    for y in range(m + 1, size - m - 1):
        line = (y - m) % 3 == 1
        for x in range(m + 2, size - m - 2):
            if y == split:
                px[y][x] = GREEN
            elif line:
                px[y][x] = K if y < split else NAVY
    return dib_4bpp(px, size, size, transparent)


def icon():
    images = [icon_image(32), icon_image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


def logo():
    # An open book seen from above: two pages on a spine, each with a block of
    # main-text lines over a narrower block of commentary lines.
    w, h = 63, 40
    ink = [[False] * w for _ in range(h)]

    def dot(x, y):
        if 0 <= x < w and 0 <= y < h:
            ink[y][x] = True

    spine = w // 2
    for x in range(w):
        # The pages' top and bottom edges dip towards the spine.
        dip = (spine - abs(x - spine)) // 8
        top, bottom = 3 + dip, h - 5 + dip
        if x in (0, w - 1) or x == spine:
            for y in range(top, bottom + 1):
                dot(x, y)
        dot(x, top)
        dot(x, bottom)
        dot(x, bottom + 2 - (1 if x == spine else 0))
    for side in (range(3, spine - 2), range(spine + 3, w - 3)):
        xs = list(side)
        for row in range(5):
            y = 8 + 3 * row
            for x in xs:
                if (x - xs[0]) % 7 != 6 or row % 2:
                    dot(x, y + (spine - abs(x - spine)) // 8)
        for row in range(3):
            y = 25 + 3 * row
            for x in xs[3:-3]:
                if (x - xs[0]) % 5 != 4:
                    dot(x, y + (spine - abs(x - spine)) // 8)
    stride = ((w + 31) // 32) * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if not ink[y][x]:  # index 1 is white, index 0 black ink
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(data), 2835, 2835, 2, 2)
    palette = struct.pack('BBBB', 0, 0, 0, 0) + struct.pack('BBBB', 255, 255, 255, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + 8 + len(data), 0, 0, 14 + 40 + 8) + header + palette + bytes(data)


here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
with open(os.path.join(here, 'toolbar.bmp'), 'wb') as f:
    f.write(toolbar())
with open(os.path.join(here, 'orvane.ico'), 'wb') as f:
    f.write(icon())
with open(os.path.join(here, 'logo.bmp'), 'wb') as f:
    f.write(logo())
