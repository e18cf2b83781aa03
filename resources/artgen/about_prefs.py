"""The About window's picture (147) and the preferences window's background (146).

The About window is a round turned-metal disc with the credits screen in the middle (the credits
scroll in the screen's own colours, green 0x00F000 on 0x102200), the product's name below it and a
glowing badge standing out at the lower right. The preferences picture is a brushed panel with a
recess behind the tab control, so that hiding the tabs reveals a finished surface.
"""
import numpy as np

from . import geometry as g
from . import maps
from . import paint as p

CREDITS_BACK = np.array([0x00, 0x22, 0x10]) / 255.0


def _badge(c, cx, cy, r, lit_ring=True):
    h, w, _ = c.shape
    bezel = p.disc_mask(w, h, cx, cy, r)
    p.fill(c, bezel, p.spun(w, h, (cx, cy), (0.60, 0.61, 0.63), 91, 0.06, 0.25))
    p.bevel(c, bezel, 1.6, 1.2)
    glass_r = r * 0.88
    glass = p.disc_mask(w, h, cx, cy, glass_r)
    p.fill(c, glass, (0.01, 0.05, 0.03))
    p.inner_shadow(c, glass > 0.5, 2.5, 0.6)
    xs, ys = g.grid(w, h)
    theta = np.arctan2(ys + 0.5 - cy, xs + 0.5 - cx)
    seg = (theta / (2 * np.pi) * 36) % 1.0
    ring = p.ring_mask(w, h, cx, cy, glass_r * 0.70, glass_r * 0.84)
    segments = ring * ((seg > 0.2) & (seg < 0.8))
    colour = np.array([0.25, 1.0, 0.5]) if lit_ring else np.array([0.05, 0.3, 0.15])
    p.glow(c, segments, colour * 0.5, 2.0, 1.2)
    p.fill(c, segments, colour)
    s = glass_r * 0.55
    play = p.polygon_mask(w, h, [(cx - s * 0.35, cy - s * 0.5), (cx - s * 0.35, cy + s * 0.5),
                                 (cx + s * 0.52, cy)])
    p.glow(c, play, colour * 0.6, 2.5, 1.5)
    p.fill(c, play, np.clip(colour + 0.2, 0, 1))
    # A reflection across the glass.
    sheen = glass * np.clip(1 - np.hypot(xs + 0.5 - (cx - glass_r * 0.35),
                                         ys + 0.5 - (cy - glass_r * 0.45)) / (glass_r * 0.7), 0, 1)
    p.add(c, sheen * 0.10, (1, 1, 1))


def about():
    m = maps.about_map()
    w, h = maps.ABOUT_W, maps.ABOUT_H
    c = p.canvas(w, h, (0, 0, 0))
    body = m.body
    centre = (202, 210)
    p.fill(c, body, p.spun(w, h, centre, (0.23, 0.24, 0.26), 81, 0.06, 0.12))
    # The badge's lug rises above the disc.
    bx, by = maps.BADGE_CENTRE
    lug = p.disc_mask(w, h, bx, by, 66) * body
    p.shadow(c, lug, (2, 3), 3, 0.5)
    p.fill(c, lug, p.spun(w, h, (bx, by), (0.30, 0.31, 0.33), 82, 0.06, 0.18))
    p.bevel(c, body, 2.5, 1.3)
    p.bevel(c, lug, 1.8, 1.0)
    p.fill(c, body & g.dilate(~body, 1), (0.05, 0.05, 0.06))
    # The credits screen.
    credits = m.area('creditsArea').mask
    well = g.dilate(credits, 4)
    p.fill(c, p.soft(well, 0.6), (0.03, 0.03, 0.035))
    p.bevel(c, well, 1.5, 1.1, raised=False)
    p.fill(c, credits, CREDITS_BACK)
    # Name and version under the screen.
    name = p.text_mask(w, h, 'Corvane', p.SANS_BOLD, 34, (62, 318), anchor='lm')
    p.shadow(c, name, (1.5, 2), 1.5, 0.7)
    p.emboss_light(c, name, (0.84, 0.86, 0.89), 0.4)
    p.bevel(c, name, 0.8, 0.8)
    tag = p.text_mask(w, h, 'DIGITAL AUDIO PLAYER', p.SANS_BOLD, 8, (64, 344), anchor='lm',
                      spacing=2)
    p.emboss_light(c, tag, (0.66, 0.68, 0.71), 0.5)
    ver = p.text_mask(w, h, 'VERSION 0.41 BETA', p.SANS_BOLD, 8, (64, 360), anchor='lm',
                      spacing=2)
    p.fill(c, ver, (0.10, 0.80, 0.38))
    p.glow(c, ver, np.array([0.0, 0.3, 0.12]), 1.5, 0.8)
    # The badge.
    badge = m.area('badge').mask
    _badge(c, bx, by, 57.2)
    p.fill(c, badge & ~(p.disc_mask(w, h, bx, by, 57.2) > 0.5), (0.05, 0.05, 0.06))
    for sx, sy in ((202, 20), (24, 210), (380, 150), (120, 392)):
        if body[sy, sx] and not g.dilate(credits | badge, 8)[sy, sx]:
            p.screw(c, sx, sy)
    c[~body] = 0
    return c


