#!/bin/sh
# Draws the node icons: a rounded square in the colour of the node's group with a white glyph, one
# 32x32 and one 12x12 image per node type. Each size has its own glyph drawn on that size's pixel
# grid (coordinates are pixel edges), supersampled 8 times and averaged down for clean edges.
# Run from anywhere; writes next to this script. Needs ImageMagick's convert.
set -eu
cd "$(dirname "$0")"

STRUCTURE="#6d4bb5"
STRUCTURE_EDGE="#4a2f86"
IO="#2a78b5"
IO_EDGE="#1b5285"
IO_SHADE="#8dbbe2"
SWITCH="#d0731c"
SWITCH_EDGE="#9a5112"

# icon FILE SIZE FILL EDGE GLYPH: GLYPH is MVG in the pixel-edge coordinates of SIZE.
icon() {
    file=$1 size=$2 fill=$3 edge=$4 glyph=$5
    big=$((size * 8))
    if [ "$size" -ge 32 ]; then
        frame="roundrectangle 1.5,1.5 30.5,30.5 6,6"
    else
        frame="roundrectangle 0.5,0.5 11.5,11.5 2.5,2.5"
    fi
    convert -size "${big}x${big}" xc:none \
        -draw "scale 8,8 stroke '$edge' stroke-width 1 fill '$fill' $frame" \
        -draw "scale 8,8 $glyph" \
        -scale "${size}x${size}" -strip -define png:exclude-chunks=date,time "PNG32:$file"
}

W="stroke white fill none stroke-linecap round stroke-linejoin round"
F="stroke none fill white"

# Attributes: three sliders.
icon Attributes.png 32 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 2
    line 8,10 24,10 line 8,16 24,16 line 8,22 24,22
    $F roundrectangle 11,7 15,13 1,1 roundrectangle 18,13 22,19 1,1 roundrectangle 13,19 17,25 1,1"
icon Attributes12.png 12 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 1
    line 2.5,3.5 9.5,3.5 line 2.5,8.5 9.5,8.5
    $F rectangle 3,2 5,5 rectangle 6,7 8,10"

# Node Graph: a box holding two connected nodes.
icon NodeGraph.png 32 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 2
    roundrectangle 7,7 25,25 2,2 line 13,13 19,19
    $F rectangle 10,10 15,15 rectangle 17,17 22,22"
icon NodeGraph12.png 12 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 1
    rectangle 2.5,2.5 9.5,9.5
    $F rectangle 4,4 8,8"

# Loop Iterations: a loop arrow.
icon LoopIterations.png 32 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 2.5
    path 'M 22.5,12.25 A 7.5,7.5 0 1,1 15,8.5'
    $F polygon 14,4 20,8.5 14,13"
icon LoopIterations12.png 12 "$STRUCTURE" "$STRUCTURE_EDGE" "$W stroke-width 1.3
    path 'M 8.8,4.6 A 3.2,3.2 0 1,1 5.5,2.8'
    $F polygon 5,0.8 8.2,2.8 5,4.8"

# Number IO: a number sign.
icon NumberIO.png 32 "$IO" "$IO_EDGE" "$W stroke-width 2
    line 14,8 12,24 line 20,8 18,24 line 8,13 24,13 line 8,19 24,19"
icon NumberIO12.png 12 "$IO" "$IO_EDGE" "$W stroke-width 1
    line 4.5,2 4.5,10 line 7.5,2 7.5,10 line 2,4.5 10,4.5 line 2,7.5 10,7.5"

# Point IO: a dot in cross hairs.
icon PointIO.png 32 "$IO" "$IO_EDGE" "$W stroke-width 1.5
    line 16,6 16,11 line 16,21 16,26 line 6,16 11,16 line 21,16 26,16
    $F circle 16,16 16,20.5"
icon PointIO12.png 12 "$IO" "$IO_EDGE" "$F circle 6,6 6,8.6"

# Frame IO: a rectangle outline.
icon FrameIO.png 32 "$IO" "$IO_EDGE" "$W stroke-width 2.5
    rectangle 8.5,10.5 23.5,21.5"
icon FrameIO12.png 12 "$IO" "$IO_EDGE" "$W stroke-width 1
    rectangle 2.5,3.5 9.5,8.5"

# Image IO: a small landscape with a sun.
icon ImageIO.png 32 "$IO" "$IO_EDGE" "$W stroke-width 2
    rectangle 7,8 25,24
    $F polygon 8,23 14,15 18,20 20,18 24,23 circle 20,13 20,15"
icon ImageIO12.png 12 "$IO" "$IO_EDGE" "$W stroke-width 1
    rectangle 1.5,2.5 10.5,9.5
    $F polygon 2,9 5,5 7,8 8,7 10,9"

# Material IO: a sphere lit from the upper left.
icon MaterialIO.png 32 "$IO" "$IO_EDGE" "stroke none fill '$IO_SHADE' circle 16,16 16,25
    $F circle 14.6,14.6 14.6,21.9"
icon MaterialIO12.png 12 "$IO" "$IO_EDGE" "stroke none fill '$IO_SHADE' circle 6,6 6,9.8
    $F circle 5.4,5.4 5.4,8.4"

# Switches: two inputs, a lever picking one, and what passes (an image or a material).
icon ImageSwitch.png 32 "$SWITCH" "$SWITCH_EDGE" "$W stroke-width 2
    line 6,10 10,10 line 6,22 10,22 line 10,10 16,16 line 16,16 19,16
    $F rectangle 19,12 26,20"
icon ImageSwitch12.png 12 "$SWITCH" "$SWITCH_EDGE" "$W stroke-width 1
    line 2,3.5 3.5,3.5 line 3.5,3.5 6,6 line 2,8.5 3.5,8.5
    $F rectangle 6,4 10,8"
icon MaterialSwitch.png 32 "$SWITCH" "$SWITCH_EDGE" "$W stroke-width 2
    line 6,10 10,10 line 6,22 10,22 line 10,10 16,16 line 16,16 19,16
    $F circle 22.5,16 22.5,20.5"
icon MaterialSwitch12.png 12 "$SWITCH" "$SWITCH_EDGE" "$W stroke-width 1
    line 2,3.5 3.5,3.5 line 3.5,3.5 6,6 line 2,8.5 3.5,8.5
    $F circle 8,6 8,8.3"
