#!/usr/bin/env python3
"""Drives the real player with the X pointer and keyboard, as a user would: five songs arrive
from second starts, a click on the main window's playlist button opens the playlist window, a
row is dragged to a new place, the window is dragged by its skin, closed with its OK button and
opened again, a row is clicked and the selection moved with the arrow keys. The rows of the
reopened window are built from the player's playlist, so they show the order the drag left in
the list.

    playlist_real_input_test.py BIN_DIR WORK_DIR

Leaves WORK_DIR/playlist-window.png: the screen with the playlist window beside the main
window, five songs, the second one selected."""
import os
import subprocess
import sys
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_EXEC = os.path.join(REPO, "scripts", "wine-exec")
SONGS = ["Morning Light.mp3", "Harbour.mp3", "Slow River.mp3", "Night Train.mp3",
         "Paper Moon.mp3"]
PLAYLIST_BUTTON = (21, 109)   # main window
OK_BUTTON = (360, 310)        # playlist window
LIST_TOP = 41                 # the list's top edge in the playlist window
ROW_HEIGHT = 16
TEXT_FREE_X = 300             # right of every title, inside the list
SELECTED_COLOUR = (0x00, 0x9C, 0xD6)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def row_y(row, upper=True):
    return LIST_TOP + row * ROW_HEIGHT + (4 if upper else 12)


def wine_display():
    """The X display of the running Wine environment, which scripts/wine-exec also uses."""
    script = ('. "$1/scripts/wine-env"; [ -f "$CORVANE_WINE_DIR/env.sh" ] && '
              '. "$CORVANE_WINE_DIR/env.sh"; echo "${DISPLAY:-}"')
    return subprocess.run(["bash", "-c", script, "-", REPO], capture_output=True,
                          text=True).stdout.strip()


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], check=True, capture_output=True,
                          text=True).stdout


def poll(what, probe, seconds=10):
    deadline = time.time() + seconds
    while True:
        value = probe()
        if value or time.time() > deadline:
            assert value, f"timed out waiting for {what}"
            return value
        time.sleep(0.1)


def find_window(title, seconds=10):
    def probe():
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               capture_output=True, text=True).stdout.split()
        return found[0] if found else None
    return poll(f"the window '{title}'", probe, seconds)


def window_gone(window_id):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                            "^CorvanePlayListDlg$"], capture_output=True, text=True).stdout
    return window_id not in found.split()


def position(window_id):
    fields = dict(line.split("=") for line in
                  xdotool("getwindowgeometry", "--shell", window_id).split())
    return int(fields["X"]), int(fields["Y"])


def shown_rows(bin_dir):
    """The rows of the shown playlist window and the selected row, read from the player."""
    result = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "playlist-rows.exe")],
                            capture_output=True, text=True)
    if result.returncode != 0:
        return None, None
    lines = result.stdout.replace("\r", "").splitlines()
    return lines[:-1], int(lines[-1].split()[1])


def wait_for_rows(bin_dir, what, predicate):
    """Polls the shown rows until predicate(rows, selected) holds; returns them."""
    def probe():
        rows, selected = shown_rows(bin_dir)
        return (rows, selected) if rows is not None and predicate(rows, selected) else None
    return poll(what, probe)


def screen_pixel(shot, x, y):
    raw = subprocess.run(["convert", shot, "-crop", f"1x1+{x}+{y}", "+repage", "-depth", "8",
                          "rgb:-"], check=True, capture_output=True).stdout
    return tuple(raw[:3])


def click(window_id, x, y):
    xdotool("mousemove", "--window", window_id, x, y, "click", 1)


