"""Keys, symbols and knobs shared by the main and playlist windows.

A key is drawn inside its map area: the area's outermost pixel ring is a dark groove, inside it a
machined cap with a bevel. At rest the symbol is silkscreened in pale grey; lit, the cap is pressed
in (the bevel turns over) and the symbol glows. The lit look stays inside the map area, so a lit
picture differs from the normal one exactly where the controls are.
"""
import numpy as np

from . import geometry as g
from . import paint as p

CAP = (0.30, 0.31, 0.33)
GROOVE = (0.04, 0.04, 0.05)
INK = np.array([0.80, 0.82, 0.84])


def key(c, mask, symbol, lit, seed, colour=CAP, glow_colour=p.GLOW, led=None):
    """Draws one key in its area mask; symbol is a soft mask (or None); led=(x, y) adds a small
    indicator lamp that lights with the key."""
    h, w, _ = c.shape
    area = np.asarray(mask, bool)
    cap_bool = ~g.dilate(~area, 1)
    cap = p.soft(cap_bool, 0.5) * area
    p.fill(c, area, GROOVE)
    metal = p.brushed(w, h, colour, seed, 0.05, 8)
    # Lit from above at rest; pressed in, the top falls into shadow.
    rows = np.nonzero(area.any(1))[0]
    t = np.clip((np.arange(h) - rows[0]) / max(rows[-1] - rows[0], 1), 0, 1)
    shade = 1.12 - 0.26 * t if not lit else 0.80 + 0.15 * t
    metal = np.clip(metal * shade[:, None, None], 0, 1)
    p.fill(c, cap, metal)
    p.bevel(c, cap_bool, 1.2, 1.1, raised=not lit)
    if symbol is not None:
        sym = symbol * cap
        if lit:
            p.glow(c, sym, glow_colour * 0.6, 1.6, 1.6)
            p.fill(c, sym, np.clip(glow_colour * 1.05 + 0.15, 0, 1))
        else:
            p.emboss_light(c, sym, INK, 0.6)
    if led is not None:
        lamp = p.disc_mask(w, h, led[0], led[1], 1.6) * cap
        if lit:
            p.glow(c, lamp, glow_colour, 1.5, 1.5)
            p.fill(c, lamp, (0.75, 1.0, 0.8))
        else:
            p.fill(c, lamp, (0.05, 0.16, 0.09))
    return area


# --- symbols (soft masks) ------------------------------------------------------------------------

def tri(w, h, cx, cy, size, direction):
    """A filled triangle pointing 'right', 'left', 'up' or 'down', centred at (cx, cy)."""
    s = size
    pts = {'right': [(cx - s * 0.45, cy - s * 0.55), (cx - s * 0.45, cy + s * 0.55),
                     (cx + s * 0.55, cy)],
           'left': [(cx + s * 0.45, cy - s * 0.55), (cx + s * 0.45, cy + s * 0.55),
                    (cx - s * 0.55, cy)],
           'up': [(cx - s * 0.55, cy + s * 0.45), (cx + s * 0.55, cy + s * 0.45),
                  (cx, cy - s * 0.55)],
           'down': [(cx - s * 0.55, cy - s * 0.45), (cx + s * 0.55, cy - s * 0.45),
                    (cx, cy + s * 0.55)]}[direction]
    return p.polygon_mask(w, h, pts)


