#!/usr/bin/env bash
# Writes the picture fixtures of the picture tests into the folder given as $1 (ImageMagick).
# Every picture shows four quadrants: red top left, lime top right, blue bottom left, white
# bottom right. Safe to run from parallel test processes: one of them writes, the others wait.
set -euo pipefail
out=$1
mkdir -p "$out"
exec 9>"$out/.lock"
flock 9
[[ -f "$out/.complete" ]] && exit 0

cd "$out"
quad() { # quad <width> <height> <file>
  local w=$1 h=$2 hw=$(( $1 / 2 )) hh=$(( $2 / 2 ))
  convert -size "${w}x${h}" xc:white -fill red -draw "rectangle 0,0 $((hw - 1)),$((hh - 1))" \
    -fill lime -draw "rectangle $hw,0 $((w - 1)),$((hh - 1))" \
    -fill blue -draw "rectangle 0,$hh $((hw - 1)),$((h - 1))" "$3"
}
quad 64 48 quad.png

convert quad.png -type truecolor BMP3:quad24.bmp
# A gradient along the bottom row needs more than 16 colours, so the bitmap gets 8 bits.
convert quad.png \( -size 64x1 gradient:black-gray \) -geometry +0+47 -composite quad8src.png
convert quad8src.png -type palette -compress None BMP3:quad8.bmp
convert quad8src.png -type palette -compress RLE BMP3:quadrle8.bmp
convert quad.png -type palette BMP2:quados2.bmp
convert quad.png -type truecolor -define bmp:subtype=RGB565 BMP:quad16.bmp
convert quad.png -alpha set BMP:quad32.bmp
convert -size 64x48 xc:black -fill white -draw "rectangle 32,0 63,47" -monochrome BMP3:mono1.bmp
convert quad.png -type palette -colors 4 -depth 4 BMP3:quad4.bmp

convert quad.png -quality 95 quad.jpg
convert quad.png -quality 95 -interlace Plane quadprog.jpg
convert quad.png -quality 95 -colorspace gray quadgray.jpg
convert quad.png -quality 95 -colorspace cmyk quadcmyk.jpg

convert quad.png -transparent white quadtrans.gif
convert quad.png -transparent white -define icon:auto-resize=16,48,32 quad.ico

# Covers for the view's screenshot.
convert -size 320x180 plasma:fractal -seed 7 -blur 0x2 landscape.jpg
convert -size 180x320 gradient:gold-firebrick portrait.jpg
touch .complete
