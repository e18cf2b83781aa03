"""The main window: faces 138 (at rest) and 139 (lit), the seek knob's frames, the volume dot.

A compact graphite case: the green display for title and visualisation at the top, the round dial
with the time in its centre and the progress ring around it on a turned-metal plate below, the
ridged seek knob and the small volume knob on the right, the transport keys on an arc around the
dial. Everything is placed from the region map's masks (maps.py).
"""
import numpy as np
from PIL import Image

from . import controls as k
from . import geometry as g
from . import maps
from . import paint as p

W, H = maps.MAIN_W, maps.MAIN_H
SEEK_FRAME_ORIGIN = (96, 110)  # frame pixel (1, 1) lands on the knob box's corner (97, 111)
SEEK_CENTRE = (24.5, 24.5)     # in frame pixels: the centre of the knob box
VOLUME_CENTRE = (158.0, 152.5)
PLATE_RADIUS = 62
DOT_GROOVE = (0.09, 0.10, 0.11)

# The volume knob's dot: a lamp with a bright core, lit and shaded edges and dark corners that
# match the groove it runs in (five colours).
VOLUME_DOT = [
    [(42, 70, 52), (70, 225, 110), (26, 40, 31)],
    [(70, 225, 110), (205, 255, 195), (30, 150, 70)],
    [(26, 40, 31), (30, 150, 70), (26, 40, 31)],
]


def seek_angle(frame):
    """Marker direction of seek frame `frame`: from 12 o'clock, 30 degrees clockwise per frame."""
    return -90.0 + 30.0 * frame


def _centroid(mask):
    ys, xs = np.nonzero(mask)
    return xs.mean() + 0.5, ys.mean() + 0.5


def ring_mask(m):
    """The progress ring: the ellipse of the progress display less the time display."""
    ellipse = g.ellipse(W, H, maps.PROGRESS_ELLIPSE)
    return ellipse & ~m.area('timeRegion').mask


def lit_mask(m):
    """Where the lit face may differ from the face at rest: the controls and the ring."""
    out = ring_mask(m)
    for a in m.areas:
        if a.name not in ('timeRegion', 'titleRegion', 'windowShape'):
            out = out | a.mask
    return out


