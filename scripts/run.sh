#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
rivo_setup
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_TESTS=OFF -DRIVO_BENCH=OFF
exec ./build/cli/rivo-cli parse "a*b+b*c+a*c-a*b*c"
