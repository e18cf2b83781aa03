#!/usr/bin/python3
"""The real player under Wine with songs whose names the system code page cannot hold.

    any_name_test.py BIN_DIR WORK_DIR names
        Songs named in Cyrillic (in a folder named in Cyrillic and CJK), in CJK and in Latin-1
        reach the player by its command line, by a second start and by a drop from the file
        manager (XDND). Each row of the playlist window reads back, as pixels, as the list
        control's own drawing of the song's name (and not as the name with its letters turned
        into '?'), and each song plays byte for byte. A start without a song leaves the stopped
        player alone.

    any_name_test.py BIN_DIR WORK_DIR handover
        Five starts at once, each with a song, give one player with five rows; a sixth start
        without a song neither restarts nor stops the song that plays (the capture, emptied
        whenever the device opens, goes on growing)."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "playlist"))
from play_song_test import WINE_EXEC, compare_frames, windows_path  # noqa: E402
from playlist_real_input_test import (click, find_window, poll, row_y,  # noqa: E402
                                      wine_display, xdotool)

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
XDND_DROP = os.path.join(REPO, "tests", "support", "xdnd_drop.py")
PLAYLIST_BUTTON = (21, 109)  # main window
DROP_POINT = (88, 150)       # main window, on the skin
REMOVE_BUTTON = (377, 178)   # playlist window


def make_song(path, frequency, seconds):
    wav = path + ".wav"
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", wav, "synth", str(seconds), "sine",
                    str(frequency), "gain", "-6"], check=True)
    subprocess.run(["lame", "--quiet", "-t", "-b", "128", wav, path], check=True)
    os.remove(wav)


def decode(bin_dir, song, work):
    """What the plug-in delivers for `song`, through fluxdec.exe (an ASCII-named copy)."""
    plain, raw = os.path.join(work, "plain.mp3"), os.path.join(work, "plain.raw")
    with open(song, "rb") as source, open(plain, "wb") as copy:
        copy.write(source.read())
    subprocess.run([WINE_EXEC, os.path.join(bin_dir, "fluxdec.exe"), "--raw", windows_path(plain),
                    windows_path(raw)], check=True, stdout=subprocess.DEVNULL)
    data = open(raw, "rb").read()
    assert data, f"the reference decode of {song} is empty"
    return data


def size_of(path):
    return os.path.getsize(path) if os.path.exists(path) else 0


def start(bin_dir, env, *songs):
    return subprocess.Popen([WINE_EXEC, os.path.join(bin_dir, "Corvane.exe"),
                             *map(windows_path, songs)], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def close_player(bin_dir, player):
    close = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "corvane-remote.exe"), "close"])
    assert close.returncode == 0, "the player's window did not close"
    assert player.wait(timeout=20) == 0, "the player did not end with status 0"


def read_ppm(path):
    data = open(path, "rb").read()
    header = data.split(b"\n", 3)
    width, height = map(int, header[1].split())
    return width, height, header[3]


def row_shows(bin_dir, work, row, text):
    """Whether the playlist window's row `row` looks exactly as the list control draws `text`."""
    expected = os.path.join(work, "expected-row.ppm")
    result = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "list-row-picture.exe"), str(row),
                             text, windows_path(expected)], capture_output=True, text=True)
    assert result.returncode == 0, f"list-row-picture failed for row {row}"
    x, y, width, height = map(int, result.stdout.split())
    time.sleep(0.5)  # the selection's repaint
    shot = os.path.join(work, "row.ppm")
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                    "-depth", "8", f"ppm:{shot}"], check=True)
    _, _, want = read_ppm(expected)
    _, _, got = read_ppm(shot)
    # The list's rounded outline cuts the rows' ends: the name lies between.
    left, right = 8 * 3, min(width, 240) * 3
    stride = width * 3
    return all(want[r * stride + left:r * stride + right] ==
               got[r * stride + left:r * stride + right] for r in range(height))


def row_count(bin_dir):
    """How many rows the playlist window shows (their texts come in the code page: not read)."""
    result = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "playlist-rows.exe")],
                            capture_output=True)
    return result.stdout.count(b"\n") - 1 if result.returncode == 0 else -1


def mangled(name):
    """The name as the 8-bit calls gave it before: every letter outside cp1252 a '?'."""
    return name.encode("cp1252", errors="replace").decode("cp1252")


def played(capture, decoded):
    """Whether the capture (truncated at each opening of the device) holds exactly `decoded`."""
    try:
        return compare_frames(decoded, open(capture, "rb").read())[0] == len(decoded)
    except (AssertionError, OSError):
        return False


def play_row(bin_dir, playlist, row, capture, decoded, name):
    click(playlist, 100, row_y(row, upper=False))
    xdotool("key", "space")
    poll(f"{name} to play byte for byte", lambda: played(capture, decoded), 60)


