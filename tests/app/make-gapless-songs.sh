#!/usr/bin/env bash
# Makes the songs that the player plays whole in its gapless test, in DIR: one recording cut in
# two ("cut-1.mp3", "cut-2.mp3", played one after the other they should sound as one), and a
# shorter song in another format ("other.mp3", 22.05 kHz mono), and one at the lowest rate
# ("low.mp3", 8 kHz mono, where one output buffer plays for a second). lame writes its gapless tag into
# each (encoder delay and padding), and no other tag.
#   make-gapless-songs.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A sweep over a steady tone: no stretch of digital silence, so a gap at the cut shows.
sox -n -r 44100 -c 2 -b 16 "$work/recording.wav" synth 3.1 sine 330 sine 200-2400 gain -8
sox "$work/recording.wav" "$work/cut-1.wav" trim 0 1.3
sox "$work/recording.wav" "$work/cut-2.wav" trim 1.3
sox -n -r 22050 -c 1 -b 16 "$work/other.wav" synth 0.9 sine 520 gain -6
sox -n -r 8000 -c 1 -b 16 "$work/low.wav" synth 2.5 sine 300 gain -6
lame --quiet --noreplaygain -b 128 --resample 44.1 "$work/cut-1.wav" "$dir/cut-1.mp3"
lame --quiet --noreplaygain -b 128 --resample 44.1 "$work/cut-2.wav" "$dir/cut-2.mp3"
lame --quiet --noreplaygain -b 64 --resample 22.05 "$work/other.wav" "$dir/other.mp3"
lame --quiet --noreplaygain -b 8 --resample 8 "$work/low.wav" "$dir/low.mp3"
