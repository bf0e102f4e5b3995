#!/usr/bin/env bash
# Makes the start-up jingle mp3.mp3: a rising arpeggio of plucked notes ending
# on a held chord.  Run by hand when it changes; the mp3 is kept in the
# repository.  Needs sox and lame.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i=0
for note in C5 E5 G5 C6; do
  sox -n -r 44100 -c 1 "$work/n$i.wav" synth 0.16 pluck "$note" fade 0 0.16 0.06 gain -8
  i=$((i + 1))
done
sox -n -r 44100 -c 1 "$work/chord.wav" synth 0.9 pluck C5 pluck E5 pluck G5 \
  fade 0 0.9 0.6 gain -10
sox "$work"/n0.wav "$work"/n1.wav "$work"/n2.wav "$work"/n3.wav "$work/chord.wav" \
  "$work/jingle.wav" norm -3
lame --quiet -m m -b 64 --tt "Quorvel" "$work/jingle.wav" mp3.mp3
ls -l mp3.mp3
