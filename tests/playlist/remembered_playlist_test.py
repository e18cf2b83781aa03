#!/usr/bin/python3
"""The playlist's files and orders in the real player under Wine, by real input:
a dropped .m3u8 names songs in non-ASCII folders and one song that is not there: the rows show
the others and the time display shows "Skipped 1"; a song plays and SORT, REVERSE and SHUFFLE,
clicked, leave it playing (the capture, emptied whenever the device opens, keeps growing) and
selected; after an exit and a new start the rows are the same and nothing sounds; Enter, Ctrl+Down and
Delete play, move and remove the selected row.

    remembered_playlist_test.py BIN_DIR WORK_DIR"""
import os
import subprocess
import sys
import threading
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app")]
from any_name_test import close_player, make_song, run  # noqa: E402
from playlist_real_input_test import (REPO, click, find_window, poll, position,  # noqa: E402
                                      row_y, shown_rows, wait_for_rows, wine_display, xdotool)

PLAYLIST_BUTTON, DROP_POINT = (21, 109), (88, 150)      # main window
SORT, REVERSE, SHUFFLE = (71, 288), (119, 290), (170, 290)  # playlist window
FOLDERS = {"Track 10.mp3": "Папка 音楽", "Zulu.mp3": "Папка 音楽",
           "track 2.mp3": "Café Ünï", "Alpha.mp3": "Café Ünï"}
LISTED = ["Track 10.mp3", "Zulu.mp3", "track 2.mp3", "Nowhere.mp3", "Alpha.mp3"]
SONGS = [name for name in LISTED if name in FOLDERS]
SORTED = ["Alpha.mp3", "track 2.mp3", "Track 10.mp3", "Zulu.mp3"]


def read_ppm(path):
    with open(path, "rb") as f:
        return f.read().split(b"\n", 3)[3]


def message_frames(work, box, stop):
    """Pictures of the time display at `box` (screen x, y, width, height) until `stop` is set."""
    frames, n = [], 0
    while not stop.is_set() and n < 60:
        shot = os.path.join(work, f"time-{n}.ppm")
        subprocess.run(["import", "-window", "root", "-crop", "{2}x{3}+{0}+{1}".format(*box),
                        "+repage", "-depth", "8", f"ppm:{shot}"], check=True)
        frames.append(shot)
        n += 1
    return frames


def shows(expected, shot):
    """Whether the screen picture agrees with `expected` wherever that is not magenta."""
    got = read_ppm(shot)
    return len(got) == len(expected) and all(
        expected[i:i + 3] in (b"\xff\x00\xff", got[i:i + 3]) for i in range(0, len(expected), 3))


def growing(capture, before):
    """The capture's size once it has grown past `before`: the song played on, not anew."""
    return poll("the song to keep playing",
                lambda: os.path.exists(capture) and os.path.getsize(capture) > before and
                os.path.getsize(capture), 20)


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    os.environ["DISPLAY"] = wine_display()
    os.makedirs(work, exist_ok=True)
    capture = os.path.join(work, "capture.raw")
    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=capture)
    for n, name in enumerate(SONGS):
        os.makedirs(os.path.join(work, FOLDERS[name]), exist_ok=True)
        make_song(os.path.join(work, FOLDERS[name], name), 300 + 100 * n, 30)
    listing = os.path.join(work, "Списки", "mix.m3u8")
    os.makedirs(os.path.dirname(listing), exist_ok=True)
    with open(listing, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("#EXTM3U\n" + "".join(
            "..\\" + FOLDERS.get(name, "Gone") + "\\" + name + "\n" for name in LISTED))
    expected_file = os.path.join(work, "skipped.ppm")
    box = list(map(int, run(bin_dir, "message-picture.exe", "Skipped|1",
                            "Z:" + expected_file.replace("/", "\\")).communicate()[0].split()))
    expected = read_ppm(expected_file)

    player = run(bin_dir, "Corvane.exe", env=env)
    try:
        main_window = find_window("Corvane", seconds=30)
        left, top = position(main_window)
        stop, frames = threading.Event(), []
        watcher = threading.Thread(target=lambda: frames.extend(message_frames(
            work, (left + box[0], top + box[1], box[2], box[3]), stop)))
        watcher.start()
        subprocess.run(["/usr/bin/python3", os.path.join(REPO, "tests", "support", "xdnd_drop.py"),
                        main_window, *map(str, DROP_POINT), listing], check=True)
        time.sleep(2)
        stop.set()
        watcher.join()
        assert any(shows(expected, shot) for shot in frames), \
            f"no 'Skipped 1' among {len(frames)} pictures of the time display"

        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        wait_for_rows(bin_dir, "the playlist's songs", lambda rows, _: rows == SONGS)
        click(playlist, 100, row_y(1, upper=False))
        xdotool("key", "space")  # plays Zulu
        size = growing(capture, 0)
        rows = SONGS
        # A shuffle may give the order it was given (one time in 24): it is clicked again.
        for button, name, order in ((SORT, "SORT", SORTED), (REVERSE, "REVERSE", SORTED[::-1]),
                                    (SHUFFLE, "SHUFFLE", None), (SHUFFLE, "SHUFFLE", None)):
            if order is None and rows != SORTED[::-1]:
                break
            click(playlist, *button)
            time.sleep(0.5)
            rows, selected = wait_for_rows(
                bin_dir, f"the rows after {name}",
                lambda r, _: r == order if order else sorted(r) == sorted(SONGS))
            assert rows[selected] == "Zulu.mp3", f"{name}: row {selected} selected in {rows}"
            size = growing(capture, size)
        close_player(bin_dir, player)

        os.remove(capture)
        player = run(bin_dir, "Corvane.exe", env=dict(env, CORVANE_KEEP_PLAYLIST="1"))
        main_window = find_window("Corvane", seconds=30)
        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        again, _ = wait_for_rows(bin_dir, "the remembered rows", lambda r, _: len(r) == 4)
        assert again == rows, f"after a new start the rows are {again}, not {rows}"
        time.sleep(1)
        # The song playing at the exit is loaded again, paused: nothing is heard.
        heard = open(capture, "rb").read() if os.path.exists(capture) else b""
        assert heard.count(0) == len(heard), "a song played without being asked"
        # The keys: Enter plays the selected row, Ctrl+Down moves it, Delete removes it.
        click(playlist, 100, row_y(0, upper=False))
        xdotool("key", "Return")
        growing(capture, 0)
        xdotool("key", "ctrl+Down")
        moved = [rows[1], rows[0]] + rows[2:]
        wait_for_rows(bin_dir, "Ctrl+Down", lambda r, selected: r == moved and selected == 1)
        xdotool("key", "Delete")
        wait_for_rows(bin_dir, "Delete", lambda r, _: r == moved[:1] + moved[2:])
        close_player(bin_dir, player)
    finally:
        player.kill()
    print(f"PASS: 'Skipped 1', rows {SONGS}, orders kept Zulu playing, remembered {rows}")


if __name__ == "__main__":
    main()
