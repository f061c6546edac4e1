#!/usr/bin/env bash
# Builds the demo movie list into the folder $1: three short MPEG-1 clips, a cover for
# each, titles, and a selection on the second entry. Names in the list are relative, so
# the folder can be moved.
set -euo pipefail
out=${1:?usage: make-demo.sh OUTDIR}
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

clip() {  # name, lavfi video source, tone frequency
    [ -s "$1.mpg" ] && return
    ff -f lavfi -i "$2" -f lavfi -i "sine=frequency=$3:sample_rate=44100:duration=5" \
       -t 5 -c:v mpeg1video -b:v 1150k -g 12 -s 352x288 -r 25 -c:a mp2 -b:a 192k -f mpeg "$1.tmp"
    mv "$1.tmp" "$1.mpg"
}

cover() {  # name, size, colours, caption
    [ -s "$1.jpg" ] && return
    convert -size "$2" "gradient:$3" -gravity center -fill white -pointsize 28 \
            -annotate 0 "$4" "$1.jpg" 2>/dev/null \
        || convert -size "$2" "gradient:$3" "$1.jpg"
}

clip bars "smptebars=size=352x288:rate=25" 330
clip pattern "testsrc=size=352x288:rate=25" 440
clip colours "rgbtestsrc=size=352x288:rate=25" 550

cover bars 320x240 "navy-skyblue" "Colour Bars"
cover pattern 240x320 "darkgreen-palegreen" "Test Pattern"
cover colours 400x200 "maroon-orange" "Colours"

printf '%s\r\n' \
    'bars.mpg,"Colour Bars",bars.jpg' \
    'pattern.mpg,"Test Pattern",pattern.jpg,0:00:01,0:00:04' \
    'colours.mpg,Colours,colours.jpg' > demo.mls