def names_test(bin_dir, work, env, capture):
    folder = os.path.join(work, "Папка 音楽")
    os.makedirs(folder, exist_ok=True)
    songs = [os.path.join(folder, "Кино – Группа крови.mp3"),  # by the command line
             os.path.join(work, "夜の歌.mp3"),                  # by a second start
             os.path.join(work, "Café Müller.mp3")]             # dropped
    for song, frequency in zip(songs, (330, 550, 770)):
        make_song(song, frequency, 2)
    decoded = [decode(bin_dir, song, work) for song in songs]
    names = [os.path.basename(song) for song in songs]

    player = start(bin_dir, env, songs[0])
    try:
        main_window = find_window("Corvane", seconds=30)
        poll(f"{names[0]} to play byte for byte", lambda: played(capture, decoded[0]), 60)
        # A start without a song must not play the one the player holds again: the device
        # would open anew, which empties the capture.
        time.sleep(0.5)
        before = os.stat(capture).st_mtime_ns
        idle = start(bin_dir, env)
        assert idle.wait(timeout=30) == 0, "the start without a song did not end"
        time.sleep(1.0)
        assert os.stat(capture).st_mtime_ns == before, "a start without a song played again"

        second = start(bin_dir, env, songs[1])
        assert second.wait(timeout=30) == 0, "the second start did not hand over and end"
        drop = subprocess.run(["/usr/bin/python3", XDND_DROP, main_window, *map(str, DROP_POINT),
                               songs[2]])
        assert drop.returncode == 0, "the drop did not finish"

        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        poll("three rows", lambda: row_count(bin_dir) == 3)
        for row, name in enumerate(names):
            assert row_shows(bin_dir, work, row, name), f"row {row} does not show {name}"
            if mangled(name) != name:
                assert not row_shows(bin_dir, work, row, mangled(name)), \
                    f"row {row} shows {mangled(name)}"
        print("rows show the songs' names:", names)

        # The last row plays alone; removed, the row before it is the last and plays alone.
        play_row(bin_dir, playlist, 2, capture, decoded[2], names[2])
        click(playlist, *REMOVE_BUTTON)  # the played row is still selected
        poll("two rows", lambda: row_count(bin_dir) == 2)
        play_row(bin_dir, playlist, 1, capture, decoded[1], names[1])
        close_player(bin_dir, player)
    finally:
        if player.poll() is None:
            player.kill()
    print("PASS: songs named in Cyrillic (in a Cyrillic and CJK folder), CJK and Latin-1 came by "
          "command line, second start and drop, show their names and played byte for byte")


def handover_test(bin_dir, work, env, capture):
    names = ["Первая", "Second", "Troisième", "第四", "Fifth"]
    songs = [os.path.join(work, n + ".mp3") for n in names]
    make_song(songs[0], 440, 40)  # long enough to outlast the sixth start
    for song in songs[1:]:
        with open(songs[0], "rb") as source, open(song, "wb") as copy:
            copy.write(source.read())

    starts = [start(bin_dir, env, song) for song in songs]
    player = None
    try:
        main_window = find_window("Corvane", seconds=30)
        # Four hand over and end; one stays as the player.
        poll("four starts to end", lambda: sum(p.poll() is not None for p in starts) == 4, 40)
        for p in starts:
            if p.poll() is None:
                player = p
            else:
                assert p.returncode == 0, "a start that handed over ended with an error"
        click(main_window, *PLAYLIST_BUTTON)
        find_window("CorvanePlayListDlg")
        poll("five rows", lambda: row_count(bin_dir) == 5)

        # A sixth start without a song while one plays: the capture must go on growing, never
        # emptied by a new opening of the device.
        poll("the song to play", lambda: size_of(capture) > 100000, 30)
        sizes = [size_of(capture)]
        sixth = start(bin_dir, env)
        while sixth.poll() is None:
            sizes.append(size_of(capture))
            time.sleep(0.01)
        assert sixth.returncode == 0, "the start without a song did not end"
        for _ in range(50):
            sizes.append(size_of(capture))
            time.sleep(0.01)
        assert all(b >= a for a, b in zip(sizes, sizes[1:])), "the song started again"
        assert sizes[-1] > sizes[0], "the song stopped"
        close_player(bin_dir, player)
    finally:
        for p in starts:
            if p.poll() is None:
                p.kill()
    print(f"PASS: five starts at once made one player with five rows; a sixth without a song "
          f"left the song playing (capture {sizes[0]} -> {sizes[-1]} bytes)")


def main():
    bin_dir, work, mode = sys.argv[1], sys.argv[2], sys.argv[3]
    display = wine_display()
    assert display, "no Wine environment with a display is running (scripts/wine-env)"
    os.environ["DISPLAY"] = display
    work = os.path.join(work, mode)
    os.makedirs(work, exist_ok=True)
    capture = os.path.join(work, "capture.raw")
    if os.path.exists(capture):
        os.remove(capture)
    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=capture)
    (names_test if mode == "names" else handover_test)(bin_dir, work, env, capture)


if __name__ == "__main__":
    main()