def drag(window_id, start, end):
    """Presses at `start` (client coordinates), moves the pointer in four steps by end - start
    and releases there. The steps are relative: the window may move under the pointer."""
    xdotool("mousemove", "--window", window_id, *start, "mousedown", 1)
    dx, dy = end[0] - start[0], end[1] - start[1]
    done_x = done_y = 0
    for step in (1, 2, 3, 4):
        x, y = dx * step // 4, dy * step // 4
        xdotool("mousemove_relative", "--", x - done_x, y - done_y, "sleep", 0.1)
        done_x, done_y = x, y
    xdotool("sleep", 0.2, "mouseup", 1)


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    display = wine_display()
    assert display, "no Wine environment with a display is running (scripts/wine-env)"
    os.environ["DISPLAY"] = display
    songs = os.path.join(bin_dir, "playlist-songs")
    os.makedirs(work, exist_ok=True)
    shot = os.path.join(work, "playlist-window.png")
    if os.path.exists(shot):
        os.remove(shot)
    corvane = os.path.join(bin_dir, "Corvane.exe")
    env = dict(os.environ, CORVANE_AUDIO_CAPTURE=os.path.join(work, "capture.raw"))
    player = subprocess.Popen([WINE_EXEC, corvane], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        # Start-up shows the About window and loads the plug-ins first: slow on a busy machine.
        main_window = find_window("Corvane", seconds=30)
        assert player.poll() is None, "the player ended at start-up"
        for song in SONGS:
            subprocess.run([WINE_EXEC, corvane, windows_path(os.path.join(songs, song))],
                           env=env, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)

        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        rows, selected = wait_for_rows(bin_dir, "five rows", lambda r, _: r == SONGS)
        assert selected == -1, f"a fresh window selects nothing, not row {selected}"

        # Row 0 onto the lower half of row 2: it ends at index 2.
        drag(playlist, (100, row_y(0)), (100, row_y(2, upper=False)))
        moved = [SONGS[1], SONGS[2], SONGS[0], SONGS[3], SONGS[4]]
        wait_for_rows(bin_dir, "the dragged row at its new place", lambda r, _: r == moved)

        # A press on the bare skin drags the window.
        before = position(playlist)
        drag(playlist, (200, 20), (240, 70))
        poll("the window to follow the pointer",
             lambda: position(playlist) == (before[0] + 40, before[1] + 50))

        click(playlist, *OK_BUTTON)
        poll("the playlist window to close", lambda: window_gone(playlist))
        click(main_window, *PLAYLIST_BUTTON)
        playlist = find_window("CorvanePlayListDlg")
        rows, _ = wait_for_rows(bin_dir, "the reopened rows", lambda r, _: len(r) == 5)
        assert rows == moved, f"the playlist after the drag is {rows}, expected {moved}"

        click(playlist, 100, row_y(1))
        wait_for_rows(bin_dir, "row 1 selected", lambda _, selected: selected == 1)
        # The click gave the list the keyboard.
        xdotool("key", "Down")
        wait_for_rows(bin_dir, "row 2 selected by the down key",
                      lambda _, selected: selected == 2)
        xdotool("key", "Up")
        wait_for_rows(bin_dir, "row 1 selected by the up key", lambda _, selected: selected == 1)
        xdotool("mousemove", 5, 1000)  # the pointer out of the picture
        time.sleep(0.3)
        subprocess.run(["import", "-window", "root", shot], check=True)
        left, top = position(playlist)
        selected_pixel = screen_pixel(shot, left + TEXT_FREE_X, top + row_y(1))
        other_pixel = screen_pixel(shot, left + TEXT_FREE_X, top + row_y(0))
        assert selected_pixel == SELECTED_COLOUR, f"the selected row shows {selected_pixel}"
        assert other_pixel != SELECTED_COLOUR, "an unselected row shows the selection colour"
        print(f"PASS: rows after the drag {rows}; screenshot {shot}")

        close = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "corvane-remote.exe"), "close"])
        assert close.returncode == 0, "the player's window did not close"
        assert player.wait(timeout=20) == 0, "the player did not end with status 0"
    finally:
        if player.poll() is None:
            player.kill()


if __name__ == "__main__":
    main()
