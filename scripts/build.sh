#!/usr/bin/env bash
# Configures and builds one build tree.
# Usage: scripts/build.sh DIR [--target NAME]... [CMAKE OPTIONS...]
#   --target NAME  build only that target (and what it needs); without it, everything.
# With RIVO_CONFIGURE_ONLY=1 in the environment it configures and stops (the test of the
# scripts' options uses it).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$1"
shift
targets=()
options=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--target" ]; then
        targets+=(--target "$2")
        shift 2
    else
        options+=("$1")
        shift
    fi
done
cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
if [ -n "${RIVO_CONFIGURE_ONLY:-}" ]; then
    exit 0
fi
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
