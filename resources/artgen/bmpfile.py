"""Writers and readers for the Windows picture formats that PIL cannot write.

PIL writes 24-bit BMP and JPEG well, but neither 4-bit nor RLE-4 BMP nor a cursor with a hot
spot, and it writes icons as PNG frames. These small writers produce exactly the layouts the
program's resources need; the readers decode them back so that the generator can verify what it
wrote (the RLE-4 decoder is also cross-checked against ImageMagick, see verify.py).
"""
import struct

import numpy as np

BI_RGB = 0
BI_RLE4 = 2
PELS_PER_METRE = 2835  # 72 dpi


def _info_header(width, height, bits, compression, image_size, colours_used):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, image_size,
                       PELS_PER_METRE, PELS_PER_METRE, colours_used, 0)


def _palette_bytes(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)


def _file(info, palette, data):
    offset = 14 + len(info) + len(palette)
    return struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset) + info + palette + data


def _pack4(row):
    """Two 4-bit pixels per byte, the left one in the high nibble; row padded to 32 bits."""
    row = list(row)
    if len(row) % 2:
        row.append(0)
    packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, len(row), 2))
    return packed + b'\0' * (-len(packed) % 4)


def encode_bmp4(indices, palette, rle=False):
    """A 4-bit palette BMP of an (height, width) array of palette indices (0..15)."""
    assert len(palette) == 16 and indices.max() < 16
    height, width = indices.shape
    rows = [indices[y] for y in range(height - 1, -1, -1)]  # bottom-up
    if rle:
        data = encode_rle4(rows)
        info = _info_header(width, height, 4, BI_RLE4, len(data), 16)
    else:
        data = b''.join(_pack4(r) for r in rows)
        info = _info_header(width, height, 4, BI_RGB, len(data), 16)
    return _file(info, _palette_bytes(palette), data)


def encode_rle4(rows):
    """BI_RLE4 data of the given rows (already in file order, bottom row first).

    Runs of a repeated pixel become encoded runs (count, colour byte); stretches of single pixels
    become absolute runs (00, count, packed nibbles padded to a 16-bit boundary) when they are at
    least 3 pixels long. Every row ends with 00 00, the bitmap with 00 01."""
    out = bytearray()
    for row in rows:
        runs = []  # (colour, length) of maximal equal runs
        for value in row:
            value = int(value)
            if runs and runs[-1][0] == value:
                runs[-1][1] += 1
            else:
                runs.append([value, 1])
        i = 0
        while i < len(runs):
            if runs[i][1] == 1:
                j = i
                while j < len(runs) and runs[j][1] == 1:
                    j += 1
                literal = [runs[k][0] for k in range(i, j)]
                i = j
                while literal:
                    if len(literal) < 3:  # too short for an absolute run
                        for value in literal:
                            out += bytes((1, (value << 4) | value))
                        break
                    n = min(len(literal), 254)
                    if 0 < len(literal) - n < 3:
                        n -= 3
                    _absolute(out, literal[:n])
                    literal = literal[n:]
            else:
                value, length = runs[i]
                while length > 0:
                    n = min(length, 254)
                    out += bytes((n, (value << 4) | value))
                    length -= n
                i += 1
        out += b'\0\0'
    out += b'\0\1'
    return bytes(out)


def _absolute(out, pixels):
    out += bytes((0, len(pixels)))
    packed = bytearray()
    for k in range(0, len(pixels), 2):
        hi = pixels[k]
        lo = pixels[k + 1] if k + 1 < len(pixels) else 0
        packed.append((hi << 4) | lo)
    if len(packed) % 2:
        packed.append(0)
    out += packed


