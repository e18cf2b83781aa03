"""The glyph strip (bitmap 130): characters 32 to 126 in cells of 14 x 13 pixels.

Each glyph is DejaVu Sans Bold rendered by FreeType's hinted monochrome rasteriser, so the strokes
are crisp whole pixels; glyphs wider than 11 pixels at 12 pixels fall back to 11, then 10, so that
every glyph keeps at least one blank column before the next in the 12-pixel advance. All glyphs
share one baseline. The colours are the display's: the time's green on its dark green.
"""
import numpy as np
from PIL import Image, ImageDraw

from . import paint as p

CELL_W, CELL_H, ADVANCE = 14, 13, 12
FIRST, LAST = 32, 126
WIDTH = (LAST - FIRST + 1) * CELL_W + 1  # 1331: the last column is not used
BASELINE = 10  # row of the baseline: 10 rows above it, 3 below for descenders
INK = (0x00, 0xF0, 0x10)
PAPER = (0x00, 0x22, 0x10)
# Palette: paper and ink first; the other entries are unused dimmer greens, all distinct.
PALETTE = [PAPER, INK] + [(0x00, 0x30 + 0x0C * k, 0x10 + k) for k in range(14)]


def _glyph(ch):
    for size in (12, 11, 10):
        f = p.font(p.SANS_BOLD, size)
        im = Image.new('1', (24, 20), 0)
        d = ImageDraw.Draw(im)
        d.fontmode = '1'
        d.text((4, 2 + BASELINE), ch, font=f, fill=1, anchor='ls')
        a = np.asarray(im, bool)
        cols = np.nonzero(a.any(0))[0]
        if len(cols) == 0:
            return np.zeros((CELL_H, ADVANCE), bool)
        width = cols[-1] - cols[0] + 1
        if width <= ADVANCE - 1:
            rows = a[2:2 + CELL_H]
            assert not a[:2].any() and not a[2 + CELL_H:].any(), 'glyph %r leaves its cell' % ch
            out = np.zeros((CELL_H, ADVANCE), bool)
            x0 = (ADVANCE - 1 - width + 1) // 2  # centred in the 11 columns before the gap
            out[:, x0:x0 + width] = rows[:, cols[0]:cols[-1] + 1]
            return out
    raise AssertionError('no size fits glyph %r' % ch)


def strip():
    """(13, 1331) palette indices: 0 paper, 1 ink."""
    ix = np.zeros((CELL_H, WIDTH), np.uint8)
    for code in range(FIRST, LAST + 1):
        x = (code - FIRST) * CELL_W
        ix[:, x:x + ADVANCE] = _glyph(chr(code)).astype(np.uint8)
    return ix
