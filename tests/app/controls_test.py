#!/usr/bin/python3
"""The real player under Wine, across restarts.   controls_test.py BIN_DIR WORK_DIR restart|recall
restart: a song plays, Down is pressed three times, the player closes mid-song. The next start,
given no song, loads it paused at the kept place and sounds nothing; Space plays on: the first
audio heard is the decode from that place, every sample the decode's times the stored volume
(within 1 LSB), and the volume knob's dot stands where that volume lies.
recall: the remembered list names songs in a folder that is then renamed away (a drive not
mounted): a start and an exit keep every entry, and with the folder back every row is there."""
import math
import os
import re
import shutil
import subprocess
import sys
import time
from array import array

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "playlist")]
from any_name_test import close_player, decode, make_song, run, start  # noqa: E402
from play_song_test import REPO, dismiss_splash  # noqa: E402
from playlist_real_input_test import (click, find_window, poll, position,  # noqa: E402
                                      wait_for_rows, wine_display)

VK_SPACE, VK_DOWN = 32, 40
KNOB_BOUNDS = (148, 143, 168, 162)  # the volume knob's box in the main window
KNOB_STEP = 2621                    # one key's turn of the knob


def wine_windows_folder():
    script = ('. "$1/scripts/wine-env"; . "$CORVANE_WINE_DIR/env.sh"; echo "$WINEPREFIX"')
    prefix = subprocess.run(["bash", "-c", script, "-", REPO], capture_output=True,
                            text=True).stdout.strip()
    return os.path.join(prefix, "drive_c", "windows")


def remote(bin_dir, *args):
    assert run(bin_dir, "corvane-remote.exe", *map(str, args)).wait() == 0, args


def volume_of_knob(knob):
    """The knob's sweep as the player computes it: even in decibels, -50 dB to 0 dB."""
    if knob <= 1:
        return 0
    if knob >= 65535:
        return 65535
    gain = 65535.0 * math.pow(10.0, -50.0 * (65535 - knob) / 65534 / 20.0)
    return int(math.floor(gain + 0.5))


def dot_origin(gain):
    """Where the dot of a knob standing at `gain` is drawn: the first knob value giving it,
    between 90 and 315 degrees on a circle of 9 pixels."""
    knob = next(k for k in range(1, 65536) if volume_of_knob(k) >= gain)
    angle = 900 + (knob - 1) * 2250 // 65534
    theta = angle * 0.0017453292521111112
    ox, oy = int(9 * math.cos(theta) - 0.5), int(9 * math.sin(theta) - 0.5)
    left, top, right, bottom = KNOB_BOUNDS
    return int(ox + (left + right) * 0.5 - 1.5), int(oy + (top + bottom) * 0.5 - 1.5)


def dot_shown(main_window, origin):
    """Whether the screen shows the dot's picture at `origin`, where the knob's area lets it."""
    from PIL import Image
    import io
    shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True)
    screen = Image.open(io.BytesIO(shot.stdout)).convert("RGB")
    dot = Image.open(os.path.join(REPO, "resources", "art", "volume-dot.bmp")).convert("RGB")
    area = Image.open(os.path.join(REPO, "resources", "art", "main-map.bmp")).convert("RGB")
    left, top = position(main_window)
    knob_colour = area.getpixel((159, 155))
    points = [(origin[0] + dx, origin[1] + dy, dx, dy) for dx in range(3) for dy in range(3)]
    inside = [p for p in points if area.getpixel(p[:2]) == knob_colour]
    assert len(inside) >= 4, f"the dot at {origin} lies outside the knob"
    return all(screen.getpixel((left + x, top + y)) == dot.getpixel((dx, dy))
               for x, y, dx, dy in inside)


def scaled(pcm, gain):
    """The decode at `gain`, as the plug-in scales it (16.16 fixed point, rounded)."""
    samples = array("h", pcm)
    if gain != 65535:
        samples = array("h", ((s * gain + 0x8000) >> 16 for s in samples))
    return samples


def heard_from_the_start(expected, captured):
    """How many samples of `expected` the capture holds in order from its first sound, each
    within 1, passing over zero frames the device put in."""
    i = j = 0
    while i + 1 < len(expected) and j + 1 < len(captured):
        if abs(captured[j] - expected[i]) <= 1 and abs(captured[j + 1] - expected[i + 1]) <= 1:
            i, j = i + 2, j + 2
        elif captured[j] == 0 and captured[j + 1] == 0:
            j += 2
        else:
            break
    return i


