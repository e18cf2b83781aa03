#!/usr/bin/env python3
"""fluxdec.exe (the Windows build, decoding through Fluxdec.cvp under Wine) must write exactly
the bytes that the native fluxdec writes for the same file: both builds compute the same floats
(SSE2, no contraction), so any difference is a fault in one of them or in the plug-in path.
The native fluxdec takes the widest vector path its CPU has; the plug-in takes the baseline
(SSE2) path on every other file (FLUXDEC_SIMD=baseline), so both of its paths are checked.

    identity.py --exe BUILD/bin/fluxdec.exe --native build/native/bin/fluxdec \
                --material DIR --wine-exec scripts/wine-exec [NAME...]
    identity.py --native build/native/bin/fluxdec --material DIR --baseline [NAME...]

The second form compares the native fluxdec's widest path with its own baseline path. Makes the
material files it needs with scripts/make-test-audio (cached in DIR). Exits 77 (the test is
skipped) when the native fluxdec has not been built.
"""
import argparse
import os
import subprocess
import sys
import tempfile

SKIP = 77
# A spread over the decoder's paths: MPEG-1 and LSF, mono, joint and forced M/S, CRC, VBR,
# short blocks, mixed start and stop blocks, clipping squares, start-up frames, an ID3v2 tag,
# intensity stereo (MPEG-1 and LSF), and damaged data.
FILES = [
    "m1-44100-j128-tones.mp3",
    "m1-48000-m64-clicks-crc.mp3",
    "m1-44100-jv0-tones.mp3",
    "m1-48000-f320-noise.mp3",
    "m1-44100-s320-square.mp3",
    "m1-48000-s256-bursts.mp3",
    "m1-44100-j128-tones-cut3.mp3",
    "m1-44100-j128-tones-id3v2.mp3",
    "m1-44100-jv4-split-is.mp3",
    "m1-44100-f160-tones-is-top.mp3",
    "m1-44100-j128-clicks-mixed13.mp3",
    "lsf-24000-j64-clicks-mixed13.mp3",
    "lsf-24000-j128-tones-is.mp3",
    "lsf-22050-j64-tones.mp3",
    "lsf-24000-jv9-noise.mp3",
    "lsf-16000-m32-clicks-crc.mp3",
    "m25-8000-j32-clicks.mp3",
    "m25-11025-jv2-sweep.mp3",
    "bad-flipped-payload.mp3",
    "bad-random-payload-lsf.mp3",
]


def wine_path(path):
    """Wine maps the Unix root to drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--exe")
    ap.add_argument("--native", required=True)
    ap.add_argument("--material", required=True)
    ap.add_argument("--wine-exec")
    ap.add_argument("--baseline", action="store_true",
                    help="compare with the native fluxdec's baseline path, not fluxdec.exe")
    ap.add_argument("--timeout", type=float, default=120)
    ap.add_argument("names", nargs="*", default=FILES)
    args = ap.parse_args()
    if not args.baseline and not (args.exe and args.wine_exec):
        ap.error("--exe and --wine-exec, or --baseline")
    for field in ("exe", "native", "material", "wine_exec"):  # the exe runs from its folder
        if getattr(args, field):
            setattr(args, field, os.path.abspath(getattr(args, field)))

    if not os.access(args.native, os.X_OK):
        print(f"identity: SKIPPED: no native fluxdec at {args.native} "
              "(build the native tree first: cmake --build --preset native)")
        return SKIP
    repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    subprocess.run([sys.executable, os.path.join(repo, "scripts", "make-test-audio"),
                    args.material] + args.names, check=True)

    failed = 0
    other = "baseline path" if args.baseline else "fluxdec.exe"
    with tempfile.TemporaryDirectory(prefix="fluxdec-identity-") as tmp:
        for index, name in enumerate(args.names):
            src = os.path.join(args.material, name)
            native_out = os.path.join(tmp, name + ".native.raw")
            win_out = os.path.join(tmp, name + ".win.raw")
            widest = {k: v for k, v in os.environ.items() if k != "FLUXDEC_SIMD"}
            baseline = dict(widest, FLUXDEC_SIMD="baseline")
            n = subprocess.run([args.native, "--raw", src, native_out], env=widest,
                               capture_output=True, timeout=args.timeout)
            if args.baseline:
                w = subprocess.run([args.native, "--raw", src, win_out], env=baseline,
                                   capture_output=True, timeout=args.timeout)
            else:  # the program runs from its own folder, where it finds Fluxdec.cvp
                w = subprocess.run([args.wine_exec, args.exe, "--raw", wine_path(src),
                                    wine_path(win_out)], capture_output=True,
                                   env=baseline if index % 2 else widest,
                                   timeout=args.timeout, cwd=os.path.dirname(args.exe),
                                   stdin=subprocess.DEVNULL)
            a = open(native_out, "rb").read() if os.path.exists(native_out) else None
            b = open(win_out, "rb").read() if os.path.exists(win_out) else None
            problems = []
            if n.returncode != 0:
                problems.append(f"native fluxdec: status {n.returncode}: "
                                f"{n.stderr.decode(errors='replace').strip()[-200:]}")
            if w.returncode != 0:
                problems.append(f"{other}: status {w.returncode}: "
                                f"{w.stderr.decode(errors='replace').strip()[-200:]}")
            if a is None or b is None:
                problems.append("an output file is missing")
            elif a != b:
                first = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]),
                             min(len(a), len(b)))
                problems.append(f"outputs differ: native {len(a)} bytes, {other} {len(b)} "
                                f"bytes, first difference at byte {first} (sample {first // 2})")
            size = len(a) if a is not None else 0
            print(f"{'FAIL' if problems else 'PASS'} {name:<34} {size:>8} bytes"
                  + ("  identical" if not problems else "")
                  + "".join(f"\n     - {p}" for p in problems))
            failed += bool(problems)
    print(f"{len(args.names) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
