#!/usr/bin/env bash
# Installs what is missing, builds the window and starts it: rivo. Without a display it says so
# in one line and exits with status 1.
#
# It builds in build/, with the options of scripts/test.sh, but only the target rivo and what
# it needs: the first start compiles no test, benchmark or rivo-cli, and a later test.sh reuses
# every object it compiled (a folder of its own would compile them twice).
# RIVO_BUILD_DIR names another folder; RIVO_CONFIGURE_ONLY=1 stops after configuring it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
rivo_setup
build="${RIVO_BUILD_DIR:-build}"
bash scripts/build.sh "$build" --target rivo "${RIVO_BUILD_OPTIONS[@]}"
if [ -n "${RIVO_CONFIGURE_ONLY:-}" ]; then
    exit 0
fi
exec "$build/app/rivo"
