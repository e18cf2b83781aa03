#!/usr/bin/env python3
"""What the accuracy material exercises, read from its headers and side information, and a
failure when a decoding path is no longer reached (an encoder update can quietly stop writing
short blocks or a Huffman table, and the accuracy tests would pass without testing it).

    coverage.py --material DIR
"""
import argparse
import collections
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mp3frames  # noqa: E402

MODES = {0: "stereo", 1: "joint stereo", 2: "dual channel", 3: "mono"}


def features(path):
    """The set of features one file exercises."""
    with open(path, "rb") as fh:
        data = fh.read()
    frames, _, _ = mp3frames.parse(data)
    found = set()
    if mp3frames.id3v2_size(data):
        found.add("ID3v2 tag skipped")
    for f in frames:
        version = f.version
        found.add(f"{version} {f.rate} Hz")
        found.add(f"{version} {f.bitrate} kbit/s")
        found.add(f"{version} {MODES[f.mode]}")
        if f.mode == 1:
            if f.mode_extension & 2:
                found.add(f"{version} M/S stereo")
            if f.mode_extension & 1:
                found.add(f"{version} intensity stereo")
        if f.crc:
            found.add(f"{version} CRC")
        if f.skipped:
            found.add(f"{version} start-up frame")
        scfsi, granules = mp3frames.side_info(data, f)
        if any(scfsi):
            found.add("scale-factor sharing (scfsi)")
        for g in granules:
            found.add(f"{version} block type {g['block_type']}"
                      + (" mixed" if g["mixed_block_flag"] else ""))
            for t in g["table_select"]:
                found.add(f"Huffman table {t}")
            found.add(f"count1 table {'AB'[g['count1table_select']]}")
            if g["preflag"]:
                found.add("pretab (preflag)")
            if g["scalefac_scale"]:
                found.add(f"{version} scalefac_scale")
            if any(g["subblock_gain"]):
                found.add(f"{version} subblock_gain")
    return found


def required():
    """Every path the material must keep reaching. Mixed short blocks are absent: lame never
    writes them, and setting the flag on a short block changes how its scale factors are read;
    on start and stop blocks it changes only the window, and the material sets it there."""
    need = set()
    for version, rates, bitrates in (("MPEG-1", [32000, 44100, 48000], mp3frames.BITRATE[1][1:]),
                                     ("LSF", [16000, 22050, 24000], mp3frames.BITRATE[0][1:])):
        need |= {f"{version} {r} Hz" for r in rates}
        need |= {f"{version} {b} kbit/s" for b in bitrates}
        need |= {f"{version} {m}" for m in MODES.values()}
        need |= {f"{version} block type {t}" for t in range(4)}
        need |= {f"{version} M/S stereo", f"{version} CRC", f"{version} start-up frame",
                 f"{version} scalefac_scale", f"{version} subblock_gain"}
    # MPEG 2.5 shares the LSF syntax; what is its own are the rates and their bands.
    need |= {f"MPEG 2.5 {r} Hz" for r in mp3frames.RATE_MPEG25}
    need |= {f"MPEG 2.5 block type {t}" for t in range(4)}
    need |= {f"Huffman table {t}" for t in range(32) if t not in (4, 14)}
    need |= {"count1 table A", "count1 table B", "pretab (preflag)",
             "scale-factor sharing (scfsi)", "MPEG-1 intensity stereo", "ID3v2 tag skipped",
             "LSF intensity stereo"}
    need |= {f"{v} block type {t} mixed" for v in ("MPEG-1", "LSF") for t in (1, 3)}
    return need


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--material", required=True)
    args = ap.parse_args()
    with open(os.path.join(args.material, "manifest.tsv")) as fh:
        rows = [line.rstrip("\n").split("\t") for line in fh][1:]
    files = collections.Counter()
    for name, kind, _, _ in rows:
        if kind == "accuracy":
            for feature in features(os.path.join(args.material, name)):
                files[feature] += 1
    need = required()
    def natural(text):  # "table 2" before "table 10"
        return [int(p) if p.isdigit() else p for p in re.split(r"(\d+)", text)]

    for feature in sorted(set(files) | need, key=natural):
        mark = "MISSING" if feature in need and not files[feature] else "       "
        print(f"{mark} {feature:<34} {files[feature]:>3} files")
    missing = sorted(f for f in need if not files[f])
    print(f"coverage: {len(need) - len(missing)} of {len(need)} required features reached")
    if missing:
        print("coverage: the material no longer reaches: " + ", ".join(missing))
    print(f"{len(need) - len(missing)} passed, {len(missing)} failed")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
