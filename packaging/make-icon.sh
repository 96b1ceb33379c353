#!/bin/sh
# Regenerates the program's icon in icons/ (developer tool, not run by the
# build): an SVG and PNGs in the hicolor sizes. Needs ImageMagick 6
# (/usr/bin/convert). Drawn like the tab icons (src/app/resources/
# make-pictures.sh): an orange rounded square on a 32 x 32 grid, drawn
# larger without antialiasing and reduced with a box filter.
set -e
cd "$(dirname "$0")/icons"

IM=/usr/bin/convert
ORANGE='#FFA500'
DARK='#333333'
WHITE='#FFFFFF'

# A readout over two load cells under a platform. The PNGs and the SVG draw
# the same shapes; keep them alike.
DRAWING="
    fill $ORANGE roundrectangle 0,0 32,32 6,6
    fill $DARK roundrectangle 4,4 28,15 1.5,1.5
    fill none stroke-linejoin round stroke-linecap round
    stroke $WHITE stroke-width 1.6 polyline 7,12 11,8 15,10 19,6.5 25,9
    stroke none
    fill $WHITE roundrectangle 4,17.5 28,20 1,1
    fill $DARK rectangle 6,20 13,26.5 rectangle 19,20 26,26.5
    roundrectangle 4,26.5 28,28.5 1,1
    fill $WHITE roundrectangle 8,22.3 11,24.3 0.5,0.5 roundrectangle 21,22.3 24,24.3 0.5,0.5"

# png SIZE: the drawing at SIZE x SIZE pixels
png() {
    factor=4
    [ "$1" -ge 128 ] && factor=2
    px=$(($1 * factor))
    $IM -size "${px}x${px}" xc:none +antialias \
        -draw "affine $factor,0,0,$factor,-0.5,-0.5 scale $(awk "BEGIN { print $1 / 32 }"),$(awk "BEGIN { print $1 / 32 }") $DRAWING" \
        -filter box -resize "$1x$1!" \
        -strip -define png:exclude-chunks=date,time "PNG32:klv57-pc-$1.png"
}

for size in 16 24 32 48 64 128 256; do
    png $size
done

cat > klv57-pc.svg <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">
  <rect width="32" height="32" rx="6" fill="$ORANGE"/>
  <rect x="4" y="4" width="24" height="11" rx="1.5" fill="$DARK"/>
  <polyline points="7,12 11,8 15,10 19,6.5 25,9" fill="none" stroke="$WHITE" stroke-width="1.6"
            stroke-linejoin="round" stroke-linecap="round"/>
  <rect x="4" y="17.5" width="24" height="2.5" rx="1" fill="$WHITE"/>
  <rect x="6" y="20" width="7" height="6.5" fill="$DARK"/>
  <rect x="19" y="20" width="7" height="6.5" fill="$DARK"/>
  <rect x="4" y="26.5" width="24" height="2" rx="1" fill="$DARK"/>
  <rect x="8" y="22.3" width="3" height="2" rx="0.5" fill="$WHITE"/>
  <rect x="21" y="22.3" width="3" height="2" rx="0.5" fill="$WHITE"/>
</svg>
SVG
