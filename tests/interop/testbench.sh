#!/usr/bin/env bash
# The example bench under a simulator: PASS with the pass-through DUT; with a
# flipped bit the bench and "veldax-inspect compare" name the same position.
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
# Two lines (the bench's, then compare's), and the same line.
[ "$(grep -c "^$want 0x.... got 0x....$" bad.log)" = 2 ] ||
    fail "planted fault: expected the bench and compare to print '$want ...': $(cat bad.log)"
[ "$(grep "^$want" bad.log | sort -u | wc -l)" = 1 ] || fail "planted fault: the bench and compare disagree: $(cat bad.log)"
grep -q '^FAIL: 1 mismatching words' bad.log || fail "planted fault: no FAIL line: $(cat bad.log)"

[ "$failures" = 0 ] || exit 1
echo "PASS"
