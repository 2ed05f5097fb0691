#!/usr/bin/env bash
# Byte-for-byte comparison of two builds of veldax-gen on 30 large runs: a
# 1921 x 1081 4:2:2 frame (odd sizes: the vector kernels' tails, the odd
# chroma column), sources -g, -d and -y, dwidth 1, 8, 10, 15 and 16, methods
# intra and inter.  Every file written, the console output and the exit
# status must agree.
#
# Usage: bench/compare_large.sh OLD_VELDAX_GEN NEW_VELDAX_GEN
#   -y reads 3 frames: headerless bytes at dwidth 1 and 8, a Y4M stream of
#   dwidth-bit samples (C422p<dwidth>) at 10, 15 and 16.
set -euo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d /tmp/veldax-large.XXXXXX)
trap 'rm -rf "$work"' EXIT
W=1921 H=1081

python3 - "$work" $W $H <<'PY'
import random, sys
work, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(1921)
with open(f"{work}/seq.yuv", "wb") as f:
    f.write(rng.randbytes(3 * 2 * w * h))
cw = (w + 1) // 2
for depth in (10, 15, 16):
    with open(f"{work}/seq{depth}.y4m", "wb") as f:
        f.write(f"YUV4MPEG2 W{w} H{h} F25:1 Ip C422p{depth}\n".encode())
        mask = (1 << depth) - 1
        for _ in range(3):
            f.write(b"FRAME\n")
            n = w * h + 2 * cw * h
            words = [rng.getrandbits(16) & mask for _ in range(n)]
            # A run of extremes: 0, the largest sample and one below it.
            for i in range(0, n, 97):
                words[i] = (0, mask, mask - 1)[i % 3]
            f.write(b"".join(v.to_bytes(2, "little") for v in words))
PY

failed=0
cases=0
for method in intra inter; do
    for dw in 1 8 10 15 16; do
        max=$(( (1 << dw) - 1 ))
        kvf="Family=quorvixkap4
ModuleName=large
num_plane=3
frame_width=$W
frame_height=$H
ycbcr422=1
dwidth=$dw
dmethod=$method
interth0=1
interth1=$(( max / 2 + 1 ))
interth2=$(( max * 2 + 1 ))
dbus_width=64
burst_count=4
burst_length=8"
        if (( dw >= 10 )); then yin=$work/seq$dw.y4m; else yin=$work/seq.yuv; fi
        for src in "-g 3" "-d 3" "-y $yin 3"; do
            cases=$((cases + 1))
            for side in old new; do
                d=$work/$side
                rm -rf "$d"; mkdir -p "$d"; printf '%s\n' "$kvf" > "$d/l.kvf"
                prog=$old; [[ $side == new ]] && prog=$new
                # shellcheck disable=SC2086
                (cd "$d" && { "$prog" l.kvf $src > console.txt 2>&1; echo "status $?" >> console.txt; })
            done
            if diff -r -q "$work/old" "$work/new" > /dev/null; then
                echo "same  $method dwidth=$dw ${src%% *}"
            else
                echo "DIFF  $method dwidth=$dw ${src%% *}"; diff -r -q "$work/old" "$work/new" || true
                failed=$((failed + 1))
            fi
        done
    done
done
echo "$((cases - failed)) of $cases large cases identical"
(( failed == 0 ))
