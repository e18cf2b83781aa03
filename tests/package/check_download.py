#!/usr/bin/python3
"""The Windows download checked by use: unpacked into a fresh Wine prefix, in a folder with a
space and letters outside the code page, and started there with a song that must play byte for
byte.   check_download.py ZIP BIN_DIR(fluxdec.exe, corvane-remote.exe) WORK_DIR"""
import os
import shutil
import subprocess
import sys
import time
import zipfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(REPO, "tests", "app"))
from any_name_test import decode, make_song, played  # noqa: E402
from play_song_test import WINE_EXEC, windows_path  # noqa: E402

FOLDER = "Program Files\\Corvane Ünïcødé Плеер"


def wine_env(wine_dir, action):
    subprocess.run(["bash", "-c", f'. "$1/scripts/wine-env"; {action}', "-", REPO],
                   env=dict(os.environ, CORVANE_WINE_DIR=wine_dir, CORVANE_HEADLESS="1"),
                   check=True, stdout=subprocess.DEVNULL)


def check_version_resource(binary, version):
    """The texts that the file manager's properties read from the version resource."""
    data = open(binary, "rb").read()
    for text in ("VS_VERSION_INFO", "ProductName", "Corvane", "LegalCopyright", version):
        assert text.encode("utf-16-le") in data, f"{binary}: no {text} in its version resource"


def main():
    zip_path, bin_dir, work = map(os.path.abspath, sys.argv[1:4])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    wine_dir = os.path.join(work, "wine")
    wine_env(wine_dir, "wine_env_start")
    os.environ["CORVANE_WINE_DIR"] = wine_dir  # every Windows program below runs there
    try:
        target = os.path.join(wine_dir, "prefix-win32", "drive_c", *FOLDER.split("\\"))
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(target)
            top = archive.namelist()[0].split("/")[0]  # Corvane-VERSION
        for binary in ("Corvane.exe", "Fluxdec.cvp"):
            check_version_resource(os.path.join(target, top, binary), top.split("-", 1)[1])
        assert os.path.isfile(os.path.join(target, top, "README.txt")), "no README.txt"
        env = dict(os.environ, CORVANE_AUDIO_CAPTURE=os.path.join(work, "capture.raw"))
        song = os.path.join(work, "song.mp3")
        make_song(song, 440, 3)
        decoded = decode(bin_dir, song, work)
        player = subprocess.Popen([WINE_EXEC, f"C:\\{FOLDER}\\{top}\\Corvane.exe",
                                   windows_path(song)], env=env, stdout=subprocess.DEVNULL)
        try:
            deadline = time.time() + 60
            while not played(env["CORVANE_AUDIO_CAPTURE"], decoded):
                assert player.poll() is None and time.time() < deadline, "the song did not play"
                time.sleep(0.2)
            subprocess.run([WINE_EXEC, os.path.join(bin_dir, "corvane-remote.exe"), "close"],
                           env=env, check=True)
            assert player.wait(timeout=20) == 0, "the player did not end with status 0"
        finally:
            player.kill()
    finally:
        wine_env(wine_dir, "wine_env_stop")
    print(f"PASS: {os.path.basename(zip_path)} ({os.path.getsize(zip_path)} bytes) unpacked "
          f"into C:\\{FOLDER} of a fresh prefix played {len(decoded)} bytes exactly")


if __name__ == "__main__":
    main()
