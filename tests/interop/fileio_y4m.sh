#!/usr/bin/env bash
# Y4M clips made by ffmpeg go through the program: "stimulus.dat" holds the
# clip's samples as 16-bit words (ffmpeg's raw output of the same clip,
# widened for 8-bit clips), with dmethod=weave "golden.yuv" equals that raw
# output, and ffmpeg decodes it as rawvideo of the clip's format; clips that
# do not fit the configuration are refused with exit 5 before any output.
# Usage: fileio_y4m.sh VELDAX_GEN
set -u
source "$(dirname "$0")/lib.sh" "$1" ffmpeg python3

# check PIX_FMT WxH PLANES YCBCR422 DWIDTH: four frames of a test pattern.
# (ffmpeg 5 writes 4:2:2 clips above 8 bits at odd widths with short chroma
# rows that it cannot read back itself, so those take even widths.)
check() {
    local f=$1 size=$2
    ffmpeg -v error -y -f lavfi -i "testsrc=size=$size:rate=5" -frames:v 4 -pix_fmt "$f" -strict -1 \
        -f yuv4mpegpipe "$f.y4m" || { fail "$f: ffmpeg could not make the clip"; return; }
    ffmpeg -v error -y -i "$f.y4m" -f rawvideo -pix_fmt "$f" "$f.raw" ||
        { fail "$f: ffmpeg could not read its clip"; return; }
    printf 'num_plane=%s\nframe_width=%s\nframe_height=%s\nycbcr422=%s\ndwidth=%s\ndmethod=weave\n' \
        "$3" "${size%x*}" "${size#*x}" "$4" "$5" >"$f.kvf"
    rm -f stimulus.dat golden.yuv
    "$bin" "$f.kvf" -y "$f.y4m" >"$f.log" 2>&1 || { fail "$f: run failed: $(cat "$f.log")"; return; }
    python3 - "$f.raw" stimulus.dat "$f" <<'PY' || fail "$f: stimulus.dat is not the clip's samples"
import sys
raw, stim = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
deep = sys.argv[3].endswith("le")
sys.exit(0 if stim == (raw if deep else b"".join(bytes((b, 0)) for b in raw)) else 1)
PY
    cmp -s "$f.raw" golden.yuv || fail "$f: golden.yuv differs from the clip's samples"
    ffmpeg -v error -y -f rawvideo -pix_fmt "$f" -s "$size" -i golden.yuv -f rawvideo "$f.back" ||
        { fail "$f: ffmpeg could not read golden.yuv"; return; }
    cmp -s "$f.back" "$f.raw" || fail "$f: golden.yuv decodes to other bytes than the clip"
    local n
    n=$(ffmpeg -v error -f rawvideo -pix_fmt "$f" -s "$size" -i golden.yuv -f framemd5 - | grep -vc '^#')
    [ "$n" = 4 ] || fail "$f: ffmpeg decodes $n frames of golden.yuv, expected 4"
}

check gray 9x6 1 0 8
check gray10le 7x5 1 0 10
check yuv422p 7x5 3 1 8
check yuv422p10le 8x5 3 1 10
check yuv444p12le 7x5 3 0 12

# refuse PIX_FMT PLANES YCBCR422 DWIDTH WORDS: a 8x6 clip the core does not take.
refuse() {
    local f=$1
    ffmpeg -v error -y -f lavfi -i testsrc=size=8x6:rate=5 -frames:v 2 -pix_fmt "$f" -strict -1 \
        -f yuv4mpegpipe "no-$f.y4m" || { fail "$f: ffmpeg could not make the clip"; return; }
    printf 'num_plane=%s\nframe_width=8\nframe_height=6\nycbcr422=%s\ndwidth=%s\n' "$2" "$3" "$4" >no.kvf
    rm -f stimulus.dat
    "$bin" no.kvf -y "no-$f.y4m" >no.log 2>&1
    local status=$?
    [ "$status" = 5 ] || fail "$f: exit $status, expected 5"
    grep -q "^no-$f.y4m is 8x6 $5; the core takes" no.log || fail "$f: no line naming both: $(cat no.log)"
    [ ! -e stimulus.dat ] || fail "$f: stimulus.dat was created"
}

refuse yuv420p 3 1 8 C420jpeg
refuse yuv420p10le 3 1 10 C420p10
refuse yuv422p12le 3 1 10 C422p12
refuse gray 3 0 8 Cmono

[ "$failures" = 0 ] || exit 1
echo "PASS"
