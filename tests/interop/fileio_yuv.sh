#!/usr/bin/env bash
# Raw sequences made by ffmpeg go through the program with dmethod=weave:
# golden.yuv equals the input, and ffmpeg converts it to PNG frames.
# Usage: fileio_yuv.sh VELDAX_GEN
set -u
source "$(dirname "$0")/lib.sh" "$1" ffmpeg

# check PIX_FMT PLANES YCBCR422: five 64x48 frames of a test pattern.
check() {
    local f=$1
    ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48 -frames:v 5 -pix_fmt "$f" -f rawvideo "$f.yuv" ||
        { fail "$f: ffmpeg could not make the sequence"; return; }
    printf 'num_plane=%s\nframe_width=64\nframe_height=48\nycbcr422=%s\ndmethod=weave\n' "$2" "$3" >"$f.kvf"
    rm -f golden.yuv
    "$bin" "$f.kvf" -y "$f.yuv" >"$f.log" 2>&1 || { fail "$f: run failed: $(cat "$f.log")"; return; }
    cmp -s "$f.yuv" golden.yuv || fail "$f: golden.yuv differs from the input"
    ffmpeg -v error -f rawvideo -pix_fmt "$f" -s 64x48 -i golden.yuv "$f-%d.png" ||
        fail "$f: ffmpeg could not read golden.yuv"
    local n
    n=$(ls "$f"-*.png 2>/dev/null | wc -l)
    [ "$n" = 5 ] || fail "$f: ffmpeg made $n pictures, expected 5"
}

check yuv422p 3 1
check gray 1 0
check yuv444p 3 0

[ "$failures" = 0 ] || exit 1
echo "PASS"
