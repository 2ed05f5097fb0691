#!/usr/bin/env bash
# veldax-inspect on a 1080-line 4:2:2 run of 20 frames: time and peak RSS of
# compare (binary and text dumps) and png against generating the same run
# plus cmp of the two files, and against the size of a golden frame.
#
# Usage: bench/inspect_bench.sh [BUILD]   (default build/)
# Prints one line per step and last the ratios with their targets:
#   compare_bin_time_ratio  compare of a binary dump / (veldax-gen + cmp)   <= 1.5
#   compare_text_time_ratio compare of a %04x text dump / (veldax-gen + cmp) <= 3
#   *_rss_ratio             peak RSS / (4 golden frames + 32 MiB)           <= 1
#                           (compare_beside_golden: with the run's golden.dat
#                           in the folder, which compare checks on the way)
#   *_rss_over_gen          peak RSS / veldax-gen's own peak RSS (the model's buffers)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
gen=$build/veldax-gen insp=$build/inspect/veldax-inspect
for t in "$gen" "$insp" /usr/bin/time; do [[ -x $t ]] || { echo "no $t" >&2; exit 1; }; done
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed" >&2; exit 1; }
work=$(mktemp -d /tmp/veldax-inspect-bench.XXXXXX); trap 'rm -rf "$work"' EXIT
cd "$work"
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25" \
    -frames:v 20 -pix_fmt yuv422p -f rawvideo seq.yuv
kvf=$here/e2e_inter_422_1080.kvf
run=("$kvf" -y seq.yuv)

declare -A wall rss
# step NAME COMMAND...: wall seconds and peak RSS (KiB) of one run.
step() {
    local name=$1; shift
    /usr/bin/time -f "%e %M" -o usage "$@" >/dev/null 2>step.err || [[ $? -le 1 ]] ||
        { echo "$name failed: $(cat step.err)" >&2; exit 1; }
    read -r wall[$name] rss[$name] < <(tail -n 1 usage)
    printf '%-14s %6.2f s %8d KiB\n' "$name" "${wall[$name]}" "${rss[$name]}"
}
step gen "$gen" "${run[@]}"
python3 - <<'PY'
import os
d = bytearray(open('golden.dat', 'rb').read())
d[len(d) // 2] ^= 1
open('dut.dat', 'wb').write(d)
PY
"$insp" hex dut.dat >dut.hex
rm golden.dat  # compare computes the golden data itself
"$gen" "${run[@]}" >/dev/null && cp golden.dat ref.dat && rm golden.dat
step cmp cmp ref.dat dut.dat
step compare_bin "$insp" compare --sim dut.dat "${run[@]}"
step compare_text "$insp" compare --sim dut.hex "${run[@]}"
step png "$insp" png --frame 10 -o f10.png "${run[@]}"
# As a bench folder usually is: the run's golden.dat beside, checked on the way.
cp ref.dat golden.dat
step compare_beside "$insp" compare --sim dut.dat "${run[@]}"
rm golden.dat
frame_bytes=$((1920 * 1080 * 2 * 2))
awk -v g="${wall[gen]}" -v c="${wall[cmp]}" -v b="${wall[compare_bin]}" -v t="${wall[compare_text]}" \
    -v rb="${rss[compare_bin]}" -v rt="${rss[compare_text]}" -v rp="${rss[png]}" -v rg="${rss[gen]}" \
    -v rs="${rss[compare_beside]}" \
    -v f="$frame_bytes" 'BEGIN {
    base = g + c; budget = (4 * f + 32 * 1048576) / 1024
    printf "compare_bin_time_ratio=%.2f (<= 1.5) compare_text_time_ratio=%.2f (<= 3)\n", b / base, t / base
    printf "compare_bin_rss_ratio=%.2f compare_text_rss_ratio=%.2f png_rss_ratio=%.2f compare_beside_golden_rss_ratio=%.2f (<= 1: 4 frames + 32 MiB = %d KiB)\n", rb / budget, rt / budget, rp / budget, rs / budget, budget
    printf "compare_bin_rss_over_gen=%.2f png_rss_over_gen=%.2f\n", rb / rg, rp / rg }'
