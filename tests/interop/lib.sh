# Start shared by the interop scripts: the program's absolute path in $bin,
# the outside tools a script needs (a missing one skips the test, or fails it
# when VELDAX_REQUIRE_INTEROP=1), a scratch folder as the current folder, and
# fail() to count failures.  Usage: source lib.sh VELDAX_GEN TOOL...
case $1 in /*) bin=$1 ;; *) bin=$PWD/$1 ;; esac
shift
for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 && continue
    [ "${VELDAX_REQUIRE_INTEROP:-0}" = 1 ] && { echo "FAIL: $tool not found"; exit 1; }
    echo "SKIP: $tool not found"; exit 77
done
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
