#!/usr/bin/env python3
"""Generates plugins/fluxdec/core/Tables.cpp from the standard's tables in shared/mpeg-audio-tables.

Usage:
  generate_tables.py [--tables DIR] [--out FILE]   write the file (default: next to this script's core/)
  generate_tables.py --check [--tables DIR]         exit 1 when the checked-in file differs

Every table of the decoder that is not built from the stream is made here, in the smallest C
type that fits, with a comment giving its source and shape. Values that need trigonometry or
powers are computed here in double precision and stored as float, so that the native and the
Windows builds (whose libm differ) decode with bit-identical constants and nothing is computed
at run time. Standard library only.
"""
import argparse
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, '..', '..', '..'))
DEFAULT_TABLES = os.path.normpath(os.path.join(REPO, '..', 'shared', 'mpeg-audio-tables'))
DEFAULT_OUT = os.path.join(HERE, '..', 'core', 'Tables.cpp')
# MPEG 2.5's bands: no standard holds them; the file says how they were established.
MPEG25_BANDS = os.path.join(HERE, 'mpeg25_bands.txt')

kPow43Size = 8207
MPEG1_RATES = [44100, 48000, 32000]
LSF_RATES = [22050, 24000, 16000]
MPEG25_RATES = [11025, 12000, 8000]
# By the tables' version row (VersionRow in the decoder): 0 LSF, 1 MPEG-1, 2 MPEG 2.5.
VERSION_RATES = [LSF_RATES, MPEG1_RATES, MPEG25_RATES]


def data_lines(path):
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith('#'):
                yield line.split()


def f32(v):
    """The float nearest to v."""
    return struct.unpack('<f', struct.pack('<f', v))[0]


def flit(v):
    """A C++ float literal that reads back as exactly f32(v)."""
    v = f32(v)
    if v == 0.0:
        return '-0.0f' if math.copysign(1.0, v) < 0 else '0.0f'
    s = '%.9g' % v
    if 'e' not in s and '.' not in s:
        s += '.0'
    assert f32(float(s)) == v
    return s + 'f'


class Out:
    def __init__(self):
        self.parts = []

    def w(self, text=''):
        self.parts.append(text)

    def _nested(self, items, dims, depth, per_line):
        """Writes items as rows of the innermost dimension, each outer dimension in its own braces."""
        pad = '    ' * depth
        if len(dims) == 1:
            for i in range(0, len(items), per_line):
                self.w(pad + ', '.join(items[i:i + per_line]) + ',')
            return
        step = len(items) // dims[0]
        for k in range(dims[0]):
            row = items[k * step:(k + 1) * step]
            if len(dims) == 2 and len(pad) + 4 + len(', '.join(row)) <= 100:
                self.w(pad + '{' + ', '.join(row) + '},')
                continue
            self.w(pad + '{')
            self._nested(items[k * step:(k + 1) * step], dims[1:], depth + 1, per_line)
            self.w(pad + '},')

    def array(self, comment, ctype, name, dims, values, per_line=8, fmt=str, align=0):
        """Writes `const ctype name[d0][d1]... = {...};` with a flat value list (aligned to
        `align` bytes when given)."""
        total = 1
        for d in dims:
            total *= d
        assert len(values) == total, (name, len(values), total)
        for c in comment.strip().split('\n'):
            self.w('// ' + c if c else '//')
        dim_text = ''.join('[%d]' % d for d in dims)
        self.w('%sconst %s %s%s = {' % ('alignas(%d) ' % align if align else '', ctype, name,
                                         dim_text))
        items = [fmt(v) for v in values]
        self._nested(items, dims, 1, per_line)
        self.w('};')
        self.w()


