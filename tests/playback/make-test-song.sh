#!/usr/bin/env bash
# Makes a short MP3 for the playback tests: two tones and a sweep (sox), encoded by lame without
# tags, so the file starts with a frame.
#   make-test-song.sh OUT.mp3 SECONDS CHANNELS RATE KBPS
set -euo pipefail
out=$1 seconds=$2 channels=$3 rate=$4 kbps=$5
mkdir -p "$(dirname "$out")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r "$rate" -c "$channels" -b 16 "$work/song.wav" \
  synth "$seconds" sine 440 sine 660-1760 gain -6 fade 0.05 "$seconds" 0.2
mode=m
[ "$channels" = 2 ] && mode=j
lame --quiet -m "$mode" -b "$kbps" --noreplaygain -t "$work/song.wav" "$work/song.mp3"
mv "$work/song.mp3" "$out"
