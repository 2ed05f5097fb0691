#!/usr/bin/env bash
# veldax-inspect against known differences and outside tools: planted faults
# reported at their exact positions, frames checked by md5sum over dd slices,
# pictures decoded by ImageMagick.  Usage: inspect_checks.sh VELDAX_GEN VELDAX_INSPECT
set -u
case $2 in /*) insp=$2 ;; *) insp=$PWD/$2 ;; esac
src=$(cd "$(dirname "$0")" && pwd)
source "$(dirname "$0")/lib.sh" "$1" md5sum dd convert python3 ffmpeg iverilog vvp

# expect STATUS WANTED-OUTPUT-FILE COMMAND...: the exit status and the output.
expect() {
    local want=$1 file=$2; shift 2
    "$@" >out.txt 2>err.txt
    local rc=$?
    [ "$rc" = "$want" ] || fail "$*: exit $rc, expected $want: $(cat out.txt err.txt)"
    [ -z "$file" ] || diff -u "$file" out.txt >/dev/null || fail "$*: output differs: $(diff -u "$file" out.txt)"
}

# A 4:2:2 run of 10-bit samples with field conversion and per-frame sizes:
# nine golden frames of 12x6 (three), 14x7 (two) and 10x4 (four).
printf '%s\n' num_plane=3 ycbcr422=1 frame_width=16 frame_height=8 fconvert=1 dynamic=1 frmw_0=11 frmh_0=5 \
    frmw_1=13 frmh_1=6 frmw_2=9 frmh_2=3 dwidth=10 dmethod=intra >c.kvf
"$bin" c.kvf -d 4 >gen.log || fail "veldax-gen: $(cat gen.log)"
run=(c.kvf -d 4)

# frames agrees with the file sizes and with md5sum over dd slices.
for kind in golden stimulus; do
    opt=(); [ $kind = stimulus ] && opt=(--stimulus)
    expect 0 "" "$insp" frames "${opt[@]}" "${run[@]}"
    cp out.txt $kind.frames
    end=0
    while read -r line; do
        set -- $line
        off=$(sed 's/.* offset \([0-9]*\) .*/\1/' <<<"$line")
        words=$(sed 's/.* words \([0-9]*\) .*/\1/' <<<"$line")
        md5=$(sed 's/.* md5 \([0-9a-f]*\)$/\1/' <<<"$line")
        [ "$off" = "$end" ] || fail "$kind: record at $off, the one before ended at $end"
        got=$(dd if=$kind.dat iflag=skip_bytes,count_bytes skip="$off" count=$((2 * words)) 2>/dev/null | md5sum)
        [ "${got%% *}" = "$md5" ] || fail "$kind: $line: md5sum gives ${got%% *}"
        end=$((off + 2 * words))
    done <$kind.frames
    [ "$end" = "$(stat -c %s $kind.dat)" ] || fail "$kind: records end at $end, the file has $(stat -c %s $kind.dat) bytes"
done
[ "$(wc -l <golden.frames)" = 9 ] || fail "expected 9 golden frames: $(cat golden.frames)"

# A flipped bit in frame 2, plane 1, row 3: frame 2 starts at byte 576, its
# luma takes 72 words, and chroma word 20 (12*3/2 + 4/2) holds column 4.
python3 - <<'PY'
d = bytearray(open('golden.dat', 'rb').read())
d[576 + 2 * (72 + 20)] ^= 4
open('sim.dat', 'wb').write(d)
open('short.dat', 'wb').write(d[:1000])
open('long.dat', 'wb').write(d + d[-160:])
PY
first='frame 2 (field 0, size index 0) plane 1 row 3 col 4: expected 0x0008 got 0x000c'
summary='frame 2 plane 1: 1 mismatch, first row 3 col 4, last row 3 col 4, largest difference 4'
printf '%s\n' "$first" "$summary" '1 mismatching word in 1 of 9 frames' >want.txt
expect 1 want.txt "$insp" compare --sim sim.dat "${run[@]}"
# The same dump as $readmemh text, detected or named.
"$insp" hex sim.dat >sim.hex || fail "hex failed"
[ "$(wc -l <sim.hex)" = 1144 ] || fail "hex: $(wc -l <sim.hex) lines, expected 1144"
[ "$(sed -n 2p sim.hex)" = 0001 ] || fail "hex: line 2 is $(sed -n 2p sim.hex)"
expect 1 want.txt "$insp" compare --sim sim.hex "${run[@]}"
expect 1 want.txt "$insp" compare --format hex --sim sim.hex "${run[@]}"
# A truncated dump says where it ends; an extra frame is counted.
printf '%s\n' "$first" "$summary" \
    'short.dat: ends after 500 of 1144 words; the first missing word is frame 3 (field 1, size index 1) plane 0 row 4 col 12' \
    '1 mismatching word in 1 of 9 frames; the length differs' >want.txt
