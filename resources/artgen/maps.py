"""The three region maps: where every control and display of a window lies.

Each map is painted in the 16 standard VGA colours, one palette entry per colour, so that reading
it at 8 bits per pixel through the default palette keeps every colour apart. The areas' bounding
boxes are fixed by the program's constants (the boxes below); the shapes inside them are ours.
The pictures are drawn from the same masks, so they line up with the maps by construction.

Areas that the program cuts in the connected form may share a colour when they do not touch
(the four red buttons of the main window, the playlist window's teal buttons); the list area of
the playlist window and the About window's two areas are cut in the same-colour form, so their
colours appear nowhere else.
"""
from dataclasses import dataclass, field

import numpy as np

from . import geometry as g

VGA = {
    'black': (0, 0, 0), 'maroon': (128, 0, 0), 'green': (0, 128, 0), 'olive': (128, 128, 0),
    'navy': (0, 0, 128), 'purple': (128, 0, 128), 'teal': (0, 128, 128),
    'silver': (192, 192, 192), 'grey': (128, 128, 128), 'red': (255, 0, 0),
    'lime': (0, 255, 0), 'yellow': (255, 255, 0), 'blue': (0, 0, 255),
    'fuchsia': (255, 0, 255), 'aqua': (0, 255, 255), 'white': (255, 255, 255),
}
VGA_ORDER = list(VGA)  # palette index order of every map
PALETTE = [VGA[name] for name in VGA_ORDER]


@dataclass
class Area:
    name: str
    colour: str
    box: tuple          # bounding box the program expects (right, bottom exclusive)
    sample: tuple       # the program's sample point
    mode: str           # 'connected', 'same' or 'excluding'
    mask: np.ndarray = field(default=None, repr=False)


@dataclass
class RegionMap:
    resource_id: int
    width: int
    height: int
    background: str
    body: np.ndarray
    body_colour: str
    areas: list
    rle: bool = False

    def indices(self):
        """The map as palette indices: background, body, then every area."""
        ix = np.full((self.height, self.width), VGA_ORDER.index(self.background), np.uint8)
        ix[self.body] = VGA_ORDER.index(self.body_colour)
        for area in self.areas:
            if area.mask is not None:
                ix[area.mask] = VGA_ORDER.index(area.colour)
        return ix

    def area(self, name):
        return next(a for a in self.areas if a.name == name)


def _fit(mask, box):
    """Keeps a shape inside its box (the box is the contract; the shape only has to fill it)."""
    h, w = mask.shape
    return mask & g.rect(w, h, box)


# --- main window (bitmap 106, 177 x 292) -----------------------------------------------------

MAIN_W, MAIN_H = 177, 292
DIAL_CENTRE = (84.5, 205.5)      # centre of the progress ellipse (32, 155)-(137, 256)
PROGRESS_ELLIPSE = (32, 155, 137, 256)
HOUSING_RADIUS = 90              # the round lower half of the case, concentric with the dial


def main_body():
    w, h = MAIN_W, MAIN_H
    upper = g.round_rect(w, h, (0, 0, w, 200), (14, 30, 0, 0))
    housing = g.circle(w, h, DIAL_CENTRE[0], DIAL_CENTRE[1], HOUSING_RADIUS)
    # Round fillets where the straight case meets the round housing below it.
    return g.close((upper | housing) & g.rect(w, h, (0, 0, w, h)), 16)


def main_map():
    w, h = MAIN_W, MAIN_H
    areas = [
        Area('minimizeButton', 'yellow', (130, 12, 155, 32), (144, 22), 'connected'),
        Area('blankButton2', 'red', (144, 21, 165, 43), (153, 34), 'connected'),
        Area('closeButton', 'navy', (150, 33, 168, 62), (160, 48), 'connected'),
        Area('titleRegion', 'navy', (36, 18, 131, 109), (94, 68), 'connected'),
        Area('playlistButton', 'fuchsia', (13, 103, 33, 115), (21, 109), 'connected'),
        Area('blankButton1', 'red', (9, 121, 29, 133), (21, 128), 'connected'),
        Area('seekKnob', 'white', (97, 111, 144, 158), (119, 136), 'connected'),
        Area('blankToggle1', 'purple', (9, 138, 29, 150), (16, 145), 'connected'),
        Area('volumeKnob', 'green', (148, 143, 168, 162), (159, 155), 'connected'),
        Area('blankToggle2', 'red', (13, 155, 33, 167), (24, 160), 'connected'),
        Area('timeRegion', 'yellow', (38, 161, 131, 250), (79, 211), 'connected'),
        Area('previousButton', 'blue', (8, 213, 28, 234), (18, 224), 'connected'),
        Area('playButton', 'lime', (16, 235, 44, 264), (32, 254), 'connected'),
        Area('pluginButton', 'red', (42, 255, 70, 284), (57, 272), 'connected'),
        Area('nextButton', 'aqua', (73, 264, 93, 285), (83, 276), 'connected'),
    ]
    by = {a.name: a for a in areas}
    # The three keys of the top right corner form a diagonal strip cut by two 45-degree grooves.
    by['minimizeButton'].mask = (g.round_rect(w, h, by['minimizeButton'].box, (5, 5, 0, 8))
                                 & ~g.half_plane(w, h, 1, 1, 174))
    by['blankButton2'].mask = (g.rect(w, h, by['blankButton2'].box)
                               & g.half_plane(w, h, 1, 1, 178) & ~g.half_plane(w, h, 1, 1, 191))
    by['closeButton'].mask = (g.round_rect(w, h, by['closeButton'].box, (0, 5, 6, 5))
                              & g.half_plane(w, h, 1, 1, 195))
    # The display's top right corner is rounded wide to make room for the minimise key.
    by['titleRegion'].mask = g.round_rect(w, h, by['titleRegion'].box, (7, 16, 7, 7))
    for name in ('playlistButton', 'blankButton1', 'blankToggle1', 'blankToggle2'):
        by[name].mask = g.round_rect(w, h, by[name].box, 6)
    for name in ('seekKnob', 'volumeKnob', 'timeRegion', 'previousButton', 'playButton',
                 'pluginButton', 'nextButton'):
        by[name].mask = g.ellipse(w, h, by[name].box)
    for a in areas:
        a.mask = _fit(a.mask, a.box)
    return RegionMap(106, w, h, 'olive', main_body(), 'black', areas
                     + [Area('windowShape', 'olive', (0, 0, 177, 292), (0, 0), 'excluding')])


