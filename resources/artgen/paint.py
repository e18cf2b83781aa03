"""Drawing toolkit: float RGB canvases, soft masks, machined-metal materials, bevels, text.

Canvases are (height, width, 3) float32 arrays in 0..1; masks are (height, width) float arrays in
0..1 (bool masks from the region maps are accepted too). Every random texture comes from a seeded
generator, so the pictures are the same on every run.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from . import geometry as g

FONT_DIR = '/usr/share/fonts/truetype/dejavu/'
SANS = FONT_DIR + 'DejaVuSans.ttf'
SANS_BOLD = FONT_DIR + 'DejaVuSans-Bold.ttf'
MONO_BOLD = FONT_DIR + 'DejaVuSansMono-Bold.ttf'

# The display's colours, as the program draws its time and title.
LCD_BACK = np.array([0x00, 0x22, 0x10]) / 255.0
LCD_TEXT = np.array([0x00, 0xF0, 0x10]) / 255.0
GLOW = np.array([0.25, 1.0, 0.45])
LIGHT = np.array([-0.62, -0.78])  # light from the top left, as a unit vector in screen axes


def canvas(width, height, colour=(0, 0, 0)):
    c = np.zeros((height, width, 3), np.float32)
    c[:] = colour
    return c


def to_image(c):
    return Image.fromarray(np.clip(np.rint(c * 255.0), 0, 255).astype(np.uint8), 'RGB')


def rng(seed):
    return np.random.default_rng(seed)


def _kernel(radius):
    radius = max(radius, 0.3)
    n = int(np.ceil(radius * 3))
    x = np.arange(-n, n + 1, dtype=np.float64)
    k = np.exp(-0.5 * (x / radius) ** 2)
    return k / k.sum()


def blur(a, rx, ry=None):
    """Separable Gaussian blur with edge clamping."""
    ry = rx if ry is None else ry
    out = np.asarray(a, np.float64)
    passes = ((0, rx),) if out.ndim == 1 else ((1, rx), (0, ry))
    for axis, r in passes:
        if r <= 0:
            continue
        k = _kernel(r)
        n = len(k) // 2
        pad = [(0, 0)] * out.ndim
        pad[axis] = (n, n)
        padded = np.pad(out, pad, mode='edge')
        acc = np.zeros_like(out)
        for i, w in enumerate(k):
            sl = [slice(None)] * out.ndim
            sl[axis] = slice(i, i + out.shape[axis])
            acc += w * padded[tuple(sl)]
        out = acc
    return out.astype(np.float32)


def soft(mask, radius=0.6):
    """A bool mask with its edge softened, for anti-aliased drawing."""
    return blur(np.asarray(mask, np.float32), radius)


def supersampled(width, height, fn, factor=4):
    """A soft mask drawn by fn(width * factor, height * factor, factor) and averaged down."""
    big = np.asarray(fn(width * factor, height * factor, factor), np.float32)
    return big.reshape(height, factor, width, factor).mean(axis=(1, 3))


def fill(c, mask, colour):
    """Paints colour (an RGB triple or a canvas) over c through mask."""
    m = np.asarray(mask, np.float32)[..., None]
    c[:] = c * (1 - m) + np.asarray(colour, np.float32) * m


def add(c, mask, colour):
    """Adds light: c + colour * mask, clipped."""
    m = np.asarray(mask, np.float32)[..., None]
    c[:] = np.clip(c + np.asarray(colour, np.float32) * m, 0, 1)


def multiply(c, factor):
    c[:] = np.clip(c * np.asarray(factor, np.float32)[..., None], 0, 1)


def brushed(width, height, base, seed, strength=0.05, streak=30):
    """Brushed metal: fine noise smeared horizontally into streaks."""
    r = rng(seed)
    n = blur(r.standard_normal((height, width)), streak, 0.4)
    n = n / (np.abs(n).max() + 1e-6)
    fine = blur(r.standard_normal((height, width)), 0.5) * 0.3
    shade = 1 + strength * (n * 2.5 + fine)
    return np.clip(np.asarray(base, np.float32) * shade[..., None], 0, 1).astype(np.float32)


def spun(width, height, centre, base, seed, strength=0.06, sheen=0.10):
    """Spun metal: concentric fine rings, with the cone-shaped sheen of a turned surface."""
    r = rng(seed)
    xs, ys = g.grid(width, height)
    dx, dy = xs + 0.5 - centre[0], ys + 0.5 - centre[1]
    rad = np.hypot(dx, dy)
    profile = blur(r.standard_normal(int(rad.max()) * 4 + 8), 1.2)
    profile = profile / (np.abs(profile).max() + 1e-6)
    rings = np.interp(rad * 4, np.arange(len(profile)), profile)
    theta = np.arctan2(dy, dx)
    cone = np.cos(2 * (theta - np.arctan2(LIGHT[1], LIGHT[0])))
    shade = 1 + strength * rings + sheen * cone * np.clip(rad / 20, 0, 1)
    return np.clip(np.asarray(base, np.float32) * shade[..., None], 0, 1).astype(np.float32)


def relief(mask, radius, strength):
    """Lighting of a raised shape: the slope of its blurred mask facing the light is lit."""
    h = blur(np.asarray(mask, np.float32), radius)
    gy, gx = np.gradient(h)
    return (-(gx * LIGHT[0] + gy * LIGHT[1])) * strength * radius


def bevel(c, mask, radius=1.5, strength=1.0, raised=True):
    """Lights the edge of a shape as raised (or, raised=False, sunk into the surface)."""
    shade = relief(mask, radius, strength) * (1 if raised else -1)
    light = np.clip(shade, 0, None)[..., None]
    dark = np.clip(-shade, 0, None)[..., None]
    c[:] = np.clip(c + light * (1 - c) * 0.9 - dark * c * 0.9, 0, 1)


def shadow(c, mask, offset=(1.5, 2.0), radius=2.0, opacity=0.6):
    """A soft drop shadow of a shape, cast down and to the right."""
    m = np.asarray(mask, np.float32)
    sh = blur(np.roll(np.roll(m, int(round(offset[1])), 0), int(round(offset[0])), 1), radius)
    multiply(c, 1 - opacity * np.clip(sh, 0, 1))


def inner_shadow(c, mask, radius=2.0, opacity=0.7, offset=(1, 1)):
    """The shadow a well's rim casts into it (for recessed displays and panels)."""
    m = np.asarray(mask, np.float32)
    outside = 1 - m
    sh = blur(np.roll(np.roll(outside, offset[1], 0), offset[0], 1), radius)
    multiply(c, 1 - opacity * np.clip(sh, 0, 1) * m)