# ----------------------------------------------------------------------------- parsing
def parse_small(path):
    small = {'bitrate': {}, 'samplerate': {}, 'nr_of_sfb': [], 'lsf_slen': []}
    for f in data_lines(path):
        key = f[0]
        if key == 'bitrate':
            small['bitrate'][(f[1], f[2])] = [int(v) for v in f[3:]]
        elif key == 'samplerate':
            small['samplerate'][f[1]] = [int(v) for v in f[2:]]
        elif key in ('slen1', 'slen2', 'scfsi_band', 'pretab'):
            small[key] = [int(v) for v in f[1:]]
        elif key in ('alias_c', 'alias_cs', 'alias_ca'):
            small[key] = [float(v) for v in f[1:]]
        elif key == 'nr_of_sfb':
            small['nr_of_sfb'].append((f[1], int(f[2]), int(f[3]), f[4], [int(v) for v in f[5:9]]))
        elif key == 'lsf_slen':
            assert f[4] == 'preflag' and f[6] == 'radix'
            small['lsf_slen'].append((f[1], int(f[2]), int(f[3]), int(f[5]), [int(v) for v in f[7:11]]))
        else:
            raise ValueError('small.txt: unknown keyword ' + key)
    return small


def parse_bands(path):
    bands = {}
    for f in data_lines(path):
        bands[(int(f[0]), f[1])] = [int(v) for v in f[2:]]
    return bands


def parse_window(path):
    ints = [int(f[0]) for f in data_lines(path)]
    assert len(ints) == 512
    return ints


def parse_huffman(path):
    """-> list of (numbers, linbits list, entries); entries: (symbol tuple, length, code string)"""
    tables, cur = [], None
    for f in data_lines(path):
        if f[0] == 'table':
            nums = [int(v) for v in f[1].split(',')]
            lbs = [int(v) for v in f[3].split(',')]
            cur = (nums, lbs, [])
            tables.append(cur)
        else:
            sym = tuple(int(v) for v in f[:-2])
            length, code = int(f[-2]), f[-1]
            assert len(code) == length
            cur[2].append((sym, length, code))
    return tables


# ----------------------------------------------------------------------------- Huffman forms
def symbol_bits(sym):
    """Low byte of an entry: x in bits 7..4 and y in 3..0; for count1 the flags v w x y in 7..4."""
    if len(sym) == 2:
        return (sym[0] << 4) | sym[1]
    v, w, x, y = sym
    return ((v << 3) | (w << 2) | (x << 1) | y) << 4


SIGNED_BITS = 10  # index width of the sign-resolved tables


def signed_form(entries, linbits_possible):
    """The sign-resolved lookup form: 2^SIGNED_BITS entries indexed by the next SIGNED_BITS stream
    bits. Where those bits hold a whole code and the sign bits of its non-zero values, the entry
    gives the values with their signs and the bits taken: pairs as x in bits 7..0 and y in 15..8
    (two's complement bytes) and the bits taken in 20..16; count1 quadruples as v, w, x, y in bytes
    0..3 and the bits taken in bits 36..32. Every other entry is 0 with bit 31 set (pairs) or 0
    (quadruples: no code has length 0), and the decoder takes its general path: longer codes and,
    in tables with linbits, values of 15."""
    count1 = len(entries[0][0]) == 4
    size = 1 << SIGNED_BITS
    out = [None] * size
    for sym, length, code in entries:
        signs = sum(1 for v in sym if v)
        total = length + signs
        if total > SIGNED_BITS or (linbits_possible and 15 in sym):
            continue
        for rest in range(1 << (SIGNED_BITS - length)):
            idx = (int(code, 2) << (SIGNED_BITS - length)) | rest
            sign_bits = rest >> (SIGNED_BITS - total)  # the bits right after the code
            values, k = [], signs - 1
            for v in sym:
                if v:
                    values.append(-v if (sign_bits >> k) & 1 else v)
                    k -= 1
                else:
                    values.append(0)
            if count1:
                word = sum((v & 0xFF) << (8 * n) for n, v in enumerate(values)) | (total << 32)
            else:
                word = (values[0] & 0xFF) | ((values[1] & 0xFF) << 8) | (total << 16)
            assert out[idx] is None
            out[idx] = word
    slow = 0 if count1 else 0x80000000
    return [slow if v is None else v for v in out]


