#!/bin/sh
# Draws the program icon (KvxInstaller.ico: 16, 32, 48 px), the product picture
# (product.bmp: 120 x 150 px, 24-bit), the progress check mark (check.bmp: 15 x 15 px,
# 24-bit) and the test page's picture (testpage.bmp: 122 x 78 px, 24-bit) with ImageMagick 6.
# Run from anywhere; writes into ../
set -eu
here=$(cd "$(dirname "$0")" && pwd)
res=$(dirname "$here")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Icon master, 256 px: a receipt printer seen from the front with a receipt coming out of its slot.
convert -size 256x256 xc:none \
  -fill '#00000030' -draw 'roundrectangle 30,116 234,238 26,26' \
  -fill white -stroke '#8a96a6' -strokewidth 5 \
  -draw 'polygon 74,120 74,26 88,14 102,26 116,14 130,26 144,14 158,26 172,14 186,26 186,120' \
  -stroke none -fill '#9aa6b4' -draw 'rectangle 94,42 166,50' -draw 'rectangle 94,64 150,72' -draw 'rectangle 94,86 166,94' \
  -stroke '#1d2733' -strokewidth 5 -fill '#3b4b5f' -draw 'roundrectangle 22,104 226,228 24,24' \
  -stroke none -fill '#50647c' -draw 'roundrectangle 30,112 218,150 16,16' \
  -fill '#141b24' -draw 'roundrectangle 56,116 204,128 5,5' \
  -fill '#2b3746' -draw 'rectangle 44,168 204,176' \
  -fill '#4fd16a' -draw 'circle 190,204 190,194' \
  -fill '#e8edf2' -draw 'roundrectangle 44,192 120,214 6,6' \
  "$tmp/icon256.png"
for s in 48 32; do
  convert "$tmp/icon256.png" -filter Lanczos -resize ${s}x${s} -unsharp 0x0.6 "$tmp/icon$s.png"
done
# At 16 px a reduced drawing smears; this size is drawn pixel by pixel instead.
convert -size 16x16 xc:none \
  -fill white -draw 'rectangle 4,0 11,7' -fill '#8a96a6' -draw 'rectangle 4,0 4,7' -draw 'rectangle 11,0 11,7' \
  -draw 'point 5,0' -draw 'point 7,0' -draw 'point 9,0' -draw 'rectangle 6,2 9,2' -draw 'rectangle 6,4 8,4' \
  -fill '#1d2733' -draw 'rectangle 1,7 14,14' -fill '#3b4b5f' -draw 'rectangle 2,8 13,13' \
  -fill '#141b24' -draw 'rectangle 3,8 12,8' -fill '#2b3746' -draw 'rectangle 3,10 12,10' \
  -fill '#e8edf2' -draw 'rectangle 3,12 6,12' -fill '#4fd16a' -draw 'point 12,12' \
  "$tmp/icon16.png"
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$res/KvxInstaller.ico"

# Product picture, drawn at 4x and reduced: the printer in three-quarter view on a light backdrop.
convert -size 480x600 gradient:'#ffffff-#dde3ea' \
  -fill '#00000022' -draw 'ellipse 240,520 200,34 0,360' \
  -fill white -stroke '#a7b1bd' -strokewidth 4 \
  -draw 'polygon 170,250 170,92 190,74 210,92 230,74 250,92 270,74 290,92 310,74 310,250' \
  -stroke none -fill '#b3bcc7' \
  -draw 'rectangle 196,118 284,126' -draw 'rectangle 196,144 264,152' -draw 'rectangle 196,170 284,178' -draw 'rectangle 196,196 250,204' \
  -stroke none -fill '#26313e' -draw 'polygon 60,300 140,236 420,236 420,460 60,510' \
  -fill '#3b4b5f' -draw 'polygon 60,300 340,300 420,236 140,236' \
  -fill '#566b84' -draw 'polygon 92,292 318,292 380,244 154,244' \
  -fill '#10161e' -draw 'polygon 150,272 318,272 340,256 170,256' \
  -fill '#33414f' -draw 'polygon 60,300 340,300 340,510 60,510' \
  -fill '#2b3746' -draw 'polygon 340,300 420,236 420,460 340,510' \
  -fill '#465a70' -draw 'rectangle 60,300 340,316' \
  -fill '#1d2733' -draw 'rectangle 90,350 310,358' \
  -fill '#e8edf2' -draw 'roundrectangle 90,440 200,476 8,8' \
  -fill '#4fd16a' -draw 'circle 292,458 292,446' \
  -fill '#f0b429' -draw 'circle 256,458 256,448' \
  -resize 120x150 -alpha off -type TrueColor "BMP3:$res/product.bmp"

# Check mark of a finished installation step: a tick in a small white box, which looks the same
# whatever the dialog's face colour (a bitmap static control draws its pixels as they are).
convert -size 60x60 xc:white -fill none -stroke '#1e9e3a' -strokewidth 9 \
  -draw 'stroke-linecap round stroke-linejoin round polyline 14,31 25,42 46,17' -resize 15x15 \
  -fill none -stroke '#7a8594' -strokewidth 1 +antialias -draw 'rectangle 0,0 14,14' \
  -alpha off -type TrueColor "BMP3:$res/check.bmp"

# Picture of the test page: the printer from the front with a receipt coming out, drawn at 4x
# and reduced. A thermal printer prints it in black and white, so it keeps to strong contrasts.
convert -size 488x312 xc:white \
  -fill white -stroke '#202020' -strokewidth 8 \
  -draw 'polygon 174,150 174,26 198,10 222,26 246,10 270,26 294,10 318,26 318,150' \
  -stroke none -fill '#404040' \
  -draw 'rectangle 202,46 290,56' -draw 'rectangle 202,74 270,84' -draw 'rectangle 202,102 290,112' \
  -fill '#202020' -draw 'roundrectangle 40,128 448,300 30,30' \
  -fill '#606060' -draw 'roundrectangle 56,140 432,190 20,20' \
  -fill black -draw 'roundrectangle 150,146 342,162 6,6' \
  -fill '#909090' -draw 'rectangle 76,214 412,224' \
  -fill white -draw 'roundrectangle 76,248 196,278 8,8' -draw 'circle 396,262 396,248' \
  -resize 122x78 -alpha off -type TrueColor "BMP3:$res/testpage.bmp"
