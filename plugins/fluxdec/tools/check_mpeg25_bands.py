#!/usr/bin/env python3
"""Checks MPEG 2.5's scale-factor bands (tools/mpeg25_bands.txt) against mpg123's float decode.

    check_mpeg25_bands.py [--material DIR] [--sweep]

No standard holds these bands, so a reference decoder is the judge. The material is the `m25-*`
files of scripts/make-test-audio (lame encodes at 8, 11.025 and 12 kHz, long and short blocks)
plus two probe streams made here: lame never codes a line above 566 (long blocks) or 480 (short)
at 8 kHz, so the probes put non-zero lines into the highest bands with a different scale factor
in each, and a line given to the wrong band comes out with the wrong gain.

Prints max |d| and RMS in LSB per file, the fluxdec output (`fluxdec --raw`) against
mpg123 -e f32 -s --no-gapless times 32767, truncated and clipped, as the accuracy run does.
With --sweep every inner band boundary is also moved by 2 lines (for all three rates at once),
Tables.cpp regenerated and fluxdec rebuilt in build/native each time, to show that every boundary
is pinned down: a moved boundary must push some file far past 1 LSB. Tables.cpp and the build are
restored at the end. Needs numpy (Debian's python3-numpy), mpg123, lame and sox.
"""
import argparse
import importlib.util
import os
import subprocess
import sys
import tempfile

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, '..', '..', '..'))
TABLES_CPP = os.path.join(HERE, '..', 'core', 'Tables.cpp')
FLUXDEC = os.path.join(REPO, 'build', 'native', 'bin', 'fluxdec')
RATES = (8000, 11025, 12000)

_spec = importlib.util.spec_from_file_location('generate_tables',
                                               os.path.join(HERE, 'generate_tables.py'))
generate_tables = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(generate_tables)


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, n):
        self.bits += [(value >> (n - 1 - i)) & 1 for i in range(n)]

    def bytes(self, size):
        assert len(self.bits) <= size * 8
        padded = self.bits + [0] * (size * 8 - len(self.bits))
        return bytes(int(''.join(map(str, padded[i:i + 8])), 2) for i in range(0, len(padded), 8))


def probe_frame(short):
    """One 8 kHz mono MPEG 2.5 frame at 64 kbit/s (576 bytes, no reservoir). scalefac_compress 3
    gives slen4 = 3 and every other slen 0: long bands 16..20 (short bands 9..11, each window)
    carry 3-bit scale factors, all others 0. Lines from 464 on (short: from 372, bitstream order)
    are count1 quadruples of +1 (table B), the lines below them zero quadruples."""
    header = (0xFFE << 20) | (0 << 19) | (1 << 17) | (1 << 16) | (8 << 12) | (2 << 10) | (3 << 6)
    scale = [5, 0, 7, 2, 6] if not short else [5, 0, 3, 7, 1, 6, 2, 4, 0]
    first = 372 if short else 464
    main = Bits()
    for sf in scale:
        main.put(sf, 3)
    for line in range(0, 576, 4):
        if line < first:
            main.put(0b1111, 4)          # table B: v w x y = 0 0 0 0
        else:
            main.put(0b0000, 4)          # v w x y = 1 1 1 1
            main.put(0b0101, 4)          # their signs
    side = Bits()
    side.put(0, 8)                       # main_data_begin
    side.put(0, 1)                       # private bit
    side.put(len(main.bits), 12)         # part2_3_length
    side.put(0, 9)                       # big_values
    side.put(170, 8)                     # global_gain
    side.put(3, 9)                       # scalefac_compress
    if short:
        side.put(1, 1)                   # window switching
        side.put(2, 2)                   # short blocks
        side.put(0, 1)                   # not mixed
        side.put(0, 5)
        side.put(0, 5)
        side.put(0, 9)                   # subblock gains
    else:
        side.put(0, 1)
        side.put(0, 15)                  # table 0 everywhere
        side.put(0, 4)
        side.put(0, 3)
    side.put(0, 1)                       # scalefac_scale
    side.put(1, 1)                       # count1 table B
    return header.to_bytes(4, 'big') + side.bytes(9) + main.bytes(576 - 13)


def make_probes(directory):
    paths = []
    for short in (False, True):
        path = os.path.join(directory, 'probe-8000-%s.mp3' % ('short' if short else 'long'))
        with open(path, 'wb') as fh:
            fh.write(probe_frame(short) * 24)
        paths.append(path)
    return paths


