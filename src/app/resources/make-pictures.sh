#!/bin/sh
# Regenerates the PNG pictures in this folder (developer tool, not run by the build).
# Needs ImageMagick 6 (/usr/bin/convert).
#
# Every picture is drawn several times larger with antialiasing off and then
# reduced with a box filter, which gives clean, evenly antialiased edges.
# Coordinates in the drawing strings are in final pixels: 0,0 is the top-left
# corner of the picture and 32,32 (or 16,16) its bottom-right corner.
set -e
cd "$(dirname "$0")"

IM=/usr/bin/convert
ORANGE='#FFA500'
DARK='#333333'
WHITE='#FFFFFF'

# draw FILE WIDTH HEIGHT FACTOR DRAWING
# (paths with arcs need 'stroke-linejoin round': with the default miter join
# ImageMagick 6 strokes a stray chord across them)
draw() {
    $IM -size "$(($2 * $4))x$(($3 * $4))" xc:none +antialias \
        -draw "affine $4,0,0,$4,-0.5,-0.5 $5" \
        -filter box -resize "$2x$3!" \
        -strip -define png:exclude-chunks=date,time "PNG32:$1"
}

# tab FILE DRAWING: 32x32 tab icon on an orange rounded square
tab() {
    draw "$1" 32 32 4 "fill $ORANGE roundrectangle 0,0 32,32 6,6 $2"
}

# glyph FILE DRAWING: 16x16 button glyph on a transparent background
glyph() {
    draw "$1" 16 16 8 "$2"
}

# digits X Y TEXT: small 3x5 pixel digits ('0'-'9' and '.') for tab0.png
digits() {
    x=$1 y=$2 text=$3 out=""
    while [ -n "$text" ]; do
        c=${text%"${text#?}"}
        text=${text#?}
        case $c in
            0) bits=111101101101111 ;;  1) bits=010110010010111 ;;
            2) bits=111001111100111 ;;  3) bits=111001111001111 ;;
            4) bits=101101111001001 ;;  5) bits=111100111001111 ;;
            6) bits=111100111101111 ;;  7) bits=111001010010010 ;;
            8) bits=111101111101111 ;;  9) bits=111101111001111 ;;
            .) out="$out rectangle $x,$((y + 4)) $((x + 1)),$((y + 5))"
               x=$((x + 2)); continue ;;
        esac
        i=0
        while [ $i -lt 15 ]; do
            bit=${bits%"${bits#?}"}
            bits=${bits#?}
            if [ "$bit" = 1 ]; then
                px=$((x + i % 3)) py=$((y + i / 3))
                out="$out rectangle $px,$py $((px + 1)),$((py + 1))"
            fi
            i=$((i + 1))
        done
        x=$((x + 4))
    done
    echo "$out"
}

# ---- tab icons ---------------------------------------------------------

# two numeric displays
tab tab0.png "
    fill $DARK roundrectangle 4,5 28,14 1.5,1.5 roundrectangle 4,18 28,27 1.5,1.5
    fill $WHITE $(digits 8 7 12.07) $(digits 8 20 48.35)"

# line chart
tab tab1.png "
    fill none stroke-linejoin round stroke-linecap round
    stroke $WHITE stroke-width 2.5 polyline 9,21 13,14 17,18 21,9 26,13
    stroke none fill $DARK rectangle 5,4 7,27 rectangle 5,25 28,27"

# floppy disk with load/save arrows
tab tab2.png "
    fill $DARK polygon 3,8 17,8 20,11 20,25 3,25
    fill $WHITE rectangle 7,8 15,13 roundrectangle 6,16 17,24 1,1
    fill $DARK rectangle 12,9 14,12 rectangle 8,19 15,20
    rectangle 24,9 26,16 polygon 21,10 25,4 29,10
    rectangle 24,18 26,23 polygon 21,22 25,28 29,22"

# screwdriver and wrench, crossed
tab tab3.png "
    push graphic-context translate 16,16 rotate -45
      fill $WHITE stroke $DARK stroke-width 1 stroke-linejoin round
      path 'M -11,-1.5 L 7,-1.5 A 5.2,5.2 0 1,1 7,1.5 L -11,1.5 A 3.5,3.5 0 1,1 -11,-1.5 Z'
      stroke none fill $ORANGE rectangle 10,-2 17,2 circle -13,0 -13,1.5
    pop graphic-context
    push graphic-context translate 16,16 rotate 45
      fill $DARK rectangle -14,-1 2,1 rectangle 1,-2 4,2
      fill $DARK roundrectangle 3,-3.2 14,3.2 2,2
      fill $WHITE rectangle 6,-1.2 12,-0.2 rectangle 6,0.2 12,1.2
    pop graphic-context"

# load cells under a platform, with a downward force arrow
tab tab4.png "
    fill $DARK rectangle 15,3 17,9 polygon 11,9 21,9 16,14
    fill $WHITE roundrectangle 4,15 28,18 1,1
    fill $DARK rectangle 6,18 13,26 rectangle 19,18 26,26 roundrectangle 4,26 28,28 1,1
    fill $WHITE roundrectangle 8,21 11,23 0.5,0.5 roundrectangle 21,21 24,23 0.5,0.5"