def spec_form(entries):
    """the sorted form: 32-bit entries sorted by code (codeword left-aligned from bit 31, length
    in bits 12..8, symbol in the low byte) and a 16-entry index by the next 4 stream bits."""
    words = []
    for sym, length, code in entries:
        words.append((int(code, 2) << (32 - length)) | (length << 8) | symbol_bits(sym))
    words.sort()
    index = []
    for nib in range(16):
        lo = nib << 28
        pos = None
        for i, wd in enumerate(words):
            length = (wd >> 8) & 31
            start = (wd >> (32 - length)) << (32 - length)
            end = start + (1 << (32 - length))
            if start < lo + (1 << 28) and end > lo:
                pos = i
                break
        assert pos is not None
        index.append(pos)
    return words, index


def fast_form(entries):
    """The decoder's lookup form: a primary table indexed by the next P stream bits; an entry is
    either a leaf (bit 15 clear: code length in bits 12..8, symbol in the low byte) or a link
    (bit 15 set: subtable offset from the table's start in bits 14..4, subtable index width S in
    bits 3..0) to a subtable indexed by the S bits after the first P. One or two lookups decode
    any code; no loop over bits. Every index value decodes because every code is complete."""
    maxlen = max(length for _, length, _ in entries)
    best = None
    # P is the widest of 8 bits (most codes then decode with one lookup) or the code length,
    # widened only when a subtable offset would not fit its 11 bits.
    for p in range(min(maxlen, 8), min(maxlen, 12) + 1):
        primary = [None] * (1 << p)
        groups = {}
        for sym, length, code in entries:
            bits = int(code, 2)
            if length <= p:
                shift = p - length
                for k in range(1 << shift):
                    idx = (bits << shift) | k
                    assert primary[idx] is None
                    primary[idx] = (length << 8) | symbol_bits(sym)
            else:
                groups.setdefault(bits >> (length - p), []).append((sym, length, bits))
        subtables = []
        for prefix, members in groups.items():
            s = max(length for _, length, _ in members) - p
            sub = [None] * (1 << s)
            for sym, length, bits in members:
                rest = bits & ((1 << (length - p)) - 1)
                shift = s - (length - p)
                for k in range(1 << shift):
                    idx = (rest << shift) | k
                    assert sub[idx] is None
                    sub[idx] = (length << 8) | symbol_bits(sym)
            assert None not in sub
            subtables.append((len(sub), prefix, s, sub))
        subtables.sort(key=lambda t: (t[0], t[1]))
        flat = list(primary)
        ok = True
        for size, prefix, s, sub in subtables:
            off = len(flat)
            if off > 2047 or s > 15:
                ok = False
                break
            assert primary[prefix] is None
            flat[prefix] = 0x8000 | (off << 4) | s
            flat.extend(sub)
        if not ok:
            continue
        assert None not in flat
        best = (p, flat)
        break
    assert best is not None
    return best


