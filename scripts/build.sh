#!/bin/sh
# Builds fennick (installing the build tools when they are missing) and runs it with the given
# arguments: with none, it shows the settings window on a desktop and the usage text elsewhere.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/need-packages.sh" g++ cmake ninja-build pkg-config libgtk-3-dev
cmake -S "$root" -B "$root/build" -G Ninja -DFENNICK_TESTS=OFF >/dev/null
cmake --build "$root/build" --target fennick
exec "$root/build/fennick" "$@"
