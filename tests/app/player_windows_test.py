#!/usr/bin/python3
"""The real player under Wine, as a user meets it.   player_windows_test.py BIN_DIR WORK_DIR MODE
whole: the splash goes by itself; a dropped folder gives its songs as rows in natural order and
  starts the first; the playing row's mark moves as the songs follow each other; once played,
  rows read "Artist - Title"; a row removed above the playing one leaves next playing the row
  after it; after a restart the main window stands where it was dragged and the rows keep their
  titles.
multiple, immediate, tray, knob: one preference each, ticked in "Corvane.ini" before the start:
  two starts give two players; a dropped song starts at once over the playing one; minimise hides
  both windows and the notification-area icon's click brings them back; a circular drag turns
  the volume knob and leaves the pointer where it went."""
import os
import shutil
import subprocess
import sys
import time

sys.path[:0] = [os.path.dirname(os.path.abspath(__file__)),
                os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "playlist")]
from any_name_test import close_player, decode, played, run  # noqa: E402
from playlist_real_input_test import (REPO, click, drag, find_window, poll, position,  # noqa: E402
                                      row_y, shown_rows, wait_for_rows, wine_display, xdotool)

PLAYLIST_BUTTON, DROP_POINT, NEXT_BUTTON = (21, 109), (88, 150), (83, 276)  # main window
MINIMISE_BUTTON, VOLUME_CENTRE = (144, 22), (158, 152)
MARK_COLOUR = (0xFF, 0xD0, 0x00)
ALBUM = [("Track 1.mp3", "Alpha - One"), ("track 2.mp3", "Alpha - Two"),
         ("Track 10.mp3", "Alpha - Ten"), ("Bonus/b.mp3", "Bravo - Bonus")]


def make_tagged_song(path, frequency, seconds, title=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", path + ".wav", "synth", str(seconds),
                    "sine", str(frequency), "gain", "-6"], check=True)
    tags = ["--ta", title.split(" - ")[0], "--tt", title.split(" - ")[1]] if title else []
    subprocess.run(["lame", "--quiet", "-b", "128", *tags, path + ".wav", path], check=True)
    os.remove(path + ".wav")


def windows_dir():
    prefix = subprocess.run(["bash", "-c", '. "$1/env.sh"; echo "$WINEPREFIX"', "-",
                             os.path.join(REPO, "build", "wine")], capture_output=True,
                            text=True).stdout.strip()
    return os.path.join(prefix, "drive_c", "windows")


def tick(preference):
    """Starts from no remembered list and only `preference` ticked among the four flags."""
    ini = os.path.join(windows_dir(), "Corvane.ini")
    with open(ini, "w", newline="\r\n") as f:
        f.write("[General Preferences]\n" + "".join(
            f"{name}={int(name == preference)}\n" for name in
            ("ImmediatePlay", "MultipleInstances", "MinimizeToSystemTray",
             "RealisticKnobRotation")))
    if os.path.exists(os.path.join(windows_dir(), "Corvane.m3u8")):
        os.remove(os.path.join(windows_dir(), "Corvane.m3u8"))


def start_ticked(bin_dir, env, preference, *args):
    """A player started with only `preference` ticked, once its splash has gone."""
    tick(preference)
    player = run(bin_dir, "Corvane.exe", *args, env=dict(env, CORVANE_KEEP_PLAYLIST="1"))
    main_window = find_window("Corvane", seconds=30)
    poll("the splash to go", lambda: not visible("Corvane About Window"), 6)
    return player, main_window


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                          capture_output=True, text=True).stdout.split()


def screen():
    from PIL import Image
    shot = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True, check=True)
    import io
    return Image.open(io.BytesIO(shot.stdout)).convert("RGB")


def marked_rows(playlist, rows):
    """The rows that show the playing mark: a run of its colour at the row's right end."""
    left, top = position(playlist)
    picture = screen()
    return [r for r in range(rows) if sum(
        picture.getpixel((left + x, top + row_y(r))) == MARK_COLOUR for x in range(200, 426)) >= 4]


