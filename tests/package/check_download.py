#!/usr/bin/python3
"""The Windows download checked by use, as a user would meet it: unpacked into a fresh Wine
prefix, in a folder whose path has a space and letters outside the code page, started there with
a song; what the audio device plays must be the song's decode, byte for byte.

    check_download.py ZIP BIN_DIR WORK_DIR

BIN_DIR holds the build's fluxdec.exe (the reference decode) and corvane-remote.exe."""
import os
import shutil
import subprocess
import sys
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.abspath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(REPO, "tests", "app"))
from any_name_test import decode, make_song, played  # noqa: E402
from play_song_test import WINE_EXEC, windows_path  # noqa: E402

FOLDER = "Program Files\\Corvane Ünïcødé Плеер"


def wine_env(wine_dir, action):
    subprocess.run(["bash", "-c", f'. "$1/scripts/wine-env"; {action}', "-", REPO],
                   env=dict(os.environ, CORVANE_WINE_DIR=wine_dir, CORVANE_HEADLESS="1"),
                   check=True, stdout=subprocess.DEVNULL)


def prefix_of(wine_dir):
    for line in open(os.path.join(wine_dir, "env.sh")):
        if line.startswith("export WINEPREFIX="):
            return line.split("=", 1)[1].strip()
    raise AssertionError("the Wine environment names no prefix")


def check_version_resource(binary, version):
    """The file manager's properties read these texts from the version resource."""
    data = open(binary, "rb").read()
    for text in ("VS_VERSION_INFO", "ProductName", "Corvane", "FileDescription",
                 "LegalCopyright", version):
        assert text.encode("utf-16-le") in data, f"{binary} has no {text} in its version resource"


def main():
    zip_path, bin_dir, work = map(os.path.abspath, sys.argv[1:4])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    wine_dir = os.path.join(work, "wine")
    wine_env(wine_dir, "wine_env_start")
    try:
        drive_c = os.path.join(prefix_of(wine_dir), "drive_c")
        target = os.path.join(drive_c, *FOLDER.split("\\"))
        with zipfile.ZipFile(zip_path) as archive:
            names = archive.namelist()
            archive.extractall(target)
        top = names[0].split("/")[0]
        version = top.split("-", 1)[1]
        for required in ("Corvane.exe", "Fluxdec.cvp", "README.txt"):
            assert f"{top}/{required}" in names, f"the zip holds no {required}"
        assert any(n.startswith(f"{top}/licences/") for n in names), "the zip holds no licences"
        for binary in ("Corvane.exe", "Fluxdec.cvp"):
            check_version_resource(os.path.join(target, top, binary), version)

        env = dict(os.environ, CORVANE_WINE_DIR=wine_dir,
                   CORVANE_AUDIO_CAPTURE=os.path.join(work, "capture.raw"))
        song = os.path.join(work, "song.mp3")
        make_song(song, 440, 3)
        decoded = decode(bin_dir, song, work)
        program = f"C:\\{FOLDER}\\{top}\\Corvane.exe"
        player = subprocess.Popen([WINE_EXEC, program, windows_path(song)], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            deadline = time.time() + 60
            while not played(env["CORVANE_AUDIO_CAPTURE"], decoded):
                assert player.poll() is None, "the player ended before the song was played"
                assert time.time() < deadline, "the song was not played byte for byte"
                time.sleep(0.2)
            close = subprocess.run([WINE_EXEC, os.path.join(bin_dir, "corvane-remote.exe"),
                                    "close"], env=env)
            assert close.returncode == 0, "the player's window did not close"
            assert player.wait(timeout=20) == 0, "the player did not end with status 0"
        finally:
            if player.poll() is None:
                player.kill()
    finally:
        wine_env(wine_dir, "wine_env_stop")
    print(f"PASS: {os.path.basename(zip_path)} ({os.path.getsize(zip_path)} bytes) unpacked "
          f"into C:\\{FOLDER} of a fresh prefix played {len(decoded)} bytes exactly")


if __name__ == "__main__":
    main()
