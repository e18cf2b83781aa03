#!/usr/bin/env python3
"""Fluxdec's accuracy and robustness runner over the test material of scripts/make-test-audio.

    compare.py --material DIR --decoder PATH/fluxdec [--kind accuracy|robust|all] [GLOB...]
    compare.py --material DIR --mpg123-s16 ...      (proves the harness on mpg123 itself)

Accuracy files: the reference is mpg123's float decode (`mpg123 -e f32 -s --no-gapless`) scaled
by 32767, truncated toward zero and clipped to 16 bits. Every sample of the decoder under test
(`fluxdec --raw FILE -`) must lie within 1 LSB of it. The lengths must agree exactly: both
decoders give one frame's worth of samples for every frame of the stream, 1152 per channel
for MPEG-1 and 576 for MPEG-2 LSF, so both hold frames x samples-per-frame x channels samples;
the start-up frames (those the reservoir step skips because their main_data_begin reaches
before the main data read so far; see mp3frames.py) are part of that count and are silent in
both. One verdict line per file gives the samples, the largest difference, the share of
samples that differ at all, and the RMS of the difference in LSB; the share is reported
against the aim of < 1%. Accuracy files marked "ffmpeg-reference" in the manifest are compared
with ffmpeg's float decode instead (`ffmpeg -i FILE -f f32le -`), scaled the same way.

Robustness files: each decode must end within the time-out, by itself, without a signal or a
sanitizer report, with exit status 0 or a clean error (non-zero status and a message on
standard error). Files expected "empty" must give no samples and status 0; "prefix" files must
give exactly their legal leading frames, compared like an accuracy file. With --kind robust
(or all) and no GLOB, the command line's contract is checked too: a non-zero status and a
message for a missing input, an output that cannot be opened and one that cannot be written
(/dev/full), and a plain 44-byte-header WAV file holding exactly the raw samples.

Exit status: 0 when every selected file passes, 1 otherwise.
"""
import argparse
import concurrent.futures
import fnmatch
import os
import subprocess
import sys
import tempfile
import time
import wave

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mp3frames  # noqa: E402

AIM_SHARE = 1.0  # percent
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                   "SUMMARY: UndefinedBehaviorSanitizer", "SUMMARY: AddressSanitizer")


def reference(path, decoder="mpg123"):
    """The float decode as the standard's value x 32767, truncated toward zero, clipped. The
    reference is mpg123; ffmpeg serves for the few files that mpg123 decodes differently from
    both ffmpeg and fluxdec (see make-test-audio)."""
    if decoder == "ffmpeg":
        cmd = ["ffmpeg", "-v", "error", "-nostdin", "-i", path, "-f", "f32le", "-"]
    else:
        cmd = ["mpg123", "-q", "-e", "f32", "-s", "--no-gapless", path]
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if r.returncode != 0:
        raise RuntimeError(f"{decoder} failed ({r.returncode}): {r.stderr.decode(errors='replace')}")
    f = np.frombuffer(r.stdout, dtype="<f4").astype(np.float64)
    return np.clip(np.trunc(f * 32767.0), -32768, 32767).astype(np.int32)


class Run:
    __slots__ = ("returncode", "out", "err", "seconds", "timed_out")


def run_decoder(args, path, timeout):
    """Decodes with the decoder under test to headerless s16le; never raises on its failure."""
    if args.mpg123_s16:
        cmd = ["mpg123", "-q", "-s", "--no-gapless", path]
    else:
        cmd = [args.decoder, "--raw", path, "-"]
    res = Run()
    start = time.monotonic()
    try:
        r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        res.returncode, res.out, res.err, res.timed_out = r.returncode, r.stdout, r.stderr, False
    except subprocess.TimeoutExpired as e:
        res.returncode, res.out, res.err, res.timed_out = None, e.stdout or b"", e.stderr or b"", True
    res.seconds = time.monotonic() - start
    res.err = res.err.decode(errors="replace")
    return res


