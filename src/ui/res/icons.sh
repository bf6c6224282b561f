#!/bin/bash
# Adds to each icon of the applet the sizes that screens above 96 DPI ask for (20, 24, 40, 48
# and 64 pixels), drawn from the same design as its hand-made 16 and 32 pixel images, which it
# keeps as they are. Needs ImageMagick's convert; run from anywhere: src/ui/res/icons.sh
set -euo pipefail
RES=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
CONVERT=/usr/bin/convert
NEW_SIZES="20 24 40 48 64"

# The designs on a 32-unit grid, drawn at 256 pixels (8 per unit) with ImageMagick's -draw.
circle() {  # fill stroke stroke-width: a disc of radius 14.5 units around the centre
  echo "-fill '$1' -stroke '$2' -strokewidth $3 -draw 'circle 128,128 128,12'"
}
design() {
  case $1 in
    ovmon) echo "$(circle white '#2B6CB0' 22) -stroke '#1A202C' -strokewidth 18" \
                "-draw 'stroke-linecap round line 128,128 128,60 line 128,128 176,160'" ;;
    state_alert) echo "$(circle '#D73A49' '#303030' 14) -stroke none -fill white" \
                      "-draw 'rectangle 116,52 140,150' -draw 'rectangle 116,174 140,200'" ;;
    state_passed) echo "$(circle '#2EA043' '#303030' 14) -fill none -stroke white -strokewidth 28" \
                       "-draw 'stroke-linejoin round polyline 74,132 114,174 186,82'" ;;
    state_unknown) circle '#A0A0A0' '#303030' 14 ;;
    state_working) echo "$(circle '#E3B341' '#303030' 14) -stroke '#303030' -strokewidth 16" \
                        "-draw 'stroke-linecap round line 128,128 128,64 line 128,128 172,156'" ;;
    log_viewer) echo "-fill white -stroke '#505050' -strokewidth 8 -draw 'rectangle 44,20 212,220' -stroke none" \
                     "-fill '#202020' -draw 'rectangle 68,48 188,62' -fill '#1FA0FF' -draw 'rectangle 68,80 164,94'" \
                     "-fill '#B0171F' -draw 'rectangle 68,112 188,126' -fill '#909090' -draw 'rectangle 68,144 140,158'" \
                     "-fill '#32842E' -draw 'rectangle 68,176 172,190'" ;;
    log_paused) echo "$(circle '#2B6CD4' '#2B6CD4' 1) -stroke none -fill white" \
                     "-draw 'rectangle 84,68 112,188' -draw 'rectangle 144,68 172,188'" ;;
  esac
}

for icon in ovmon state_alert state_passed state_unknown state_working log_viewer log_paused; do
  frames=()
  index=0
  for size in $($CONVERT "$RES/$icon.ico" -format '%w ' info:); do  # the hand-made images stay
    [ "$size" = 16 ] || [ "$size" = 32 ] && $CONVERT "$RES/$icon.ico[$index]" "PNG32:$WORK/$icon-$size.png"
    index=$((index + 1))
  done
  eval "$CONVERT -size 256x256 xc:none $(design "$icon") PNG32:$WORK/$icon-big.png"
  for size in $NEW_SIZES; do
    $CONVERT "$WORK/$icon-big.png" -filter Lanczos -resize "${size}x${size}" "PNG32:$WORK/$icon-$size.png"
  done
  for size in 16 20 24 32 40 48 64; do frames+=("$WORK/$icon-$size.png"); done
  $CONVERT "${frames[@]}" "$RES/$icon.ico"
  echo "$icon.ico: $($CONVERT "$RES/$icon.ico" -format '%w ' info:)"
done