def reference(path):
    raw = subprocess.run(['mpg123', '-q', '-e', 'f32', '-s', '--no-gapless', path],
                         capture_output=True, check=True).stdout
    f = np.frombuffer(raw, dtype='<f4').astype(np.float64)
    return np.clip(np.trunc(f * 32767.0), -32768, 32767).astype(np.int64)


def errors(files, refs):
    """{file: (max |d|, rms)}; a length mismatch counts as an error of 65536."""
    out = {}
    for path in files:
        raw = subprocess.run([FLUXDEC, '--raw', path, '-'], capture_output=True).stdout
        got = np.frombuffer(raw[:len(raw) // 2 * 2], dtype='<i2').astype(np.int64)
        ref = refs[path]
        if len(got) != len(ref) or not len(ref):
            out[path] = (65536, float('inf'))
            continue
        d = np.abs(got - ref)
        out[path] = (int(d.max()), float(np.sqrt(np.mean(d.astype(np.float64) ** 2))))
    return out


def rate_of(path):
    return next(r for r in RATES if '-%d-' % r in os.path.basename(path))


def build_with(bands):
    with tempfile.NamedTemporaryFile('w', suffix='.txt', delete=False) as fh:
        for (rate, kind), starts in sorted(bands.items()):
            fh.write('%d %s %s\n' % (rate, kind, ' '.join(map(str, starts))))
    generate_tables.MPEG25_BANDS = fh.name
    try:
        text = generate_tables.generate(generate_tables.DEFAULT_TABLES)
    finally:
        os.unlink(fh.name)
    with open(TABLES_CPP, 'w') as out:
        out.write(text)
    subprocess.run(['cmake', '--build', '--preset', 'native', '-j2', '--target', 'fluxdec'],
                   cwd=REPO, check=True, capture_output=True)


def moved(starts, b):
    """starts with boundary b moved by 2 lines (down where there is room, else up, else by 1)."""
    s = list(starts)
    for step in (-2, 2, -1, 1):
        if s[b - 1] < s[b] + step < s[b + 1]:
            s[b] += step
            return s
    raise ValueError('no room to move boundary %d' % b)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--material', default=os.path.join(REPO, 'build', 'native', 'fluxdec-material'))
    ap.add_argument('--sweep', action='store_true')
    args = ap.parse_args()
    make = os.path.join(REPO, 'scripts', 'make-test-audio')
    subprocess.run([sys.executable, make, args.material], check=True)
    files = sorted(os.path.join(args.material, n) for n in os.listdir(args.material)
                   if n.startswith('m25-') and n.endswith('.mp3'))
    with tempfile.TemporaryDirectory(prefix='mpeg25-probes-') as probes:
        files += make_probes(probes)
        return check(files, args.sweep)


def check(files, sweep):
    refs = {f: reference(f) for f in files}

    proposed = generate_tables.parse_bands(generate_tables.MPEG25_BANDS)
    worst = 0
    results = errors(files, refs)
    for path in sorted(files, key=lambda p: (rate_of(p), p)):
        mx, rms = results[path]
        print('%-28s max|d| %d  rms %.4f' % (os.path.basename(path), mx, rms))
        worst = max(worst, mx)
    print('proposed tables: max|d| %d over %d files' % (worst, len(files)))
    if not sweep:
        return 0 if worst <= 1 else 1

    original = open(TABLES_CPP).read()
    unpinned = []
    try:
        for kind, bands in (('long', 22), ('short', 13)):
            for b in range(1, bands):
                trial = dict(proposed)
                for rate in RATES:
                    trial[(rate, kind)] = moved(proposed[(rate, kind)], b)
                build_with(trial)
                per_rate = {r: 0 for r in RATES}
                for path, (mx, _) in errors(files, refs).items():
                    per_rate[rate_of(path)] = max(per_rate[rate_of(path)], mx)
                print('%-5s boundary %2d moved: max|d| %s' % (
                    kind, b, '  '.join('%d Hz %5d' % (r, per_rate[r]) for r in RATES)))
                unpinned += ['%s %d at %d Hz' % (kind, b, r) for r in RATES if per_rate[r] <= 1]
    finally:
        with open(TABLES_CPP, 'w') as fh:
            fh.write(original)
        subprocess.run(['cmake', '--build', '--preset', 'native', '-j2', '--target', 'fluxdec'],
                       cwd=REPO, check=True, capture_output=True)
    print('boundaries the material does not pin down: %s' % (', '.join(unpinned) or 'none'))
    return 0 if worst <= 1 and not unpinned else 1


if __name__ == '__main__':
    sys.exit(main())
