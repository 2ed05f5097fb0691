#!/usr/bin/env bash
# params.v read by a Verilog simulator: the parameters elaborate to the values
# the configuration gives.  Usage: emit_iverilog.sh VELDAX_GEN
set -u
source "$(dirname "$0")/lib.sh" "$1" iverilog vvp
printf '%s\n' ModuleName=abc Family=quorvixkap3 num_plane=3 frame_width=10 frame_height=6 \
    dmethod=inter dwidth=10 dbus_width=32 rdfifo_type=Distributed base_addr=100 >cfg.kvf
"$bin" cfg.kvf -d 1 >run.log 2>&1 || { echo "FAIL: veldax-gen"; cat run.log; exit 1; }
printf '%s\n' 'module show;' '`include "params.v"' 'initial $display("%0d %0d %0s %0s %0d %0d %0d %0s",' \
    '  NUM_PLANE, MAXFHEIGHT, DMETHOD, RDFIFO_TYPE, BASE_ADDR, MEM_DEPTH, ABUS_WIDTH, FAMILY);' 'endmodule' >show.v
iverilog -o show.vvp show.v >iv.log 2>&1 || { echo "FAIL: iverilog rejected params.v"; cat iv.log; exit 1; }
# 3 planes of 10 bits on a 32-bit bus: 30 samples a line -> 2 half-requests of
# 6 words = 48 bytes; 144 a field, six fields 864; base 0x100 -> 1120 -> 11 bits.
got=$(vvp -n show.vvp)
[ "$got" = '3 6 INTER LUT 256 864 11 KAP3' ] || { echo "FAIL: got '$got'"; cat params.v; exit 1; }
