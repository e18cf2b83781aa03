"""Pixel masks of simple shapes, and the region rules the program applies to its maps.

Masks are (height, width) bool arrays; a pixel (x, y) is tested at its centre (x + 0.5, y + 0.5).
Boxes are (left, top, right, bottom) with right and bottom exclusive, as in the program.
"""
from collections import deque

import numpy as np


def grid(width, height):
    ys, xs = np.mgrid[0:height, 0:width]
    return xs, ys


def ellipse(width, height, box):
    """The ellipse inscribed in box (touches all four sides of it)."""
    left, top, right, bottom = box
    xs, ys = grid(width, height)
    cx, cy = (left + right) / 2, (top + bottom) / 2
    rx, ry = (right - left) / 2, (bottom - top) / 2
    return ((xs + 0.5 - cx) / rx) ** 2 + ((ys + 0.5 - cy) / ry) ** 2 <= 1.0


def circle(width, height, cx, cy, r):
    xs, ys = grid(width, height)
    return (xs + 0.5 - cx) ** 2 + (ys + 0.5 - cy) ** 2 <= r * r


def rect(width, height, box):
    left, top, right, bottom = box
    m = np.zeros((height, width), bool)
    m[max(top, 0):max(bottom, 0), max(left, 0):max(right, 0)] = True
    return m


def round_rect(width, height, box, radii):
    """Rectangle with rounded corners; radii is one number or (top-left, top-right,
    bottom-right, bottom-left)."""
    if np.isscalar(radii):
        radii = (radii,) * 4
    left, top, right, bottom = box
    xs, ys = grid(width, height)
    px, py = xs + 0.5, ys + 0.5
    m = rect(width, height, box)
    corners = ((left, top, 1, 1), (right, top, -1, 1), (right, bottom, -1, -1),
               (left, bottom, 1, -1))
    for (cx0, cy0, sx, sy), r in zip(corners, radii):
        if r <= 0:
            continue
        cx, cy = cx0 + sx * r, cy0 + sy * r
        zone = ((px - cx) * sx < 0) & ((py - cy) * sy < 0)
        m &= ~(zone & ((px - cx) ** 2 + (py - cy) ** 2 > r * r))
    return m


def superellipse(width, height, box, power):
    """|x|^p + |y|^p <= 1 in the box: between a rectangle and an ellipse."""
    left, top, right, bottom = box
    xs, ys = grid(width, height)
    cx, cy = (left + right) / 2, (top + bottom) / 2
    rx, ry = (right - left) / 2, (bottom - top) / 2
    return (np.abs((xs + 0.5 - cx) / rx) ** power + np.abs((ys + 0.5 - cy) / ry) ** power) <= 1.0


def half_plane(width, height, a, b, c):
    """Pixels whose integer coordinates satisfy a*x + b*y >= c."""
    xs, ys = grid(width, height)
    return a * xs + b * ys >= c


def dilate(mask, steps=1):
    """4-neighbour dilation repeated `steps` times."""
    m = mask.copy()
    for _ in range(steps):
        n = m.copy()
        n[1:, :] |= m[:-1, :]
        n[:-1, :] |= m[1:, :]
        n[:, 1:] |= m[:, :-1]
        n[:, :-1] |= m[:, 1:]
        m = n
    return m


def bounds(mask):
    """Bounding box of a mask, or None when it is empty."""
    ys, xs = np.nonzero(mask)
    if len(xs) == 0:
        return None
    return (int(xs.min()), int(ys.min()), int(xs.max()) + 1, int(ys.max()) + 1)


def flood(pixels, x, y):
    """The 4-connected area of pixels equal to pixels[y, x] that contains (x, y)."""
    height, width = pixels.shape
    key = pixels[y, x]
    mask = np.zeros((height, width), bool)
    queue = deque([(x, y)])
    mask[y, x] = True
    while queue:
        cx, cy = queue.popleft()
        for nx, ny in ((cx + 1, cy), (cx - 1, cy), (cx, cy + 1), (cx, cy - 1)):
            if 0 <= nx < width and 0 <= ny < height and not mask[ny, nx] and pixels[ny, nx] == key:
                mask[ny, nx] = True
                queue.append((nx, ny))
    return mask


def select(pixels, x, y, mode):
    """The pixels the program selects for a sample point: 'excluding', 'connected' or 'same'."""
    if mode == 'excluding':
        return pixels != pixels[y, x]
    if mode == 'connected':
        return flood(pixels, x, y)
    assert mode == 'same'
    return pixels == pixels[y, x]


def rectangle_count(mask):
    """Number of rectangles the program's row scan with last-rectangle merging produces."""
    rects = []
    height, width = mask.shape
    for r in range(height):
        row = mask[r]
        c = 0
        while c < width:
            if not row[c]:
                c += 1
                continue
            start = c
            while c < width and row[c]:
                c += 1
            if rects and rects[-1][0] == start and rects[-1][2] == c and rects[-1][3] == r:
                rects[-1][3] = r + 1
            else:
                rects.append([start, r, c, r + 1])
    return len(rects)


def _disc_offsets(r):
    n = int(np.floor(r))
    return [(dx, dy) for dy in range(-n, n + 1) for dx in range(-n, n + 1) if dx * dx + dy * dy <= r * r]


def _shift_or(mask, r):
    height, width = mask.shape
    out = np.zeros_like(mask)
    for dx, dy in _disc_offsets(r):
        ys = slice(max(dy, 0), height + min(dy, 0))
        yd = slice(max(-dy, 0), height + min(-dy, 0))
        xs = slice(max(dx, 0), width + min(dx, 0))
        xd = slice(max(-dx, 0), width + min(-dx, 0))
        out[ys, xs] |= mask[yd, xd]
    return out


def close(mask, r):
    """Morphological closing with a disc: fills concave corners with round fillets."""
    pad = int(np.ceil(r)) + 1
    big = np.pad(mask, pad)
    closed = ~_shift_or(~_shift_or(big, r), r)
    return closed[pad:-pad, pad:-pad]
