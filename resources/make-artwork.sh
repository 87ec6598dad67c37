#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the program's pictures with ImageMagick (Debian's imagemagick). The results are
# committed; run this only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert

# Program icon, 48 x 48, 256 colours: a note on a dusk-blue tile, with a tidy underline.
$convert -size 48x48 xc:none \
    -fill 'gradient:#1d3557-#457b9d' -draw 'roundrectangle 1,1 46,46 8,8' \
    \( -size 48x48 gradient:'#264e7a'-'#5fa8d3' \) -compose SrcIn -composite \
    -fill '#f1faee' -stroke '#f1faee' -strokewidth 1 \
    -draw 'ellipse 17,32 7,5 0,360' -draw 'ellipse 33,28 7,5 0,360' \
    -draw 'rectangle 22,10 24,32' -draw 'rectangle 38,7 40,28' \
    -draw 'polygon 22,10 40,5 40,10 22,15' \
    -fill '#e9c46a' -stroke none -draw 'rectangle 9,40 39,42' \
    PNG8:corvane.png

# About picture, 150 x 90 GIF with a full 256-colour global table: notes over a staff at dusk.
$convert -size 150x90 gradient:'#1d3557'-'#e76f51' \
    -stroke '#f1faee' -strokewidth 1 \
    -draw 'line 10,30 140,30' -draw 'line 10,38 140,38' -draw 'line 10,46 140,46' \
    -draw 'line 10,54 140,54' -draw 'line 10,62 140,62' \
    -fill '#f1faee' \
    -draw 'ellipse 40,58 6,4 0,360' -draw 'line 46,58 46,26' \
    -draw 'ellipse 75,50 6,4 0,360' -draw 'line 81,50 81,18' \
    -draw 'ellipse 110,42 6,4 0,360' -draw 'line 116,42 116,12' \
    -draw 'polygon 81,18 116,12 116,16 81,22' \
    -fill '#e9c46a' -stroke none -draw 'rectangle 20,76 130,79' \
    -dither FloydSteinberg -colors 256 about.gif
