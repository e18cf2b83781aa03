#!/usr/bin/python3
"""Generates every picture compiled into Corvane.exe and verifies what it wrote.

    resources/generate_art.py              regenerate resources/art/ (then commit it)
    resources/generate_art.py --out DIR    write into DIR instead
    resources/generate_art.py --check      generate into a temporary directory, verify, and
                                           compare byte for byte with resources/art/
    resources/generate_art.py --table      also print the region table measured on the maps

Needs Debian's python3-pil, python3-numpy, fonts-dejavu-core and imagemagick. Every output is
read back and checked (sizes, depths, formats, the control geometry the program relies on); any
failed check stops the generator with a message and exit status 1.
"""
import argparse
import filecmp
import io
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import numpy as np  # noqa: E402
from PIL import Image  # noqa: E402

from artgen import (about_prefs, bmpfile, glyphs, icons, main_window, maps,  # noqa: E402
                    playlist_window, verify)

ART_DIR = os.path.join(HERE, 'art')
JPEG_QUALITY = 92

# File name, resource identifier. Corvane.rc names the same files.
JPEGS = [('skin-normal.jpg', 138, (177, 292)), ('skin-lit.jpg', 139, (177, 292)),
         ('playlist-lit.jpg', 140, (426, 350)), ('playlist-normal.jpg', 141, (426, 350)),
         ('prefs.jpg', 146, (401, 330)), ('about.jpg', 147, (403, 420))]
MAPS = [('main-map.bmp', 106), ('playlist-map.bmp', 134), ('about-map.bmp', 148)]
SEEK_FRAMES = [('seek-%02d.bmp' % k, 116 + k) for k in range(12)]
OTHERS = [('volume-dot.bmp', 112), ('glyphs.bmp', 130), ('knob.cur', 128), ('corvane.ico', 133)]


def all_files():
    return ([name for name, _, _ in JPEGS] + [name for name, _ in MAPS + SEEK_FRAMES + OTHERS])


def jpeg_bytes(rgb):
    out = io.BytesIO()
    Image.fromarray(rgb, 'RGB').save(out, 'JPEG', quality=JPEG_QUALITY, subsampling=0,
                                     optimize=False, progressive=False)
    return out.getvalue()


def write(directory, name, blob):
    with open(os.path.join(directory, name), 'wb') as f:
        f.write(blob)


def generate(directory):
    """Writes every output into directory; returns the arrays the lit checks need."""
    os.makedirs(directory, exist_ok=True)
    region_maps = maps.all_maps()
    for (name, _), region_map in zip(MAPS, region_maps):
        write(directory, name, bmpfile.encode_bmp4(region_map.indices(), maps.PALETTE,
                                                   rle=region_map.rle))

    normal, lit, frames, dot = main_window.generate()
    pl_lit, pl_normal = playlist_window.generate()
    prefs, about = about_prefs.generate()
    pictures = {138: normal, 139: lit, 140: pl_lit, 141: pl_normal, 146: prefs, 147: about}
    for name, rid, _ in JPEGS:
        write(directory, name, jpeg_bytes(pictures[rid]))
    for (name, _), frame in zip(SEEK_FRAMES, frames):
        write(directory, name, bmpfile.encode_bmp24(frame))

    dot_colours = sorted({tuple(int(v) for v in px) for px in dot.reshape(-1, 3)})
    dot_palette = dot_colours + [(0, 0, 0)] * (16 - len(dot_colours))
    dot_ix = np.array([[dot_colours.index(tuple(int(v) for v in px)) for px in row] for row in dot],
                      np.uint8)
    write(directory, 'volume-dot.bmp', bmpfile.encode_bmp4(dot_ix, dot_palette))
    write(directory, 'glyphs.bmp', bmpfile.encode_bmp4(glyphs.strip(), glyphs.PALETTE))
    white, opaque = icons.cursor()
    write(directory, 'knob.cur', bmpfile.encode_cur(white, opaque, icons.CURSOR_HOTSPOT))
    write(directory, 'corvane.ico', bmpfile.encode_ico(icons.icon_images()))
    return region_maps, pictures


