#!/usr/bin/env bash
# End-to-end cost of veldax-gen on one thread against a byte-based
# deinterlacer (ffmpeg's yadif, one thread) and against the write floor (cat
# of veldax-gen's own output files into fresh files).
#
# Usage: bench/e2e.sh [VELDAX_GEN] [RUNS]
#   VELDAX_GEN  the program (default build/veldax-gen), RUNS >= 5 (default 5)
#   E2E_DIR     work folder (default: a fresh one under /tmp, removed at the end)
#   VELDAX_BENCH  the Google Benchmark program (default: veldax_bench beside
#               VELDAX_GEN, if there): its 1080p plane rows are run too and
#               each kernel is printed as a multiple of a memcpy of the plane
#
# Makes 20 frames of 1920x1080 yuv422p with ffmpeg, then alternates RUNS times:
#   gen_y      veldax-gen bench/e2e_inter_422_1080.kvf -y seq.yuv
#   yadif      ffmpeg -threads 1 -filter_threads 1 ... -vf yadif, same file
#   floor      cat of gen_y's stimulus.dat, golden.dat, golden.yuv into fresh files
#   gen_g10    veldax-gen bench/e2e_intra_422_1080.kvf -g 10
#   gen_weave  gen_y with dmethod=weave: the same reading and writing, no row rebuilt
# and prints the median wall time of each, the peak RSS of the veldax-gen runs,
# and last `ratio_vs_yadif=X.XX ratio_vs_write_floor=Y.YY peak_rss_ratio=Z.ZZ`
# (peak RSS of gen_y against the bytes its buffers need), then
# `weave_ratio_vs_write_floor`: what the run costs beyond the floor before any
# row is rebuilt.
# With perf on the PATH (and E2E_PROFILE not 0) gen_y and gen_g10 are then
# profiled, three runs each, and their samples printed by where the time goes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
gen=$(realpath "${1:-$here/../build/veldax-gen}")
runs=${2:-5}
(( runs >= 5 )) || { echo "RUNS must be at least 5" >&2; exit 1; }
[[ -x $gen ]] || { echo "no program at $gen" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is needed" >&2; exit 1; }

W=1920 H=1080 FRAMES=20
if [[ -n ${E2E_DIR:-} ]]; then work=$E2E_DIR; mkdir -p "$work"; else
    work=$(mktemp -d /tmp/veldax-e2e.XXXXXX); trap 'rm -rf "$work"' EXIT; fi
mkdir -p "$work/gen_y" "$work/gen_g10" "$work/gen_weave" "$work/yadif" "$work/floor"
seq_file=$work/seq.yuv
ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi \
    -i "testsrc2=size=${W}x${H}:rate=25" -frames:v $FRAMES -pix_fmt yuv422p \
    -f rawvideo "$seq_file"

inter_kvf=$here/e2e_inter_422_1080.kvf
intra_kvf=$here/e2e_intra_422_1080.kvf
weave_kvf=$work/e2e_weave_422_1080.kvf
sed 's/^dmethod=.*/dmethod=weave/' "$inter_kvf" > "$weave_kvf"
outputs=(stimulus.dat golden.dat golden.yuv)

now() { echo "${EPOCHREALTIME/,/.}"; }
declare -A times
rss_y=() rss_g=()

# Runs "$@" in folder $2 under /usr/bin/time; appends the wall seconds to
# times[$1], the CPU seconds (user + system) to cpu[$1], and leaves the peak
# RSS (KiB) in $rss.  On a busy machine the CPU figures are the steadier ones.
declare -A cpu
timed() {
    local name=$1 dir=$2; shift 2
    local t0 t1 u s
    t0=$(now)
    (cd "$dir" && /usr/bin/time -f "%M %U %S" -o "$work/usage" "$@" >/dev/null)
    t1=$(now)
    times[$name]+="$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b-a}') "
    read -r rss u s < "$work/usage"
    cpu[$name]+="$(awk -v a="$u" -v b="$s" 'BEGIN{printf "%.2f", a+b}') "
}

for ((r = 1; r <= runs; ++r)); do
    rm -f "$work"/gen_y/* ; timed gen_y "$work/gen_y" "$gen" "$inter_kvf" -y "$seq_file"
    rss_y+=("$rss")
    rm -f "$work"/yadif/*
    timed yadif "$work/yadif" ffmpeg -nostdin -hide_banner -loglevel error -threads 1 \
        -filter_threads 1 -f rawvideo -pix_fmt yuv422p -video_size ${W}x${H} -framerate 25 \
        -i "$seq_file" -vf yadif -threads 1 -f rawvideo -y out.yuv
    rm -f "$work"/floor/*
    timed floor "$work/floor" sh -c 'for f in "$@"; do cat "../gen_y/$f" > "$f"; done' sh \
        "${outputs[@]}"
    rm -f "$work"/gen_g10/* ; timed gen_g10 "$work/gen_g10" "$gen" "$intra_kvf" -g 10
    rss_g+=("$rss")
    rm -f "$work"/gen_weave/* ; timed gen_weave "$work/gen_weave" "$gen" "$weave_kvf" -y "$seq_file"
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END{print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
max_of() { printf '%s\n' "$@" | sort -g | tail -1; }

bytes_written=$(cat "${outputs[@]/#/$work/gen_y/}" | wc -c)
# Field buffers (2 buffers x 3 planes, one row above and below, two columns
# each side; the chroma planes a sample a pair of columns, (W+1)/2 wide) and
# the golden frame (3 planes, the same widths) of 16-bit samples, one motion
# row of 32-bit values, and the two blocks kept from frame to frame: the
# 16-bit words on their way to a file (a block of at most 2^18) and the bytes
# of a 4:2:2 input frame (2*W*H).  The program itself, with no buffer to
# speak of, takes some 2 MB more (tiny_rss below).
CW=$(( (W + 1) / 2 ))
words_block=$(( W*H < 262144 ? W*H : 262144 ))
buffer_bytes=$(( (2*(H+2)*((W+4) + 2*(CW+4)) + H*(W + 2*CW)) * 2 + W*4 + words_block*2 + 2*W*H ))
m_y=$(echo "${times[gen_y]}" | median)
m_yadif=$(echo "${times[yadif]}" | median)
m_floor=$(echo "${times[floor]}" | median)
m_g=$(echo "${times[gen_g10]}" | median)
m_w=$(echo "${times[gen_weave]}" | median)
peak_y=$(max_of "${rss_y[@]}")
peak_g=$(max_of "${rss_g[@]}")
yadif_bytes=$(stat -c %s "$work/yadif/out.yuv")

for n in gen_y yadif floor gen_g10 gen_weave; do echo "runs $n: wall ${times[$n]}| cpu ${cpu[$n]}"; done
echo "bytes: gen_y writes $bytes_written, yadif $yadif_bytes; buffers need $buffer_bytes"
printf 'Family=quorvixkap4\nModuleName=tiny\nframe_width=8\nframe_height=4\n' > "$work/tiny.kvf"
mkdir -p "$work/tiny"
(cd "$work/tiny" && /usr/bin/time -f "%M" -o "$work/usage" "$gen" "$work/tiny.kvf" -g 3 >/dev/null)
tiny_rss=$(cat "$work/usage")
echo "peak RSS KiB: gen_y $peak_y, gen_g10 $peak_g (peak_rss_mb gen_y=$(( peak_y / 1024 ))), tiny_rss $tiny_rss"
c_y=$(echo "${cpu[gen_y]}" | median)
c_yadif=$(echo "${cpu[yadif]}" | median)
c_floor=$(echo "${cpu[floor]}" | median)
c_g=$(echo "${cpu[gen_g10]}" | median)
echo "median_cpu_s gen_y=$c_y yadif=$c_yadif write_floor=$c_floor gen_g10=$c_g"
awk -v y="$c_y" -v d="$c_yadif" -v f="$c_floor" \
    'BEGIN{printf "cpu_ratio_vs_yadif=%.2f cpu_ratio_vs_write_floor=%.2f\n", y/d, y/f}'
echo "median_s gen_y=$m_y yadif=$m_yadif write_floor=$m_floor gen_g10=$m_g gen_weave=$m_w"
awk -v y="$m_y" -v d="$m_yadif" -v f="$m_floor" -v r="$peak_y" -v b="$buffer_bytes" \
    'BEGIN{printf "ratio_vs_yadif=%.2f ratio_vs_write_floor=%.2f peak_rss_ratio=%.2f\n", y/d, y/f, r*1024/b}'
awk -v w="$m_w" -v f="$m_floor" 'BEGIN{printf "weave_ratio_vs_write_floor=%.2f\n", w/f}'
# The same peak less what the program takes with no buffer to speak of.
awk -v r="$peak_y" -v t="$tiny_rss" -v b="$buffer_bytes" \
    'BEGIN{printf "peak_rss_ratio_beyond_tiny_run=%.2f\n", (r-t)*1024/b}'

# Where the time of a run goes: perf samples of three runs, grouped by the
# symbol they fell in (the kernel's copies into and out of the page cache,
# its clearing of pages touched for the first time, the rest of its file and
# memory work; the row kernels, and the program's own reading, converting
# and writing).
profile() {
    local name=$1 dir=$2; shift 2
    local data=$work/$name.perf
    (cd "$dir" && perf record -q -o "$data" -- sh -c \
        'for i in 1 2 3; do rm -f ./*.dat ./*.yuv; "$@" >/dev/null; done' sh "$@" >/dev/null 2>&1) ||
        { echo "profile $name: perf record failed"; return; }
    perf report -i "$data" --comm "$(basename "$gen")" --no-children --stdio --sort sym \
        --percentage relative 2>/dev/null |
        awk -v name="$name" '
            $1 ~ /%$/ && ($2 == "[k]" || $2 == "[.]") {
                share = $1; sub(/%/, "", share); sym = $0; sub(/^[^]]*] /, "", sym)
                if ($2 == "[k]") {
                    if (sym ~ /copy_folio_from_iter/) g = "kernel: copy into the page cache (write)"
                    else if (sym ~ /copy_to_iter|copy_page_to_iter|filemap_/) g = "kernel: copy out of the page cache (read)"
                    else if (sym ~ /clear_page|folio_zero/) g = "kernel: clearing pages touched the first time"
                    else g = "kernel: the rest (file system, faults, calls)"
                } else if (sym ~ /read_yuv|random|synthetic|ramp/) g = "program: reading or making the stimulus"
                else if (sym ~ /lanes::|_kernel|bob_|even_columns|unpair/) g = "program: row kernels"
                else if (sym ~ /interpolate_frame|fill_borders|memmove|memcpy/) g = "program: kept rows and borders"
                else if (sym ~ /write|gather|words/) g = "program: writing the data files"
                else g = "program: the rest"
                t[g] += share
            }
            END { for (g in t) printf "profile %s: %5.1f%% %s\n", name, t[g], g }' | sort -t: -k2 -r
}
if [[ ${E2E_PROFILE:-1} != 0 ]] && command -v perf >/dev/null; then
    profile gen_y "$work/gen_y" "$gen" "$inter_kvf" -y "$seq_file"
    profile gen_g10 "$work/gen_g10" "$gen" "$intra_kvf" -g 10
fi

# The kernels per 1080p plane against a memcpy of the same samples (Google
# Benchmark CPU times, the kernel variant the program would pick: the last
# one listed).
bench=${VELDAX_BENCH:-$(dirname "$gen")/bench/veldax_bench}
if [[ -x $bench ]]; then
    "$bench" --benchmark_filter='^plane/' --benchmark_repetitions=3 \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
        awk -F, '/_median"?,/ { n=$1; gsub(/"/, "", n); sub(/_median$/, "", n); t[n]=$4; order[++k]=n }
            END {
                m = t["plane/memcpy"]
                for (i = 1; i <= k; ++i) printf "%s cpu_ns=%.0f x_memcpy=%.2f\n", order[i], t[order[i]], t[order[i]] / m
            }'
else
    echo "no benchmark program at $bench (build with -DVELDAX_BENCH=ON)"
fi
