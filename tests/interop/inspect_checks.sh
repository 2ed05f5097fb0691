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
summary='frame 2 plane 1: 1 mismatch, first row 3 col 4, last row 3 col 4, largest difference +4 (got above expected)'
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
    vvp -n check.vvp | grep -E '^frame .*: expected' >bench-time.txt
    # The bench adds the simulation time of each word (0 here: no clock).
    ! grep -v ' (time 0)$' bench-time.txt || fail "$1: a bench line without its time"
    sed 's/ (time 0)$//' bench-time.txt >bench.txt
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
# The golden data comes from the model: -d 5 is a run of its own (one field
# more), so the dump of -d 4 is short; a given golden file of -d 4 is refused.
expect 1 "" "$insp" compare --sim sim.dat c.kvf -d 5
expect 2 "" "$insp" compare --golden golden.dat --sim sim.dat c.kvf -d 5
# A golden file given is read as it stands, its frames placed by the layout
# alone: the verdict is the model's, word for word.
expect 1 "" "$insp" compare --sim sim.dat "${run[@]}" && cp out.txt by-model.txt
expect 1 by-model.txt "$insp" compare --golden golden.dat --sim sim.dat "${run[@]}"
expect 2 "" "$insp" frames c.kvf
expect 2 "" "$insp" png --frame 9 -o x.png "${run[@]}"
expect 2 "" "$insp" frobnicate "${run[@]}"

# Pictures: frame 2 in grey (planes side by side, each chroma word filling
# its two columns, 10 bits scaled to 8), kept at 16 bits, and as a heat map.
expect 0 "" "$insp" png --scale 1 --frame 2 -o f2.png "${run[@]}"
expect 0 "" "$insp" png --scale 1 --frame 2 --depth 16 -o f2-16.png "${run[@]}"
expect 0 "" "$insp" png --scale 1 --frame 2 --rgb -o f2-rgb.png "${run[@]}"
expect 1 "" "$insp" png --scale 1 --frame 2 --diff sim.dat -o heat.png "${run[@]}"
# sim.dat here has bit 0 of one chroma word of frame 2 flipped: one word,
# two pixels, each count labelled.
grep -qx 'frame 2: 1 word differs (plane 0: 0, plane 1: 1, plane 2: 0), drawn as 2 pixels (a 4:2:2 chroma word fills 2 columns); largest |got - expected| 1' out.txt ||
    fail "png --diff summary: $(cat out.txt)"
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
expect 0 "" "$insp" png --scale 1 --frame 2 --depth 16 -o me2.png g.kvf -g 3
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

# Small frames are scaled up to about 512 pixels wide by a whole factor.
expect 0 "" "$insp" png --frame 2 -o big.png c.kvf -d 4
[ "$(identify -format %wx%h big.png)" = 540x90 ] || fail "scaled png is $(identify -format %wx%h big.png)"

# The truth comes from the model, not from the folder: a golden.dat of -g 4
# is named as not this run's, and a dump of it is recognised as -g's.
"$bin" c.kvf -g 4 >gen.log || fail "veldax-gen -g: $(cat gen.log)"
cp golden.dat dut.dat
expect 1 "" "$insp" compare --sim dut.dat c.kvf -d 4
grep -q '^golden.dat in this folder differs from this run.s golden data from frame 0 on' out.txt ||
    fail "stale golden.dat not named: $(cat out.txt)"
grep -q 'the dump matches the golden data of -g, not -d' out.txt || fail "-g dump not named: $(cat out.txt)"
"$bin" c.kvf -d 4 >gen.log || fail "veldax-gen: $(cat gen.log)"

