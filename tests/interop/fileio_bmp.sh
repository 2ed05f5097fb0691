#!/usr/bin/env bash
# BMP pictures made by ImageMagick go through the program, and golden.bmp is
# read back by ImageMagick: with dmethod=weave the golden picture decodes to
# exactly the input picture (cropped to the configured field when smaller).
# Usage: fileio_bmp.sh VELDAX_GEN
set -u
case $1 in /*) bin=$1 ;; *) bin=$PWD/$1 ;; esac

for tool in convert identify; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        if [ "${VELDAX_REQUIRE_INTEROP:-0}" = 1 ]; then echo "FAIL: $tool not found"; exit 1; fi
        echo "SKIP: $tool not found"; exit 77
    fi
done

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Little-endian 32-bit field of a file at a byte offset.
field32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }

kvf() {  # kvf NAME PLANES WIDTH HEIGHT METHOD
    printf 'num_plane=%s\nframe_width=%s\nframe_height=%s\ndmethod=%s\n' "$2" "$3" "$4" "$5" >"$1"
}

# run CASE KVF PICTURE SIZE FORMAT [CROP]: golden.bmp must identify as SIZE
# and decode (FORMAT rgb or rgba) to the picture's own decode.
run() {
    local name=$1 cfg=$2 pic=$3 size=$4 fmt=$5 crop=${6:-}
    rm -f golden.bmp
    if ! "$bin" "$cfg" -b "$pic" >"$name.log" 2>&1; then
        fail "$name: run failed: $(cat "$name.log")"; return
    fi
    local got
    got=$(identify -format '%wx%h' golden.bmp 2>&1)
    [ "$got" = "$size" ] || fail "$name: golden.bmp is '$got', expected $size"
    if [ -n "$crop" ]; then
        convert "$pic" -crop "$crop" +repage "$fmt:$name.want" || fail "$name: decode of input"
    else
        convert "$pic" "$fmt:$name.want" || fail "$name: decode of input"
    fi
    convert golden.bmp "$fmt:$name.got" || fail "$name: decode of golden.bmp"
    cmp -s "$name.want" "$name.got" || fail "$name: golden picture differs from the input"
}

convert rose: -type truecolor BMP3:rose24.bmp || { echo "FAIL: convert"; exit 1; }
convert rose: -type palette -colors 200 -compress none BMP3:rose8.bmp || exit 1
convert rose: -alpha set -channel A -evaluate set 80% +channel BMP:rose32.bmp || exit 1

kvf three.kvf 3 70 46 weave
kvf one.kvf 1 70 46 weave
kvf four.kvf 4 70 46 weave
kvf crop.kvf 3 64 40 weave
kvf intra.kvf 3 70 46 intra

run truecolor three.kvf rose24.bmp 70x46 rgb
run palette one.kvf rose8.bmp 70x46 rgb
run alpha four.kvf rose32.bmp 70x46 rgba
# A field smaller than the picture takes its top-left part.
run crop crop.kvf rose24.bmp 64x40 rgb 64x40+0+0

# The same picture stored top row first (negative height).
offset=$(field32 rose24.bmp 10)
stride=$(( (70 * 3 + 3) / 4 * 4 ))
{
    head -c 22 rose24.bmp
    printf '\322\377\377\377'   # height -46
    tail -c +27 rose24.bmp | head -c $((offset - 26))
    for ((row = 45; row >= 0; row--)); do
        tail -c +$((offset + row * stride + 1)) rose24.bmp | head -c "$stride"
    done
} >topdown.bmp
convert rose24.bmp rgb:bottomup.rgb && convert topdown.bmp rgb:topdown.rgb &&
    cmp -s bottomup.rgb topdown.rgb || fail "topdown: the top-down copy was not made right"
run topdown three.kvf topdown.bmp 70x46 rgb

# Another method still gives a picture of the configured size.
rm -f golden.bmp
if "$bin" intra.kvf -b rose24.bmp >intra.log 2>&1; then
    [ "$(identify -format '%wx%h' golden.bmp 2>&1)" = 70x46 ] || fail "intra: golden.bmp size"
else
    fail "intra: run failed: $(cat intra.log)"
fi

# A compressed picture is refused: exit 5, one line naming the file.
convert rose: -type palette -colors 200 BMP3:rle.bmp
if [ "$(field32 rle.bmp 30)" = 1 ]; then
    rm -f golden.bmp
    "$bin" one.kvf -b rle.bmp >rle.log 2>&1
    status=$?
    [ "$status" = 5 ] || fail "rle: exit status $status, expected 5"
    grep -q '^rle.bmp: compression 1 is not supported$' rle.log || fail "rle: message: $(cat rle.log)"
    [ ! -e golden.bmp ] || fail "rle: golden.bmp written"
fi

[ "$failures" = 0 ] || exit 1
echo "PASS"
