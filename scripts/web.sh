#!/usr/bin/env bash
# The web page. Installs what it needs, then builds the site into build-web/site: the Qt-free
# core compiled to WebAssembly with Debian's Emscripten, its bindings and the page, one folder
# that works from file:// and from any static server.
#   scripts/web.sh                build the site
#   scripts/web.sh --test         build it, then run the browser tests (Debian's headless
#                                 Chromium) and the comparison of the page's numbers with the
#                                 desktop build's (the native half comes from the desktop build
#                                 named by RIVO_NATIVE_BUILD, as the test command passes it, or
#                                 else from a core-only tree in build-web/native), and of the
#                                 page's truth sets with the desktop's rivo-cli (only with
#                                 RIVO_NATIVE_BUILD)
#   scripts/web.sh --serve [PORT] build it and serve it on 127.0.0.1 (PORT 8000 unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-}"
case "$mode" in
    "" | --test | --serve) ;;
    *)
        echo "usage: scripts/web.sh [--test | --serve [PORT]]" >&2
        exit 2
        ;;
esac

source scripts/setup.sh
rivo_setup_web

build=build-web
# Emscripten's tools need acorn from Debian's Node.js modules, whichever Node.js runs them.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRIVO_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
echo "site: $PWD/$build/site"

if [ "$mode" = --serve ]; then
    exec node web/serve.js "$build/site" "${2:-8000}"
fi
if [ "$mode" != --test ]; then
    exit 0
fi

native="${RIVO_NATIVE_BUILD:-}"
if [ -z "$native" ]; then
    native="$build/native"
    cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_CORE_ONLY=ON \
        -DRIVO_WERROR=ON >/dev/null
fi
cmake --build "$native" --parallel "$(nproc)" --target rivo-number-probe
export RIVO_NUMBER_PROBE="$(realpath "$native")/web/rivo-number-probe"
# The desktop's rivo-cli, the reference of the page's truth sets; a core-only tree has none.
if [ -n "${RIVO_NATIVE_BUILD:-}" ]; then
    cmake --build "$native" --parallel "$(nproc)" --target rivo-cli
    export RIVO_CLI="$(realpath "$native")/cli/rivo-cli"
fi

# The test tools, exactly as locked; again only when the lock file changed. No install script
# runs, and puppeteer-core fetches no browser.
lock_sum="$(sha256sum web/package-lock.json | cut -d' ' -f1)"
if [ "$(cat web/node_modules/.rivo-lock 2>/dev/null)" != "$lock_sum" ]; then
    (cd web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund)
    echo "$lock_sum" >web/node_modules/.rivo-lock
fi

RIVO_WEB_BUILD="$PWD/$build" node --no-experimental-fetch --test --test-concurrency=1 web/tests/
