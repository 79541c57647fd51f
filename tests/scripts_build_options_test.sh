#!/usr/bin/env bash
# scripts/run.sh and scripts/test.sh share one build folder: whichever runs first, and however
# often, the other must find what it needs there (the tests and benchmarks switched on) and
# rebuild nothing the first one built. Each script's own configure step runs here
# (RIVO_CONFIGURE_ONLY=1, into scratch folders), in both orders; nothing is compiled.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export RIVO_CONFIGURE_ONLY=1

fail() {
    echo "scripts_build_options_test: $*" >&2
    exit 1
}

configure() {  # SCRIPT FOLDER
    RIVO_BUILD_DIR="$2" bash "scripts/$1.sh" >"$scratch/log" 2>&1 ||
        { cat "$scratch/log" >&2; fail "$1.sh did not configure $2"; }
}

# What test.sh needs of the folder: the tests and the benchmarks built.
check_options() {  # FOLDER WHO
    local option
    for option in RIVO_TESTS RIVO_BENCH; do
        grep -qx "$option:BOOL=ON" "$1/CMakeCache.txt" || fail "$option is not ON after $2"
    done
}

# Run first and test first, each followed by the other; after run, test, run the folder has
# seen every change of hands.
for order in "run test run" "test run"; do
    folder="$scratch/${order// /-}"
    previous=
    for script in $order; do
        configure "$script" "$folder"
        check_options "$folder" "$order"
        # The same compile commands: the second script rebuilds nothing the first one built.
        sed "s|$folder|FOLDER|g" "$folder/compile_commands.json" >"$scratch/now.json"
        if [ -n "$previous" ] && ! cmp -s "$previous" "$scratch/now.json"; then
            fail "the compile commands change between the scripts ($order)"
        fi
        previous="$scratch/previous.json"
        mv "$scratch/now.json" "$previous"
    done
    # Whichever came first, the folder ends up configured the same.
    if [ -n "${first:-}" ] && ! cmp -s "$first" "$previous"; then
        fail "run.sh first and test.sh first configure differently"
    fi
    first="$scratch/first.json"
    mv "$previous" "$first"
done
echo "run.sh and test.sh configure build/ alike in either order"