def last_line(text):
    """The last line of a program's messages, where the reason for a failure usually stands."""
    text = text.strip()
    return text.splitlines()[-1][:160] if text else ""


def process_problem(run):
    """What is wrong with how the decoder process ended, or None."""
    if run.timed_out:
        return f"did not end within the time-out ({run.seconds:.1f} s): hang"
    if run.returncode < 0:
        return f"killed by signal {-run.returncode}: crash; {last_line(run.err)}"
    for mark in SANITIZER_MARKS:
        if mark in run.err:
            return f"sanitizer report: {last_line(run.err)}"
    if run.returncode != 0 and not run.err.strip():
        return f"exit status {run.returncode} without a message"
    return None


class Verdict:
    def __init__(self, name):
        self.name = name
        self.ok = True
        self.problems = []
        self.samples = 0
        self.max_diff = 0
        self.differing = 0
        self.sq_sum = 0.0
        self.info = ""
        self.compared = False

    def fail(self, msg):
        self.ok = False
        self.problems.append(msg)

    def line(self):
        share = 100.0 * self.differing / self.samples if self.samples else 0.0
        rms = (self.sq_sum / self.samples) ** 0.5 if self.samples else 0.0
        head = f"{'PASS' if self.ok else 'FAIL'} {self.name:<36}"
        body = (f" samples {self.samples:>8}  max|d| {self.max_diff}  differ {share:7.4f}%"
                f"  rms {rms:.4f}  {self.info}")
        if self.samples and share >= AIM_SHARE:
            body += "  (share above the 1% aim)"
        tail = "".join(f"\n     - {p}" for p in self.problems)
        return head + body + tail


def compare_samples(v, out, ref, frames, label="decode"):
    """Sample comparison, length relation and silent start-up frames."""
    channels = frames[0].channels if frames else 1
    spf = frames[0].samples if frames else 0
    expected = sum(f.samples * f.channels for f in frames)
    if len(ref) != expected:
        v.fail(f"reference has {len(ref)} samples, the relation says {len(frames)} frames x "
               f"{spf} x {channels} = {expected}")
    if len(out) != len(ref):
        v.fail(f"{label} has {len(out)} samples, the reference {len(ref)} "
               f"({(len(out) - len(ref)) / max(spf * channels, 1):+.2f} frames)")
    v.compared = True
    n = min(len(out), len(ref))
    d = np.abs(out[:n].astype(np.int64) - ref[:n])
    v.samples = n
    v.max_diff = int(d.max()) if n else 0
    v.differing = int(np.count_nonzero(d))
    v.sq_sum = float(np.sum(d.astype(np.float64) ** 2))
    if v.max_diff > 1:
        worst = int(np.argmax(d))
        v.fail(f"sample {worst} (frame {worst // max(spf * channels, 1)}, channel "
               f"{worst % channels}) is {int(out[worst])}, the reference {int(ref[worst])}")
    startup = [i for i, f in enumerate(frames) if f.skipped]
    pos = 0
    for i, f in enumerate(frames):
        size = f.samples * f.channels
        if f.skipped:
            for what, arr in ((label, out), ("reference", ref)):
                seg = arr[pos:pos + size]
                if np.any(seg != 0):
                    v.fail(f"start-up frame {i} is not silent in the {what}")
        pos += size
    rate = frames[0].rate if frames else 0
    v.info = (f"[{rate} Hz {channels} ch, {len(frames)} frames"
              + (f", start-up frames {startup}" if startup else "") + "]")


