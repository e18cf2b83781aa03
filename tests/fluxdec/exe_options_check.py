#!/usr/bin/env python3
"""fluxdec.exe's --info and --start-sample, which reach Fluxdec.cvp's GetFileInfo and Seek: the
info names the reference decode's sample count, and a decode from sample N is the reference
from N on, byte for byte.

    exe_options_check.py FLUXDEC_EXE SONG.mp3 REFERENCE.raw CHANNELS"""
import os
import subprocess
import sys

WINE_EXEC = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "wine-exec")


def main():
    exe, song, reference_path, channels = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    reference = open(reference_path, "rb").read()
    frame = 2 * channels
    info = subprocess.run([WINE_EXEC, exe, "--info", song], capture_output=True, text=True, check=True)
    facts = dict(line.split(": ", 1) for line in info.stdout.splitlines() if ": " in line)
    print(info.stdout, end="")
    assert int(facts["samples"]) == len(reference) // frame, facts
    assert int(facts["channels"]) == channels, facts
    for start in (1, 12345, len(reference) // frame - 100):
        out = f"start-{start}.raw"
        subprocess.run([WINE_EXEC, exe, "--raw", "--start-sample", str(start), song, out], check=True,
                       stderr=subprocess.DEVNULL)
        tail = open(out, "rb").read()
        os.remove(out)
        assert tail == reference[start * frame:], f"from sample {start}: {len(tail)} bytes differ"
    print("PASS: info and seeks through the plug-in agree with the reference decode")


if __name__ == "__main__":
    main()
