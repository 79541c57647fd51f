#!/usr/bin/env bash
# The packaging checks, on a built tree: the desktop entry, the AppStream metainfo and the manual
# page pass their validators; `cmake --install` puts exactly the expected files in place; CPack
# builds a .deb with the right control fields, and its rivo-cli runs from a scratch root.
# Usage: scripts/package-check.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
app_id=io.github.kob.rivo
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "package-check: $*" >&2
    exit 1
}

# For validators that report warnings but still exit 0: any message is a failure.
silent() {
    local out
    if ! out="$("$@" 2>&1)" || [ -n "$out" ]; then
        printf '%s\n' "$out" >&2
        fail "$1 does not accept its input"
    fi
}

# What an installation holds under its prefix.
expected_files() {
    local prefix="$1"
    {
        echo "bin/rivo-cli"
        echo "bin/rivo"
        echo "share/applications/$app_id.desktop"
        echo "share/metainfo/$app_id.metainfo.xml"
        echo "share/icons/hicolor/scalable/apps/$app_id.svg"
        for size in 48 128 256; do
            echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
        done
        echo "share/man/man1/rivo-cli.1.gz"
        echo "share/man/man1/rivo.1.gz"
    } | sed "s|^|$prefix|" | sort
}

expect_files() {
    local root="$1" prefix="$2"
    if ! diff -u <(expected_files "$prefix") \
        <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort); then
        fail "$root does not hold exactly the expected files (- missing, + unexpected)"
    fi
}

# The installed files themselves: validators, icon sizes, the page, the programs.
check_tree() {
    local root="$1" prefix="$2"
    local share="$root/${prefix}share"
    silent desktop-file-validate "$share/applications/$app_id.desktop"
    appstreamcli validate --no-net --strict "$share/metainfo/$app_id.metainfo.xml"
    for size in 48 128 256; do
        file "$share/icons/hicolor/${size}x$size/apps/$app_id.png" |
            grep -q "PNG image data, $size x $size," || fail "the ${size}x$size icon is not $size px"
    done
    local page
    for page in "$share"/man/man1/*.1.gz; do
        zcat "$page" | cmp -s - "$build/packaging/$(basename "$page" .gz)" ||
            fail "the installed $(basename "$page") is not the built one"
    done
    local out
    out="$("$root/${prefix}bin/rivo-cli" regions 3 'a*b')"
    [ "$out" = "25" ] || fail "rivo-cli from $root printed '$out', not 25"
    out="$("$root/${prefix}bin/rivo-cli" regions --key 3 'a*b')"
    [ "$out" = $'25\n2\tA B\n5\tA B C' ] || fail "rivo-cli --key from $root printed '$out'"
}

[ -f "$build/CPackConfig.cmake" ] || fail "$build was configured with -DRIVO_PACKAGING=OFF"

echo "-- validators on the sources"
silent desktop-file-validate "packaging/$app_id.desktop"
appstreamcli validate --no-net --strict "packaging/$app_id.metainfo.xml"
for page in rivo-cli rivo; do
    mandoc -Tlint -W style "$build/packaging/$page.1"
    silent groff -man -Tutf8 -ww -z "$build/packaging/$page.1"
done

echo "-- cmake --install"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
expect_files "$scratch/prefix" ""
check_tree "$scratch/prefix" ""

echo "-- cpack -G DEB"
if ! out="$(cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" 2>&1)"; then
    printf '%s\n' "$out" >&2
    fail "cpack failed"
fi
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"
deb="$scratch/cpack/rivo_${version}_$arch.deb"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
dpkg-deb --info "$deb" control | sed 's/^/   /'

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = rivo ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = math ] || fail "Section is '$(field Section)'"
field Maintainer | grep -Eq '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' || fail "Maintainer is not 'name <address>'"
needed=(libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libxcb1)
for package in "${needed[@]}"; do
    field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -Fxq "$package" ||
        fail "Depends lacks $package"
done

echo "-- the .deb in a scratch root"
dpkg-deb --extract "$deb" "$scratch/root"
expect_files "$scratch/root" "usr/"
check_tree "$scratch/root" "usr/"
appstreamcli validate-tree --no-net --strict "$scratch/root"
for program in "$scratch"/root/usr/bin/*; do
    file "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
    if readelf --dynamic "$program" | grep -Eq 'RPATH|RUNPATH'; then
        fail "$(basename "$program") carries a run path"
    fi
done
echo "$scratch/root/usr/bin/rivo-cli regions 3 'a*b'"
"$scratch/root/usr/bin/rivo-cli" regions 3 'a*b' | sed 's/^/   /'
echo "package-check: all passed"
