#!/usr/bin/env bash
# Draws the splash image at 1x (splash.png, 300 x 90) and 2x (splash@2x.png,
# 600 x 180) from one description, so a dense screen gets a sharp image.
# Needs ImageMagick and the DejaVu fonts; run it after changing the artwork.
set -euo pipefail
cd "$(dirname "$0")"
draw() {  # draw <scale> <file>
  local s=$1
  S() { awk -v v="$1" -v s="$s" 'BEGIN { print v * s }'; }
  convert -size $((300 * s))x$((90 * s)) xc:none \
    -fill '#1A1A2E' -draw "roundrectangle 0,0 $(S 299.5),$(S 89.5) $(S 12),$(S 12)" \
    -fill '#E94560' -draw "roundrectangle $(S 14),$(S 17) $(S 69.5),$(S 72.5) $(S 8),$(S 8)" \
    -gravity NorthWest -font DejaVu-Sans-Bold -fill white \
    -pointsize "$(S 37.5)" -annotate "+$(S 28)+$(S 19.5)" 'P' \
    -pointsize "$(S 26)" -annotate "+$(S 84)+$(S 16)" 'Pellaro' \
    -font DejaVu-Sans -fill '#B4B4D0' -pointsize "$(S 14)" -annotate "+$(S 86)+$(S 54)" 'Tovrel Academy player' \
    -depth 8 -define png:exclude-chunks=date,time "PNG32:$2"
}
draw 1 splash.png
draw 2 splash@2x.png