def verify_all(directory, region_maps, pictures):
    """Every check of verify.py on the files in directory; returns the region table."""
    table = []
    for (name, rid), region_map in zip(MAPS, region_maps):
        rows = verify.verify_map(os.path.join(directory, name), region_map)
        table += [(rid,) + row for row in rows]
    verify.verify_main_geometry(region_maps[0])
    for name, _, size in JPEGS:
        verify.verify_jpeg(os.path.join(directory, name), size)
    main = region_maps[0]
    controls = [(a.name, a.mask) for a in main.areas
                if a.name not in ('timeRegion', 'titleRegion', 'windowShape')]
    verify.verify_lit(pictures[138], pictures[139], main_window.lit_mask(main),
                      controls + [('progress ring', main_window.ring_mask(main))], 'main window')
    playlist = region_maps[1]
    verify.verify_lit(pictures[141], pictures[140], playlist_window.lit_mask(playlist),
                      [(n, playlist.area(n).mask) for n in playlist_window.BUTTONS],
                      'playlist window')
    verify.verify_bmp(os.path.join(directory, 'volume-dot.bmp'), (3, 3), 4, colours=5)
    verify.verify_seek_frames([os.path.join(directory, name) for name, _ in SEEK_FRAMES])
    verify.verify_glyphs(os.path.join(directory, 'glyphs.bmp'))
    verify.verify_cursor(os.path.join(directory, 'knob.cur'), icons.CURSOR_HOTSPOT)
    verify.verify_icon(os.path.join(directory, 'corvane.ico'))
    verify_resource_script(directory)
    return table


def verify_resource_script(directory):
    """Corvane.rc names exactly the files generated here, each under its identifier."""
    script = open(os.path.join(HERE, 'Corvane.rc')).read()
    expected = {name: rid for name, rid, _ in JPEGS}
    expected.update(dict(MAPS + SEEK_FRAMES + OTHERS))
    for name, rid in expected.items():
        verify.check(os.path.exists(os.path.join(directory, name)), 'missing output %s' % name)
        found = [line for line in script.splitlines() if '"art/%s"' % name in line]
        verify.check(len(found) == 1, 'Corvane.rc names art/%s %d times' % (name, len(found)))
        verify.check(found[0].split()[0] in (str(rid), _macro_for(rid)),
                     'Corvane.rc: art/%s is not resource %d' % (name, rid))


def _macro_for(rid):
    """The ResourceIds.h name of an identifier, if the script uses names."""
    for line in open(os.path.join(HERE, 'ResourceIds.h')):
        parts = line.split()
        if len(parts) >= 3 and parts[0] == '#define' and parts[2] == str(rid):
            return parts[1]
    return None


def print_table(table):
    print('%-4s %-17s %-8s %-15s %-22s %5s  %s' % ('map', 'area', 'colour', 'rgb', 'bounds',
                                                   'rects', 'sample point (mode)'))
    for rid, name, colour, rgb, box, rects, sample, mode in table:
        print('%-4d %-17s %-8s %-15s %-22s %5d  %s (%s)' % (rid, name, colour, '%d,%d,%d' % rgb,
                                                            '(%d,%d)-(%d,%d)' % box, rects,
                                                            '(%d,%d)' % sample, mode))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--out', default=ART_DIR)
    parser.add_argument('--check', action='store_true')
    parser.add_argument('--table', action='store_true')
    args = parser.parse_args()
    try:
        if args.check:
            with tempfile.TemporaryDirectory() as tmp:
                region_maps, pictures = generate(tmp)
                table = verify_all(tmp, region_maps, pictures)
                _, mismatch, errors = filecmp.cmpfiles(tmp, ART_DIR, all_files(), shallow=False)
                verify.check(not mismatch and not errors,
                             'generated files differ from resources/art: %s'
                             % ', '.join(mismatch + errors))
                extra = set(os.listdir(ART_DIR)) - set(all_files())
                verify.check(not extra, 'unexpected files in resources/art: %s' % sorted(extra))
        else:
            region_maps, pictures = generate(args.out)
            table = verify_all(args.out, region_maps, pictures)
    except verify.VerificationError as e:
        print('generate_art: FAILED: %s' % e, file=sys.stderr)
        return 1
    if args.table:
        print_table(table)
    print('generate_art: %d files written and verified%s' % (
        len(all_files()), ', identical to resources/art' if args.check else ''))
    return 0


if __name__ == '__main__':
    sys.exit(main())