# --- playlist window (bitmap 134, 426 x 350, RLE-4) -------------------------------------------

LIST_W, LIST_H = 426, 350
LIST_BOX = (46, 41, 347, 270)
ROCKER_BOX = (297, 217, 367, 289)   # the round scroll rocker: up half and down half


def playlist_body():
    return g.round_rect(LIST_W, LIST_H, (5, 3, 422, 348), (34, 14, 34, 14))


def playlist_map():
    w, h = LIST_W, LIST_H
    areas = [
        Area('listArea', 'white', LIST_BOX, (219, 187), 'same'),
        Area('loadButton', 'teal', (369, 86, 389, 98), (377, 92), 'connected'),
        Area('saveButton', 'teal', (370, 114, 390, 126), (377, 119), 'connected'),
        Area('addButton', 'teal', (370, 142, 390, 154), (377, 148), 'connected'),
        Area('removeButton', 'teal', (370, 170, 390, 182), (377, 178), 'connected'),
        Area('clearButton', 'teal', (370, 198, 390, 210), (377, 201), 'connected'),
        Area('dismissButton', 'teal', (370, 275, 390, 296), (381, 285), 'connected'),
        Area('okButton', 'teal', (345, 293, 373, 322), (360, 310), 'connected'),
        Area('shuffleButton', 'teal', (158, 284, 178, 296), (170, 290), 'connected'),
        Area('reverseButton', 'teal', (110, 284, 130, 296), (119, 290), 'connected'),
        Area('sortButton', 'teal', (62, 284, 82, 296), (71, 288), 'connected'),
        Area('scrollDownButton', 'red', (297, 252, 367, 289), (329, 271), 'connected'),
        Area('scrollUpButton', 'blue', (297, 217, 367, 252), (325, 238), 'connected'),
        Area('namePlate', 'teal', (225, 293, 275, 313), (245, 300), 'connected'),
    ]
    by = {a.name: a for a in areas}
    rocker = g.ellipse(w, h, ROCKER_BOX)
    by['scrollUpButton'].mask = rocker & g.rect(w, h, by['scrollUpButton'].box)
    by['scrollDownButton'].mask = rocker & g.rect(w, h, by['scrollDownButton'].box)
    # The list panel, with a round bite for the rocker and a margin around it.
    by['listArea'].mask = (g.round_rect(w, h, LIST_BOX, 6)
                           & ~g.dilate(g.ellipse(w, h, (291, 211, 373, 295)), 2))
    for name in ('loadButton', 'saveButton', 'addButton', 'removeButton', 'clearButton',
                 'shuffleButton', 'reverseButton', 'sortButton'):
        by[name].mask = g.round_rect(w, h, by[name].box, 6)
    for name in ('dismissButton', 'okButton'):
        by[name].mask = g.ellipse(w, h, by[name].box)
    by['namePlate'].mask = g.round_rect(w, h, by['namePlate'].box, 10)
    for a in areas:
        a.mask = _fit(a.mask, a.box)
    return RegionMap(134, w, h, 'grey', playlist_body(), 'black', areas
                     + [Area('windowShape', 'grey', (5, 3, 422, 348), (0, 0), 'excluding')],
                     rle=True)


# --- About window (bitmap 148, 403 x 420) -----------------------------------------------------

ABOUT_W, ABOUT_H = 403, 420
CREDITS_BOX = (40, 40, 313, 281)
BADGE_BOX = (252, 287, 367, 402)
BADGE_CENTRE = (309.5, 344.5)


def about_body():
    w, h = ABOUT_W, ABOUT_H
    disc = g.superellipse(w, h, (4, 3, 400, 417), 2.4)  # round, with room for the screen
    lug = g.circle(w, h, BADGE_CENTRE[0], BADGE_CENTRE[1], 66)  # the badge's rim stands out
    return disc | lug


def about_map():
    w, h = ABOUT_W, ABOUT_H
    areas = [
        Area('creditsArea', 'white', CREDITS_BOX, (170, 170), 'same'),
        Area('badge', 'lime', BADGE_BOX, (310, 350), 'same'),
    ]
    areas[0].mask = g.superellipse(w, h, CREDITS_BOX, 3.0)
    areas[1].mask = g.ellipse(w, h, BADGE_BOX)
    return RegionMap(148, w, h, 'black', about_body(), 'grey', areas
                     + [Area('windowShape', 'black', (4, 3, 400, 417), (0, 0), 'excluding')])


def all_maps():
    return [main_map(), playlist_map(), about_map()]
