#!/bin/sh
# Draws Spindrel's two icons with ImageMagick, each size by hand so every one stays crisp:
#   res/icons/spindrel.ico  (128) a lightning bolt on a blue tile: acceleration;
#   res/icons/error.ico     (176) a white cross on a red disc: something is missing.
# Sizes: 16, 20, 24 (small icons at 100, 125, 150 %), 32, 40, 48, 64 (large icons at 100 to 200 %,
# small ones at 200 %) and 256 (stored as PNG inside the .ico, for Explorer's large views).
# The .ico files are committed; run this only to change them.
set -eu
cd "$(dirname "$0")/../res/icons"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

sizes="16 20 24 32 40 48 64 256"

scale() { # scale "x,y x,y ..." by $1/48
    echo "$2" | awk -v s="$1" '{ for (i = 1; i <= NF; i++) { split($i, p, ","); printf "%s%.1f,%.1f", (i > 1 ? " " : ""), p[1]*s/48, p[2]*s/48 } }'
}
calc() { awk -v s="$1" "BEGIN { printf \"%.1f\", $2 }"; }

for n in $sizes; do
    # Outlines: hairlines on the small sizes, then growing with the size, never blurred wider
    # than about a pixel at the sizes the screen shows most.
    case $n in
        16|20) outline=0.6 ;;
        24) outline=0.8 ;;
        32|40|48) outline=1.2 ;;
        64) outline=1.6 ;;
        *) outline=$(calc $n 's/48') ;;
    esac
    r=$(calc $n 's/6')
    e=$(calc $n 's-1')
    bolt=$(scale $n "28,3 10,27 21,27 16,45 38,18 26,18 33,3")
    convert -size ${n}x${n} gradient:'#3aa0ff-#0b3d91' -alpha set \
        \( -size ${n}x${n} xc:none -fill white -draw "roundrectangle 0,0 $e,$e $r,$r" \) \
        -compose DstIn -composite -compose Over \
        -fill '#ffd84a' -stroke '#5a3b00' -strokewidth $outline \
        -draw "polygon $bolt" \
        PNG32:"$tmp/app$n.png"

    c=$(calc $n '(s-1)/2')
    a=$(calc $n 's*0.30')
    b=$(calc $n 's*0.70 - 1')
    # The cross: two pixels wide on the small sizes, a ninth of the size from 24 up.
    w=$(calc $n '(s < 24 ? 2 : s/9)')
    ring=$(calc $n '(s < 64 ? 1 : s/40)')
    top=$(calc $n "$ring/2")
    convert -size ${n}x${n} xc:none \
        -fill '#d32f2f' -stroke '#7f0000' -strokewidth $ring -draw "circle $c,$c $c,$top" \
        -stroke white -strokewidth $w -draw "line $a,$a $b,$b" -draw "line $b,$a $a,$b" \
        PNG32:"$tmp/err$n.png"
done

app=""
err=""
for n in $sizes; do
    app="$app $tmp/app$n.png"
    err="$err $tmp/err$n.png"
done
# shellcheck disable=SC2086 # the lists are file names without spaces
convert $app -strip -define png:exclude-chunks=date,time spindrel.ico
# shellcheck disable=SC2086
convert $err -strip -define png:exclude-chunks=date,time error.ico
