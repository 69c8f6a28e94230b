#!/usr/bin/env bash
# Draws heraldix's four icons with ImageMagick: 64, 32, 24 and 16 pixels, 32-bit colour.
#   file.ico    the program file: a herald's bell on a blue disc
#   idle.ico    the tray icon at rest: a token with a green light
#   frame1.ico  animation frame 1: the token, signal waves on the left
#   frame2.ico  animation frame 2: the token, signal waves on the right
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

token='fill #1d4f91 stroke #0b2747 stroke-width 2 roundrectangle 18,6 46,58 6,6
       fill #e8eef7 stroke none roundrectangle 23,12 41,30 3,3
       fill #f2b233 stroke #8a5c00 stroke-width 1 rectangle 27,36 37,48'

draw() {  # name, extra drawing
  convert -size 64x64 xc:none -draw "$token" -draw "$2" "$work/$1-64.png"
}
draw idle   'fill #2fbf4f stroke #135c22 stroke-width 2 circle 32,21 32,15'
draw frame1 'fill none stroke #f28c28 stroke-width 4 path "M 13,22 Q 7,32 13,42" path "M 7,14 Q -3,32 7,50"
             fill #f28c28 stroke none circle 32,21 32,16'
draw frame2 'fill none stroke #f28c28 stroke-width 4 path "M 51,22 Q 57,32 51,42" path "M 57,14 Q 67,32 57,50"
             fill #f28c28 stroke none circle 32,21 32,16'
convert -size 64x64 xc:none \
  -draw 'fill #1d4f91 stroke #0b2747 stroke-width 2 circle 32,32 32,2' \
  -draw 'fill #f2b233 stroke #8a5c00 stroke-width 2 path "M 20,44 L 20,30 Q 20,16 32,16 Q 44,16 44,30 L 44,44 L 48,48 L 16,48 Z"' \
  -draw 'fill #f2b233 stroke #8a5c00 stroke-width 2 circle 32,52 32,48' \
  "$work/file-64.png"

for name in file idle frame1 frame2; do
  for size in 32 24 16; do
    convert "$work/$name-64.png" -resize ${size}x${size} "$work/$name-$size.png"
  done
  # BMP entries with an alpha channel: 32 bits per pixel in every size.
  convert "$work/$name-64.png" "$work/$name-32.png" "$work/$name-24.png" "$work/$name-16.png" \
    -define icon:format=bmp "$name.ico"
done
