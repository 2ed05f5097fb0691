#!/usr/bin/env bash
# `cmake --install` into a scratch prefix: the programs, the manual pages, the
# Verilog include and the example bench, which runs from there with the
# installed programs.  Usage: install.sh VELDAX_GEN BUILD_DIR
set -u
build=$2
source "$(dirname "$0")/lib.sh" "$1" cmake iverilog vvp man
cmake --install "$build" --prefix "$work/prefix" >install.log 2>&1 || { echo "FAIL: install: $(cat install.log)"; exit 1; }
p=$work/prefix
for f in bin/veldax-gen bin/veldax-inspect share/veldax/verilog/veldax_words.vh \
    share/veldax/examples/default.kvf share/veldax/examples/testbench/tb.v \
    share/man/man1/veldax-gen.1 share/man/man1/veldax-inspect.1 share/man/man5/veldax-formats.5; do
    [ -f "$p/$f" ] || fail "$f not installed"
done
[ -x "$p/share/veldax/examples/testbench/run.sh" ] || fail "run.sh not executable"
for page in man1/veldax-gen.1 man1/veldax-inspect.1 man5/veldax-formats.5; do
    out=$(MANWIDTH=80 man -l "$p/share/man/$page" 2>&1) || fail "man $page: $out"
    grep -q "^NAME" <<<"$out" || fail "man $page has no NAME section"
    ! grep -E "<standard input>:[0-9]+: warning" <<<"$out" || fail "man $page: formatter warnings"
done
PATH=$p/bin:$PATH "$p/share/veldax/examples/testbench/run.sh" iverilog bench >bench.log 2>&1 ||
    fail "installed bench: $(cat bench.log)"
grep -q '^PASS' bench.log || fail "installed bench: no PASS"
[ "$failures" = 0 ] || exit 1
echo "PASS"
