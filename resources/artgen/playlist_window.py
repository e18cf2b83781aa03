"""The playlist window: face 141 (at rest, also the list's background) and 140 (every key lit).

The same graphite case as the main window. The list sits in a recessed near-black green panel
with faint stripes on the 16-pixel rows, so the list's green text (0x00FF00) stands out and the
selected row's blue bar reads clearly. The keys carry symbols and silkscreen labels.
"""
import numpy as np

from . import controls as k
from . import geometry as g
from . import maps
from . import paint as p

W, H = maps.LIST_W, maps.LIST_H
ROW_HEIGHT = 16
PANEL = np.array([0.030, 0.068, 0.048])
PANEL_STRIPE = np.array([0.042, 0.088, 0.062])
LABEL = (0.70, 0.72, 0.75)

BUTTONS = ('loadButton', 'saveButton', 'addButton', 'removeButton', 'clearButton',
           'dismissButton', 'okButton', 'shuffleButton', 'reverseButton', 'sortButton',
           'scrollDownButton', 'scrollUpButton')


def lit_mask(m):
    out = np.zeros((H, W), bool)
    for name in BUTTONS:
        out |= m.area(name).mask
    return out


def _centre(mask):
    ys, xs = np.nonzero(mask)
    return (xs.min() + xs.max() + 1) / 2, (ys.min() + ys.max() + 1) / 2


def _case(c, m):
    body = m.body
    p.fill(c, body, p.brushed(W, H, (0.20, 0.21, 0.23), 41, 0.06, 60))
    p.bevel(c, body, 2.2, 1.3)
    p.fill(c, body & g.dilate(~body, 1), (0.05, 0.05, 0.06))
    for sx, sy in ((24, 22), (404, 19), (21, 330), (404, 332)):
        p.screw(c, sx, sy)
    brand = p.text_mask(W, H, 'CORVANE', p.SANS_BOLD, 13, (46, 22), anchor='lm', spacing=3)
    p.emboss_light(c, brand, (0.78, 0.80, 0.83), 0.6)
    # A small display in the header, like the player's own.
    lcd = g.round_rect(W, H, (247, 12, 347, 33), 4)
    well = g.dilate(lcd, 2)
    p.fill(c, p.soft(well, 0.5), (0.025, 0.03, 0.03))
    p.bevel(c, well, 1.0, 1.0, raised=False)
    p.fill(c, lcd, p.LCD_BACK)
    title = p.text_mask(W, H, 'PLAYLIST', p.SANS_BOLD, 9, (297, 23), anchor='mm', spacing=2)
    p.glow(c, title * lcd, np.array([0.0, 0.35, 0.12]), 1.5, 0.8)
    p.fill(c, title * lcd, p.LCD_TEXT)
    p.inner_shadow(c, lcd, 1.2, 0.4)
    # A groove framing the key column.
    frame = g.round_rect(W, H, (356, 70, 404, 218), 8) & ~g.round_rect(W, H, (357, 71, 403, 217), 7)
    p.fill(c, frame, (0.08, 0.08, 0.09))


def _list_panel(c, m):
    area = m.area('listArea').mask
    well = g.dilate(area, 3)
    p.shadow(c, well, (1, 1), 1.5, 0.5)
    p.fill(c, p.soft(well, 0.5), (0.02, 0.025, 0.025))
    p.bevel(c, well, 1.2, 1.0, raised=False)
    panel = np.zeros((H, W, 3), np.float32)
    panel[:] = PANEL
    top = maps.LIST_BOX[1]
    for row in range(0, (maps.LIST_BOX[3] - top) // ROW_HEIGHT + 1, 2):
        y0 = top + (row + 1) * ROW_HEIGHT
        panel[y0:y0 + ROW_HEIGHT] = PANEL_STRIPE
    p.fill(c, area, panel)
    p.inner_shadow(c, area, 2.0, 0.6)


def _keys(c, m, lit):
    def area(name):
        return m.area(name).mask

    pills = (('loadButton', k.sym_eject, 'LOAD'), ('saveButton', k.sym_save, 'SAVE'),
             ('addButton', k.sym_plus, 'ADD'), ('removeButton', k.sym_minus, 'REMOVE'),
             ('clearButton', k.sym_cross, 'CLEAR'))
    for n, (name, sym, text) in enumerate(pills):
        x, y = _centre(area(name))
        k.key(c, area(name), sym(W, H, x, y, 8), lit, 50 + n)
        p.emboss_light(c, k.label(W, H, text, x, y - 11), LABEL, 0.5)
    bottom = (('sortButton', k.sym_sort, 'SORT'), ('reverseButton', k.sym_reverse, 'REVERSE'),
              ('shuffleButton', k.sym_shuffle, 'SHUFFLE'))
    for n, (name, sym, text) in enumerate(bottom):
        x, y = _centre(area(name))
        k.key(c, area(name), sym(W, H, x, y, 9), lit, 60 + n)
        p.emboss_light(c, k.label(W, H, text, x, y + 13), LABEL, 0.5)
    # The scroll rocker: a round key split in two halves.
    rocker = area('scrollUpButton') | area('scrollDownButton')
    p.shadow(c, rocker, (1.5, 2), 2, 0.7)
    x, y = _centre(area('scrollUpButton'))
    k.key(c, area('scrollUpButton'), k.tri(W, H, x, y + 2, 12, 'up'), lit, 70)
    x, y = _centre(area('scrollDownButton'))
    k.key(c, area('scrollDownButton'), k.tri(W, H, x, y - 2, 12, 'down'), lit, 71)
    x, y = _centre(area('dismissButton'))
    p.shadow(c, area('dismissButton'), (1, 1.5), 1.5, 0.6)
    k.key(c, area('dismissButton'), k.sym_cross(W, H, x, y, 9), lit, 72,
          glow_colour=np.array([1.0, 0.42, 0.22]))
    x, y = _centre(area('okButton'))
    p.shadow(c, area('okButton'), (1, 1.5), 1.5, 0.6)
    ok = p.text_mask(W, H, 'OK', p.SANS_BOLD, 10, (x, y + 0.5), anchor='mm')
    k.key(c, area('okButton'), ok, lit, 73)


def _name_plate(c, m):
    plate = m.area('namePlate').mask
    p.fill(c, g.dilate(plate, 1) & ~plate, (0.05, 0.05, 0.06))
    p.fill(c, plate, (0.02, 0.06, 0.04))
    x, y = _centre(plate)
    text = p.text_mask(W, H, 'CORVANE', p.SANS_BOLD, 7, (x, y), anchor='mm', spacing=1)
    p.fill(c, text * plate, (0.05, 0.65, 0.30))
    p.inner_shadow(c, plate, 1.5, 0.5)


def render(lit):
    m = maps.playlist_map()
    c = p.canvas(W, H, (0, 0, 0))
    _case(c, m)
    _list_panel(c, m)
    _name_plate(c, m)
    _keys(c, m, lit)
    c[~m.body] = 0
    return c


def generate():
    """Returns (lit RGB 140, normal RGB 141) as uint8 arrays."""
    m = maps.playlist_map()
    normal = render(False)
    lit = np.where(lit_mask(m)[..., None], render(True), normal)
    to8 = lambda a: np.clip(np.rint(a * 255), 0, 255).astype(np.uint8)
    return to8(lit), to8(normal)
