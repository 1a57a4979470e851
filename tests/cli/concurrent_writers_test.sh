#!/bin/bash
# Commands that change settings at the same time, as real processes: four `fennick set` of
# different settings started together, and a `palette`, `reset KEY` and `import` among them. No
# change may be lost, and the stylesheet and prompt script must always follow the settings file.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

rounds=${FENNICK_WRITER_ROUNDS:-40}
lost=0
inconsistent=0
get() { "$FENNICK_BIN" get "$1"; }
"$FENNICK_BIN" set terminal.prompt_enabled true >/dev/null
"$FENNICK_BIN" export "$work/theme.ini" >/dev/null
for ((round = 1; round <= rounds; round++)); do
  width=$((round % 8 + 1)) spacing=$((round % 7 + 1)) radius=$((round % 6 + 1)) symbol="s$round"
  "$FENNICK_BIN" set pathbar.border_width "$width" >/dev/null &
  "$FENNICK_BIN" set pathbar.spacing "$spacing" >/dev/null &
  "$FENNICK_BIN" set pathbar.border_radius "$radius" >/dev/null &
  "$FENNICK_BIN" set terminal.symbol "$symbol" >/dev/null &
  if ((round % 4 == 0)); then "$FENNICK_BIN" palette achroma >/dev/null & fi
  if ((round % 4 == 1)); then "$FENNICK_BIN" reset sidebar.stats_ttl_seconds >/dev/null & fi
  wait
  for pair in "pathbar.border_width=$width" "pathbar.spacing=$spacing" \
    "pathbar.border_radius=$radius" "terminal.symbol=$symbol"; do
    [ "$(get "${pair%%=*}")" = "${pair#*=}" ] || lost=$((lost + 1))
  done
  [ "$(cat "$FENNICK_DIR/fennick.css")" = "$("$FENNICK_BIN" css)" ] &&
    [ "$(cat "$FENNICK_DIR/prompt.sh")" = "$("$FENNICK_BIN" prompt)" ] ||
    inconsistent=$((inconsistent + 1))
  # An import at the same time as a set: the set lands before or after it, never half.
  if ((round % 10 == 0)); then
    "$FENNICK_BIN" import "$work/theme.ini" >/dev/null &
    "$FENNICK_BIN" set pathbar.spacing 9 >/dev/null &
    wait
    case $(get pathbar.spacing) in 9 | "$(grep '^spacing=' "$work/theme.ini" | cut -d= -f2)") ;; *) lost=$((lost + 1)) ;; esac
  fi
done
check_eq "changes lost in $rounds rounds of concurrent commands" 0 "$lost"
check_eq "rounds where fennick.css or prompt.sh disagreed with fennick.ini" 0 "$inconsistent"
# Nothing but the three files and the imports' backups (one per earlier state), no temporary or
# lock file is left.
check_eq 'files in the settings folder' 'fennick-nemo.css fennick.css fennick.ini fennick.ini.bak prompt.sh' \
  "$(cd "$FENNICK_DIR" && ls | grep -v '^fennick\.ini\.bak\.[1-9][0-9]*$' | xargs)"
finish
