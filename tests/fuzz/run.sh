#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 30) from the seed corpus under tests/fuzz/corpus.
# Any finding (crash, sanitizer report, leak, timeout, memory blow-up) fails
# the script; the input that caused it is left in $FUZZ_ARTIFACTS (default
# build-fuzz/findings) to be added to the corpus once mended.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}
findings=${FUZZ_ARTIFACTS:-$build/findings}
cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++)}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
      -DVELDAX_FUZZ=ON -DVELDAX_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzz_params fuzz_stimulus fuzz_main \
      fuzz_memory_limit fuzz_dump >/dev/null
mkdir -p "$findings"

status=0
for target in params stimulus main memory_limit dump; do
    # New inputs go to a scratch corpus; the targets write their files in a
    # scratch folder of their own.
    work=$(mktemp -d)
    mkdir "$work/corpus" "$work/run"
    echo "fuzz_$target: ${seconds}s"
    if ! (cd "$work/run" && "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$findings/${target}-" \
            "$work/corpus" "$root/tests/fuzz/corpus/$target" >"$work/log" 2>&1); then
        echo "FAIL: fuzz_$target found a problem:"
        grep -v '^veldax-gen: warning:' "$work/log" | tail -60
        status=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$work/log" || true
    fi
    rm -rf "$work"
done
exit $status
