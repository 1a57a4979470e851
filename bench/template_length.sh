#!/bin/bash
# Prompt generation and the prompt preview for layout templates of 100 KB to 1 MB
# (bench/template_length.cc): milliseconds per generator, for four shapes of template, among them
# one made only of "{", where a search for "}" from every brace would be quadratic. Goal: linear
# in the length, a 1 MB template in well under a second. Prints a table; not part of CI.
#
# Arguments: template sizes in bytes (default 100000 400000 1000000).
# Environment: BUILD_DIR (a build directory configured by this script, default build-gbench/ in
# the work tree).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-gbench}

"$root/scripts/need-packages.sh" g++ gcc cmake ninja-build pkg-config libbenchmark-dev \
  libgtk-3-dev libx11-dev libxdamage-dev
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFENNICK_TESTS=OFF \
  -DFENNICK_BENCH=ON >/dev/null
ninja -C "$build" template_length >/dev/null
"$build/bench/template_length" "$@"
