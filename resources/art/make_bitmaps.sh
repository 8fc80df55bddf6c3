#!/usr/bin/env bash
# Draws the bitmaps of resources/bitmaps/ with ImageMagick. Cells are 23 x 23 on magenta
# (0xFF00FF), which the program makes transparent; drawn without anti-aliasing so that no
# pixel mixes with the magenta.
set -euo pipefail
cd "$(dirname "$0")/.."

# 3280: the image list of the contacts tree, the role panels and the work order list.
#   0, 1  a contact online (blue, red)     2, 3  the same contact not online (grey)
#   4     work order in progress           5     work order confirmed
#   6     unread chat text                 7     a function of the own role
#   8     a group                          9     a function of another role
person() {  # x colour: a head and shoulders
  local x=$1 c=$2
  echo "-fill '$c' -draw \"circle $((x+11)),7 $((x+11)),3\" -draw \"roundrectangle $((x+4)),12 $((x+18)),21 4,4\""
}
cmd="convert -size 230x23 xc:'#FF00FF' +antialias"
cmd+=" $(person 0 '#2f6fa7') $(person 23 '#c0392b') $(person 46 '#9aa5b1') $(person 69 '#b3b3b3')"
# 4: a sheet with lines, orange
cmd+=" -fill '#e67e22' -draw \"rectangle 96,2 110,20\" -fill white -draw \"rectangle 99,6 107,7\" -draw \"rectangle 99,10 107,11\" -draw \"rectangle 99,14 104,15\""
# 5: a sheet with a check, green
cmd+=" -fill '#27ae60' -draw \"rectangle 119,2 133,20\" -stroke white -strokewidth 2 -draw \"line 122,11 125,15\" -draw \"line 125,15 131,7\" -stroke none"
# 6: an envelope, yellow
cmd+=" -fill '#f1c40f' -draw \"rectangle 140,5 160,18\" -stroke '#8a6d00' -strokewidth 1 -fill none -draw \"polyline 140,5 150,12 160,5\" -stroke none"
# 7: a green arrow in a circle
cmd+=" -fill '#27ae60' -draw \"circle 172,11 172,2\" -fill white -draw \"polygon 168,6 178,11 168,16\""
# 8: a folder, blue
cmd+=" -fill '#4a90c8' -draw \"rectangle 186,6 206,19\" -draw \"rectangle 186,4 194,6\""
# 9: a grey arrow in a circle
cmd+=" -fill '#b3b3b3' -draw \"circle 218,11 218,2\" -fill white -draw \"polygon 214,6 224,11 214,16\""
cmd+=" -type TrueColor PNG24:bitmaps/3280.png"
eval "$cmd"

# Program icons: 128 the application, 3244 online, 3246 invisible, 3249 a message waiting.
convert -background none art/icon_128.svg -resize 32x32 icons/128.png
convert -background none art/icon_128.svg -resize 32x32 icons/3244.png
convert -background none art/icon_128.svg -resize 32x32 -modulate 100,0 icons/3246.png
convert -background none art/icon_128.svg -resize 32x32 \
  -fill '#f1c40f' -draw "circle 25,7 25,2" icons/3249.png

# Tool buttons and the message button (resources/icons/<control id>.png), and the start
# picture 3355, from the drawings in art/tools/.
for id in 3072 1006 1007 1008 1009 1010 3172 3060; do
  convert -background none "art/tools/$id.svg" -resize 32x32 "icons/$id.png"
done
convert -background none -stroke none art/tools/3355.svg -type TrueColor PNG24:bitmaps/3355.png