def bar(w, h, x0, y0, x1, y1):
    return p.polygon_mask(w, h, [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def union(*masks):
    out = np.zeros_like(masks[0])
    for m in masks:
        out = np.maximum(out, m)
    return out


def sym_play(w, h, cx, cy, s):
    return tri(w, h, cx + s * 0.05, cy, s, 'right')


def sym_pause(w, h, cx, cy, s):
    return union(bar(w, h, cx - s * 0.5, cy - s * 0.5, cx - s * 0.2, cy + s * 0.5),
                 bar(w, h, cx + s * 0.2, cy - s * 0.5, cx + s * 0.5, cy + s * 0.5))


def sym_previous(w, h, cx, cy, s):
    return union(bar(w, h, cx - s * 0.55, cy - s * 0.45, cx - s * 0.38, cy + s * 0.45),
                 tri(w, h, cx - s * 0.12, cy, s * 0.8, 'left'),
                 tri(w, h, cx + s * 0.32, cy, s * 0.8, 'left'))


def sym_next(w, h, cx, cy, s):
    return union(bar(w, h, cx + s * 0.38, cy - s * 0.45, cx + s * 0.55, cy + s * 0.45),
                 tri(w, h, cx + s * 0.12, cy, s * 0.8, 'right'),
                 tri(w, h, cx - s * 0.32, cy, s * 0.8, 'right'))


def sym_cross(w, h, cx, cy, s, t=1.3):
    d = s * 0.4
    return union(p.line_mask(w, h, [(cx - d, cy - d), (cx + d, cy + d)], t),
                 p.line_mask(w, h, [(cx - d, cy + d), (cx + d, cy - d)], t))


def sym_plus(w, h, cx, cy, s, t=1.4):
    d = s * 0.42
    return union(p.line_mask(w, h, [(cx - d, cy), (cx + d, cy)], t),
                 p.line_mask(w, h, [(cx, cy - d), (cx, cy + d)], t))


def sym_minus(w, h, cx, cy, s, t=1.4):
    d = s * 0.42
    return p.line_mask(w, h, [(cx - d, cy), (cx + d, cy)], t)


def sym_list(w, h, cx, cy, s):
    """Three lines of a list, with bullets."""
    out = []
    for k in (-1, 0, 1):
        y = cy + k * s * 0.32
        out.append(p.line_mask(w, h, [(cx - s * 0.2, y), (cx + s * 0.55, y)], 1.1))
        out.append(p.disc_mask(w, h, cx - s * 0.48, y, 0.75))
    return union(*out)


def sym_eject(w, h, cx, cy, s):
    return union(tri(w, h, cx, cy - s * 0.15, s * 0.8, 'up'),
                 bar(w, h, cx - s * 0.45, cy + s * 0.3, cx + s * 0.45, cy + s * 0.45))


def sym_save(w, h, cx, cy, s):
    return union(tri(w, h, cx, cy + s * 0.05, s * 0.75, 'down'),
                 bar(w, h, cx - s * 0.08, cy - s * 0.55, cx + s * 0.08, cy - s * 0.1),
                 bar(w, h, cx - s * 0.45, cy + s * 0.38, cx + s * 0.45, cy + s * 0.52))


def sym_sort(w, h, cx, cy, s):
    """Three bars of growing length: ordering."""
    out = []
    for k, length in ((-1, 0.35), (0, 0.65), (1, 0.95)):
        y = cy + k * s * 0.3
        out.append(p.line_mask(w, h, [(cx - s * 0.5, y), (cx - s * 0.5 + s * length, y)], 1.1))
    return union(*out)


def sym_reverse(w, h, cx, cy, s):
    """Two opposed arrows: up on the left, down on the right."""
    return union(tri(w, h, cx - s * 0.28, cy - s * 0.15, s * 0.55, 'up'),
                 bar(w, h, cx - s * 0.33, cy - s * 0.05, cx - s * 0.23, cy + s * 0.45),
                 tri(w, h, cx + s * 0.28, cy + s * 0.15, s * 0.55, 'down'),
                 bar(w, h, cx + s * 0.23, cy - s * 0.45, cx + s * 0.33, cy + s * 0.05))


def sym_shuffle(w, h, cx, cy, s):
    """Two crossing paths ending in arrow heads."""
    a = s * 0.5
    return union(p.line_mask(w, h, [(cx - a, cy + a * 0.55), (cx + a * 0.45, cy - a * 0.55)], 1.1),
                 p.line_mask(w, h, [(cx - a, cy - a * 0.55), (cx + a * 0.45, cy + a * 0.55)], 1.1),
                 tri(w, h, cx + a * 0.62, cy - a * 0.55, s * 0.4, 'right'),
                 tri(w, h, cx + a * 0.62, cy + a * 0.55, s * 0.4, 'right'))


def sym_plug(w, h, cx, cy, s):
    """A mains plug: the plug-in's own key."""
    return union(bar(w, h, cx - s * 0.38, cy - s * 0.1, cx + s * 0.38, cy + s * 0.3),
                 bar(w, h, cx - s * 0.24, cy - s * 0.5, cx - s * 0.1, cy - s * 0.1),
                 bar(w, h, cx + s * 0.1, cy - s * 0.5, cx + s * 0.24, cy - s * 0.1),
                 bar(w, h, cx - s * 0.07, cy + s * 0.3, cx + s * 0.07, cy + s * 0.58))


def label(w, h, text, cx, cy, size=7, spacing=1):
    """Small silkscreen caps centred at (cx, cy)."""
    return p.text_mask(w, h, text, p.SANS_BOLD, size, (cx, cy), anchor='mm', spacing=spacing)


# --- knobs ---------------------------------------------------------------------------------------

def knob(size, centre, radius, angle_deg, background, seed, ridges=30, lit=False, marker=True):
    """A ridged rotary knob seen from above, turned so that its marker points at angle_deg
    (clockwise on screen from the positive x axis). The light stays at the top left, so only the
    ridges and the marker turn. Drawn over a copy of `background` of shape (size, size, 3)."""
    f = 4
    n = size * f
    ys, xs = np.mgrid[0:n, 0:n]
    dx = (xs + 0.5) / f - centre[0]
    dy = (ys + 0.5) / f - centre[1]
    r = np.hypot(dx, dy)
    theta = np.arctan2(dy, dx)
    a = np.radians(angle_deg)
    out = np.zeros((n, n, 3), np.float32)
    # Knurled rim: ridges as a cosine profile whose slope faces the light or not.
    rim_in = radius * 0.76
    phase = ridges * (theta - a)
    slope = np.sin(phase)  # sign of the ridge flank
    tangent = np.stack([-np.sin(theta), np.cos(theta)], -1)
    facing = (tangent[..., 0] * p.LIGHT[0] + tangent[..., 1] * p.LIGHT[1]) * slope
    radial = (dx * p.LIGHT[0] + dy * p.LIGHT[1]) / np.maximum(r, 1e-3)
    rim = 0.36 + 0.20 * facing - 0.12 * radial + 0.05 * np.cos(phase)
    rim_rgb = np.stack([rim * 0.98, rim, rim * 1.04], -1)
    # Cap: turned metal with a fixed sheen, a chamfer lit from the top left.
    rng = p.rng(seed)
    profile = p.blur(rng.standard_normal(int(radius * f * 2) + 8), 1.5)
    profile /= np.abs(profile).max() + 1e-6
    rings = np.interp(r * f * 2, np.arange(len(profile)), profile)
    cone = np.cos(2 * (theta - np.arctan2(p.LIGHT[1], p.LIGHT[0])))
    cap = 0.50 + 0.035 * rings + 0.11 * cone * np.clip(r / (radius * 0.3), 0, 1)
    chamfer = (r > rim_in - 1.6) & (r <= rim_in)
    cap = np.where(chamfer, 0.55 - 0.30 * radial, cap)
    cap_rgb = np.stack([cap * 0.97, cap * 0.99, cap * 1.03], -1)
    out[:] = np.where((r <= rim_in)[..., None], cap_rgb, rim_rgb)
    # Outer edge darkens into the shadow line around the knob.
    edge = np.clip((r - (radius - 1.2)) / 1.2, 0, 1)[..., None]
    out = out * (1 - 0.8 * edge)
    # Marker: a groove from the centre area to the chamfer, holding a lamp.
    along = dx * np.cos(a) + dy * np.sin(a)
    across = -dx * np.sin(a) + dy * np.cos(a)
    groove = (np.abs(across) < 1.1) & (along > radius * 0.22) & (along < rim_in - 1.8) & marker
    out[groove] = out[groove] * 0.25
    lamp_c = rim_in - 4.6
    lamp = (np.hypot(along - lamp_c, across) < 1.9) & marker
    lamp_colour = np.array([0.55, 1.0, 0.62]) if lit else np.array([0.18, 0.72, 0.34])
    out[lamp] = lamp_colour
    inside = r <= radius
    small = out.reshape(size, f, size, f, 3).mean(axis=(1, 3))
    cover = inside.reshape(size, f, size, f).mean(axis=(1, 3))[..., None]
    result = background * (1 - cover) + small * cover
    # A soft halo from the lamp.
    halo = np.zeros((n, n), np.float32)
    halo[lamp] = 1
    halo = p.blur(halo.reshape(size, f, size, f).mean(axis=(1, 3)), 1.2)
    strength = 0.9 if lit else 0.35
    result = np.clip(result + halo[..., None] * np.array([0.1, 0.6, 0.25]) * strength * cover, 0, 1)
    return result.astype(np.float32)
