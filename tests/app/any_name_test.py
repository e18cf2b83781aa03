#!/usr/bin/python3
"""The real player under Wine.   any_name_test.py BIN_DIR WORK_DIR names|handover
names: Cyrillic (in a Cyrillic and CJK folder), CJK and Latin-1 names come by command line,
second start and XDND drop; rows read back as the list control's drawing of the name (not of
it with '?'s); each song plays byte for byte; a start without a song leaves the player alone.
handover: five starts at once give one player, five rows; a sixth without a song neither restarts
nor stops the song (the capture, emptied whenever the device opens, keeps growing)."""
import os
import shutil
import subprocess
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "playlist")]
from play_song_test import REPO, WINE_EXEC, compare_frames, windows_path  # noqa: E402
from playlist_real_input_test import (click, find_window, poll, row_y,  # noqa: E402
                                      wine_display, xdotool)

PLAYLIST_BUTTON, DROP_POINT = (21, 109), (88, 150)  # main window
REMOVE_BUTTON = (377, 178)                          # playlist window


def make_song(path, frequency, seconds):
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", path + ".wav", "synth", str(seconds),
                    "sine", str(frequency), "gain", "-6"], check=True)
    subprocess.run(["lame", "--quiet", "-t", "-b", "128", path + ".wav", path], check=True)
    os.remove(path + ".wav")


def decode(bin_dir, song, work):
    """The plug-in's decode of `song`, by fluxdec.exe from an ASCII-named copy."""
    plain, raw = os.path.join(work, "plain.mp3"), os.path.join(work, "plain.raw")
    shutil.copyfile(song, plain)
    subprocess.run([WINE_EXEC, os.path.join(bin_dir, "fluxdec.exe"), "--raw", windows_path(plain),
                    windows_path(raw)], check=True, stdout=subprocess.DEVNULL)
    return open(raw, "rb").read()


def played(capture, decoded):
    """Whether the capture holds exactly `decoded` (it is emptied at each opening)."""
    try:
        return compare_frames(decoded, open(capture, "rb").read())[0] == len(decoded) > 0
    except (AssertionError, OSError):
        return False


def run(bin_dir, program, *args, env=None):
    return subprocess.Popen([WINE_EXEC, os.path.join(bin_dir, program), *args], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)


def start(bin_dir, env, *songs):
    return run(bin_dir, "Corvane.exe", *map(windows_path, songs), env=env)


def close_player(bin_dir, player):
    assert run(bin_dir, "corvane-remote.exe", "close").wait() == 0, "the window did not close"
    assert player.wait(timeout=20) == 0, "the player did not end with status 0"


def row_count(bin_dir):
    rows = run(bin_dir, "playlist-rows.exe").communicate()[0]  # texts in the code page: unread
    return rows.count(b"\n") - 1


def row_shows(bin_dir, work, row, text):
    """Whether row `row` looks exactly as the list control draws `text` in a selected row."""
    expected, shot = os.path.join(work, "expected.ppm"), os.path.join(work, "row.ppm")
    x, y, width, height = map(int, run(bin_dir, "list-row-picture.exe", str(row), text,
                                       windows_path(expected)).communicate()[0].split())
    time.sleep(0.5)  # the selection's repaint
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    "-depth", "8", f"ppm:{shot}"], check=True)
    want, got = (open(p, "rb").read().split(b"\n", 3)[3] for p in (expected, shot))
    stride, left, right = width * 3, 8 * 3, min(width, 240) * 3  # the outline rounds the ends
    return all(want[r * stride + left:r * stride + right] ==
               got[r * stride + left:r * stride + right] for r in range(height))


def play_row(playlist, row, capture, decoded):
    click(playlist, 100, row_y(row, upper=False))
    xdotool("key", "space")
    poll(f"row {row} to play byte for byte", lambda: played(capture, decoded), 60)