def glow(c, mask, colour, radius, strength):
    add(c, np.clip(blur(np.asarray(mask, np.float32), radius) * strength, 0, 1), colour)


_font_cache = {}


def font(path, size):
    key = (path, size)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(path, size)
    return _font_cache[key]


def text_mask(width, height, text, path, size, xy, anchor='la', mono=False, spacing=0):
    """A soft (or, mono=True, hard) mask of a text; spacing adds pixels between letters."""
    im = Image.new('L', (width, height), 0)
    d = ImageDraw.Draw(im)
    if mono:
        d.fontmode = '1'
    f = font(path, size)
    if spacing:
        total = sum(f.getlength(ch) for ch in text) + spacing * (len(text) - 1)
        x, y = xy
        if anchor[0] == 'm':
            x -= total / 2
        elif anchor[0] == 'r':
            x -= total
        for ch in text:
            d.text((x, y), ch, font=f, fill=255, anchor='l' + anchor[1])
            x += f.getlength(ch) + spacing
    else:
        d.text(xy, text, font=f, fill=255, anchor=anchor)
    return np.asarray(im, np.float32) / 255.0


def polygon_mask(width, height, points, factor=4):
    """An anti-aliased filled polygon (points in pixel coordinates)."""
    im = Image.new('L', (width * factor, height * factor), 0)
    ImageDraw.Draw(im).polygon([(x * factor, y * factor) for x, y in points], fill=255)
    a = np.asarray(im, np.float32) / 255.0
    return a.reshape(height, factor, width, factor).mean(axis=(1, 3))


def line_mask(width, height, points, thickness, factor=4):
    im = Image.new('L', (width * factor, height * factor), 0)
    d = ImageDraw.Draw(im)
    d.line([(x * factor, y * factor) for x, y in points], fill=255,
           width=int(round(thickness * factor)), joint='curve')
    a = np.asarray(im, np.float32) / 255.0
    return a.reshape(height, factor, width, factor).mean(axis=(1, 3))


def disc_mask(width, height, cx, cy, r, factor=4):
    """An anti-aliased disc, computed only in the square around it."""
    out = np.zeros((height, width), np.float32)
    x0, x1 = max(int(np.floor(cx - r)) - 1, 0), min(int(np.ceil(cx + r)) + 2, width)
    y0, y1 = max(int(np.floor(cy - r)) - 1, 0), min(int(np.ceil(cy + r)) + 2, height)
    if x0 < x1 and y0 < y1:
        out[y0:y1, x0:x1] = supersampled(
            x1 - x0, y1 - y0,
            lambda w, h, f: g.circle(w, h, (cx - x0) * f, (cy - y0) * f, r * f), factor)
    return out


def ring_mask(width, height, cx, cy, r0, r1, factor=4):
    return disc_mask(width, height, cx, cy, r1, factor) - disc_mask(width, height, cx, cy, r0,
                                                                    factor)


def screw(c, cx, cy, r=3.2, angle=0.6):
    """A small countersunk slotted screw head (drawn in a small patch around it)."""
    x0, y0 = int(cx - r) - 3, int(cy - r) - 3
    patch = c[y0:y0 + int(2 * r) + 7, x0:x0 + int(2 * r) + 7]
    h, w, _ = patch.shape
    cx, cy = cx - x0, cy - y0
    well = disc_mask(w, h, cx, cy, r + 0.9)
    fill(patch, well, (0.05, 0.05, 0.06))
    head = disc_mask(w, h, cx, cy, r)
    fill(patch, head, spun(w, h, (cx, cy), (0.52, 0.53, 0.55), 7, 0.05, 0.25))
    bevel(patch, head, 0.9, 1.0)
    dx, dy = np.cos(angle) * r * 0.8, np.sin(angle) * r * 0.8
    slot = line_mask(w, h, [(cx - dx, cy - dy), (cx + dx, cy + dy)], 0.9)
    fill(patch, slot * head, (0.08, 0.08, 0.09))


def engrave(c, mask, depth=0.55, highlight=0.25):
    """Text or a symbol cut into metal: dark groove with a light lower lip."""
    m = np.asarray(mask, np.float32)
    lip = np.clip(np.roll(np.roll(m, 1, 0), 1, 1) - m, 0, 1)
    multiply(c, 1 - depth * m)
    add(c, lip * highlight, (1, 1, 1))


def emboss_light(c, mask, colour=(0.85, 0.87, 0.9), shade=0.5):
    """Light printed lettering with a thin dark shadow under it (silkscreen on dark metal)."""
    m = np.asarray(mask, np.float32)
    below = np.clip(np.roll(np.roll(m, 1, 0), 1, 1) - m, 0, 1)
    multiply(c, 1 - shade * below)
    fill(c, m, colour)
