#!/usr/bin/env bash
# Draws the program's icon and packs its eight images into quorvel.ico:
# 16, 24, 32, 48, 128 and 256 px at 32 bits, 48 and 256 px at 8 bits.
# Run by hand when the design changes; the .ico is kept in the repository.
# Needs ImageMagick and python3.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
convert -size 256x256 gradient:'#4f93e8'-'#1c4f9c' \
  \( -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 247,247 44,44' \) \
  -alpha set -compose DstIn -composite \
  -compose Over -fill none -stroke '#ffffff40' -strokewidth 4 \
  -draw 'roundrectangle 12,12 243,243 40,40' \
  -stroke none -fill white -font "$font" -pointsize 190 -gravity center \
  -annotate +0+4 'Q' \
  -fill '#ffc83d' -draw 'circle 196,196 196,222' \
  "$work/master.png"

for s in 16 24 32 48 128 256; do
  convert "$work/master.png" -filter Lanczos -resize ${s}x${s} -depth 8 "rgba:$work/rgba$s"
done
for s in 48 256; do
  # 8-bit images: at most 255 opaque colours plus one for the transparent part.
  convert "$work/master.png" -filter Lanczos -resize ${s}x${s} \
    -channel A -threshold 50% +channel -background none \
    -dither None -colors 255 -depth 8 "rgba:$work/pal$s"
done
convert "$work/master.png" -depth 8 "$work/png256.png"

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]

def rows_bottom_up(pixels, size):
    return [pixels[(size - 1 - y) * size * 4:(size - y) * size * 4] for y in range(size)]

def and_mask(pixels, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in rows_bottom_up(pixels, size):
        bits = bytearray(stride)
        for x in range(size):
            if row[x * 4 + 3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)

def dib32(size):
    px = open(f"{work}/rgba{size}", "rb").read()
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in rows_bottom_up(px, size):
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            body += bytes((b, g, r, a))
    return header + bytes(body) + and_mask(px, size), 32

def dib8(size):
    px = open(f"{work}/pal{size}", "rb").read()
    palette, index = [(0, 0, 0)], {}
    for i in range(0, len(px), 4):
        r, g, b, a = px[i:i + 4]
        if a >= 128 and (r, g, b) not in index:
            index[(r, g, b)] = len(palette)
            palette.append((r, g, b))
    assert len(palette) <= 256, len(palette)
    palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = (size + 3) // 4 * 4
    body = bytearray()
    for row in rows_bottom_up(px, size):
        line = bytearray(stride)
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            line[x] = index[(r, g, b)] if a >= 128 else 0
        body += line
    return header + pal + bytes(body) + and_mask(px, size), 8

def png256():
    return open(f"{work}/png256.png", "rb").read(), 32

images = [(s, *dib32(s)) for s in (16, 24, 32, 48, 128)]
images.append((256, *png256()))
images += [(s, *dib8(s)) for s in (48, 256)]

out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
offset = 6 + 16 * len(images)
for size, data, bpp in images:
    dim = 0 if size == 256 else size
    colours = 0
    out += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bpp, len(data), offset)
    offset += len(data)
for _, data, _ in images:
    out += data
open("quorvel.ico", "wb").write(out)
print("quorvel.ico:", len(out), "bytes,", len(images), "images")
PY
