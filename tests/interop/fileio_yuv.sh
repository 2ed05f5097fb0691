#!/usr/bin/env bash
# Raw YUV sequences made by ffmpeg (4:2:2 planar, grey, 4:4:4) go through the
# program; with dmethod=weave golden.yuv holds exactly the input frames, and
# ffmpeg converts it to PNG frames.
# Usage: fileio_yuv.sh VELDAX_GEN
set -u
case $1 in /*) bin=$1 ;; *) bin=$PWD/$1 ;; esac

if ! command -v ffmpeg >/dev/null 2>&1; then
    if [ "${VELDAX_REQUIRE_INTEROP:-0}" = 1 ]; then echo "FAIL: ffmpeg not found"; exit 1; fi
    echo "SKIP: ffmpeg not found"; exit 77
fi

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

param() { sed -n "s/^parameter $1 *= *\([0-9]*\);.*/\1/p" params.v; }
size() { wc -c <"$1" | tr -d ' '; }

make_seq() {  # make_seq FILE PIX_FMT
    ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48 -frames:v 5 -pix_fmt "$2" -f rawvideo "$1" ||
        { echo "FAIL: ffmpeg could not make $1"; exit 1; }
}

# check CASE KVF SEQ PIX_FMT FRAMES [LIMIT]: golden.yuv equals the first FRAMES
# frames of SEQ (frames of FRAME_BYTES, set by the caller), stimulus.dat holds them as 16-bit words, and ffmpeg turns
# golden.yuv into FRAMES PNG pictures.
check() {
    local name=$1 cfg=$2 seq=$3 fmt=$4 frames=$5 limit=${6:-}
    rm -f golden.yuv stimulus.dat params.v ./*.png
    if ! "$bin" "$cfg" -y "$seq" $limit >"$name.log" 2>&1; then
        fail "$name: run failed: $(cat "$name.log")"; return
    fi
    head -c $((frame_bytes * frames)) "$seq" >"$name.want"
    cmp -s "$name.want" golden.yuv || fail "$name: golden.yuv differs from the input frames"
    [ "$(size stimulus.dat)" = $((2 * frame_bytes * frames)) ] || fail "$name: stimulus.dat size"
    [ "$(param INPUT_FRAMES)" = "$frames" ] || fail "$name: INPUT_FRAMES $(param INPUT_FRAMES)"
    [ "$(param TOTAL_INPUT)" = $((frame_bytes * frames)) ] || fail "$name: TOTAL_INPUT $(param TOTAL_INPUT)"
    if ffmpeg -v error -f rawvideo -pix_fmt "$fmt" -s 64x48 -i golden.yuv "$name%d.png"; then
        local n
        n=$(ls "$name"*.png 2>/dev/null | wc -l)
        [ "$n" = "$frames" ] || fail "$name: ffmpeg made $n pictures, expected $frames"
    else
        fail "$name: ffmpeg could not read golden.yuv"
    fi
}

make_seq s422.yuv yuv422p
make_seq gray.yuv gray
make_seq s444.yuv yuv444p

printf 'num_plane=3\nframe_width=64\nframe_height=48\nycbcr422=1\ndmethod=weave\n' >y422.kvf
printf 'num_plane=1\nframe_width=64\nframe_height=48\ndmethod=weave\n' >gray.kvf
printf 'num_plane=3\nframe_width=64\nframe_height=48\ndmethod=weave\n' >y444.kvf
printf 'num_plane=3\nframe_width=64\nframe_height=48\nycbcr422=1\ndmethod=inter\n' >inter.kvf

frame_bytes=$((64 * 48 * 2))
check yuv422p y422.kvf s422.yuv yuv422p 5
frame_bytes=$((64 * 48))
check gray gray.kvf gray.yuv gray 5
frame_bytes=$((64 * 48 * 3))
check yuv444p y444.kvf s444.yuv yuv444p 5
frame_bytes=$((64 * 48 * 2))
# A frame limit of 2: two frames taken, the rest not read.
check limit y422.kvf s422.yuv yuv422p 2 2
# A partial last frame is not taken.
{ cat s422.yuv; head -c 1000 s422.yuv; } >partial.yuv
check partial y422.kvf partial.yuv yuv422p 5

# Another method: a sequence of the same size that ffmpeg still reads.
rm -f golden.yuv
if "$bin" inter.kvf -y s422.yuv >inter.log 2>&1; then
    [ "$(size golden.yuv)" = "$(size s422.yuv)" ] || fail "inter: golden.yuv size"
    ffmpeg -v error -f rawvideo -pix_fmt yuv422p -s 64x48 -i golden.yuv -f null - ||
        fail "inter: ffmpeg could not read golden.yuv"
else
    fail "inter: run failed: $(cat inter.log)"
fi

[ "$failures" = 0 ] || exit 1
echo "PASS"