def restart_test(bin_dir, work, env, windows):
    # A sweep: no stretch of it looks like another, so the place heard is the place meant. Long
    # enough to outlast the restarts at the sink's four times real time.
    song = os.path.join(work, "long.mp3")
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", song + ".wav", "synth", "120", "sine",
                    "100-3000", "gain", "-6"], check=True)
    subprocess.run(["lame", "--quiet", "-t", "-b", "128", song + ".wav", song], check=True)
    decoded = decode(bin_dir, song, work)
    first, second = os.path.join(work, "first.raw"), os.path.join(work, "second.raw")
    player = start(bin_dir, dict(env, CORVANE_AUDIO_CAPTURE=first), song)
    try:
        find_window("Corvane", seconds=30)
        poll("ten seconds of the song", lambda: os.path.exists(first) and
             os.path.getsize(first) > 10 * 176400, 30)
        for _ in range(3):
            remote(bin_dir, "key", VK_DOWN)
        close_player(bin_dir, player)
    finally:
        player.kill()
    ini = open(os.path.join(windows, "Corvane.ini"), encoding="latin-1").read()
    packed = int(re.search(r"AudioVolume=(-?\d+)", ini).group(1)) & 0xFFFFFFFF
    gain = packed & 0xFFFF
    assert packed >> 16 == gain and gain == volume_of_knob(65535 - 3 * KNOB_STEP), hex(packed)
    listing = open(os.path.join(windows, "Corvane.m3u8"), encoding="utf-8").read()
    place_ms, length_ms = map(int, re.search(r"#CORVANE-PLACE:(\d+)/(\d+)", listing).groups())
    assert 10000 < place_ms < length_ms, listing

    player = start(bin_dir, dict(env, CORVANE_AUDIO_CAPTURE=second, CORVANE_KEEP_PLAYLIST="1"))
    try:
        main_window = find_window("Corvane", seconds=30)
        dismiss_splash()
        time.sleep(1)
        heard = open(second, "rb").read() if os.path.exists(second) else b""
        assert heard.count(0) == len(heard), "the kept song sounded before play was pressed"
        assert dot_shown(main_window, dot_origin(gain)), "no dot where the stored volume lies"
        assert not dot_shown(main_window, dot_origin(65535)), "the dot stands at full volume"
        remote(bin_dir, "key", VK_SPACE)
        # The seek lands on the first sample at or after the place.
        rest = scaled(decoded[(place_ms * 44100 + 999) // 1000 * 4:], gain)
        poll("the rest of the song", lambda: os.path.getsize(second) >= len(rest) * 2, 90)
        time.sleep(0.5)
        close_player(bin_dir, player)
    finally:
        player.kill()
    captured = array("h", open(second, "rb").read())
    matched = heard_from_the_start(rest, captured)
    assert matched == len(rest), (
        f"from {place_ms} ms at gain {gain}: {matched} of {len(rest)} samples as decoded")
    print(f"PASS: resumed at {place_ms} ms of {length_ms}, {len(rest)} samples at gain {gain} "
          f"({20 * math.log10(gain / 65535):.2f} dB), the dot at {dot_origin(gain)}")


def recall_test(bin_dir, work, env, windows):
    drive = os.path.join(work, "Drive")
    away = drive + "-away"
    shutil.rmtree(away, ignore_errors=True)
    os.makedirs(drive, exist_ok=True)
    songs = [os.path.join(drive, name) for name in ("One.mp3", "Two.mp3")]
    for n, song in enumerate(songs):
        make_song(song, 330 + 220 * n, 1)
    kept = dict(env, CORVANE_KEEP_PLAYLIST="1")
    player = start(bin_dir, env, songs[0])
    try:
        find_window("Corvane", seconds=30)
        assert start(bin_dir, env, songs[1]).wait(timeout=30) == 0, "no hand-over"
        close_player(bin_dir, player)
        os.rename(drive, away)
        player = start(bin_dir, kept)
        find_window("Corvane", seconds=30)
        time.sleep(1)
        close_player(bin_dir, player)
        listing = open(os.path.join(windows, "Corvane.m3u8"), encoding="utf-8").read()
        assert all(os.path.basename(s) in listing for s in songs), f"entries lost: {listing}"
        os.rename(away, drive)
        player = start(bin_dir, kept)
        main_window = find_window("Corvane", seconds=30)
        dismiss_splash()
        click(main_window, 21, 109)  # the playlist button
        rows, _ = wait_for_rows(bin_dir, "every row", lambda r, _: len(r) == 2)
        close_player(bin_dir, player)
    finally:
        player.kill()
        if os.path.exists(away):
            os.rename(away, drive)
    print(f"PASS: with the folder away and back, the rows are {rows}")


def main():
    bin_dir, work, mode = sys.argv[1], os.path.join(sys.argv[2], sys.argv[3]), sys.argv[3]
    os.environ["DISPLAY"] = wine_display()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    (restart_test if mode == "restart" else recall_test)(bin_dir, work, dict(os.environ),
                                                         wine_windows_folder())


if __name__ == "__main__":
    main()
