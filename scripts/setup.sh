#!/usr/bin/env bash
# Installs the Debian packages the project needs, and only those that are missing.
# This is the one list of system packages; every other script sources this one.
set -euo pipefail

RIVO_PACKAGES=(
    # build
    g++ cmake ninja-build pkg-config
    qt6-base-dev
    # SVG output of the pictures
    qt6-svg-dev
    # exact digits of the formatted numbers
    libgmp-dev
    # the window's display check talks to the X server before Qt starts
    libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # sanitizer and fuzzing builds
    clang libclang-rt-14-dev
    # the benchmark target checks
    python3
    # fonts the window and the picture text fall back to
    fonts-dejavu-core fonts-liberation
    # end-to-end tests of the real window
    xvfb xauth xdotool x11-utils imagemagick
    # the PDF pictures and worksheets are read back to check what they show (pdftoppm, pdftotext)
    poppler-utils
    # a comma locale for the decimal-separator test (compiled with localedef at test time)
    locales
    # packaging: icon rendering, the .deb's dependencies (dpkg-shlibdeps, file), validators
    librsvg2-bin dpkg-dev file desktop-file-utils appstream mandoc groff-base
)

# Only the full benchmark run (scripts/bench.sh without --quick) needs these: the batch
# renderer's comparison with matplotlib-venn. The test command never installs them.
RIVO_BENCH_PACKAGES=(
    python3-matplotlib-venn
)

# Only the web page (scripts/web.sh) needs these: Debian's Emscripten with its prebuilt system
# libraries, Boost.Multiprecision (header-only) for the exact digits where GMP has no
# WebAssembly build, and the headless Chromium of the browser tests, which download no browser.
# The machine's Node.js runs the tests; rivo_setup_web adds nodejs and npm only where they are
# missing. The desktop's rivo_setup never installs these.
RIVO_WEB_PACKAGES=(
    emscripten binaryen
    libboost-dev
    chromium-headless-shell
)

# The one configuration of the normal build tree: scripts/run.sh builds only the window in it,
# scripts/test.sh everything. The same options, whichever ran before, keep each from undoing what
# the other needs (tests switched off, say) and from rebuilding what the other built.
RIVO_BUILD_OPTIONS=(
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVO_WERROR=ON -DRIVO_PACKAGING=ON
    -DRIVO_TESTS=ON -DRIVO_BENCH=ON
)

# The packages named as arguments that are not installed.
rivo_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            echo "$pkg"
        fi
    done
}

rivo_setup() {
    rivo_install "${RIVO_PACKAGES[@]}"
}

rivo_setup_bench() {
    rivo_install "${RIVO_BENCH_PACKAGES[@]}"
}

# The web page's packages, and the desktop's toolchain for the native half of its number check.
rivo_setup_web() {
    local packages=("${RIVO_WEB_PACKAGES[@]}" g++ cmake ninja-build pkg-config libgmp-dev)
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
    rivo_install "${packages[@]}"
}

rivo_install() {
    local missing
    mapfile -t missing < <(rivo_missing_packages "$@")
    if [ "${#missing[@]}" -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "error: missing packages (${missing[*]}) and no root rights to install them" >&2
            return 1
        fi
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    rivo_setup
fi
