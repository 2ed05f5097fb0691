#!/usr/bin/env bash
# The example bench under a simulator: PASS with the pass-through DUT; with a
# flipped bit the bench and "veldax-inspect compare" name the same position,
# the bench with the clock it saw it at.  Under iverilog the README's
# walkthrough runs as written and run.sh leaves the source tree clean; under
# Verilator the include passes "verilator --lint-only -Wall".
# Usage: testbench.sh SIMULATOR VELDAX_GEN VELDAX_INSPECT
set -u
sim=$1
case $3 in /*) insp=$3 ;; *) insp=$PWD/$3 ;; esac
tools=(iverilog vvp); [ "$sim" = verilator ] && tools=(verilator make)
bench=$(cd "$(dirname "$0")/../../examples/testbench" && pwd)
source "$(dirname "$0")/lib.sh" "$2" "${tools[@]}"
export VELDAX_GEN=$bin VELDAX_INSPECT=$insp

"$bench/run.sh" "$sim" good >good.log 2>&1
rc=$?
[ $rc = 0 ] || fail "correct DUT: exit $rc: $(cat good.log)"
grep -q '^PASS: 3648 words in 4 frames$' good.log || fail "correct DUT: no PASS: $(cat good.log)"
grep -q '^identical: 3648 words in 4 frames$' good.log || fail "correct DUT: compare: $(cat good.log)"

# Word 1400 is word 376 of frame 1 (24x12, 4:2:2): past 288 luma words,
# chroma word 88 of plane 1 = row 7 (starting at word 84), column 8.
FAULT_WORD=1400 FAULT_BIT=3 "$bench/run.sh" "$sim" bad >bad.log 2>&1
rc=$?
[ $rc = 1 ] || fail "planted fault: exit $rc: $(cat bad.log)"
want='frame 1 (field 1, size index 1) plane 1 row 7 col 8: expected'
# Two lines (the bench's, then compare's), and the same line.  Stimulus word
# k is driven at the falling edge 10(k+1) ns, the DUT registers it at the
# next rising edge and the bench checks it one rising edge later: word 1400
# at 14025 ns.
grep -q "^$want 0x.... got 0x.... (time 14025 ns)$" bad.log ||
    fail "planted fault: the bench's line lacks '(time 14025 ns)': $(cat bad.log)"
grep -q "^$want 0x.... got 0x....$" bad.log || fail "planted fault: compare's line missing: $(cat bad.log)"
[ "$(grep "^$want" bad.log | sed 's/ (time [0-9]* ns)$//' | sort -u | wc -l)" = 1 ] ||
    fail "planted fault: the bench and compare disagree: $(cat bad.log)"
grep -q '^FAIL: 1 mismatching words' bad.log || fail "planted fault: no FAIL line: $(cat bad.log)"

if [ "$sim" = verilator ]; then
    # The include under -Wall, in a bench using the names benches use (any
    # warning naming the include fails; params.v's unused parameters are the
    # bench's business).
    mkdir lint && cp good/params.v lint/ && cd lint || exit 1
    cat >lint_top.v <<'EOF_V'
module lint_top (input wire clk, input wire [15:0] got, output reg [31:0] errors);
`include "params.v"
`include "veldax_words.vh"
    integer golden_fd, total, i, n, s, w, fd, frame, plane, row, col;
    reg [15:0] word;
    reg ok;
    initial begin
        golden_fd = $fopen("golden.dat", "rb");
        total = veldax_total_words(0);
        veldax_read_word(golden_fd, word, ok);
        {i, n, s, w, fd, frame, plane, row, col} = {9{total}};
        if (ok) $display("%h %0d", word, i + n + s + w + fd + frame + plane + row + col);
    end
    always @(posedge clk) begin
        veldax_check_next(golden_fd, got);
        if (veldax_checked == total) veldax_report(total);
        errors <= veldax_errors;
    end
endmodule
EOF_V
    verilator --lint-only -Wall -Wno-UNUSEDPARAM -I. -I"$bench/../../verilog" lint_top.v >lint.log 2>&1 ||
        fail "verilator --lint-only -Wall: $(cat lint.log)"
    cd .. || exit 1
else
    # run.sh from inside the source tree writes under $TMPDIR and says where.
    mkdir tmp
    (export TMPDIR=$PWD/tmp && cd "$bench" && "$bench/run.sh" "$sim") >tree.log 2>&1 ||
        fail "run.sh without a folder: $(cat tree.log)"
    dir=$(sed -n '1s/^run.sh: the bench.s files are in //p' tree.log)
    case $dir in "$PWD"/tmp/veldax-bench.*) ;; *) fail "run.sh did not say it writes under TMPDIR: $(head -1 tree.log)" ;; esac
    [ -f "$dir/sim.log" ] || fail "run.sh: no sim.log in $dir"
    [ ! -e "$bench/bench-out" ] && [ ! -e "$bench/stimulus.dat" ] || fail "run.sh wrote into the source tree"
    # The README's walkthrough as written, after its own set-up.
    mkdir walk && cp "$bench/bench.kvf" walk/core.kvf && cp "$bench/passthrough.v" walk/core.v &&
        cp "$bench/tb.v" walk/tb.v || exit 1
    readme=$bench/../../README.md
    sed -n '/^## Verifying a core/,/^## /p' "$readme" | sed -n '/^```$/,/^```$/p' | sed '1d' |
        sed '/^```$/,$d' | sed "s#/usr/local/share/veldax/verilog#$bench/../../verilog#" >walk/steps.sh
    grep -q -- '^veldax-gen --strict ' walk/steps.sh || fail "README walkthrough: no 'veldax-gen --strict': $(cat walk/steps.sh)"
    (cd walk && PATH=$(dirname "$bin"):$(dirname "$insp"):$PATH bash -e steps.sh) >walk.log 2>&1 ||
        fail "README walkthrough: $(cat walk/steps.sh walk.log)"
    grep -q '^PASS: ' walk.log && grep -q '^identical: ' walk.log && [ -s walk/diff.png ] ||
        fail "README walkthrough: $(cat walk.log)"
fi

[ "$failures" = 0 ] || exit 1
echo "PASS"
