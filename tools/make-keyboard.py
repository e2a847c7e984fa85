#!/usr/bin/python3
"""Draws the search dialog's keyboard picture (resources/keyboard.bmp): 154 x 95
pixels, one bit per pixel, and the same picture for scaled displays at 1.5x
(keyboard-150.bmp, 231 x 143) and 2x (keyboard-200.bmp, 308 x 190). Three rows
of nine 17 x 25 cells (at 1x) hold the 27 Hebrew letters in the order of the
dialog's KeyboardOrder, from the right of the top row; below them lies a space
bar under cell columns 2 to 6. A cell's edges lie at its 1x edges times the
scale, rounded, so that the dialog finds the cell of a click by scaling the
click back to 1x. The letters come from a font (python3-pil,
fonts-dejavu-core); run this again only to change the pictures."""
import os
import struct

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT = 154, 95
CELL_W, CELL_H = 17, 25
KEYBOARD_ORDER = "abcdefghijlkmonqprsutwvxyz{"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SCALES = {2: "keyboard.bmp", 3: "keyboard-150.bmp", 4: "keyboard-200.bmp"}  # twice the scale


def draw(twice):
    at = lambda v: (v * twice + 1) // 2  # a 1x length at the scale, rounded half up
    width, height = at(WIDTH), at(HEIGHT)
    picture = Image.new("L", (width, height), 255)
    pen = ImageDraw.Draw(picture)
    font = ImageFont.truetype(FONT, at(15))
    for row in range(3):
        for column in range(9):
            cell = (row + 1) * 9 - column  # numbered from the right, 1..27
            x, y = at(column * CELL_W), at(row * CELL_H)
            right, bottom = at((column + 1) * CELL_W), at((row + 1) * CELL_H)
            pen.rectangle([x + 1, y + 1, right - 1, bottom - 1], outline=0, width=max(1, twice // 2))
            letter = chr(0x05D0 + ord(KEYBOARD_ORDER[cell - 1]) - ord("a"))
            l, t, r, b = pen.textbbox((0, 0), letter, font=font)
            pen.text((x + 1 + (right - x - 1 - (r - l)) // 2 - l,
                      y + 1 + (bottom - y - 1 - (b - t)) // 2 - t), letter, font=font, fill=0)
    # The space bar: a key under columns 2..6 of the fourth row.
    pen.rectangle([at(2 * CELL_W) + 1, at(3 * CELL_H) + at(2), at(7 * CELL_W) - 1, height - at(2)], outline=0,
                  width=max(1, twice // 2))
    return picture.point(lambda v: 255 if v >= 128 else 0)


def write_bmp(picture, path):
    width, height = picture.size
    stride = (width + 31) // 32 * 4
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        bits = bytearray(stride)
        for x in range(width):
            if picture.getpixel((x, y)):  # palette entry 1: white
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    pixels = b"".join(rows)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for twice, name in SCALES.items():
        write_bmp(draw(twice), os.path.join(root, "resources", name))
