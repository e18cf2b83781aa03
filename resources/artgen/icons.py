"""The program icon (133: 16 and 32 pixels at 4 bits, 48 at 8 bits) and the knob cursor (128).

The icon repeats the About window's badge: a turned-metal bezel around dark glass with the green
ring and a play sign. The 4-bit sizes use the 16 standard VGA colours (the palette of 16-colour
displays); the 48-pixel one an adaptive palette. The cursor is a small curved arrow, white with a
black edge, whose tip is the hot spot (8, 5).
"""
import numpy as np
from PIL import Image, ImageDraw

from . import maps
from . import paint as p

CURSOR_HOTSPOT = (8, 5)


def _badge_rgba(size):
    f = 4
    n = size * f
    c = p.canvas(n, n, (0, 0, 0))
    cx = cy = n / 2
    r = n / 2 - f * 0.5
    bezel = p.disc_mask(n, n, cx, cy, r, 1)
    p.fill(c, bezel, p.spun(n, n, (cx, cy), (0.62, 0.63, 0.66), 121, 0.05, 0.25))
    glass_r = r * (0.80 if size > 16 else 0.84)
    glass = p.disc_mask(n, n, cx, cy, glass_r, 1)
    p.fill(c, glass, (0.02, 0.08, 0.05))
    ring = p.ring_mask(n, n, cx, cy, glass_r * 0.62, glass_r * 0.86, 1)
    if size >= 32:
        ys, xs = np.mgrid[0:n, 0:n]
        theta = np.arctan2(ys + 0.5 - cy, xs + 0.5 - cx)
        seg = (theta / (2 * np.pi) * (16 if size == 32 else 24)) % 1.0
        ring = ring * ((seg > 0.15) & (seg < 0.85))
    p.fill(c, ring, (0.2, 1.0, 0.4))
    s = glass_r * 0.62
    play = p.polygon_mask(n, n, [(cx - s * 0.38, cy - s * 0.5), (cx - s * 0.38, cy + s * 0.5),
                                 (cx + s * 0.5, cy)], 1)
    p.fill(c, play, (0.6, 1.0, 0.65))
    rgb = c.reshape(size, f, size, f, 3).mean(axis=(1, 3))
    alpha = bezel.reshape(size, f, size, f).mean(axis=(1, 3))
    return rgb, alpha


def _nearest(rgb, palette):
    pal = np.array(palette, np.float32) / 255.0
    d = ((rgb[:, :, None, :] - pal[None, None, :, :]) ** 2).sum(-1)
    return d.argmin(-1).astype(np.uint8)


def icon_images():
    """[(indices, palette, bits, opaque)] for 16, 32 (4 bits) and 48 (8 bits)."""
    out = []
    for size in (16, 32):
        rgb, alpha = _badge_rgba(size)
        opaque = alpha >= 0.5
        # Only the neutral greys and the two greens: other VGA colours would speckle the metal.
        usable = [maps.VGA_ORDER.index(n) for n in ('black', 'grey', 'silver', 'white', 'green',
                                                     'lime')]
        ix = np.array(usable, np.uint8)[_nearest(rgb, [maps.PALETTE[i] for i in usable])]
        ix[~opaque] = 0
        out.append((ix, maps.PALETTE, 4, opaque))
    rgb, alpha = _badge_rgba(48)
    opaque = alpha >= 0.5
    im = p.to_image(rgb).quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=0)
    palette = im.getpalette()[:255 * 3]
    palette = [tuple(palette[3 * i:3 * i + 3]) for i in range(len(palette) // 3)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    ix = np.asarray(im, np.uint8).copy()
    ix[~opaque] = 0
    out.append((ix, palette, 8, opaque))
    return out


def cursor():
    """(white, opaque) bool arrays of the 32 x 32 curved arrow."""
    f = 8
    im = Image.new('L', (32 * f, 32 * f), 0)
    d = ImageDraw.Draw(im)
    cx, cy, r = 15.5, 14.5, 7.0
    box = [(cx - r) * f, (cy - r) * f, (cx + r) * f, (cy + r) * f]
    # The arc runs from the left side down, round the bottom and up the right (PIL's angles
    # grow clockwise on screen from the positive x axis).
    d.arc(box, start=-50, end=197, fill=255, width=int(2.2 * f))
    tip = CURSOR_HOTSPOT
    d.polygon([((tip[0] + 0.5) * f, (tip[1] + 0.3) * f), ((tip[0] - 4.0) * f, (tip[1] + 6.5) * f),
               ((tip[0] + 5.0) * f, (tip[1] + 6.5) * f)], fill=255)
    white = np.asarray(im, np.float32).reshape(32, f, 32, f).mean(axis=(1, 3)) / 255.0 >= 0.5
    edge = np.zeros_like(white)
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            edge |= np.roll(np.roll(white, dy, 0), dx, 1)
    opaque = white | edge
    assert opaque[tip[1], tip[0]], 'the hot spot must lie on the arrow'
    return white, opaque