expect 1 want.txt "$insp" compare --sim short.dat "${run[@]}"
printf '%s\n' "$first" "$summary" \
    'long.dat: 80 words past the end of the golden data (1 frame(s) of 80 words and 0 words more)' \
    '1 mismatching word in 1 of 9 frames; the length differs' >want.txt
expect 1 want.txt "$insp" compare --sim long.dat "${run[@]}"
printf '%s\n' 'identical: 1144 words in 9 frames' >want.txt
expect 0 want.txt "$insp" compare --sim golden.dat "${run[@]}"
# The Verilog include names the same positions: flips in frames 2, 4 and 8.
# verilog_agrees KVF [DEFINES]: sim.dat checked by check_words.v under Icarus.
verilog_agrees() {
    iverilog -g2005 -I . -I "$src/../../verilog" ${2:-} -o check.vvp "$src/check_words.v" >iv.log 2>&1 ||
        { fail "iverilog: $(cat iv.log)"; return; }
    vvp -n check.vvp | grep -E '^frame .*: expected' >bench.txt
    "$insp" compare --sim sim.dat $1 | grep -E '^frame .*: expected' >tool.txt
    [ -s tool.txt ] && diff -u tool.txt bench.txt >/dev/null || fail "$1: bench and compare differ: $(diff -u tool.txt bench.txt)"
}
python3 - <<'PY'
d = bytearray(open('golden.dat', 'rb').read())
for byte in (576 + 2 * (72 + 20), 1256 + 2 * 150, 2128 + 2 * 79):
    d[byte] ^= 1
open('sim.dat', 'wb').write(d)
PY
verilog_agrees "${run[*]}"

# frames reports files of the wrong length.
cp short.dat golden-short.dat
expect 1 "" "$insp" frames --file golden-short.dat "${run[@]}"
grep -q '^golden-short.dat: 1000 bytes, the run writes 2288: 1288 bytes short$' out.txt || fail "frames short: $(cat out.txt)"
grep -q '^frame 3 .* md5 - (cut short)$' out.txt || fail "frames short: frame 3 not cut short"
# Usage and input errors.
expect 2 "" "$insp"
expect 2 "" "$insp" compare --sim missing.dat "${run[@]}"
expect 2 "" "$insp" compare --sim sim.dat c.kvf -d 5
expect 2 "" "$insp" frames c.kvf
expect 2 "" "$insp" png --frame 9 -o x.png "${run[@]}"
expect 2 "" "$insp" frobnicate "${run[@]}"