# ----------------------------------------------------------------------------- generation
def generate(tables_dir):
    small = parse_small(os.path.join(tables_dir, 'small.txt'))
    bands = parse_bands(os.path.join(tables_dir, 'scalefactor_bands.txt'))
    bands.update(parse_bands(MPEG25_BANDS))
    window = parse_window(os.path.join(tables_dir, 'synthesis_window.txt'))
    huff = parse_huffman(os.path.join(tables_dir, 'huffman.txt'))
    src = 'shared/mpeg-audio-tables'

    o = Out()
    o.w('// GENERATED by plugins/fluxdec/tools/generate_tables.py from %s: do not edit.' % src)
    o.w('// A unit test re-runs the generator and fails when this file differs from its output.')
    o.w('#include "plugins/fluxdec/core/Tables.h"')
    o.w()
    o.w('namespace fluxdec {')
    o.w()

    # --- frame header
    rates = small['samplerate']['mpeg2'] + small['samplerate']['mpeg1']
    assert rates == LSF_RATES + MPEG1_RATES
    rates += MPEG25_RATES
    o.array('Sampling frequency in Hz by [version row][sampling_frequency 0..2]; row 0 = MPEG-2 LSF,\n'
            '1 = MPEG-1, 2 = MPEG 2.5. Source: small.txt "samplerate" (ISO/IEC 11172-3 and 13818-3\n'
            '2.4.2.3); MPEG 2.5, outside the standards, halves the LSF rates.',
            'int32_t', 'kSampleRateHz', [3, 3], rates)
    br = []
    for id_ in (0, 1):
        ver = 'mpeg2' if id_ == 0 else 'mpeg1'
        for layer_code in range(4):
            if layer_code == 0:
                br += [0] * 16
            else:
                row = small['bitrate'][(ver, {3: 'layer1', 2: 'layer2', 1: 'layer3'}[layer_code])]
                br += row + [0]
    o.array('Bit rate in kbit/s by [ID][layer code][bitrate_index 0..15]; layer code 3 = Layer I,\n'
            '2 = Layer II, 1 = Layer III, 0 reserved (all 0). Index 0 (free format) and 15\n'
            '(forbidden) hold 0. Source: small.txt "bitrate" (11172-3 / 13818-3 2.4.2.3).',
            'int16_t', 'kBitrateKbps', [2, 4, 16], br, per_line=16)

    # --- scale factors
    o.array('MPEG-1 slen1, slen2 by scalefac_compress 0..15: [0] = slen1, [1] = slen2.\n'
            'Source: small.txt "slen1"/"slen2" (11172-3 2.4.2.7).',
            'uint8_t', 'kSlen', [2, 16], small['slen1'] + small['slen2'], per_line=16)
    o.array('MPEG-1 scfsi groups: group k covers long bands kScfsiBand[k] .. kScfsiBand[k+1]-1.\n'
            'Source: small.txt "scfsi_band" (11172-3 2.4.2.7).',
            'uint8_t', 'kScfsiBand', [5], small['scfsi_band'])
    o.array('Preemphasis added to long-band scale factors when preflag is set, bands 0..21.\n'
            'Source: small.txt "pretab" (11172-3 Table 3-B.6).',
            'uint8_t', 'kPretab', [22], small['pretab'], per_line=22)

    # LSF partitions: [kind normal/intensity][range 0..2]
    parts = []
    for kind in ('normal', 'intensity'):
        slen_rows = [r for r in small['lsf_slen'] if r[0] == kind]
        assert len(slen_rows) == 3
        for (_, lo, hi, pre, radix) in slen_rows:
            counts = []
            for block in ('long', 'short', 'mixed'):
                row = [r for r in small['nr_of_sfb'] if r[0] == kind and r[1] == lo and r[2] == hi and r[3] == block]
                assert len(row) == 1
                counts.append(row[0][4])
            parts.append((lo, hi, pre, radix, counts))
    o.w('// MPEG-2 LSF scale-factor partitions by [kind: 0 normal, 1 intensity (right channel with')
    o.w('// intensity stereo; lo..hi then range over scalefac_compress >> 1)][range 0..2]. slen1..4 come')
    o.w('// from v = value - lo by the radixes (slen4 = v % r4, slen3 = v / r4 % r3, slen2 =')
    o.w('// v / (r4 r3) % r2, slen1 = v / (r4 r3 r2)); counts[block: 0 long, 1 short, 2 mixed][4] are')
    o.w('// the numbers of scale factors read with slen1..4 (short and mixed count each window).')
    o.w('// Source: small.txt "lsf_slen" and "nr_of_sfb" (13818-3 2.4.3.2).')
    o.w('const LsfPartition kLsfPartition[2][3] = {')
    for i, (lo, hi, pre, radix, counts) in enumerate(parts):
        if i % 3 == 0:
            o.w('    {')
        cnt = ', '.join('{%s}' % ', '.join(str(c) for c in row) for row in counts)
        o.w('        {%d, %d, %d, {%s}, {%s}},' % (lo, hi, pre, ', '.join(str(r) for r in radix), cnt))
        if i % 3 == 2:
            o.w('    },')
    o.w('};')
    o.w()

    # --- bands
    long_starts, short_starts = [], []
    for version_rates in VERSION_RATES:
        for rate in version_rates:
            lb = bands[(rate, 'long')]
            sb = bands[(rate, 'short')]
            assert len(lb) == 23 and lb[-1] == 576 and len(sb) == 14 and sb[-1] == 192
            long_starts += lb
            short_starts += sb
    o.array('Long-block scale-factor bands by [version row][sampling_frequency]: start line of band\n'
            '0..21, then 576; band b covers start[b] .. start[b+1]-1. Source: scalefactor_bands.txt\n'
            '(11172-3 Table 3-B.8, 13818-3 Table B.2; 24000 Hz band 18 starts at 332); row 2 (MPEG 2.5)\n'
            'from tools/mpeg25_bands.txt, established against a reference decoder (see there).',
            'int16_t', 'kLongBandStart', [3, 3, 23], long_starts, per_line=23)
    o.array('Short-block scale-factor bands by [version row][sampling_frequency]: start of band 0..12\n'
            'within one window, then 192. Source: as above.',
            'int16_t', 'kShortBandStart', [3, 3, 14], short_starts, per_line=14)

    # Short-block reorder: bitstream order is band, window, frequency.
    reorder = []
    for version_rates in VERSION_RATES:
        for rate in version_rates:
            sb = bands[(rate, 'short')]
            table = []
            for b in range(13):
                width = sb[b + 1] - sb[b]
                for win in range(3):
                    for j in range(width):
                        f = sb[b] + j
                        table.append((f // 6) * 18 + win * 6 + (f % 6))
            assert len(table) == 576 and sorted(table) == list(range(576))
            reorder += table
    o.array('Short-block reorder by [version row][sampling_frequency][line in bitstream order]: a line that the\n'
            'stream orders by band, window, frequency f (0..191 within the window) goes to\n'
            '(f / 6) * 18 + window * 6 + f % 6, so that each subband\'s 18 lines hold window 0\'s six\n'
            'lines, then window 1\'s, then window 2\'s. Mixed blocks use it from line 36 on.\n'
            'Derived from scalefactor_bands.txt short rows.',
            'uint16_t', 'kShortReorder', [3, 3, 576], reorder, per_line=24)

    # --- requantisation
    pow43 = [math.pow(q, 4.0 / 3.0) for q in range(kPow43Size)]
    o.array('sign(q) |q|^(4/3) at index q + 8206 for q = -8206..8206, |q|^(4/3) computed in double and rounded to float (the table runs on to 8206 = 15 + 2^13 - 1,\n'
            'the largest value that linbits can express, because encoders do emit values above 8191 and reference decoders reproduce them).\n'
            'Signed, so that requantising a line is one look-up and one multiplication. Derived (ISO/IEC 11172-3 2.4.3.4.7.1).',
            'float', 'kPow43Signed', [2 * kPow43Size - 1], [-v for v in reversed(pow43[1:])] + pow43, per_line=6, fmt=flit)
    o.array('2^(k/4) for k = 0..3 (gain exponents in quarter steps).',
            'float', 'kQuarterPow', [4], [2.0 ** (k / 4.0) for k in range(4)], fmt=flit)
    o.array('2^(-k/4) for k = 0..3.',
            'float', 'kQuarterPowNeg', [4], [2.0 ** (-k / 4.0) for k in range(4)], fmt=flit)

    # --- stereo
    t_left, t_right = [], []
    for p in range(7):
        if p == 6:
            t_left.append(1.0)
            t_right.append(0.0)
        else:
            r = math.tan(p * math.pi / 12.0)
            t_left.append(r / (1.0 + r))
            t_right.append(1.0 / (1.0 + r))
    o.array('MPEG-1 intensity stereo by position p = 0..6: [0][p] = 1 - t(p) (left), [1][p] = t(p)\n'
            '(right), t(p) = 1 / (1 + tan(p pi / 12)); p = 6 is exactly (1, 0). Both computed in double.\n'
            'Derived (11172-3 2.4.3.4.9.3).',
            'float', 'kIntensityMpeg1', [2, 7], t_left + t_right, per_line=7, fmt=flit)
    lsf = []
    for scale in (0, 1):
        for n in range(32):
            lsf.append(0.0 if n >= 16 else 2.0 ** (-n / (4.0 if scale == 0 else 2.0)))
    o.array('MPEG-2 LSF intensity factors k by [intensity_scale][n]: row 0 = 2^(-n/4), row 1 =\n'
            '2^(-n/2) for n = 0..15, 0 for n = 16..31 (13818-3 2.4.3.2).',
            'float', 'kIntensityLsf', [2, 32], lsf, per_line=8, fmt=flit)

    # --- alias reduction
    cs = [1.0 / math.sqrt(1.0 + c * c) for c in small['alias_c']]
    ca = [c / math.sqrt(1.0 + c * c) for c in small['alias_c']]
    for a, b in zip(cs + ca, small['alias_cs'] + small['alias_ca']):
        assert abs(a - b) < 1e-14, (a, b)
    o.array('Alias-reduction butterflies, i = 0..7: [0] = cs(i) = 1/sqrt(1 + c(i)^2), [1] = ca(i) =\n'
            'c(i)/sqrt(1 + c(i)^2). Source: small.txt "alias_c" (11172-3 Table 3-B.9).',
            'float', 'kAlias', [2, 8], cs + ca, fmt=flit)

    # --- inverse MDCT
    a = 0.08726646
    b = 0.2617994
    win = []
    for bt in range(4):
        for i in range(36):
            if bt == 0:
                v = math.sin((i + 0.5) * a)
            elif bt == 1:
                v = math.sin((i + 0.5) * a) if i < 18 else 1.0 if i < 24 else math.sin((i - 18 + 0.5) * b) if i < 30 else 0.0
            elif bt == 3:
                v = 0.0 if i < 6 else math.sin((i - 6 + 0.5) * b) if i < 12 else 1.0 if i < 18 else math.sin((i + 0.5) * a)
            else:
                v = 0.0  # block type 2 has no long window
            win.append(v)
    o.array('Long-block windows by [block_type][i], i = 0..35, with a = 0.08726646 and\n'
            'b = 0.2617994 as written (not exact pi/36, pi/12); row 2 (short blocks) is unused and zero.',
            'float', 'kImdctWindow', [4, 36], win, per_line=6, fmt=flit)
    o.array('Short-block window sin((i + 0.5) pi / 12), i = 0..11.',
            'float', 'kShortWindow', [12], [math.sin((i + 0.5) * math.pi / 12.0) for i in range(12)],
            per_line=6, fmt=flit)
    o.array('36-point inverse MDCT, final factors 1 / (2 cos((2p + 1) pi / 72)), p = 0..17: they turn\n'
            'the DCT-III of the pair-summed lines into the DCT-IV (Imdct.cpp).',
            'float', 'kImdct36Post', [18], [1.0 / (2.0 * math.cos((2 * p + 1) * math.pi / 72.0)) for p in range(18)],
            per_line=6, fmt=flit)
    o.array('36-point inverse MDCT, odd-half factors 1 / (2 cos((2p + 1) pi / 36)), p = 0..8.',
            'float', 'kImdct36Odd', [9], [1.0 / (2.0 * math.cos((2 * p + 1) * math.pi / 36.0)) for p in range(9)],
            per_line=9, fmt=flit)
    o.array('9-point DCT-III matrix cos((2p + 1) m pi / 18) by [p][m], p = 0..3, m = 0..8 (the rows\n'
            'p = 5..8 follow by symmetry, p = 4 is 1, 0, -1, 0, 1, ...).',
            'float', 'kDct9', [4, 9], [math.cos((2 * p + 1) * m * math.pi / 18.0) for p in range(4) for m in range(9)],
            per_line=9, fmt=flit)
    # The same four long-transform tables with every value repeated in 4 lanes, for the
    # transform of four subbands at once (Imdct.cpp): a lane-wise multiplication reads them
    # straight from memory.
    dct9 = [math.cos((2 * p + 1) * m * math.pi / 18.0) for p in range(4) for m in range(9)]
    post = [1.0 / (2.0 * math.cos((2 * p + 1) * math.pi / 72.0)) for p in range(18)]
    odd = [1.0 / (2.0 * math.cos((2 * p + 1) * math.pi / 36.0)) for p in range(9)]
    splat = lambda values: [v for v in values for _ in range(4)]
    o.array('kImdctWindow, each value in 4 lanes.',
            'float', 'kImdctWindowSplat', [4, 36, 4], splat(win), per_line=8, fmt=flit, align=16)
    o.array('kImdct36Post, each value in 4 lanes.',
            'float', 'kImdct36PostSplat', [18, 4], splat(post), per_line=8, fmt=flit, align=16)
    o.array('kImdct36Odd, each value in 4 lanes.',
            'float', 'kImdct36OddSplat', [9, 4], splat(odd), per_line=8, fmt=flit, align=16)
    o.array('kDct9, each value in 4 lanes.',
            'float', 'kDct9Splat', [4, 9, 4], splat(dct9), per_line=8, fmt=flit, align=16)
    o.array('12-point inverse MDCT core: DCT-IV matrix cos((2p + 1)(2k + 1) pi / 24) by [p][k], 6 x 6.',
            'float', 'kDct4Of6', [6, 6], [math.cos((2 * p + 1) * (2 * k + 1) * math.pi / 24.0) for p in range(6) for k in range(6)],
            per_line=6, fmt=flit)

    # --- synthesis
    lee = []
    for n in (32, 16, 8, 4, 2):
        lee += [1.0 / (2.0 * math.cos((2 * k + 1) * math.pi / (2.0 * n))) for k in range(n // 2)]
    o.array('Fast 32-point DCT-II (Lee), stage factors 1 / (2 cos((2k + 1) pi / 2N)) for N = 32 (16\n'
            'values), 16 (8), 8 (4), 4 (2), 2 (1), in that order: 31 values (Synthesis.cpp).',
            'float', 'kLeeFactors', [31], lee, per_line=8, fmt=flit)
    scaled = []
    for tap in range(16):
        for k in range(32):
            scaled.append(window[k + 32 * tap] / 65536.0 * 32767.0)
    o.array('Synthesis window D(k + 32 tap) by [tap 0..15][output sample k 0..31], times 32767.\n'
            'D x 16383.5 with twice V would give the same products (doubling is exact in float), so D x 32767\n'
            'with the standard\'s V gives the same products: every output sample is 32767 times the\n'
            'standard\'s reconstructed sample. Source: synthesis_window.txt integer column / 65536\n'
            '(11172-3 Table 3-B.3), regrouped by tap so that one tap\'s 32 coefficients are contiguous;\n'
            'aligned for vector loads.',
            'float', 'kSynthWindow', [16, 32], scaled, per_line=8, fmt=flit, align=16)

    # --- Huffman
    by_number = {}
    spec_words, fast_words = [], []
    spec_index = []
    pair_rows, quad_rows = [], []
    for nums, lbs, entries in huff:
        signed_row = 0
        if not entries:
            info = (0, 0, 0, 0)
            spec_index.append(None)
        else:
            words, index = spec_form(entries)
            p, flat = fast_form(entries)
            info = (len(fast_words), p, len(spec_words), len(words))
            spec_index.append((nums[0], index))
            spec_words += words
            fast_words += flat
            rows = quad_rows if len(entries[0][0]) == 4 else pair_rows
            signed_row = len(rows)
            rows.append(signed_form(entries, any(lbs)))
        for num, lb in zip(nums, lbs):
            by_number[num] = (info, lb, nums[0], signed_row)
    assert len(fast_words) < 65536 and len(spec_words) < 65536
    o.array('Huffman code tables in sorted form, all tables one after the other (see\n'
            'kHuffTable for each table\'s offset and count): per code the codeword left-aligned from\n'
            'bit 31, its length in bits 12..8, x in bits 7..4 and y in bits 3..0 (count1 tables: the\n'
            'flags v, w, x, y in bits 7..4, v highest), sorted by code.\n'
            'Source: huffman.txt (11172-3 Annex B, Table 3-B.7).',
            'uint32_t', 'kHuffCodes', [len(spec_words)], spec_words, per_line=6, fmt=lambda v: '0x%08xu' % v)
    idx_rows = []
    for entry in spec_index:
        if entry is not None:
            idx_rows.append(entry)
    o.w('// For each code table of kHuffCodes, in the order of kHuffTable\'s codeOffset: for every value')
    o.w('// of the next 4 stream bits, the position (within the table) of the first code that starts')
    o.w('// with them.')
    o.w('const uint16_t kHuffIndex[%d][16] = {' % len(idx_rows))
    for base, index in idx_rows:
        o.w('    {%s},  // table %d' % (', '.join(str(v) for v in index), base))
    o.w('};')
    o.w()
    o.array('Huffman lookup tables, the decoder\'s form of the same codes (generate_tables.py\n'
            'fast_form): per table a primary table of 2^P entries indexed by the next P stream bits;\n'
            'a leaf (bit 15 clear) holds the code length in bits 12..8 and the symbol in the low byte as\n'
            'in kHuffCodes; a link (bit 15 set) holds a subtable offset from the table\'s start in bits\n'
            '14..4 and the subtable\'s index width S in bits 3..0; the subtable is indexed by the S bits\n'
            'after the first P. Source: huffman.txt.',
            'uint16_t', 'kHuffFast', [len(fast_words)], fast_words, per_line=12, fmt=lambda v: '0x%04x' % v)
    o.array('Sign-resolved Huffman tables of the big-values pairs, one row per code table (see\n'
            'generate_tables.py signed_form): indexed by the next %d stream bits, x in bits 7..0 and y in\n'
            '15..8 as signed bytes and the bits taken (code and sign bits) in 20..16; bit 31 set where\n'
            'the code and its signs are longer, or a value of 15 may take linbits. Source: huffman.txt.'
            % SIGNED_BITS,
            'uint32_t', 'kHuffPairs', [len(pair_rows), 1 << SIGNED_BITS], sum(pair_rows, []),
            per_line=8, fmt=lambda v: '0x%08xu' % v)
    o.array('Sign-resolved count1 tables (A, B): indexed by the next %d stream bits, v, w, x, y in\n'
            'bytes 0..3 as signed bytes and the bits taken in bits 36..32; every index decodes.\n'
            'Source: huffman.txt.' % SIGNED_BITS,
            'uint64_t', 'kHuffQuads', [len(quad_rows), 1 << SIGNED_BITS], sum(quad_rows, []),
            per_line=6, fmt=lambda v: '0x%010xull' % v)
    o.w('// Per table number 0..33 (32 = count1 table A, 33 = table B): offset into kHuffFast, primary')
    o.w('// index width P (0 = table without codes: 0, 4, 14), offset and number of codes in kHuffCodes,')
    o.w('// row in kHuffIndex, linbits, row in kHuffPairs (count1: kHuffQuads). Tables 4 and 14 do not')
    o.w('// exist and decode like table 0. Source: huffman.txt (table numbers and linbits).')
    o.w('const HuffTable kHuffTable[34] = {')
    index_row = {base: i for i, (base, _) in enumerate(idx_rows)}
    for num in range(34):
        if num in by_number:
            (foff, p, soff, scount), lb, base, srow = by_number[num]
        else:
            (foff, p, soff, scount), lb, base, srow = (0, 0, 0, 0), 0, 0, 0
        row = index_row.get(base, 0)
        o.w('    {%d, %d, %d, %d, %d, %d, %d},  // %d%s' % (foff, p, soff, scount, row, lb, srow, num,
                                                         '' if num in by_number else ' (absent)'))
    o.w('};')
    o.w()
    o.w('}  // namespace fluxdec')
    return '\n'.join(o.parts) + '\n'


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--tables', default=DEFAULT_TABLES)
    ap.add_argument('--out', default=DEFAULT_OUT)
    ap.add_argument('--check', action='store_true')
    args = ap.parse_args()
    text = generate(args.tables)
    if args.check:
        try:
            with open(args.out) as f:
                old = f.read()
        except OSError as e:
            print('generate_tables: cannot read %s: %s' % (args.out, e), file=sys.stderr)
            return 1
        if old != text:
            print('generate_tables: %s differs from the generator\'s output; run %s' % (args.out, __file__),
                  file=sys.stderr)
            return 1
        print('generate_tables: %s is up to date' % os.path.normpath(args.out))
        return 0
    with open(args.out, 'w') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main())