# arrow over a pulse train
tab tab5.png "
    fill $WHITE rectangle 4,8 22,11 polygon 21,4 28,9.5 21,15
    fill $DARK
    rectangle 4,25 9,27   rectangle 7,18 9,27   rectangle 7,18 14,20
    rectangle 12,18 14,27 rectangle 12,25 19,27 rectangle 17,18 19,27
    rectangle 17,18 24,20 rectangle 22,18 24,27 rectangle 22,25 28,27"

# ---- flags ---------------------------------------------------------------

$IM -size 18x6 xc:white -size 18x6 'xc:#DC143C' -append \
    -strip -define png:exclude-chunks=date,time PNG32:flag-pl.png

draw flag-en.png 19 12 8 "
    fill #012169 rectangle 0,0 19,12
    fill none stroke-linecap square
    stroke $WHITE stroke-width 2.6 line 0,0 19,12 line 0,12 19,0
    stroke #C8102E stroke-width 1 line 0,0 19,12 line 0,12 19,0
    stroke none
    fill $WHITE rectangle 7,0 12,12 rectangle 0,4 19,8
    fill #C8102E rectangle 8,0 11,12 rectangle 0,5 19,7"

# ---- button glyphs -----------------------------------------------------------

BLUE='#2F6DB5'
GREY='#555555'

glyph info.png "
    fill $BLUE circle 8,8 8,0.5
    fill $WHITE circle 8,4.5 8,3.2 roundrectangle 7,6.5 9,12.5 0.5,0.5"

glyph start.png "fill #2E9E44 polygon 4,2 14,8 4,14"

glyph pause.png "fill $BLUE roundrectangle 3,2 6,14 1,1 roundrectangle 10,2 13,14 1,1"

glyph reset.png "
    fill none stroke $BLUE stroke-width 2 stroke-linejoin round path 'M 13,8.5 A 5,5 0 1,1 6.71,3.67'
    push graphic-context translate 8,8.5 rotate -105
      stroke none fill $BLUE polygon 1.5,0 8.5,0 5,4.5
    pop graphic-context"

PRINTER="
    fill $WHITE stroke $GREY stroke-width 1 rectangle 4.5,1.5 11.5,6
    fill #7A7A7A stroke #3A3A3A roundrectangle 1.5,5.5 14.5,11.5 1.5,1.5
    fill $WHITE stroke $GREY rectangle 4.5,9.5 11.5,14.5
    stroke none fill #9A9A9A rectangle 6,11 10,12 rectangle 6,13 9,14
    fill #3CD070 rectangle 12,7 13,8"

glyph print.png "$PRINTER"

glyph print-setup.png "$PRINTER
    fill $WHITE circle 11.5,11.5 11.5,6.9
    push graphic-context translate 11.5,11.5 fill $BLUE
      rectangle -0.9,-4 0.9,0 rotate 60 rectangle -0.9,-4 0.9,0
      rotate 60 rectangle -0.9,-4 0.9,0 rotate 60 rectangle -0.9,-4 0.9,0
      rotate 60 rectangle -0.9,-4 0.9,0 rotate 60 rectangle -0.9,-4 0.9,0
      circle 0,0 0,2.9 fill $WHITE circle 0,0 0,1.1
    pop graphic-context"

glyph save-image.png "
    fill #CFE8FF roundrectangle 0.5,2.5 15.5,13.5 1,1
    fill #FFC107 circle 11,6 11,4.5
    fill #3E9B4F polygon 1,13 6,7 10,11 12,9 15,13
    fill none stroke $GREY stroke-width 1 roundrectangle 0.5,2.5 15.5,13.5 1,1"

glyph folder.png "
    stroke #A8741A stroke-width 1 stroke-linejoin round
    fill #E0A526 path 'M 1.5,13.5 V 2.5 H 6 L 7.5,4.5 H 14.5 V 13.5 Z'
    fill #F6C453 roundrectangle 1.5,6.5 14.5,13.5 0.5,0.5"

glyph help.png "
    fill $BLUE circle 8,8 8,0.5
    fill none stroke $WHITE stroke-width 2 stroke-linecap round stroke-linejoin round
    path 'M 5.5,6 A 2.5,2.5 0 1,1 9.4,8.1 L 8,9.2 L 8,10'
    stroke none fill $WHITE circle 8,12.6 8,11.45"

glyph big-window.png "
    fill #3A3A3A roundrectangle 0.5,1.5 15.5,11.5 1,1
    fill #6FB3F2 rectangle 2,3 14,10
    fill #3A3A3A rectangle 7,11 9,13.5 roundrectangle 4,13 12,15 0.8,0.8"

glyph close.png "
    fill none stroke #D32F2F stroke-width 2.6 stroke-linecap round
    line 3.5,3.5 12.5,12.5 line 12.5,3.5 3.5,12.5"

# ---- maker's logo (a neutral placeholder: a picture frame) -------------------

draw maker-logo.png 81 81 4 "
    fill #B0B0B0 roundrectangle 0.5,0.5 80.5,80.5 10,10
    fill $WHITE polygon 14,64 32,36 44,53 54,42 68,64
    fill $WHITE circle 56,24 56,17"