# Pictures: frame 2 in grey (planes side by side, each chroma word filling
# its two columns, 10 bits scaled to 8), kept at 16 bits, and as a heat map.
expect 0 "" "$insp" png --frame 2 -o f2.png "${run[@]}"
expect 0 "" "$insp" png --frame 2 --depth 16 -o f2-16.png "${run[@]}"
expect 0 "" "$insp" png --frame 2 --rgb -o f2-rgb.png "${run[@]}"
expect 1 "" "$insp" png --frame 2 --diff sim.dat -o heat.png "${run[@]}"
convert f2.png -depth 8 gray:f2.gray || fail "convert could not read f2.png"
convert f2-16.png -depth 16 -endian LSB gray:f2-16.gray || fail "convert could not read f2-16.png"
convert heat.png -depth 8 rgb:heat.rgb || fail "convert could not read heat.png"
[ "$(identify -format %wx%h f2-rgb.png)" = 12x6 ] || fail "f2-rgb.png is $(identify -format %wx%h f2-rgb.png)"
python3 - <<'PY' || fail "pictures differ from golden.dat"
import struct, sys
d = open('golden.dat', 'rb').read()[576:576 + 288]
w = struct.unpack('<144H', d)
luma, cb, cr = w[:72], w[72:108], w[108:144]
def sample(p, j, k):
    return luma[j * 12 + k] if p == 0 else (cb, cr)[p - 1][j * 6 + k // 2]
want = [sample(p, j, k) for j in range(6) for p in range(3) for k in range(12)]
g8 = open('f2.gray', 'rb').read()
g16 = struct.unpack('<216H', open('f2-16.gray', 'rb').read())
ok = list(g16) == want and list(g8) == [(v * 255 + 511) // 1023 for v in want]
heat = open('heat.rgb', 'rb').read()
# The flipped sample (plane 1, row 3, columns 4 and 5) is drawn in the heat
# colour of the largest difference: yellow.
for k in (4, 5):
    i = (3 * 36 + 12 + k) * 3
    ok = ok and heat[i:i + 3] == b'\xff\xff\x00'
sys.exit(0 if ok else 1)
PY

# One plane of 12 bits is ffmpeg's gray16le: frame 2 read by ffmpeg equals
# the tool's 16-bit picture.
printf '%s\n' frame_width=16 frame_height=8 dwidth=12 dmethod=bobe >g.kvf
"$bin" g.kvf -g 3 >gen.log || fail "veldax-gen gray: $(cat gen.log)"
ffmpeg -v error -y -f rawvideo -pix_fmt gray16le -s 16x8 -i golden.dat -vf 'select=eq(n\,2)' -frames:v 1 ff2.png ||
    fail "ffmpeg could not read golden.dat as gray16le"
expect 0 "" "$insp" png --frame 2 --depth 16 -o me2.png g.kvf -g 3
convert ff2.png -depth 16 gray:ff2.raw && convert me2.png -depth 16 gray:me2.raw && cmp -s ff2.raw me2.raw ||
    fail "ffmpeg's gray16le frame 2 differs from veldax-inspect's"

# A planar YUV sequence cut inside its third frame: two fields, and the whole
# plane read before the cut stays in stimulus.dat.
printf '%s\n' num_plane=3 frame_width=8 frame_height=4 >y.kvf
head -c $((2 * 96 + 40)) /dev/urandom >seq.yuv
"$bin" y.kvf -y seq.yuv >gen.log || fail "veldax-gen -y: $(cat gen.log)"
expect 0 "" "$insp" frames y.kvf -y seq.yuv
[ "$(wc -l <out.txt)" = 2 ] || fail "-y: $(cat out.txt)"
expect 0 "" "$insp" frames --stimulus y.kvf -y seq.yuv
grep -q '^then 32 words' out.txt || fail "-y stimulus: $(cat out.txt)"
# A 4:2:2 sequence with field conversion: every frame has the sizes of frame
# index 0 (VELDAX_FIXED_SIZE in a bench), two frames a field.
printf '%s\n' num_plane=3 ycbcr422=1 frame_width=6 frame_height=4 fconvert=1 >y2.kvf
head -c 150 /dev/urandom >seq2.yuv
"$bin" y2.kvf -y seq2.yuv >gen.log || fail "veldax-gen -y 4:2:2: $(cat gen.log)"
python3 - <<'PY'
d = bytearray(open('golden.dat', 'rb').read())
for byte in (2 * 30, 3 * 96 + 2 * 47):
    d[byte] ^= 0x80
open('sim.dat', 'wb').write(d)
PY
verilog_agrees "y2.kvf -y seq2.yuv" -DVELDAX_FIXED_SIZE
grep -q '^frame 3 (field 1, size index 0) plane 2 row 3 col 4: ' tool.txt || fail "-y 4:2:2: $(cat tool.txt)"

[ "$failures" = 0 ] || exit 1
echo "PASS"
