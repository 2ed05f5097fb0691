#!/usr/bin/env bash
# veldax_head read by the C preprocessor: the macros expand to the configured
# values, and the optional ones are defined when their options are set.
# Usage: emit_cpp.sh VELDAX_GEN
set -u
source "$(dirname "$0")/lib.sh" "$1" cpp
printf '%s\n' ModuleName=abc Family=quorvixkap3 num_plane=3 frame_width=1024 frame_height=5 \
    parallel=1 dwidth=10 fconvert=1 >cfg.kvf
"$bin" cfg.kvf -d 1 >run.log 2>&1 || { echo "FAIL: veldax-gen"; cat run.log; exit 1; }
printf '%s\n' '#include "veldax_head"' 'VELDAX_USERNAME_tb VELDAX_u1_USERNAME_top VELDAX_DEINTERLACER_NAME' \
    'VELDAX_MAXFWIDTH VELDAX_FXWIDTH VELDAX_FYWIDTH VELDAX_DPWIDTH VELDAX_PARALLEL VELDAX_DYNAMIC' \
    'VELDAX_DEVICE VELDAX_GOLDEN' '#if defined(VELDAX_OCLK) && !defined(VELDAX_DYNAMIC_PORTS)' 'options as set' \
    '#endif' >use.txt
got=$(cpp -P use.txt | tr -s ' \n' ' ')
# 1024 needs 10 bits, 5 needs 3; a parallel port carries 3 samples of 10.
want='abc_tb u1_abc_top "abc" 1024 10 3 30 "TRUE" "FALSE" DEVICE_KAP3 "golden_abc.dat" options as set '
[ "$got" = "$want" ] || { echo "FAIL: got '$got'"; cat veldax_head; exit 1; }
