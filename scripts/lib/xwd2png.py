#!/usr/bin/env python3
"""Converts an XWD screen image (as Xvfb -fbdir keeps it) into a PNG file, with nothing
but the standard library:  xwd2png.py SCREEN.xwd OUT.png [X Y WIDTH HEIGHT]"""
import struct
import sys
import zlib

FIELDS = ("header_size file_version pixmap_format pixmap_depth pixmap_width pixmap_height xoffset "
          "byte_order bitmap_unit bitmap_bit_order bitmap_pad bits_per_pixel bytes_per_line visual_class "
          "red_mask green_mask blue_mask bits_per_rgb colormap_entries ncolors window_width window_height "
          "window_x window_y window_bdrwidth").split()


def read_header(data):
    for order in (">", "<"):
        values = struct.unpack(order + "25I", data[:100])
        header = dict(zip(FIELDS, values))
        if header["file_version"] == 7 and 100 <= header["header_size"] < 4096:
            return header
    raise SystemExit("xwd2png: not an XWD (version 7) image")


def shift_of(mask):
    shift = 0
    while mask and not mask & 1:
        mask >>= 1
        shift += 1
    return shift


def convert(source, target, crop=None):
    with open(source, "rb") as f:
        data = f.read()
    h = read_header(data)
    if h["bits_per_pixel"] not in (24, 32):
        raise SystemExit("xwd2png: %d bits per pixel is not supported" % h["bits_per_pixel"])
    width, height, stride = h["pixmap_width"], h["pixmap_height"], h["bytes_per_line"]
    pixels = data[h["header_size"] + 12 * h["ncolors"]:]
    step = h["bits_per_pixel"] // 8
    endian = "little" if h["byte_order"] == 0 else "big"
    masks = [(h[m], shift_of(h[m])) for m in ("red_mask", "green_mask", "blue_mask")]
    x0, y0, w, hh = crop or (0, 0, width, height)
    x0, y0 = max(0, x0), max(0, y0)
    w, hh = min(w, width - x0), min(hh, height - y0)
    rows = bytearray()
    for y in range(y0, y0 + hh):
        rows.append(0)
        line = pixels[y * stride:(y + 1) * stride]
        for x in range(x0, x0 + w):
            value = int.from_bytes(line[x * step:(x + 1) * step], endian)
            rows.extend(((value & m) >> s) & 0xFF for m, s in masks)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, hh, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b"")
    with open(target, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 7):
        raise SystemExit(__doc__)
    convert(sys.argv[1], sys.argv[2], tuple(int(v) for v in sys.argv[3:7]) if len(sys.argv) == 7 else None)
