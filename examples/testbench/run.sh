#!/usr/bin/env bash
# Runs the example bench: veldax-gen writes the data for bench.kvf (four
# random fields), the simulator runs tb.v with the pass-through DUT, and
# veldax-inspect compares the DUT's dump with golden.dat.
#
# Usage: run.sh iverilog|verilator [OUT_DIR]
#   OUT_DIR            where the files go (default: bench-out in the current
#                      folder, or a new folder under ${TMPDIR:-/tmp} when the
#                      current folder lies inside the folder that holds the
#                      examples, which is left clean; said on the first line)
#   FAULT_WORD=N       plant a fault: flip bit FAULT_BIT (default 0) of word N
#   VELDAX_GEN, VELDAX_INSPECT   the programs (default: found on PATH)
# Exit status: 0 PASS, 1 FAIL, 2 a tool failed.
set -u
sim=${1:-}
here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "$here/../.." && pwd)
case $sim in iverilog | verilator) ;; *)
    echo "usage: run.sh iverilog|verilator [OUT_DIR]" >&2
    exit 2
    ;;
esac
if [ -n "${2:-}" ]; then
    out=$2
else
    case $(pwd -P)/ in
    "$(cd "$tree" && pwd -P)"/*) out=$(mktemp -d "${TMPDIR:-/tmp}/veldax-bench.XXXXXX") || exit 2 ;;
    *) out=bench-out ;;
    esac
fi
echo "run.sh: the bench's files are in $(mkdir -p "$out" && cd "$out" && pwd)"
include=${VELDAX_INCLUDE:-$here/../../verilog}
gen=${VELDAX_GEN:-veldax-gen}
insp=${VELDAX_INSPECT:-veldax-inspect}
fault=(-DVELDAX_FAULT_WORD=${FAULT_WORD:--1} -DVELDAX_FAULT_BIT=${FAULT_BIT:-0})
mkdir -p "$out" && cd "$out" || exit 2
"$gen" --strict "$here/bench.kvf" -g 4 >gen.log 2>&1 || { cat gen.log; exit 2; }
case $sim in
iverilog)
    iverilog -g2005 -I . -I "$include" "${fault[@]}" -o bench.vvp "$here/tb.v" "$here/passthrough.v" ||
        exit 2
    vvp -n bench.vvp | grep -v '\$finish' | tee sim.log
    ;;
verilator)
    verilator --binary --timing -Wno-fatal -Wno-lint -Wno-style -I. -I"$include" "${fault[@]}" \
        --top-module veldax_tb -o bench "$here/tb.v" "$here/passthrough.v" >build.log 2>&1 ||
        { cat build.log; exit 2; }
    ./obj_dir/bench | grep -v '\$finish' | tee sim.log
    ;;
esac
echo "veldax-inspect compare:"
"$insp" compare --sim dut_out.hex "$here/bench.kvf" -g 4
status=$?
[ $status -le 1 ] || exit 2
grep -q '^PASS' sim.log && [ $status = 0 ] && exit 0
exit 1
