#!/usr/bin/env bash
# Writes the hicolor theme's sizes of the program's icon from the images in
# assets/icon/quorvel.ico: each size from the image drawn for it, 64 px from the
# 256 px one.  Run by hand when the icon changes; the PNGs are kept in the
# repository so that a build needs no image tools.  Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
ico=../../assets/icon/quorvel.ico
# Index of the 32-bit image of each size inside the .ico.
declare -A frame=([16]=0 [32]=2 [48]=3 [128]=4 [256]=5)
for size in 16 32 48 128 256; do
  convert "$ico[${frame[$size]}]" -strip "PNG32:quorvel-$size.png"
done
convert "$ico[5]" -filter Lanczos -resize 64x64 -strip "PNG32:quorvel-64.png"
