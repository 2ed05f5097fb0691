#!/usr/bin/env bash
# Pictures made by ImageMagick go through the program with dmethod=weave:
# golden.bmp has the configured size and decodes to exactly the input; with
# dmethod=intra it is the same whatever ycbcr422 says.
# Usage: fileio_bmp.sh VELDAX_GEN
set -u
source "$(dirname "$0")/lib.sh" "$1" convert identify

# check CASE PLANES PICTURE FORMAT: a 70x46 field of PLANES planes; golden.bmp
# decodes (FORMAT rgb or rgba) to the same pixels as the picture.
check() {
    printf 'num_plane=%s\nframe_width=70\nframe_height=46\ndmethod=weave\n' "$2" >"$1.kvf"
    rm -f golden.bmp
    "$bin" "$1.kvf" -b "$3" >"$1.log" 2>&1 || { fail "$1: run failed: $(cat "$1.log")"; return; }
    local size
    size=$(identify -format '%wx%h' golden.bmp 2>&1)
    [ "$size" = 70x46 ] || fail "$1: golden.bmp is '$size', expected 70x46"
    convert "$3" "$4:$1.want" && convert golden.bmp "$4:$1.got" && cmp -s "$1.want" "$1.got" ||
        fail "$1: golden picture differs from the input"
}

convert rose: -type truecolor BMP3:rose24.bmp &&
    convert rose: -type palette -colors 200 -compress none BMP3:rose8.bmp &&
    convert rose: -alpha set -channel A -evaluate set 80% +channel BMP:rose32.bmp ||
    { echo "FAIL: convert could not make the pictures"; exit 1; }

# The 24-bit picture stored top row first: height -46, rows in reverse order.
offset=$(od -An -t u4 -j 10 -N 4 rose24.bmp | tr -d ' ')
stride=$(( (70 * 3 + 3) / 4 * 4 ))
{
    head -c 22 rose24.bmp
    printf '\322\377\377\377'
    tail -c +27 rose24.bmp | head -c $((offset - 26))
    for ((row = 45; row >= 0; row--)); do
        tail -c +$((offset + row * stride + 1)) rose24.bmp | head -c "$stride"
    done
} >topdown.bmp
convert rose24.bmp rgb:bottomup.rgb && convert topdown.bmp rgb:topdown.rgb &&
    cmp -s bottomup.rgb topdown.rgb || fail "topdown: the top-down copy was not made right"

check truecolor 3 rose24.bmp rgb
check palette 1 rose8.bmp rgb
check alpha 4 rose32.bmp rgba
check topdown 3 topdown.bmp rgb

# A picture's golden picture shows every column: with ycbcr422=1 its planes 1
# and 2 are rebuilt in full, so the intra method (no motion taken from plane
# 0) gives the same golden.bmp as without.
for c422 in 0 1; do
    printf 'num_plane=3\nframe_width=70\nframe_height=46\ndmethod=intra\nycbcr422=%s\n' \
        "$c422" >"intra$c422.kvf"
    rm -f golden.bmp
    "$bin" "intra$c422.kvf" -b rose24.bmp >"intra$c422.log" 2>&1 && cp golden.bmp "intra$c422.bmp" ||
        fail "intra ycbcr422=$c422: run failed: $(cat "intra$c422.log")"
done
cmp -s intra0.bmp intra1.bmp || fail "intra: golden.bmp of ycbcr422=1 differs from ycbcr422=0"

[ "$failures" = 0 ] || exit 1
echo "PASS"
