#!/usr/bin/env bash
# params.v as Icarus Verilog reads it: every parameter elaborates to the value
# written in the file, and the values follow the parameter file.
# Usage: emit_iverilog.sh VELDAX_GEN
set -u
bin=$1

missing() {
    if [ "${VELDAX_REQUIRE_INTEROP:-0}" = 1 ]; then
        echo "FAIL: $1 not found"
        exit 1
    fi
    echo "SKIP: $1 not found"
    exit 77
}
command -v iverilog >/dev/null 2>&1 || missing iverilog
command -v vvp >/dev/null 2>&1 || missing vvp

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

cat >cfg.kvf <<'KVF'
ModuleName=abc
Family=quorvixkap3
num_plane=3
frame_width=10
frame_height=6
dmethod=inter
dwidth=10
dbus_width=32
rdfifo_depth=32
rdfifo_type=Distributed
base_addr=100
KVF

if ! "$bin" cfg.kvf -d 1 >run.log 2>&1; then
    echo "FAIL: veldax-gen -d 1 failed"; cat run.log; exit 1
fi
[ -f params.v ] || { echo "FAIL: no params.v"; exit 1; }

# One $display per parameter line of the file, in the file's order.
{
    echo 'module show;'
    echo '`include "params.v"'
    echo 'initial begin'
    sed -n 's/^parameter \([A-Z0-9_]*\) *= *\(.*\);$/\1/p' params.v | while read -r name; do
        if grep -q "^parameter $name *= *\"" params.v; then
            echo "  \$display(\"$name=\\\"%0s\\\"\", $name);"
        else
            echo "  \$display(\"$name=%0d\", $name);"
        fi
    done
    echo '  $finish;'
    echo 'end'
    echo 'endmodule'
} >show.v

if ! iverilog -g2005 -o show.vvp show.v >iverilog.log 2>&1; then
    echo "FAIL: iverilog rejected params.v"; cat iverilog.log; cat params.v; exit 1
fi
vvp -n show.vvp | grep '=' >shown.txt

# What the file says, in the same form.
sed -n 's/^parameter \([A-Z0-9_]*\) *= *\(.*\);$/\1=\2/p' params.v >written.txt
status=0
if [ "$(wc -l <written.txt)" -ne 42 ]; then
    echo "FAIL: expected 42 parameters, found $(wc -l <written.txt)"; status=1
fi
if ! diff -u written.txt shown.txt; then
    echo "FAIL: simulator values differ from the file"; status=1
fi

# The configuration as the parameter file gives it.  Memory: 3 planes of
# 10 bits on a 32-bit bus (3 samples a word, 4 bytes), 30 samples a line ->
# 2 half-requests of 6 words = 48 bytes; 144 a field, six fields = 864;
# base 0x100 -> 1120 -> 11 address bits.
expect() {
    if ! grep -qx "$1" shown.txt; then
        echo "FAIL: expected $1, got: $(grep "^${1%%=*}=" shown.txt)"; status=1
    fi
}
expect 'NUM_PLANE=3'
expect 'DWIDTH=10'
expect 'MAXFWIDTH=10'
expect 'MAXFHEIGHT=6'
expect 'DMETHOD="INTER"'
expect 'DBUS_WIDTH=32'
expect 'RDFIFO_DEPTH=32'
expect 'RDFIFO_TYPE="LUT"'
expect 'WRFIFO_TYPE="EBR"'
expect 'BASE_ADDR=256'
expect 'FAMILY="KAP3"'
expect 'MEM_DEPTH=864'
expect 'ABUS_WIDTH=11'
expect 'FRMWIDTH_2=9'
expect 'FRMHEIGHT_0=5'
exit $status
