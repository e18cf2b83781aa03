#!/usr/bin/python3
"""Compiles Corvane.rc with windres into a .res file and checks what the program will find in it.

    tests/resources/check_resource_script.py [WINDRES]

Checks every resource's type and identifier, that pictures are stored byte for byte, the cursor's
hot spot, the icon group's three images, and the two dialog templates control by control (style,
position, identifier, class, text, font). Exit status 1 on any difference.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
sys.path.insert(0, HERE)

import generate_art  # noqa: E402

RT_CURSOR, RT_BITMAP, RT_ICON, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 2, 3, 5, 12, 14
BUTTON, STATIC, COMBO_BOX = 0x80, 0x82, 0x85
CHECK_BOX_STYLE = 0x50010003  # WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX
PAGE_STYLE = 0x40000040       # WS_CHILD | DS_SETFONT

GENERAL_PAGE = (142, (161, 74), [
    (CHECK_BOX_STYLE, (5, 7, 63, 10), 1000, BUTTON, 'Immediate Play'),
    (CHECK_BOX_STYLE, (5, 18, 73, 10), 1001, BUTTON, 'Multiple Instances'),
    (CHECK_BOX_STYLE, (5, 31, 91, 10), 1002, BUTTON, 'Minimize to System Tray'),
    (CHECK_BOX_STYLE, (5, 44, 121, 10), 1003, BUTTON, '"Realistic" Knob Rotation Control'),
    (0x50000000, (5, 59, 40, 8), 1005, STATIC, 'ReplayGain'),
    (0x50210003, (48, 57, 60, 48), 1004, COMBO_BOX, ''),  # CBS_DROPDOWNLIST, WS_VSCROLL, tab stop
])
ABOUT_PAGE = (144, (236, 102), [
    (0x50000003, (2, 1, 20, 20), 0xFFFF, STATIC, 133),  # SS_ICON showing icon 133
    (0x50000000, (26, 1, 27, 8), 0xFFFF, STATIC, 'Corvane'),
    (0x50000000, (53, 1, 15, 8), 0xFFFF, STATIC, '0.40'),
    (0x50000000, (15, 22, 207, 63), 0xFFFF, STATIC, None),  # the credits: any text
])


def fail(message):
    print('check_resource_script: FAILED: %s' % message, file=sys.stderr)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def _sz_or_ord(data, i):
    """A name, class or title field: 0xFFFF and an ordinal, or a NUL-terminated UTF-16 text."""
    first = struct.unpack_from('<H', data, i)[0]
    if first == 0xFFFF:
        return struct.unpack_from('<H', data, i + 2)[0], i + 4
    end = i
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[i:end].decode('utf-16-le'), end + 2


def read_res(blob):
    """{(type, name): data} of a .res file."""
    out = {}
    i = 0
    while i < len(blob):
        size, header = struct.unpack_from('<II', blob, i)
        kind, j = _sz_or_ord(blob, i + 8)
        name, j = _sz_or_ord(blob, j)
        if size:
            out[(kind, name)] = blob[i + header:i + header + size]
        i += header + size
        i += -i % 4
    return out


def parse_dialog(data):
    style, _, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data, 0)
    menu, i = _sz_or_ord(data, 18)
    cls, i = _sz_or_ord(data, i)
    title, i = _sz_or_ord(data, i)
    point, = struct.unpack_from('<H', data, i)
    face, i = _sz_or_ord(data, i + 2)
    items = []
    for _ in range(count):
        i += -i % 4
        istyle, _, ix, iy, icx, icy, ident = struct.unpack_from('<IIhhhhH', data, i)
        icls, i = _sz_or_ord(data, i + 18)
        # A predefined class may be stored by atom or by name; the dialog manager takes both.
        icls = {'BUTTON': BUTTON, 'STATIC': STATIC, 'COMBOBOX': COMBO_BOX}.get(str(icls).upper(), icls)
        text, i = _sz_or_ord(data, i)
        extra, = struct.unpack_from('<H', data, i)
        i += 2 + extra
        items.append((istyle, (ix, iy, icx, icy), ident, icls, text))
    return dict(style=style, size=(cx, cy), origin=(x, y), menu=menu, cls=cls, title=title,
                font=(point, face), items=items)


def check_dialog(resources, expected):
    rid, size, items = expected
    expect((RT_DIALOG, rid) in resources, 'dialog %d missing' % rid)
    d = parse_dialog(resources[(RT_DIALOG, rid)])
    expect(d['style'] == PAGE_STYLE, 'dialog %d: style %#x' % (rid, d['style']))
    expect(d['size'] == size and d['origin'] == (0, 0), 'dialog %d: size %s' % (rid, d['size']))
    expect(d['font'] == (8, 'MS Sans Serif'), 'dialog %d: font %s' % (rid, d['font']))
    expect(len(d['items']) == len(items), 'dialog %d: %d controls' % (rid, len(d['items'])))
    for got, want in zip(d['items'], items):
        if want[4] is None:
            expect(isinstance(got[4], str) and got[4], 'dialog %d: empty credits' % rid)
            got = got[:4] + (None,)
        expect(got == want, 'dialog %d: control %s, expected %s' % (rid, got, want))


def main():
    windres = sys.argv[1] if len(sys.argv) > 1 else (
        shutil.which('i686-w64-mingw32-windres') or shutil.which('x86_64-w64-mingw32-windres'))
    expect(windres, 'no windres found')
    with tempfile.TemporaryDirectory() as tmp:
        res = os.path.join(tmp, 'Corvane.res')
        subprocess.run([windres, '-I', HERE, '-O', 'res', os.path.join(HERE, 'Corvane.rc'), res],
                       check=True)
        resources = read_res(open(res, 'rb').read())
    art = os.path.join(HERE, 'art')
    for name, rid, _ in generate_art.JPEGS:
        expect(resources.get(('JPEG', rid)) == open(os.path.join(art, name), 'rb').read(),
               'JPEG %d is not art/%s byte for byte' % (rid, name))
    for name, rid in generate_art.MAPS + generate_art.SEEK_FRAMES + generate_art.OTHERS[:2]:
        expect(resources.get((RT_BITMAP, rid)) == open(os.path.join(art, name), 'rb').read()[14:],
               'bitmap %d is not art/%s' % (rid, name))
    group = resources.get((RT_GROUP_CURSOR, 128))
    expect(group is not None, 'cursor group 128 missing')
    _, kind, count = struct.unpack_from('<HHH', group, 0)
    expect(kind == 2 and count == 1, 'cursor group 128: %d images' % count)
    cursor_id = struct.unpack_from('<H', group, 6 + 12)[0]
    hot = struct.unpack_from('<HH', resources[(RT_CURSOR, cursor_id)], 0)
    expect(hot == (8, 5), 'cursor 128: hot spot %s' % (hot,))
    group = resources.get((RT_GROUP_ICON, 133))
    expect(group is not None, 'icon group 133 missing')
    _, kind, count = struct.unpack_from('<HHH', group, 0)
    images = []
    for k in range(count):
        w, h, _, _, _, bits, _, icon_id = struct.unpack_from('<BBBBHHIH', group, 6 + 14 * k)
        expect((RT_ICON, icon_id) in resources, 'icon image %d missing' % icon_id)
        images.append((w, h, bits))
    expect(kind == 1 and images == [(16, 16, 4), (32, 32, 4), (48, 48, 8)],
           'icon group 133: %s' % images)
    check_dialog(resources, GENERAL_PAGE)
    check_dialog(resources, ABOUT_PAGE)
    print('check_resource_script: %d resources as the program expects them' % len(resources))


if __name__ == '__main__':
    main()