def _case(c, m):
    body = m.body
    p.fill(c, body, p.brushed(W, H, (0.20, 0.21, 0.23), 1, 0.06, 40))
    # Turned plate under the dial, set off by a machined groove.
    cx, cy = maps.DIAL_CENTRE
    plate = p.disc_mask(W, H, cx, cy, PLATE_RADIUS)
    p.fill(c, plate * body, p.spun(W, H, (cx, cy), (0.25, 0.26, 0.28), 2, 0.05, 0.12))
    p.fill(c, p.ring_mask(W, H, cx, cy, PLATE_RADIUS - 0.2, PLATE_RADIUS + 1.0) * body,
           (0.06, 0.06, 0.07))
    p.add(c, p.ring_mask(W, H, cx, cy, PLATE_RADIUS + 1.0, PLATE_RADIUS + 1.8) * body,
          (0.10, 0.10, 0.11))
    # Chamfered edge of the case and a dark outline where it ends.
    p.bevel(c, body, 2.2, 1.3)
    outline = body & g.dilate(~body, 1)
    p.fill(c, outline, (0.05, 0.05, 0.06))
    for sx, sy in ((15, 13), (12, 192), (141, 256)):
        p.screw(c, sx, sy)
    # Speaker grille beside the dial.
    for gy in range(176, 232, 6):
        for gx in (150, 156, 162, 168):
            if (gx - cx) ** 2 + (gy - cy) ** 2 < 84 ** 2 or gy < 214:
                hole = p.disc_mask(W, H, gx + (gy // 6 % 2) * 3 - 1.5, gy, 1.3)
                p.fill(c, hole, (0.02, 0.02, 0.025))
                p.add(c, np.clip(np.roll(np.roll(hole, 1, 0), 0, 1) - hole, 0, 1) * 0.25, (1, 1, 1))
    # Brand, printed up the right side.
    brand = p.text_mask(70, 12, 'CORVANE', p.SANS_BOLD, 8, (35, 6), anchor='mm', spacing=2)
    rotated = np.asarray(Image.fromarray((brand * 255).astype(np.uint8)).transpose(
        Image.Transpose.ROTATE_90), np.float32) / 255.0
    layer = np.zeros((H, W), np.float32)
    layer[64:64 + 70, 163:163 + 12] = rotated
    p.emboss_light(c, layer, (0.62, 0.64, 0.67), 0.5)


def _display(c, m):
    title = m.area('titleRegion').mask
    well = g.dilate(title, 3)
    p.shadow(c, well, (1, 1), 1.5, 0.5)
    p.fill(c, p.soft(well, 0.5), (0.025, 0.03, 0.03))
    p.bevel(c, well, 1.2, 1.0, raised=False)
    p.fill(c, title, p.LCD_BACK)
    dim = np.array([0.0, 0.40, 0.18])
    header = p.text_mask(W, H, 'CORVANE', p.SANS_BOLD, 8, (41, 31), anchor='lm', spacing=1)
    p.fill(c, header * title, dim)
    stereo = p.text_mask(W, H, 'MP3', p.SANS_BOLD, 7, (112, 31), anchor='mm', spacing=1)
    p.fill(c, stereo * title, dim * 0.8)
    for y in (43, 59):
        line = g.rect(W, H, (38, y, 129, y + 1)) & title
        p.fill(c, line, (0.0, 0.20, 0.09))
    vis = g.rect(W, H, (36, 60, 131, 109)) & title
    p.fill(c, vis, (0, 0, 0))
    p.inner_shadow(c, title, 1.5, 0.35)


def _dial(c, m, lit):
    time = m.area('timeRegion').mask
    ring = ring_mask(m)
    cx, cy = maps.DIAL_CENTRE
    outer = p.supersampled(W, H, lambda w, h, f: g.ellipse(w, h, tuple(v * f for v in (28, 151, 141, 260))))
    p.shadow(c, outer, (1.5, 2), 2, 0.6)
    p.fill(c, outer, p.spun(W, H, (cx, cy), (0.58, 0.59, 0.61), 3, 0.06, 0.22))
    p.bevel(c, outer, 1.6, 1.2)
    # The ring: a dark track of 60 segments that light up as the song plays.
    xs, ys = g.grid(W, H)
    theta = np.arctan2(ys + 0.5 - cy, xs + 0.5 - cx)
    seg = ((theta / (2 * np.pi) * 60) % 1.0)
    segment = ((seg > 0.18) & (seg < 0.82)).astype(np.float32)
    ringf = ring.astype(np.float32)
    p.fill(c, ringf, (0.02, 0.035, 0.03))
    inner_seg = segment * ringf * p.soft(ring, 0.7)
    if lit:
        p.fill(c, inner_seg, (0.25, 1.0, 0.50))
        p.add(c, (1 - segment) * ringf, (0.0, 0.30, 0.14))
    else:
        p.fill(c, inner_seg, (0.04, 0.17, 0.09))
    # The time display in the middle.
    p.fill(c, time, p.LCD_BACK)
    p.inner_shadow(c, time, 2.0, 0.5)
    label = p.text_mask(W, H, 'TIME', p.SANS_BOLD, 7, (cx, 178), anchor='mm', spacing=1)
    p.fill(c, label * time, (0.0, 0.40, 0.18))
    if lit:
        # The lit ring also glows into the rim of the time display; kept inside the ring.
        p.glow(c, ringf * segment, np.array([0.0, 0.25, 0.1]), 1.0, 0.5)


def seek_frame(background, frame, lit=False):
    return k.knob(49, SEEK_CENTRE, 23.4, seek_angle(frame), background, 11, 30, lit)


def _knob_wells(c, m):
    seek = m.area('seekKnob').mask
    p.shadow(c, seek, (2, 2.5), 2.5, 0.75)
    collar = p.ring_mask(W, H, 120.5, 134.5, 23.0, 25.2)
    p.fill(c, collar, (0.06, 0.06, 0.07))
    label = p.text_mask(W, H, 'SEEK', p.SANS_BOLD, 7, (82, 126), anchor='mm', spacing=1)
    p.emboss_light(c, label, (0.62, 0.64, 0.67), 0.5)
    vol = m.area('volumeKnob').mask
    p.shadow(c, vol, (1, 1.5), 1.5, 0.7)
    vx, vy = VOLUME_CENTRE
    for deg in np.linspace(90, 315, 7):
        a = np.radians(deg)
        dot = p.disc_mask(W, H, vx + 13.2 * np.cos(a), vy + 13.2 * np.sin(a), 0.9)
        p.fill(c, dot, (0.60, 0.62, 0.65))
    label = p.text_mask(W, H, 'VOL', p.SANS_BOLD, 7, (163, 134), anchor='mm', spacing=1)
    p.emboss_light(c, label, (0.62, 0.64, 0.67), 0.5)


def _volume_knob(c, m, lit):
    area = m.area('volumeKnob').mask
    x0, y0 = 146, 141
    crop = c[y0:y0 + 24, x0:x0 + 24].copy()
    face = k.knob(24, (VOLUME_CENTRE[0] - x0, VOLUME_CENTRE[1] - y0), 9.9, -90, crop, 13, 18,
                  lit, marker=False)
    layer = c.copy()
    layer[y0:y0 + 24, x0:x0 + 24] = face
    groove = p.ring_mask(W, H, VOLUME_CENTRE[0], VOLUME_CENTRE[1], 6.6, 9.2)
    p.fill(layer, groove, DOT_GROOVE)
    if lit:
        p.add(layer, groove * 0.8, (0.0, 0.16, 0.07))
    p.fill(c, area, layer)


def _keys(c, m, lit):
    def area(name):
        return m.area(name).mask

    def at(name):
        return _centroid(area(name))

    x, y = at('minimizeButton')
    k.key(c, area('minimizeButton'), k.sym_minus(W, H, x - 1, y + 1, 9), lit, 21)
    x, y = at('blankButton2')
    k.key(c, area('blankButton2'), None, lit, 22, led=(x, y))
    x, y = at('closeButton')
    k.key(c, area('closeButton'), k.sym_cross(W, H, x + 1, y + 1, 9), lit, 23,
          glow_colour=np.array([1.0, 0.42, 0.22]))
    x, y = at('playlistButton')
    k.key(c, area('playlistButton'), k.sym_list(W, H, x, y, 9), lit, 24)
    for n, name in enumerate(('blankButton1', 'blankToggle1', 'blankToggle2')):
        x, y = at(name)
        if name == 'blankToggle1':  # the pause control
            k.key(c, area(name), k.sym_pause(W, H, x, y, 7), lit, 25 + n)
        else:
            k.key(c, area(name), None, lit, 25 + n, led=(x, y))
    x, y = at('previousButton')
    k.key(c, area('previousButton'), k.sym_previous(W, H, x, y, 9), lit, 30)
    x, y = at('playButton')
    k.key(c, area('playButton'), k.sym_play(W, H, x, y, 11), lit, 31)
    x, y = at('pluginButton')
    k.key(c, area('pluginButton'), k.sym_plug(W, H, x, y, 11), lit, 32)
    x, y = at('nextButton')
    k.key(c, area('nextButton'), k.sym_next(W, H, x, y, 9), lit, 33)


def render(lit):
    """One face of the main window, with its seek frames' backgrounds drawn under the knob."""
    m = maps.main_map()
    c = p.canvas(W, H, (0, 0, 0))
    _case(c, m)
    _display(c, m)
    _dial(c, m, lit)
    _knob_wells(c, m)
    fx, fy = SEEK_FRAME_ORIGIN
    background = c[fy:fy + 49, fx:fx + 49].copy()
    frame0 = seek_frame(background, 0, lit)
    layer = c.copy()
    layer[fy:fy + 49, fx:fx + 49] = frame0
    p.fill(c, m.area('seekKnob').mask, layer)
    _volume_knob(c, m, lit)
    _keys(c, m, lit)
    outside = ~m.body
    c[outside] = 0
    return c, background


def generate():
    """Returns (normal RGB, lit RGB, list of 12 seek frames, volume dot RGB) as uint8 arrays."""
    m = maps.main_map()
    normal, background = render(False)
    lit_face, _ = render(True)
    where = lit_mask(m)
    lit = np.where(where[..., None], lit_face, normal)
    to8 = lambda a: np.clip(np.rint(a * 255), 0, 255).astype(np.uint8)
    frames = [to8(seek_frame(background, f)) for f in range(12)]
    dot = np.array(VOLUME_DOT, np.uint8)
    return to8(normal), to8(lit), frames, dot
