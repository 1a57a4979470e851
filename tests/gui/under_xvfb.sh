#!/bin/sh
# Runs a program under a private X server that this script starts and stops, in a private home:
#   under_xvfb.sh PROGRAM [ARGUMENTS...]
# The program gets the server's display in DISPLAY and in FENNICK_TEST_DISPLAY (the window tests
# open no other display); its exit status is the script's.
set -u
if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_helpers.sh
. "$here/xvfb_helpers.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-xvfb.XXXXXX") || exit 1
trap 'stop_xvfb; rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM
private_session "$work"
start_xvfb "$work" || exit 1
export FENNICK_TEST_DISPLAY="$DISPLAY"
"$@"