# Dump slips named: bytes swapped, and one frame late.
python3 - <<'PY'
d = open('golden.dat', 'rb').read()
open('swapped.dat', 'wb').write(bytes(b for i in range(0, len(d), 2) for b in (d[i + 1], d[i])))
PY
expect 1 "" "$insp" compare --sim swapped.dat "${run[@]}"
grep -q 'bytes of each word swapped: the bench writes big-endian words' out.txt || fail "swap not named: $(cat out.txt)"
# Decimal text instead of hexadecimal.
python3 -c "
import struct; d = open('golden.dat','rb').read()
open('dec.txt','w').write(''.join('%d\n' % v for v in struct.unpack('<%dH' % (len(d)//2), d)))"
expect 1 "" "$insp" compare --sim dec.txt "${run[@]}"
grep -q 'read as decimal text' out.txt || fail "decimal not named: $(cat out.txt)"

# Verdicts for CI: JSON and JUnit, read by python's parsers.
python3 - <<'PY'
d = bytearray(open('golden.dat', 'rb').read())
d[576 + 2 * (72 + 20)] ^= 4
open('sim.dat', 'wb').write(d)
PY
expect 1 "" "$insp" compare --sim sim.dat --json v.json --junit v.xml "${run[@]}"
python3 - <<'PY' || fail "JSON or JUnit verdict: $(cat v.json v.xml)"
import json, sys, xml.etree.ElementTree as ET
v = json.load(open('v.json'))
ok = v['verdict'] == 'different' and v['mismatches'] == 1 and v['frames'] == 9
m = v['first_mismatches'][0]
ok = ok and (m['frame'], m['plane'], m['row'], m['col'], m['expected'], m['got']) == (2, 1, 3, 4, '0x0008', '0x000c')
ok = ok and [f['planes'][1]['mismatches'] for f in v['per_frame']] == [0, 0, 1] + [0] * 6
suite = ET.parse('v.xml').getroot()
cases = suite.findall('testcase')
failed = [c.get('name') for c in cases if c.find('failure') is not None]
ok = ok and suite.get('tests') == '9' and suite.get('failures') == '1' and len(cases) == 9 and failed == ['frame 2']
ok = ok and 'plane 1 row 3 col 4' in cases[2].find('failure').text
sys.exit(0 if ok else 1)
PY

# explain against hand-worked cases: an 8x6 picture, row 1 rebuilt (rows of
# parity 0 kept), column 3.  Weave keeps the row (13); bobe takes the mean of
# rows 0 and 2, (3 + 23 + 1) / 2 = 13 ... with rows of r*10+c; intra on rows
# of 100 around a row of 0 takes the vertical direction (every cost 0) and
# gives 100; inter on a flat 10 against the zero field before it measures
# SAD 9*10 = 90 = th1, the medium branch: median of 10, 10, (10+0+1)/2 = 10.
ramp=$(for r in 0 1 2 3 4 5; do for c in 0 1 2 3 4 5 6 7; do printf '%d\n' $((r * 10 + c)); done; done)
bars=$(for r in 0 1 2 3 4 5; do for c in 0 1 2 3 4 5 6 7; do printf '%d\n' $(( r % 2 ? 0 : 100 )); done; done)
flat=$(for i in $(seq 48); do echo 10; done)
while read -r method pic want says; do
    printf '%s\n' frame_width=8 frame_height=6 dmethod=$method >e.kvf
    eval "echo \"\$$pic\"" >pic.txt
    expect 0 "" "$insp" explain --frame 0 --plane 0 --row 1 --col 3 e.kvf -l pic.txt
    grep -q "expected $want ([0-9]*), the golden word" out.txt || fail "explain $method: $(cat out.txt err.txt)"
    grep -q "$says" out.txt || fail "explain $method: no '$says': $(cat out.txt)"
done <<'ROWS'
weave ramp 0x000d weave:
bobe ramp 0x000d bob:.*(3.+.23.+.1)./.2.=.13
intra bars 0x0064 vertical.0,.falling.0,.rising.0.->.vertical
inter flat 0x000a motion:.*=.90
ROWS
expect 1 "" "$insp" compare --explain --sim sim.dat "${run[@]}"
grep -q '^explain frame 2 (field 0, size index 0) plane 1 row 3 col 4:' out.txt || fail "compare --explain: $(cat out.txt)"
grep -q 'expected 0x0008 (8), the golden word' out.txt || fail "compare --explain: $(cat out.txt)"

# Hardening: bounded dumps, output checks, options anywhere, png -o guarded.
printf '@ffffffff\n0\n' >far.hex
expect 1 "" "$insp" compare --sim far.hex "${run[@]}"
grep -q 'address @ffffffff lies past the run.s last word @477' out.txt || fail "far address: $(cat out.txt)"
expect 2 "" timeout 20 "$insp" compare --sim /dev/zero "${run[@]}"
grep -q 'more data follows' out.txt || fail "/dev/zero: $(cat out.txt)"
expect 1 "" "$insp" compare "${run[@]}" --sim sim.dat --max 0
grep -q '^1 mismatching word' out.txt || fail "options after the run words: $(cat out.txt)"
expect 2 "" "$insp" compare --sim sim.dat "${run[@]}" --bogus
cp golden.dat keep.dat
expect 2 "" "$insp" png --frame 0 -o golden.dat "${run[@]}"
cmp -s golden.dat keep.dat || fail "png -o golden.dat changed it"
expect 2 "" "$insp" png --frame 0 -o c.kvf "${run[@]}"
expect 2 "" "$insp" png --frame 0 --rgb --diff sim.dat -o x.png "${run[@]}"
"$insp" hex golden.dat >/dev/full 2>/dev/null; [ $? = 2 ] || fail "hex >/dev/full did not fail"
"$insp" --help >/dev/full 2>/dev/null; [ $? = 2 ] || fail "--help >/dev/full did not fail"
"$insp" compare --sim sim.dat "${run[@]}" | true; st=${PIPESTATUS[0]}
[ "$st" = 1 ] || [ "$st" = 2 ] || fail "compare | true: exit $st"
expect 0 "" "$insp" compare --help
grep -q -- '--junit' out.txt || fail "compare --help: $(cat out.txt)"
expect 0 "" "$insp" hex --frame 2 --plane 1 --row 3 golden.dat "${run[@]}"
[ "$(sed -n 3p out.txt)" = 0008 ] || fail "hex slice: $(cat out.txt)"
printf '0\n00x9\n' >x.hex
expect 1 "" "$insp" compare --sim x.hex "${run[@]}"
grep -q 'got 00x9' out.txt || fail "x digits: $(cat out.txt)"
# Frames of 131072 words (three here) go through compare 65536 words at a
# time: a word with an x digit past the first block keeps its place, and
# only it differs.
mkdir -p big && printf 'frame_width=512\nframe_height=256\n' >big/b.kvf
(cd big && "$bin" b.kvf -d 1 >/dev/null) || fail "veldax-gen big/b.kvf -d 1"
"$insp" hex big/golden.dat | awk 'NR == 70001 { $0 = "x" substr($0, 2) } 1' >big/x.hex
expect 1 "" "$insp" compare --sim big/x.hex big/b.kvf -d 1
grep -q 'plane 0 row 136 col 368: expected 0x[0-9a-f]* got x' out.txt &&
    grep -q '^1 mismatching word in 1 of 3 frames' out.txt || fail "x digit past a block: $(cat out.txt)"
"$insp" hex golden.dat >g.hex
expect 0 "" "$insp" frames --file g.hex "${run[@]}"
cmp -s out.txt golden.frames || fail "frames of a text dump differ: $(diff out.txt golden.frames)"

# Verdicts at the edges: a dump a word or a byte off the run's length, or
# empty, is never identical (exit 1, and the length named).
python3 - <<'PY'
d = open('golden.dat', 'rb').read()
hexed = ['%04x\n' % (d[i] | d[i + 1] << 8) for i in range(0, len(d), 2)]
open('less1.dat', 'wb').write(d[:-2])
open('more1.dat', 'wb').write(d + d[:2])
open('odd1.dat', 'wb').write(d + b'x')
open('empty.dat', 'wb').write(b'')
open('less1.hex', 'w').write(''.join(hexed[:-1]))
open('more1.hex', 'w').write(''.join(hexed + ['0000\n']))
open('all.dat', 'wb').write(bytes(b ^ 1 for b in d))
# Frame 2, plane 1: chroma word 20 (row 3, col 4) 4 above, word 21 (col 6) 8 below.
w = bytearray(d)
for at, delta in ((576 + 2 * (72 + 20), 4), (576 + 2 * (72 + 21), -8)):
    v = w[at] | w[at + 1] << 8
    assert v + delta >= 0
    w[at:at + 2] = (v + delta).to_bytes(2, 'little')
open('signed.dat', 'wb').write(w)
PY
while read -r dump says; do
    expect 1 "" "$insp" compare --sim "$dump" "${run[@]}"
    ! grep -q '^identical' out.txt && grep -q "$says" out.txt || fail "$dump: $(cat out.txt)"
done <<'ROWS'
less1.dat ^less1.dat: ends after 1143 of 1144 words
more1.dat ^more1.dat: 1 word past the end of the golden data
odd1.dat ^odd1.dat: odd length, the last byte is half a word
empty.dat ^empty.dat: ends after 0 of 1144 words; the first missing word is frame 0 .* row 0 col 0$
less1.hex ^less1.hex: ends after 1143 of 1144 words
more1.hex holds a word past the run.s last
signed.dat ^frame 2 plane 1: 2 mismatches, first row 3 col 4, last row 3 col 6, largest difference -8 (got below expected)$
x.hex ^frame 0 plane 0: 1 mismatch, first row 0 col 1, last row 0 col 1, 1 with x or z digits$
ROWS
# --max N prints exactly N mismatch lines (every word of all.dat differs)
# and counts the rest; one summary line per plane of each of the 9 frames.
for n in 0 1 7 1143 1144 5000; do
    expect 1 "" "$insp" compare --max $n --sim all.dat "${run[@]}"
    want=$((n < 1144 ? n : 1144))
    [ "$(grep -c ': expected 0x' out.txt)" = $want ] || fail "--max $n: $(grep -c ': expected 0x' out.txt) lines"
    more=$(sed -n 's/^\.\.\. \([0-9]*\) more$/\1/p' out.txt)
    [ "${more:-0}" = $((1144 - want)) ] || fail "--max $n: '... $more more'"
    [ "$(grep -c '^frame [0-8] plane [0-2]: ' out.txt)" = 27 ] || fail "--max $n: not one summary per plane"
done
# hex of an odd-length file: every whole word, then a line and exit 2.
expect 2 "" "$insp" hex odd1.dat
[ "$(wc -l <out.txt)" = 1144 ] && grep -q 'odd1.dat: odd length' err.txt || fail "hex odd: $(wc -l <out.txt) lines, $(cat err.txt)"
# An endless FIFO as the dump: exit 2 with a line, in bounded time.
mkfifo endless.fifo
(cat /dev/zero >endless.fifo) 2>/dev/null &
writer=$!
expect 2 "" timeout 20 "$insp" compare --sim endless.fifo "${run[@]}"
grep -q 'endless.fifo: more data follows' out.txt || fail "FIFO: $(cat out.txt err.txt)"
kill "$writer" 2>/dev/null; wait "$writer" 2>/dev/null
# Output far past a pipe's buffer into a reader that quits: no SIGPIPE death.
"$insp" compare --max 5000 --sim all.dat "${run[@]}" 2>/dev/null | true; st=${PIPESTATUS[0]}
[ "$st" = 2 ] || fail "compare --max 5000 | true: exit $st"
# png -o naming an input through a hard link or a symbolic link is refused,
# the input intact.
ln golden.dat hard.png && ln -s c.kvf soft.png && ln -s sim.dat dsoft.png && cp sim.dat sim.keep
for args in "-o hard.png" "-o soft.png" "--diff sim.dat -o dsoft.png"; do
    expect 2 "" "$insp" png --frame 0 $args "${run[@]}"
    grep -q 'an input of the picture' err.txt || fail "png $args: $(cat err.txt)"
done
cmp -s golden.dat keep.dat && cmp -s sim.dat sim.keep && grep -q '^dmethod=intra' c.kvf || fail "png -o: an input changed"
# Options after the run words are taken, or refused with a line: one the
# command does not take, one given twice, one without its value.
expect 1 "" "$insp" compare --sim sim.dat "${run[@]}" --json after.json
[ -s after.json ] || fail "--json after the run words was not taken"
while read -r args; do
    expect 2 "" "$insp" $args
    [ -s err.txt ] || fail "$args: refused without a line"
done <<'ROWS'
compare --sim sim.dat c.kvf -d 4 --frame 2
compare --sim sim.dat c.kvf -d 4 --sim golden.dat
compare --sim sim.dat c.kvf -d 4 --max
png --frame 2 -o p.png c.kvf -d 4 --max 3
explain --frame 0 --plane 0 --row 1 --col 1 c.kvf -d 4 --sim sim.dat
hex golden.dat --json j.json
ROWS
# A -y run with per-frame sizes: every frame takes the sizes of frame index
# 0 (6x4, 4:2:2: 24 luma, 12 + 12 chroma words).  Word 5 of Cr in frame 2
# is row 1 (3 words a row), column 2 * 2 = 4.
printf '%s\n' num_plane=3 ycbcr422=1 frame_width=8 frame_height=6 dynamic=1 frmw_0=5 frmh_0=3 \
    frmw_1=3 frmh_1=1 frmw_2=7 frmh_2=5 >yd.kvf
head -c $((3 * 96)) /dev/urandom >yd.yuv
"$bin" --strict yd.kvf -y yd.yuv >gen.log 2>&1 || fail "veldax-gen -y dynamic: $(cat gen.log)"
python3 - <<'PY'
d = bytearray(open('golden.dat', 'rb').read())
d[2 * (2 * 48 + 24 + 12 + 5)] ^= 0x10
open('sim.dat', 'wb').write(d)
PY
expect 1 "" "$insp" compare --sim sim.dat yd.kvf -y yd.yuv
grep -q '^frame 2 (field 2, size index 0) plane 2 row 1 col 4: ' out.txt || fail "-y dynamic: $(cat out.txt)"
verilog_agrees "yd.kvf -y yd.yuv" -DVELDAX_FIXED_SIZE
# A core running another method: the dump is the golden data of bobo, the
# parameter file says intra (random fields: most words differ).
mkdir other && sed 's/^dmethod=intra$/dmethod=bobo/' c.kvf >other/o.kvf
(cd other && "$bin" o.kvf -g 4 >gen.log) || fail "veldax-gen bobo: $(cat other/gen.log)"
expect 1 "" "$insp" compare --sim other/golden.dat c.kvf -g 4
grep -q '^the dump matches the golden data of dmethod=bobo, not intra' out.txt || fail "method hint: $(cat out.txt)"

[ "$failures" = 0 ] || exit 1
echo "PASS"
