#!/bin/sh
# Runs every test: installs the test tools when they are missing, builds the program and the
# tests, runs them with CTest (as root, the tests that need an ordinary user once more as the
# user nobody), then runs the settings-reader fuzzer for a bounded time.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/need-packages.sh" g++ cmake ninja-build pkg-config libgtk-3-dev libgtest-dev zsh shellcheck git procps \
  clang libclang-rt-14-dev util-linux dbus-daemon dbus-bin desktop-file-utils nemo \
  curl fontconfig libglib2.0-bin gnome-terminal python3 openssl \
  xvfb xdotool imagemagick strace zenity bash-completion man-db groff-base python3-pyatspi at-spi2-core nemo-python
cmake -S "$root" -B "$root/build" -G Ninja -DFENNICK_TESTS=ON >/dev/null
cmake --build "$root/build"
(cd "$root/build" && ctest --output-on-failure -j "$(nproc)")
# As root, the tests that need an ordinary user run once more as one.
if [ "$(id -u)" = 0 ]; then "$root/scripts/unprivileged-tests.sh" "$root/build"; fi

CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DFENNICK_FUZZ=ON >/dev/null
cmake --build "$root/build-fuzz" --target settings_reader_fuzz
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/tests/fuzz/corpus/* "$corpus"/
"$root/build-fuzz/settings_reader_fuzz" -max_total_time="${FENNICK_FUZZ_SECONDS:-60}" \
  -print_final_stats=1 "$corpus"
echo "all tests passed"
