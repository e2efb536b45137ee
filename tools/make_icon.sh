#!/usr/bin/env bash
# Makes morvel/morvel.ico, the Windows programs' icon, from the pictures in
# morvel/qt/images (which tools/draw_images draws): one icon file holding
# each size as a PNG image, as Windows reads them. Run it after redrawing
# the pictures and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=(16 32 48 64 128 256)
out=morvel/morvel.ico
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }
{
  le16 0; le16 1; le16 ${#sizes[@]}  # reserved, type icon, image count
  offset=$((6 + 16 * ${#sizes[@]}))
  for size in "${sizes[@]}"; do
    bytes=$(stat -c %s "morvel/qt/images/morvel-$size.png")
    side=$((size == 256 ? 0 : size))  # 0 stands for 256
    printf "\\x$(printf %02x $side)\\x$(printf %02x $side)\\x00\\x00"  # width, height, no palette, reserved
    le16 1; le16 32; le32 "$bytes"; le32 "$offset"  # planes, bits per pixel, size, where it starts
    offset=$((offset + bytes))
  done
  for size in "${sizes[@]}"; do cat "morvel/qt/images/morvel-$size.png"; done
} >"$out"
echo "$out: $(stat -c %s "$out") bytes"