def check_accuracy(args, path, name, expect="-"):
    v = Verdict(name)
    frames, _, _ = mp3frames.parse_file(path)
    run = run_decoder(args, path, args.timeout)
    problem = process_problem(run)
    if problem:
        v.fail(problem)
        return v
    if run.returncode != 0:
        v.fail(f"exit status {run.returncode}: {last_line(run.err)}")
        return v
    if len(run.out) % 2:
        v.fail(f"odd output size {len(run.out)} bytes")
    out = np.frombuffer(run.out[:len(run.out) // 2 * 2], dtype="<i2")
    ref_decoder = "ffmpeg" if expect == "ffmpeg-reference" else "mpg123"
    try:
        ref = reference(path, ref_decoder)
    except (RuntimeError, subprocess.TimeoutExpired) as e:
        v.fail(f"no reference: {e}")
        return v
    if expect == "prefix":  # legal frames, then damage: the reference decodes past it
        expected = sum(f.samples * f.channels for f in frames)
        ref = ref[:expected]
    compare_samples(v, out, ref, frames)
    if ref_decoder != "mpg123":
        v.info += f" [reference {ref_decoder}]"
    return v


def check_robust(args, path, name, expect):
    if expect == "prefix":
        return check_accuracy(args, path, name, expect)
    v = Verdict(name)
    size = os.path.getsize(path)
    run = run_decoder(args, path, args.timeout)
    problem = process_problem(run)
    if problem:
        v.fail(problem)
    nbytes = len(run.out)
    v.samples = nbytes // 2
    # Every frame takes at least 24 bytes of the file and yields at most 4608 bytes.
    bound = (size // 24 + 1) * 4608
    if nbytes > bound:
        v.fail(f"{nbytes} bytes of output from a {size}-byte file: more than any frames give")
    if nbytes % 2:
        v.fail(f"odd output size {nbytes} bytes")
    if expect == "empty" and not run.timed_out:
        if nbytes:
            v.fail(f"expected no samples (the stream has no Layer III frame), got {nbytes // 2}")
        if run.returncode not in (0, None):
            v.fail(f"expected exit status 0, got {run.returncode}: {last_line(run.err)}")
    status = "timeout" if run.timed_out else f"status {run.returncode}"
    v.info = f"[{status}, {run.seconds:.2f} s]"
    return v


def check_cli(args, material):
    """The command line's own contract: a clear failure for an input that cannot be opened or an
    output that cannot be written, and a standard WAV file holding exactly the raw samples."""
    verdicts = []
    with tempfile.TemporaryDirectory(prefix="fluxdec-cli-") as tmp:
        v = Verdict("cli: missing input")
        r = subprocess.run([args.decoder, "--raw", os.path.join(tmp, "no-such.mp3"),
                            os.path.join(tmp, "out.raw")], capture_output=True, timeout=30)
        if r.returncode <= 0 or not r.stderr.strip():
            v.fail(f"expected a non-zero status and a message, got status {r.returncode}")
        v.info = f"[status {r.returncode}: {last_line(r.stderr.decode(errors='replace'))}]"
        verdicts.append(v)

        src = os.path.join(material, "m1-44100-j128-tones.mp3")
        v = Verdict("cli: unwritable output")
        r = subprocess.run([args.decoder, "--raw", src, os.path.join(tmp, "no-dir", "out.raw")],
                           capture_output=True, timeout=30)
        if r.returncode <= 0 or not r.stderr.strip():
            v.fail(f"expected a non-zero status and a message, got status {r.returncode}")
        v.info = f"[status {r.returncode}: {last_line(r.stderr.decode(errors='replace'))}]"
        verdicts.append(v)

        if os.path.exists("/dev/full"):  # every write fails with "no space left"
            v = Verdict("cli: full output device")
            r = subprocess.run([args.decoder, "--raw", src, "/dev/full"], capture_output=True,
                               timeout=30)
            if r.returncode <= 0 or not r.stderr.strip():
                v.fail(f"expected a non-zero status and a message, got status {r.returncode}")
            v.info = f"[status {r.returncode}: {last_line(r.stderr.decode(errors='replace'))}]"
            verdicts.append(v)

        for name in ("m1-44100-j128-tones.mp3", "lsf-22050-m48-bursts.mp3"):
            v = Verdict(f"cli: WAV {name}")
            src = os.path.join(material, name)
            wav = os.path.join(tmp, "out.wav")
            raw = os.path.join(tmp, "out.raw")
            a = subprocess.run([args.decoder, src, wav], capture_output=True, timeout=60)
            b = subprocess.run([args.decoder, "--raw", src, raw], capture_output=True, timeout=60)
            frames, _, _ = mp3frames.parse_file(src)
            if a.returncode or b.returncode:
                v.fail(f"status {a.returncode} (WAV), {b.returncode} (raw)")
            else:
                with wave.open(wav, "rb") as w:
                    got = (w.getnchannels(), w.getframerate(), w.getsampwidth())
                    data = w.readframes(w.getnframes())
                want = (frames[0].channels, frames[0].rate, 2)
                if got != want:
                    v.fail(f"WAV header says channels, rate, width {got}, expected {want}")
                with open(raw, "rb") as fh:
                    if data != fh.read():
                        v.fail("the WAV file's samples differ from the raw output")
                if os.path.getsize(wav) != 44 + len(data):
                    v.fail(f"WAV file of {os.path.getsize(wav)} bytes for {len(data)} bytes "
                           "of samples: not the plain 44-byte header")
                v.samples = len(data) // 2
            v.info = "[WAV header and samples]"
            verdicts.append(v)
    return verdicts


def robust_line(v):
    head = f"{'PASS' if v.ok else 'FAIL'} {v.name:<36}"
    return head + f" samples {v.samples:>8}  {v.info}" + "".join(f"\n     - {p}" for p in v.problems)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--material", required=True, help="directory made by scripts/make-test-audio")
    who = ap.add_mutually_exclusive_group(required=True)
    who.add_argument("--decoder", help="fluxdec (native), run as DECODER --raw FILE -")
    who.add_argument("--mpg123-s16", action="store_true",
                     help="test mpg123's own 16-bit output instead (proves the harness)")
    ap.add_argument("--kind", choices=["accuracy", "robust", "all"], default="all")
    ap.add_argument("--timeout", type=float, default=20.0, help="seconds per decode")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("globs", nargs="*", help="only files whose names match one of these")
    args = ap.parse_args()
    if args.decoder and not os.access(args.decoder, os.X_OK):
        print(f"compare: no decoder at {args.decoder}", file=sys.stderr)
        return 1

    with open(os.path.join(args.material, "manifest.tsv")) as fh:
        rows = [line.rstrip("\n").split("\t") for line in fh][1:]
    selected = [r for r in rows if (args.kind == "all" or r[1] == args.kind)
                and (not args.globs or any(fnmatch.fnmatch(r[0], g) for g in args.globs))]
    if not selected:
        print("compare: no file selected", file=sys.stderr)
        return 1

    def job(row):
        name, kind, expect, _ = row
        path = os.path.join(args.material, name)
        if not os.path.exists(path):
            v = Verdict(name)
            v.fail(f"missing: {path} (run scripts/make-test-audio)")
            return kind, v
        if kind == "accuracy":
            return kind, check_accuracy(args, path, name, expect)
        return kind, check_robust(args, path, name, expect)

    start = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        results = list(pool.map(job, selected))
    if args.kind in ("robust", "all") and not args.mpg123_s16 and not args.globs:
        results += [("cli", v) for v in check_cli(args, args.material)]

    for _, v in results:
        print(v.line() if v.compared else robust_line(v))
    acc = [v for _, v in results if v.compared]
    passed = sum(v.ok for _, v in results)
    failed = len(results) - passed
    compared = [v for v in acc if v.samples]
    if compared:
        samples = sum(v.samples for v in compared)
        differing = sum(v.differing for v in compared)
        share = 100.0 * differing / samples
        worst = max(compared, key=lambda v: v.differing / v.samples)
        print(f"accuracy: {len(compared)} files, {samples} samples, max|d| "
              f"{max(v.max_diff for v in compared)}, differing {differing} = {share:.4f}% "
              f"(aim < {AIM_SHARE:g}%), highest share {100.0 * worst.differing / worst.samples:.4f}%"
              f" in {worst.name}")
    print(f"compare: {len(results)} files in {time.monotonic() - start:.1f} s")
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
