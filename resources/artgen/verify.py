"""Checks of the written files: the program's geometry, formats, sizes and depths.

Everything is read back from the files as written (not from the generator's arrays), with this
package's own decoders and, as an independent second opinion, with ImageMagick.
"""
import os
import shutil
import struct
import subprocess

import numpy as np
from PIL import Image

from . import bmpfile, geometry as g, glyphs, maps


class VerificationError(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise VerificationError(message)


def _tool(name):
    """An ImageMagick program: Debian's own first (a stand-in may shadow it in PATH)."""
    for path in ('/usr/bin/' + name, shutil.which(name)):
        if path and os.path.exists(path):
            return path
    raise VerificationError('ImageMagick %s is needed for the cross-checks' % name)


def magick_rgb(path, width, height):
    """The picture as ImageMagick decodes it, as an (height, width, 3) uint8 array."""
    raw = subprocess.run([_tool('convert'), path, '-depth', '8', 'rgb:-'], check=True,
                         capture_output=True).stdout
    check(len(raw) == width * height * 3, '%s: ImageMagick decoded %d bytes' % (path, len(raw)))
    return np.frombuffer(raw, np.uint8).reshape(height, width, 3)


def verify_map(path, region_map):
    """Returns the rows of the region table: (area, colour name, rgb, box, rectangles, sample)."""
    blob = open(path, 'rb').read()
    info, ix = bmpfile.read_bmp(blob)
    name = os.path.basename(path)
    check((info['width'], info['height']) == (region_map.width, region_map.height),
          '%s: size %dx%d' % (name, info['width'], info['height']))
    check(info['bits'] == 4, '%s: %d bits per pixel' % (name, info['bits']))
    check(info['compression'] == (bmpfile.BI_RLE4 if region_map.rle else bmpfile.BI_RGB),
          '%s: compression %d' % (name, info['compression']))
    palette = info['palette']
    check(palette == maps.PALETTE, '%s: palette is not the 16 VGA colours' % name)
    check(len(set(palette)) == len(palette), '%s: a colour has two palette entries' % name)
    check(np.array_equal(ix, region_map.indices()), '%s: pixels differ from the design' % name)
    rgb = np.array(palette, np.uint8)[ix]
    check(np.array_equal(magick_rgb(path, region_map.width, region_map.height), rgb),
          '%s: ImageMagick decodes other pixels' % name)
    rows = []
    for area in region_map.areas:
        x, y = area.sample
        selected = g.select(ix, x, y, area.mode)
        box = g.bounds(selected)
        check(box == area.box, '%s %s: bounds %s, expected %s' % (name, area.name, box, area.box))
        colour = maps.VGA_ORDER[ix[y, x]]
        check(colour == area.colour, '%s %s: sample point colour %s' % (name, area.name, colour))
        if area.mode == 'excluding':
            check(not selected[y, x], '%s: the corner lies inside the window shape' % name)
        else:
            check(selected[y, x], '%s %s: sample point outside its area' % (name, area.name))
            check(np.array_equal(selected, area.mask),
                  '%s %s: the area reaches beyond its designed shape' % (name, area.name))
        rows.append((area.name, colour, maps.VGA[colour], box, g.rectangle_count(selected),
                     area.sample, area.mode))
    return rows


def verify_main_geometry(region_map):
    """The dial's progress ring must not run over other controls."""
    ellipse = g.ellipse(region_map.width, region_map.height, maps.PROGRESS_ELLIPSE)
    for area in region_map.areas:
        if area.name in ('timeRegion', 'windowShape'):
            continue
        check(not (g.dilate(area.mask, 1) & ellipse).any(),
              'main map: %s touches the progress ring' % area.name)
    time = region_map.area('timeRegion').mask
    check((time <= ellipse).all(), 'main map: the time display leaves the progress ellipse')
    title = region_map.area('titleRegion').mask
    check(title[60, 38] and title[46, 40], 'main map: the visualisation or title line is outside')


def verify_jpeg(path, size):
    blob = open(path, 'rb').read()
    name = os.path.basename(path)
    check(blob[:2] == b'\xff\xd8' and blob[6:11] == b'JFIF\0', '%s: not a JFIF file' % name)
    i = 2
    frame = None
    while i < len(blob):
        check(blob[i] == 0xFF, '%s: broken marker sequence' % name)
        marker = blob[i + 1]
        length = struct.unpack('>H', blob[i + 2:i + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            frame = (marker, blob[i + 4:i + 2 + length])
            break
        i += 2 + length
    check(frame is not None and frame[0] == 0xC0, '%s: not a baseline JPEG' % name)
    precision, height, width, count = struct.unpack('>BHHB', frame[1][:6])
    check((width, height) == size and precision == 8 and count == 3,
          '%s: %dx%d, %d components' % (name, width, height, count))
    for k in range(3):
        check(frame[1][6 + 3 * k + 1] == 0x11, '%s: chroma is subsampled' % name)
    with Image.open(path) as im:
        check(im.mode == 'RGB' and im.size == size, '%s: decodes as %s %s' % (name, im.mode, im.size))


def verify_bmp(path, size, bits, colours=None):
    info, pixels = bmpfile.read_bmp(open(path, 'rb').read())
    name = os.path.basename(path)
    check((info['width'], info['height'], info['bits']) == (size[0], size[1], bits),
          '%s: %dx%d at %d bits' % (name, info['width'], info['height'], info['bits']))
    check(info['compression'] == bmpfile.BI_RGB, '%s: compressed' % name)
    if bits == 24:
        check(np.array_equal(magick_rgb(path, *size), pixels), '%s: ImageMagick disagrees' % name)
        return pixels
    rgb = np.array(info['palette'], np.uint8)[pixels]
    check(np.array_equal(magick_rgb(path, *size), rgb), '%s: ImageMagick disagrees' % name)
    if colours is not None:
        used = {tuple(c) for c in rgb.reshape(-1, 3)}
        check(len(used) == colours, '%s: %d colours, expected %d' % (name, len(used), colours))
    return pixels, info['palette']


def verify_seek_frames(paths):
    frames = [verify_bmp(path, (49, 49), 24) for path in paths]
    for k in range(len(frames)):
        nxt = frames[(k + 1) % len(frames)]
        changed = (frames[k] != nxt).any(-1).sum()
        check(changed > 60, 'seek frames %d and %d differ in only %d pixels' % (k, k + 1, changed))


def verify_glyphs(path):
    pixels, palette = verify_bmp(path, (glyphs.WIDTH, glyphs.CELL_H), 4)
    check(tuple(palette[0]) == glyphs.PAPER and tuple(palette[1]) == glyphs.INK,
          'glyph strip: paper and ink colours')
    check(len(set(palette)) == 16, 'glyph strip: duplicate palette entries')
    ink = pixels == 1
    check(not ink[:, -1].any(), 'glyph strip: the last column is used')
    for code in range(glyphs.FIRST, glyphs.LAST + 1):
        cell = ink[:, (code - glyphs.FIRST) * glyphs.CELL_W:(code - glyphs.FIRST + 1) * glyphs.CELL_W]
        check(not cell[:, glyphs.ADVANCE - 1:].any(), 'glyph %r touches its gap' % chr(code))
        check(cell.any() == (code != 32), 'glyph %r: ink %s' % (chr(code), cell.any()))
    check(((pixels == 0) | ink).all(), 'glyph strip: colours other than paper and ink')


def verify_cursor(path, hotspot):
    width, height, hs, white, opaque = bmpfile.read_cur(open(path, 'rb').read())
    check((width, height) == (32, 32), 'cursor: %dx%d' % (width, height))
    check(hs == hotspot, 'cursor: hot spot %s' % (hs,))
    check(opaque[hs[1], hs[0]], 'cursor: the hot spot is transparent')
    check(white.sum() > 40 and (opaque & ~white).sum() > 40, 'cursor: no visible arrow')


def verify_icon(path):
    entries = bmpfile.read_ico_entries(open(path, 'rb').read())
    check(entries == [(16, 16, 4), (32, 32, 4), (48, 48, 8)], 'icon: images %s' % entries)
    out = subprocess.run([_tool('identify'), '-format', '%w %h\n', path], check=True,
                         capture_output=True, text=True).stdout.split()
    check(out == ['16', '16', '32', '32', '48', '48'], 'icon: ImageMagick reads %s' % out)


def verify_lit(normal, lit, mask, names_masks, label):
    """The lit picture differs from the one at rest only inside `mask`, and in every control."""
    diff = (normal != lit).any(-1)
    check(not (diff & ~mask).any(), '%s: the lit picture differs outside the controls' % label)
    for name, m in names_masks:
        check((diff & m).sum() >= 4, '%s: %s does not light up' % (label, name))
