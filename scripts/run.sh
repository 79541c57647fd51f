#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program: the window rivo. Without a display it
# says so in one line and exits with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
rivo_setup
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_TESTS=OFF -DRIVO_BENCH=OFF
exec ./build/app/rivo
