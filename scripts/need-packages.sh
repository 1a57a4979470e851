#!/bin/sh
# Installs the Debian packages named as arguments that are not installed yet. Runs apt-get as
# root, or through sudo when that is available; otherwise says what to install and fails.
set -eu
missing=
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ]; then
  run=
elif command -v sudo >/dev/null 2>&1; then
  run=sudo
else
  echo "please install:$missing" >&2
  exit 1
fi
echo "installing:$missing"
$run apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $run apt-get install -y -qq --no-install-recommends $missing >/dev/null