def decode_rle4(data, width, height):
    """Decodes BI_RLE4 data into a top-down (height, width) index array (bottom-up rows)."""
    image = np.zeros((height, width), np.uint8)
    x, y, i = 0, 0, 0  # y counts file rows from the bottom
    while i < len(data):
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            for k in range(count):
                image[height - 1 - y, x] = (value >> 4) if k % 2 == 0 else (value & 15)
                x += 1
        elif value == 0:
            x, y = 0, y + 1
        elif value == 1:
            return image
        elif value == 2:
            x, y = x + data[i], y + data[i + 1]
            i += 2
        else:
            nbytes = (value + 1) // 2
            for k in range(value):
                byte = data[i + k // 2]
                image[height - 1 - y, x] = (byte >> 4) if k % 2 == 0 else (byte & 15)
                x += 1
            i += nbytes + (nbytes % 2)
    raise ValueError('RLE-4 data without end-of-bitmap marker')


def encode_bmp24(rgb):
    """A 24-bit BI_RGB BMP of an (height, width, 3) uint8 RGB array."""
    height, width, _ = rgb.shape
    pad = b'\0' * (-(width * 3) % 4)
    data = b''.join(rgb[y, :, ::-1].tobytes() + pad for y in range(height - 1, -1, -1))
    return _file(_info_header(width, height, 24, BI_RGB, len(data), 0), b'', data)


def read_bmp(blob):
    """Decodes a BMP of this module: returns (info dict, pixels) where pixels are indices for
    palette images and RGB triples for 24-bit ones, top-down."""
    magic, _, _, _, offset = struct.unpack_from('<2sIHHI', blob, 0)
    assert magic == b'BM'
    (size, width, height, planes, bits, compression, image_size, _, _, used,
     _) = struct.unpack_from('<IiiHHIIiiII', blob, 14)
    assert size == 40 and planes == 1 and height > 0
    info = dict(width=width, height=height, bits=bits, compression=compression,
                image_size=image_size, colours_used=used)
    data = blob[offset:]
    if bits == 24:
        stride = (width * 3 + 3) // 4 * 4
        rows = [np.frombuffer(data, np.uint8, width * 3, (height - 1 - y) * stride)
                .reshape(width, 3)[:, ::-1] for y in range(height)]
        return info, np.stack(rows)
    palette_count = used or (1 << bits)
    raw = blob[54:54 + 4 * palette_count]
    info['palette'] = [(raw[4 * k + 2], raw[4 * k + 1], raw[4 * k]) for k in range(palette_count)]
    assert bits == 4
    if compression == BI_RLE4:
        assert image_size == len(data)
        return info, decode_rle4(data, width, height)
    stride = (width * 4 + 31) // 32 * 4
    image = np.zeros((height, width), np.uint8)
    for y in range(height):
        row = data[(height - 1 - y) * stride:(height - y) * stride]
        for x in range(width):
            byte = row[x // 2]
            image[y, x] = (byte >> 4) if x % 2 == 0 else (byte & 15)
    return info, image


def _mask_rows(opaque):
    """The AND mask of an icon or cursor: 1 where transparent, rows bottom-up, 32-bit padded."""
    height, width = opaque.shape
    stride = (width + 31) // 32 * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        bits = np.packbits(~opaque[y]).tobytes()
        out += bits + b'\0' * (stride - len(bits))
    return bytes(out)


def _dib(indices, palette, bits, opaque):
    """The DIB of one icon or cursor image: header (double height), palette, XOR, AND."""
    height, width = indices.shape
    if bits == 1:
        stride = (width + 31) // 32 * 4
        xor = bytearray()
        for y in range(height - 1, -1, -1):
            packed = np.packbits(indices[y].astype(bool)).tobytes()
            xor += packed + b'\0' * (stride - len(packed))
        xor = bytes(xor)
    elif bits == 4:
        xor = b''.join(_pack4(indices[y]) for y in range(height - 1, -1, -1))
    else:
        stride = (width + 3) // 4 * 4
        xor = b''.join(indices[y].astype(np.uint8).tobytes() + b'\0' * (stride - width)
                       for y in range(height - 1, -1, -1))
    and_mask = _mask_rows(opaque)
    info = _info_header(width, height * 2, bits, BI_RGB, len(xor) + len(and_mask), 0)
    return info + _palette_bytes(palette) + xor + and_mask


def encode_cur(white, opaque, hotspot):
    """A monochrome .cur: `white` and `opaque` are (32, 32) bool arrays; pixels that are opaque
    and not white are black. The directory entry carries the hot spot."""
    height, width = opaque.shape
    dib = _dib(white & opaque, [(0, 0, 0), (255, 255, 255)], 1, opaque)
    entry = struct.pack('<BBBBHHII', width, height, 2, 0, hotspot[0], hotspot[1], len(dib), 22)
    return struct.pack('<HHH', 0, 2, 1) + entry + dib


def read_cur(blob):
    """Returns (width, height, hotspot, white, opaque) of a single-image .cur."""
    reserved, kind, count = struct.unpack_from('<HHH', blob, 0)
    assert (reserved, kind, count) == (0, 2, 1)
    width, height, _, _, hx, hy, size, offset = struct.unpack_from('<BBBBHHII', blob, 6)
    dib = blob[offset:offset + size]
    hsize, w, h2, planes, bits = struct.unpack_from('<IiiHH', dib, 0)
    assert hsize == 40 and w == width and h2 == 2 * height and bits == 1
    stride = (width + 31) // 32 * 4
    xor_at = 40 + 8
    and_at = xor_at + stride * height
    xor = np.unpackbits(np.frombuffer(dib, np.uint8, stride * height, xor_at)).reshape(
        height, stride * 8)[::-1, :width].astype(bool)
    andm = np.unpackbits(np.frombuffer(dib, np.uint8, stride * height, and_at)).reshape(
        height, stride * 8)[::-1, :width].astype(bool)
    return width, height, (hx, hy), xor & ~andm, ~andm


def encode_ico(images):
    """An .ico of several images: each a tuple (indices, palette, bits, opaque)."""
    dibs = [_dib(ix, pal, bits, opq) for (ix, pal, bits, opq) in images]
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for (ix, pal, bits, _), dib in zip(images, dibs):
        h, w = ix.shape
        entries += struct.pack('<BBBBHHII', w % 256, h % 256, 16 if bits == 4 else 0, 0, 1, bits,
                               len(dib), offset)
        offset += len(dib)
    return header + entries + b''.join(dibs)


def read_ico_entries(blob):
    """(width, height, bits) of each image of an .ico, read from the images' own headers."""
    _, kind, count = struct.unpack_from('<HHH', blob, 0)
    assert kind == 1
    out = []
    for k in range(count):
        w, h, _, _, _, bits, size, offset = struct.unpack_from('<BBBBHHII', blob, 6 + 16 * k)
        hsize, dw, dh, _, dbits = struct.unpack_from('<IiiHH', blob, offset)
        assert hsize == 40 and dw == (w or 256) and dh == 2 * (h or 256) and dbits == bits
        out.append((dw, dh // 2, dbits))
    return out
