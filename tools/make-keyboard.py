#!/usr/bin/python3
"""Draws the search dialog's keyboard picture (resources/keyboard.bmp): 154 x 95
pixels, one bit per pixel. Three rows of nine 17 x 25 cells hold the 27
Hebrew letters in the order of the dialog's KeyboardOrder, from the right of
the top row; below them lies a space bar under cell columns 2 to 6. The
letters come from a font (python3-pil, fonts-dejavu-core); run this again only
to change the picture."""
import os
import struct

from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT = 154, 95
CELL_W, CELL_H = 17, 25
KEYBOARD_ORDER = "abcdefghijlkmonqprsutwvxyz{"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def draw():
    picture = Image.new("L", (WIDTH, HEIGHT), 255)
    pen = ImageDraw.Draw(picture)
    font = ImageFont.truetype(FONT, 15)
    for row in range(3):
        for column in range(9):
            cell = (row + 1) * 9 - column  # numbered from the right, 1..27
            x, y = column * CELL_W, row * CELL_H
            pen.rectangle([x + 1, y + 1, x + CELL_W - 1, y + CELL_H - 1], outline=0)
            letter = chr(0x05D0 + ord(KEYBOARD_ORDER[cell - 1]) - ord("a"))
            left, top, right, bottom = pen.textbbox((0, 0), letter, font=font)
            pen.text((x + 1 + (CELL_W - 1 - (right - left)) // 2 - left,
                      y + 1 + (CELL_H - 1 - (bottom - top)) // 2 - top), letter, font=font, fill=0)
    # The space bar: a key under columns 2..6 of the fourth row.
    pen.rectangle([2 * CELL_W + 1, 3 * CELL_H + 2, 7 * CELL_W - 1, HEIGHT - 2], outline=0)
    return picture.point(lambda v: 255 if v >= 128 else 0)


def write_bmp(picture, path):
    stride = (WIDTH + 31) // 32 * 4
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        bits = bytearray(stride)
        for x in range(WIDTH):
            if picture.getpixel((x, y)):  # palette entry 1: white
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(bits))
    pixels = b"".join(rows)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    write_bmp(draw(), os.path.join(root, "resources", "keyboard.bmp"))
