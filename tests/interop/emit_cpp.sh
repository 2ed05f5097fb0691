#!/usr/bin/env bash
# veldax_head as the C preprocessor reads it: the macros expand to the
# configured names and values, and the optional macros are defined exactly
# when their options are set.
# Usage: emit_cpp.sh VELDAX_GEN
set -u
bin=$1

if ! command -v cpp >/dev/null 2>&1; then
    if [ "${VELDAX_REQUIRE_INTEROP:-0}" = 1 ]; then echo "FAIL: cpp not found"; exit 1; fi
    echo "SKIP: cpp not found"; exit 77
fi

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

cat >cfg.kvf <<'KVF'
ModuleName=abc
Family=quorvixkap3
num_plane=3
frame_width=1024
frame_height=5
parallel=1
dwidth=10
fconvert=1
resync=1
KVF

if ! "$bin" cfg.kvf -d 1 >run.log 2>&1; then
    echo "FAIL: veldax-gen -d 1 failed"; cat run.log; exit 1
fi
[ -f veldax_head ] || { echo "FAIL: no veldax_head"; exit 1; }

cat >use.txt <<'IN'
#include "veldax_head"
module VELDAX_USERNAME_tb;
VELDAX_USERNAME VELDAX_u1_USERNAME;
VELDAX_USERNAME_top VELDAX_u1_USERNAME_top;
name VELDAX_DEINTERLACER_NAME
planes VELDAX_NUM_PLANE width VELDAX_DWIDTH
frame VELDAX_MAXFWIDTH VELDAX_MAXFHEIGHT
coords VELDAX_FXWIDTH VELDAX_FYWIDTH port VELDAX_DPWIDTH
parallel VELDAX_PARALLEL fconvert VELDAX_FCONVERT dynamic VELDAX_DYNAMIC
family VELDAX_FAMILY device VELDAX_DEVICE
files VELDAX_STIMULUS VELDAX_GOLDEN
#ifdef VELDAX_OCLK
oclk yes
#endif
#ifdef VELDAX_RESYNC
resync yes
#endif
#if defined(VELDAX_PCLK) || defined(VELDAX_DYNAMIC_PORTS) || defined(VELDAX_PORTSR) || defined(VELDAX_FRMPORTS)
unexpected option
#endif
IN

cat >expected.txt <<'OUT'
module abc_tb;
abc u1_abc;
abc_top u1_abc_top;
name "abc"
planes 3 width 10
frame 1024 5
coords 10 3 port 30
parallel "TRUE" fconvert "TRUE" dynamic "FALSE"
family "KAP3" device DEVICE_KAP3
files "stimulus_abc.dat" "golden_abc.dat"
oclk yes
resync yes
OUT

if ! cpp -P use.txt >got.raw 2>cpp.log; then
    echo "FAIL: cpp rejected veldax_head"; cat cpp.log; cat veldax_head; exit 1
fi
grep -v '^[[:space:]]*$' got.raw >got.txt
if ! diff -u expected.txt got.txt; then
    echo "FAIL: macros expand differently"; cat veldax_head; exit 1
fi
exit 0