def prefs():
    w, h = 401, 330
    c = p.brushed(w, h, (0.20, 0.21, 0.23), 101, 0.06, 60)
    panel = g.rect(w, h, (0, 0, w, h))
    p.bevel(c, panel, 2.5, 1.2)
    name = p.text_mask(w, h, 'Corvane', p.SANS_BOLD, 26, (22, 40), anchor='lm')
    p.shadow(c, name, (1.5, 2), 1.5, 0.7)
    p.emboss_light(c, name, (0.84, 0.86, 0.89), 0.4)
    title = p.text_mask(w, h, 'PREFERENCES', p.SANS_BOLD, 9, (385, 44), anchor='rm', spacing=3)
    p.fill(c, title, (0.10, 0.80, 0.38))
    p.glow(c, title, np.array([0.0, 0.3, 0.12]), 1.5, 0.8)
    line = g.rect(w, h, (22, 62, 385, 63))
    p.fill(c, line, (0.07, 0.07, 0.08))
    p.add(c, g.rect(w, h, (22, 63, 385, 64)), (0.10, 0.10, 0.11))
    # The recess behind the tab control (80, 78)-(385, 240).
    well = g.round_rect(w, h, (74, 72, 391, 246), 8)
    p.fill(c, p.soft(well, 0.5), (0.05, 0.055, 0.06))
    p.bevel(c, well, 1.5, 1.0, raised=False)
    p.inner_shadow(c, well, 3, 0.6, (2, 2))
    mark = p.text_mask(w, h, 'CORVANE', p.SANS_BOLD, 30, (232, 159), anchor='mm', spacing=8)
    p.engrave(c, mark * well, 0.35, 0.08)
    # A small dial on the left, as on the player.
    cx, cy = 40, 159
    p.fill(c, p.disc_mask(w, h, cx, cy, 26), p.spun(w, h, (cx, cy), (0.58, 0.59, 0.61), 103))
    p.bevel(c, p.disc_mask(w, h, cx, cy, 26), 1.5, 1.2)
    p.fill(c, p.disc_mask(w, h, cx, cy, 22), (0.02, 0.035, 0.03))
    xs, ys = g.grid(w, h)
    theta = np.arctan2(ys + 0.5 - cy, xs + 0.5 - cx)
    seg = ((theta / (2 * np.pi) * 30) % 1.0)
    ring = p.ring_mask(w, h, cx, cy, 16, 21) * ((seg > 0.2) & (seg < 0.8))
    lit = ring * (theta < 0.9)
    p.fill(c, ring, (0.04, 0.17, 0.09))
    p.fill(c, lit, (0.25, 1.0, 0.5))
    p.fill(c, p.disc_mask(w, h, cx, cy, 15), p.LCD_BACK)
    # Speaker grille along the bottom.
    for gy in range(262, 306, 7):
        for gx in range(84, 384, 7):
            hole = p.disc_mask(w, h, gx + (gy // 7 % 2) * 3.5, gy, 1.6)
            p.fill(c, hole, (0.02, 0.02, 0.025))
    for sx, sy in ((12, 12), (389, 12), (12, 318), (389, 318)):
        p.screw(c, sx, sy)
    return c


def generate():
    to8 = lambda a: np.clip(np.rint(a * 255), 0, 255).astype(np.uint8)
    return to8(prefs()), to8(about())
