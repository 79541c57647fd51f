#!/usr/bin/env bash
# Draws the README's picture with rivo-cli: the expression the window starts with, in the
# diagram of three circles, exactly as the window shows it.
# Usage: scripts/readme-picture.sh [RIVO_CLI [PICTURE]]
#   (defaults: build/cli/rivo-cli and docs/readme-diagram.png). After a change to the painter or
#   the templates, run it and commit the picture; tests/cli_manual_test.cpp draws it again and
#   fails while the committed pixels differ.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$root/build/cli/rivo-cli}"
picture="${2:-$root/docs/readme-diagram.png}"
"$cli" draw 3 'a*b+b*c+a*c-a*b*c' -o "$picture"