def names_test(bin_dir, work, env, capture):
    folder = os.path.join(work, "Папка 音楽")
    os.makedirs(folder, exist_ok=True)
    songs = [os.path.join(folder, "Кино – Группа крови.mp3"),  # command line
             os.path.join(work, "夜の歌.mp3"),                  # second start
             os.path.join(work, "Café Müller.mp3")]             # drop
    for song, frequency in zip(songs, (330, 550, 770)):
        make_song(song, frequency, 2)
    decoded = [decode(bin_dir, song, work) for song in songs]
    player = start(bin_dir, env, songs[0])
    try:
        main_window = find_window("Corvane", seconds=30)
        poll("the first song to play", lambda: played(capture, decoded[0]), 60)
        time.sleep(0.5)
        before = os.stat(capture).st_mtime_ns
        assert start(bin_dir, env).wait(timeout=30) == 0
        time.sleep(1.0)
        assert os.stat(capture).st_mtime_ns == before, "a start without a song played again"
        assert start(bin_dir, env, songs[1]).wait(timeout=30) == 0, "no hand-over"
        subprocess.run(["/usr/bin/python3", os.path.join(REPO, "tests", "support", "xdnd_drop.py"),
                        main_window, *map(str, DROP_POINT), songs[2]], check=True)
        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        poll("three rows", lambda: row_count(bin_dir) == 3)
        for row, name in enumerate(map(os.path.basename, songs)):
            assert row_shows(bin_dir, work, row, name), f"row {row} does not show {name}"
            mangled = name.encode("cp1252", errors="replace").decode("cp1252")
            assert mangled == name or not row_shows(bin_dir, work, row, mangled), mangled
        # The last row plays alone; once it is removed, the row before it does.
        play_row(playlist, 2, capture, decoded[2])
        click(playlist, *REMOVE_BUTTON)  # the played row is still selected
        poll("two rows", lambda: row_count(bin_dir) == 2)
        play_row(playlist, 1, capture, decoded[1])
        close_player(bin_dir, player)
    finally:
        player.kill()
    print("PASS: Cyrillic, CJK and Latin-1 names by command line, second start and drop")


def handover_test(bin_dir, work, env, capture):
    songs = [os.path.join(work, n + ".mp3") for n in ("Первая", "Two", "Trois", "第四", "Five")]
    make_song(songs[0], 440, 40)  # outlasts the sixth start
    for song in songs[1:]:
        shutil.copyfile(songs[0], song)
    starts = [start(bin_dir, env, song) for song in songs]
    try:
        main_window = find_window("Corvane", seconds=30)
        poll("four starts to end", lambda: sum(p.poll() is not None for p in starts) == 4, 40)
        assert all(p.returncode in (None, 0) for p in starts)
        player = next(p for p in starts if p.poll() is None)
        click(main_window, *PLAYLIST_BUTTON)
        poll("five rows", lambda: row_count(bin_dir) == 5)
        poll("the song to play", lambda: os.path.getsize(capture) > 100000, 30)
        sixth, sizes = start(bin_dir, env), []
        while sixth.poll() is None or len(sizes) < 50:
            sizes.append(os.path.getsize(capture))
            time.sleep(0.01)
        assert sixth.returncode == 0 and sizes == sorted(sizes) and sizes[-1] > sizes[0], "the song restarted or stopped"
        close_player(bin_dir, player)
    finally:
        for p in starts:
            p.kill()
    print(f"PASS: one player with five rows; the song went on ({sizes[0]} -> {sizes[-1]} bytes)")


def main():
    bin_dir, work, mode = sys.argv[1], os.path.join(sys.argv[2], sys.argv[3]), sys.argv[3]
    os.environ["DISPLAY"] = wine_display()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    capture = os.path.join(work, "capture.raw")
    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=capture)
    (names_test if mode == "names" else handover_test)(bin_dir, work, env, capture)


if __name__ == "__main__":
    main()
