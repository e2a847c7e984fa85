#!/usr/bin/env python3
"""Draws the toolbar strips (resources/toolbar.bmp, 112 x 16, and toolbar-24.bmp
and toolbar-32.bmp for scaled displays, 16 colours), the program icon
(resources/orvane.ico, 16 to 64 pixels, 16 colours) and the about box's logo
(resources/logo.bmp, 63 x 40, and logo-150.bmp and logo-200.bmp, one bit per
pixel). The larger pictures are drawn from the same 16-pixel art, enlarged by
two or three with corners rounded (Scale2x, Scale3x).
The pictures are kept in the tree; run this again only to change them.
With --check it writes nothing: it draws everything again, checks that every
size of every picture was drawn from its art, and that the files in the tree
are the ones it draws; it exits with 1 otherwise."""
import os
import struct
import sys
from collections import Counter

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
    # go to: an arrow pointing at a page
    """
    ................
    .......KKKKKKK..
    .......KWWWWWKK.
    .......KWNNNWKWK
    .......KWWWWWKKK
    ...K...KWNNNNNWK
    ...KK..KWWWWWWWK
    KKKKGK.KWNNNNNWK
    KGGGGGKKWWWWWWWK
    KKKKGK.KWNNNNNWK
    ...KK..KWWWWWWWK
    ...K...KWNNNNNWK
    .......KWWWWWWWK
    .......KWNNNNNWK
    .......KKKKKKKKK
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


def scale2x(px):
    """Twice the size; a corner takes the colour of the two neighbours it
    lies between when they agree (EPX)."""
    h, w = len(px), len(px[0])
    at = lambda x, y: px[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]
    out = [[None] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p, a, b, c, d = at(x, y), at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            out[2 * y][2 * x] = a if c == a and c != d and a != b else p
            out[2 * y][2 * x + 1] = b if a == b and a != c and b != d else p
            out[2 * y + 1][2 * x] = c if d == c and d != b and c != a else p
            out[2 * y + 1][2 * x + 1] = d if b == d and b != a and d != c else p
    return out


def scale3x(px):
    """Three times the size, with the same rule for corners and edges."""
    h, w = len(px), len(px[0])
    at = lambda x, y: px[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]
    out = [[None] * (3 * w) for _ in range(3 * h)]
    for y in range(h):
        for x in range(w):
            a, b, c = at(x - 1, y - 1), at(x, y - 1), at(x + 1, y - 1)
            d, e, f = at(x - 1, y), at(x, y), at(x + 1, y)
            g, hh, i = at(x - 1, y + 1), at(x, y + 1), at(x + 1, y + 1)
            cells = [
                d if d == b and b != f and d != hh else e,
                b if (d == b and b != f and d != hh and e != c) or (b == f and b != d and f != hh and e != a) else e,
                f if b == f and b != d and f != hh else e,
                d if (d == b and b != f and d != hh and e != g) or (d == hh and d != b and hh != f and e != a) else e,
                e,
                f if (b == f and b != d and f != hh and e != i) or (hh == f and d != hh and b != f and e != c) else e,
                d if d == hh and d != b and hh != f else e,
                hh if (d == hh and d != b and hh != f and e != i) or (hh == f and d != hh and b != f and e != g) else e,
                f if hh == f and d != hh and b != f else e,
            ]
            for k, v in enumerate(cells):
                out[3 * y + k // 3][3 * x + k % 3] = v
    return out


def enlarge(px, twice_scale):
    """The picture at twice_scale / 2 its size: 3 (1.5x) or 4 (2x)."""
    if twice_scale == 4:
        return scale2x(px)
    # 3x, then each block of 2 x 2 becomes its most common colour (the
    # top-left one on a tie).
    big = scale3x(px)
    h, w = len(big), len(big[0])
    out = []
    for y in range(0, h, 2):
        row = []
        for x in range(0, w, 2):
            block = [big[y + j][x + i] for j in (0, 1) for i in (0, 1) if y + j < h and x + i < w]
            row.append(max(block, key=lambda v: (block.count(v), v == block[0])))
        out.append(row)
    return out


TOOLBAR_SIZES = {16: 'toolbar.bmp', 24: 'toolbar-24.bmp', 32: 'toolbar-32.bmp'}


def toolbar_pictures(size):
    pics = [rows_of(p) for p in PICTURES]
    return [p if size == 16 else enlarge(p, size // 8) for p in pics]


def toolbar(size):
    pics = toolbar_pictures(size)
    width = size * len(pics)
    pixels = [[pics[x // size][y][x % size] for x in range(width)] for y in range(size)]
    dib = dib_4bpp(pixels, width, size)
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


ICON_SIZES = (32, 16, 24, 48, 64)


def icon():
    images = [icon_image(size) for size in ICON_SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip(ICON_SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


def logo_ink():
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
    return ink


LOGO_SCALES = {2: 'logo.bmp', 3: 'logo-150.bmp', 4: 'logo-200.bmp'}  # twice the scale


def logo(twice_scale=2):
    ink = logo_ink()
    if twice_scale != 2:
        ink = enlarge(ink, twice_scale)
    h, w = len(ink), len(ink[0])
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


def drawn_from_art(small, big, what):
    """A larger picture drawn from the small art: the same colours, each
    covering about the same share of the picture. Returns the faults."""
    count = lambda px: Counter(v for row in px for v in row)
    a, b = count(small), count(big)
    na, nb = len(small) * len(small[0]), len(big) * len(big[0])
    faults = []
    if set(a) != set(b):
        faults.append('%s: colours %s, not %s' % (what, sorted(b), sorted(a)))
    for v in a:
        if abs(b.get(v, 0) / nb - a[v] / na) > 0.05:
            faults.append('%s: colour %s covers %.2f, not %.2f' % (what, v, b.get(v, 0) / nb, a[v] / na))
    return faults


def check(files):
    faults = []
    small = toolbar_pictures(16)
    for size in TOOLBAR_SIZES:
        pics = toolbar_pictures(size)
        for n, (p, q) in enumerate(zip(small, pics)):
            if len(q) != size or any(len(r) != size for r in q):
                faults.append('toolbar picture %d at %d: %d rows' % (n, size, len(q)))
            else:
                faults += drawn_from_art(p, q, 'toolbar picture %d at %d' % (n, size))
    base = logo_ink()
    for twice, name in LOGO_SCALES.items():
        ink = base if twice == 2 else enlarge(base, twice)
        want = ((len(base[0]) * twice + 1) // 2, (len(base) * twice + 1) // 2)
        if (len(ink[0]), len(ink)) != want:
            faults.append('%s: %dx%d, not %dx%d' % (name, len(ink[0]), len(ink), *want))
        faults += drawn_from_art(base, ink, name)
    for name, data in files.items():
        path = os.path.join(here, name)
        if not os.path.exists(path) or open(path, 'rb').read() != data:
            faults.append('%s in the tree is not the picture drawn: run tools/make-art.py' % name)
    return faults


here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
files = {name: toolbar(size) for size, name in TOOLBAR_SIZES.items()}
files['orvane.ico'] = icon()
files.update({name: logo(twice) for twice, name in LOGO_SCALES.items()})
if sys.argv[1:] == ['--check']:
    faults = check(files)
    for fault in faults:
        print(fault)
    sys.exit(1 if faults else 0)
for name, data in files.items():
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
