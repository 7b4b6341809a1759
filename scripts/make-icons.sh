#!/bin/sh
# Draws Spindrel's two icons with ImageMagick, each size by hand so the small ones stay crisp:
#   res/icons/spindrel.ico  (128) a lightning bolt on a blue tile: acceleration;
#   res/icons/error.ico     (176) a white cross on a red disc: something is missing.
# The .ico files are committed; run this only to change them.
set -eu
cd "$(dirname "$0")/../res/icons"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

scale() { # scale "x,y x,y ..." by $1/48
    echo "$2" | awk -v s="$1" '{ for (i = 1; i <= NF; i++) { split($i, p, ","); printf "%s%.1f,%.1f", (i > 1 ? " " : ""), p[1]*s/48, p[2]*s/48 } }'
}

for n in 16 32 48; do
    r=$(awk -v s=$n 'BEGIN { printf "%.1f", s/6 }')
    e=$(awk -v s=$n 'BEGIN { printf "%.1f", s-1 }')
    bolt=$(scale $n "28,3 10,27 21,27 16,45 38,18 26,18 33,3")
    convert -size ${n}x${n} gradient:'#3aa0ff-#0b3d91' -alpha set \
        \( -size ${n}x${n} xc:none -fill white -draw "roundrectangle 0,0 $e,$e $r,$r" \) \
        -compose DstIn -composite -compose Over \
        -fill '#ffd84a' -stroke '#5a3b00' -strokewidth $(awk -v s=$n 'BEGIN { print (s < 24 ? 0.6 : 1.2) }') \
        -draw "polygon $bolt" \
        PNG32:"$tmp/app$n.png"

    c=$(awk -v s=$n 'BEGIN { printf "%.1f", (s-1)/2 }')
    a=$(awk -v s=$n 'BEGIN { printf "%.1f", s*0.30 }')
    b=$(awk -v s=$n 'BEGIN { printf "%.1f", s*0.70 - 1 }')
    w=$(awk -v s=$n 'BEGIN { printf "%.1f", (s < 24 ? 2 : s/9) }')
    convert -size ${n}x${n} xc:none \
        -fill '#d32f2f' -stroke '#7f0000' -strokewidth 1 -draw "circle $c,$c $c,0.5" \
        -stroke white -strokewidth $w -draw "line $a,$a $b,$b" -draw "line $b,$a $a,$b" \
        PNG32:"$tmp/err$n.png"
done

convert "$tmp/app16.png" "$tmp/app32.png" "$tmp/app48.png" spindrel.ico
convert "$tmp/err16.png" "$tmp/err32.png" "$tmp/err48.png" error.ico