def whole_test(bin_dir, work, env):
    album = os.path.join(work, "Album")
    for n, (name, title) in enumerate(ALBUM):
        make_tagged_song(os.path.join(album, name), 300 + 100 * n, 24, title)
    with open(os.path.join(album, "cover.jpg"), "w") as f:
        f.write("not a song")
    player = run(bin_dir, "Corvane.exe", env=env)
    try:
        main_window = find_window("Corvane", seconds=30)
        splash = find_window("Corvane About Window", seconds=5)
        width, height = (int(v) for v in xdotool("getdisplaygeometry").split())
        assert position(splash) == ((width - 403) // 2, (height - 418) // 2), "not centred"
        poll("the splash to go by itself", lambda: not visible("Corvane About Window"), 6)

        drag(main_window, DROP_POINT, (DROP_POINT[0] + 240, DROP_POINT[1] + 160))
        moved_to = position(main_window)
        assert moved_to != (0, 0), "the main window did not move"
        subprocess.run(["/usr/bin/python3", os.path.join(REPO, "tests", "support", "xdnd_drop.py"),
                        main_window, *map(str, DROP_POINT), album], check=True)
        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        # Each row shows its file's name, or its title once its song played.
        named = [(os.path.basename(name), title) for name, title in ALBUM]
        wait_for_rows(bin_dir, "the folder's songs in natural order", lambda rows, _: len(
            rows) == 4 and all(row in pair for row, pair in zip(rows, named)))
        seen = []
        poll("the mark on the first row, then on the second", lambda: seen.append(
            marked_rows(playlist, 4)) or [0] in seen and seen[-1] == [1], 30)
        titles = [title for _, title in ALBUM]
        poll("every row's title once played", lambda: shown_rows(bin_dir)[0] == titles, 60)
        poll("no mark once the list played out", lambda: marked_rows(playlist, 4) == [], 20)

        # Row 2 plays; row 0 goes; next plays the row after the playing one, now row 2.
        click(playlist, 100, row_y(2, upper=False))
        xdotool("key", "Return")
        poll("row 2 marked", lambda: marked_rows(playlist, 4) == [2])
        click(playlist, 100, row_y(0, upper=False))
        xdotool("key", "Delete")
        wait_for_rows(bin_dir, "row 0 removed", lambda rows, _: rows == titles[1:])
        poll("the mark to follow its song", lambda: marked_rows(playlist, 3) == [1])
        click(main_window, *NEXT_BUTTON)
        poll("next to play the row after it", lambda: marked_rows(playlist, 3) == [2])
        close_player(bin_dir, player)

        player = run(bin_dir, "Corvane.exe", env=dict(env, CORVANE_KEEP_PLAYLIST="1"))
        main_window = find_window("Corvane", seconds=30)
        assert position(main_window) == moved_to, f"{position(main_window)} after the restart"
        playlist = find_window("CorvanePlayListDlg")  # it was open at exit
        wait_for_rows(bin_dir, "the titles after a restart", lambda rows, _: rows == titles[1:])
        close_player(bin_dir, player)
    finally:
        player.kill()
    print(f"PASS: splash, folder in natural order, mark, titles {titles}, place {moved_to}")


def multiple_test(bin_dir, work, env):
    players = [start_ticked(bin_dir, env, "MultipleInstances")[0]]
    try:
        players.append(run(bin_dir, "Corvane.exe", env=dict(env, CORVANE_KEEP_PLAYLIST="1")))
        poll("a second player", lambda: len(visible("Corvane")) == 2, 30)
        assert all(p.poll() is None for p in players)
        for _ in players:
            assert run(bin_dir, "corvane-remote.exe", "close").wait() == 0
        assert [p.wait(timeout=20) for p in players] == [0, 0]
    finally:
        for p in players:
            p.kill()
    print("PASS: two starts, two players")


def immediate_test(bin_dir, work, env):
    songs = [os.path.join(work, name) for name in ("first.mp3", "second.mp3")]
    for song, frequency in zip(songs, (330, 660)):
        make_tagged_song(song, frequency, 30)
    second = decode(bin_dir, songs[1], work)
    player, main_window = start_ticked(bin_dir, env, "ImmediatePlay",
                                       "Z:" + songs[0].replace("/", "\\"))
    try:
        poll("the first song to play", lambda: os.path.exists(env["CORVANE_AUDIO_CAPTURE"]), 30)
        subprocess.run(["/usr/bin/python3", os.path.join(REPO, "tests", "support", "xdnd_drop.py"),
                        main_window, *map(str, DROP_POINT), songs[1]], check=True)
        poll("the dropped song to play at once", lambda: played(env["CORVANE_AUDIO_CAPTURE"],
                                                                 second), 60)
        close_player(bin_dir, player)
    finally:
        player.kill()
    print("PASS: a dropped song replaced the playing one")


def tray_test(bin_dir, work, env):
    player, main_window = start_ticked(bin_dir, env, "MinimizeToSystemTray")
    try:
        click(main_window, *PLAYLIST_BUTTON)
        find_window("CorvanePlayListDlg")
        click(main_window, *MINIMISE_BUTTON)
        poll("both windows hidden", lambda: not visible("Corvane") and
             not visible("CorvanePlayListDlg"))
        icon = find_tray_icon()
        xdotool("mousemove", "--window", icon, 8, 8, "click", 1)
        poll("both windows back", lambda: visible("Corvane") and visible("CorvanePlayListDlg"))
        close_player(bin_dir, player)
    finally:
        player.kill()
    print("PASS: minimised to the notification area and back by the icon's click")


def find_tray_icon():
    """Without a desktop's notification area (no XEmbed tray on this X display), Wine shows the
    icons in a small window of its own, "Wine System Tray", the first icon at its left end."""
    return find_window("Wine System Tray")


def knob_test(bin_dir, work, env):
    player, main_window = start_ticked(bin_dir, env, "RealisticKnobRotation")
    try:
        left, top = position(main_window)
        box = (left + 146, top + 141, left + 170, top + 164)
        before = screen().crop(box)
        # The knob starts at full volume: half a turn back (anticlockwise) around its centre,
        # 9 pixels out: right, above, left.
        cx, cy = VOLUME_CENTRE
        xdotool("mousemove", "--window", main_window, cx + 9, cy, "mousedown", 1)
        for x, y in ((cx + 6, cy - 6), (cx, cy - 9), (cx - 6, cy - 6), (cx - 9, cy)):
            xdotool("mousemove", "--window", main_window, x, y, "sleep", 0.1)
        pointer = xdotool("getmouselocation", "--shell")
        xdotool("mouseup", 1)
        at = dict(line.split("=") for line in pointer.split())
        assert (int(at["X"]), int(at["Y"])) == (left + cx - 9, top + cy), \
            f"the pointer was moved to {at['X']}, {at['Y']}"
        poll("the knob's dot to move", lambda: screen().crop(box).tobytes() != before.tobytes())
        close_player(bin_dir, player)
    finally:
        player.kill()
    print("PASS: a circular drag turned the volume knob")


def main():
    bin_dir, mode = sys.argv[1], sys.argv[3]
    work = os.path.join(sys.argv[2], mode)
    os.environ["DISPLAY"] = wine_display()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=os.path.join(work, "capture.raw"))
    {"whole": whole_test, "multiple": multiple_test, "immediate": immediate_test,
     "tray": tray_test, "knob": knob_test}[mode](bin_dir, work, env)


if __name__ == "__main__":
    main()
