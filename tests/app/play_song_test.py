#!/usr/bin/env python3
"""Plays a song through the real player under Wine and compares what the audio device received
with what the decoder plug-in delivers for the same file (fluxdec.exe drives the same plug-in).

    play_song_test.py BIN_DIR WORK_DIR

The player starts with the song on its command line, plays it to its end, and closes when asked;
the captured PCM must be exactly the decoded PCM, in order, nothing dropped or repeated. Wine's
wave-out writes silence of its own whenever its feeder falls behind (under load) and after the
last block until the device closes: those inserted zero frames are skipped and counted."""
import os
import subprocess
import sys
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_EXEC = os.path.join(REPO, "scripts", "wine-exec")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def make_song(path):
    wav = path + ".wav"
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", "2.5", "sine", "440",
                    "sine", "660", "gain", "-6"], check=True)
    subprocess.run(["lame", "--quiet", "-t", "-b", "128", wav, path], check=True)
    os.remove(wav)


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    song = os.path.join(work, "song.mp3")
    reference = os.path.join(work, "reference.raw")
    capture = os.path.join(work, "capture.raw")
    for stale in (song, reference, capture):
        if os.path.exists(stale):
            os.remove(stale)
    make_song(song)
    subprocess.run([WINE_EXEC, os.path.join(bin_dir, "fluxdec.exe"), "--raw", windows_path(song),
                    windows_path(reference)], check=True, stdout=subprocess.DEVNULL)
    expected = open(reference, "rb").read()
    assert len(expected) > 0, "the reference decode is empty"

    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=capture)
    player = subprocess.Popen([WINE_EXEC, os.path.join(bin_dir, "Corvane.exe"), windows_path(song)],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # The sink plays at about four times real time; wait until the song has arrived whole
        # and nothing more comes.
        deadline = time.time() + 60
        last_size, stable_since = -1, time.time()
        while time.time() < deadline:
            size = os.path.getsize(capture) if os.path.exists(capture) else 0
            if size != last_size:
                last_size, stable_since = size, time.time()
            elif size >= len(expected) and time.time() - stable_since > 1.0:
                break
            time.sleep(0.1)
        check_window_on_screen()
        close = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "corvane-remote.exe"), "close"])
        assert close.returncode == 0, "the player's window did not close"
        assert player.wait(timeout=20) == 0, "the player did not end with status 0"
    finally:
        if player.poll() is None:
            player.kill()

    captured = open(capture, "rb").read()
    print(f"decoded {len(expected)} bytes, captured {len(captured)} bytes")
    matched, inserted = compare_frames(expected, captured)
    assert matched == len(expected), (
        f"the capture differs from the decoded song at byte {matched} "
        f"(after skipping {inserted} bytes of inserted silence)")
    print(f"PASS: the player played all {len(expected)} bytes in order; "
          f"Wine inserted {inserted} bytes of silence")


MAP = os.path.join(REPO, "resources", "art", "main-map.bmp")


def dismiss_splash():
    """The About window greets every start in the middle of the screen and goes by itself."""
    def gone():
        return not subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                   "^Corvane About Window$"], capture_output=True, text=True).stdout
    deadline = time.time() + 10
    while not gone() and time.time() < deadline:
        time.sleep(0.1)
    assert gone(), "the splash did not go by itself"


def check_window_on_screen():
    """The main window stands at the screen's top-left corner, 177 x 292, cut to the control
    map's outline: outside the outline the screen shows what lies behind (the white root)."""
    from PIL import Image
    dismiss_splash()
    shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True)
    import io
    screen = Image.open(io.BytesIO(shot.stdout)).convert("RGB")
    control_map = Image.open(MAP).convert("RGB")
    assert control_map.size == (177, 292), control_map.size
    background = control_map.getpixel((0, 0))
    wrong = 0
    for y in range(292):
        for x in range(177):
            inside = control_map.getpixel((x, y)) != background
            shown = screen.getpixel((x, y))
            if inside == (shown == (255, 255, 255)):
                wrong += 1
    # Skin pixels may happen to be white; a handful at most.
    assert wrong < 50, f"{wrong} pixels disagree with the window's outline"
    assert screen.getpixel((177 + 5, 100)) == (255, 255, 255), "the window is wider than its skin"
    print(f"window outline on screen: {wrong} pixels disagree")


FRAME = 4  # one 16-bit stereo sample frame
SILENCE = bytes(FRAME)


def compare_frames(expected, captured, more_may_follow=False):
    """Returns how many bytes of `expected` were found in order in `captured`, skipping zero
    frames of the capture that the song does not have, and how many bytes were skipped. Unless
    `more_may_follow`, only silence may come after the song."""
    i = j = inserted = 0
    while i < len(expected) and j < len(captured):
        if captured[j:j + FRAME] == expected[i:i + FRAME]:
            i += FRAME
            j += FRAME
        elif captured[j:j + FRAME] == SILENCE:
            j += FRAME
            inserted += FRAME
        else:
            break
    trailing = captured[j:] if i == len(expected) and not more_may_follow else b""
    assert trailing.count(0) == len(trailing), "something other than silence follows the song"
    return i, inserted + len(trailing)


if __name__ == "__main__":
    main()
