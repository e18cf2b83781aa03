#!/usr/bin/env bash
# Makes the five songs of the playlist window's tests in DIR: one 20-second MP3 (long enough to
# be still playing while a test edits the list), under five names, one of them with a space.
#   make-songs.sh DIR
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir"
"$here/../playback/make-test-song.sh" "$dir/song.mp3" 20 2 44100 64
for name in "Morning Light" Harbour "Slow River" "Night Train" "Paper Moon"; do
  cp "$dir/song.mp3" "$dir/$name.mp3"
done
rm "$dir/song.mp3"
