# Shared pieces of the script tests (tests/*/*_test.sh source it): small checks that print one
# line per failure and the summary at the end, a private home for every run, and for the prompt
# tests writing prompt.sh variants with the real program and running the real shells on them.
# shellcheck shell=bash

: "${FENNICK_BIN:?FENNICK_BIN must name the built fennick program}"

failures=0
checks=0

# A fresh temporary home with everything the program and git could touch inside it; removed at
# exit. Sets "work" (the temporary folder), HOME, FENNICK_DIR and the XDG folders.
setup_home() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-prompt.XXXXXX") || exit 1
  # shellcheck disable=SC2064  # the folder is known now and must be the one removed
  trap "rm -rf '$work'" EXIT
  trap 'exit 1' HUP INT TERM PIPE
  export HOME="$work/home"
  export FENNICK_DIR="$HOME/.config/fennick"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
  export GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL="$HOME/.gitconfig"
  export GIT_AUTHOR_NAME=tester GIT_AUTHOR_EMAIL=tester@example.invalid
  export GIT_COMMITTER_NAME=tester GIT_COMMITTER_EMAIL=tester@example.invalid
  export LC_ALL=C.UTF-8
  # A login session sets USER; bash and zsh themselves do not.
  USER=$(id -un)
  export USER
  unset FENNICK_FORCE FENNICK_PREFIX PROMPT_COMMAND HOSTNAME BASH_ENV ENV ZDOTDIR CDPATH
  unset GIT_DIR GIT_WORK_TREE
  mkdir -p "$HOME" "$FENNICK_DIR" "$work/variants"
}

fail() {
  printf 'FAIL: %s\n' "$*"
  failures=$((failures + 1))
}

# Shows a value on one line, control bytes made visible.
show() {
  printf '%q' "$1"
}

check_eq() { # what expected actual
  checks=$((checks + 1))
  [ "$2" = "$3" ] || fail "$1: expected $(show "$2"), got $(show "$3")"
}

check_contains() { # what needle text
  checks=$((checks + 1))
  case $3 in
    *"$2"*) ;;
    *) fail "$1: expected to contain $(show "$2"), got $(show "$3")" ;;
  esac
}

check_lacks() { # what needle text
  checks=$((checks + 1))
  case $3 in
    *"$2"*) fail "$1: expected no $(show "$2"), got $(show "$3")" ;;
  esac
}

# No file whose name starts with PWNED anywhere under FOLDER (the temporary folder when not
# given): proof that no text pasted into a prompt ran as a command.
check_nothing_ran() { # what [folder]
  local found
  checks=$((checks + 1))
  found=$(find "${2:-$work}" -name 'PWNED*' -print)
  [ -z "$found" ] && return 0
  fail "$1: a command ran from prompt text and created: $(show "$found")"
  find "${2:-$work}" -name 'PWNED*' -exec rm -f {} +
}

finish() {
  if [ -s "$work/failed-variants" ]; then
    while IFS= read -r line; do fail "$line"; done <"$work/failed-variants"
  fi
  if [ "$failures" -ne 0 ]; then
    printf '%s: %d of %d checks failed\n' "${0##*/}" "$failures" "$checks"
    exit 1
  fi
  printf '%s: all %d checks passed\n' "${0##*/}" "$checks"
  exit 0
}

# Writes the prompt script for a fresh settings file with the given KEY VALUE pairs and copies it
# to $work/variants/NAME.sh; prints that path. Settings not named keep their defaults. It runs in
# a command substitution, so a failure is noted in $work/failed-variants for finish to count.
make_variant() { # name [key value]...
  local name=$1 out
  shift
  rm -f "$FENNICK_DIR/fennick.ini"
  if ! out=$("$FENNICK_BIN" set "$@" 2>&1); then
    printf 'variant %s: fennick set %s failed: %s\n' "$name" "$*" "$out" >>"$work/failed-variants"
    return 1
  fi
  cp "$FENNICK_DIR/prompt.sh" "$work/variants/$name.sh" || return 1
  printf '%s\n' "$work/variants/$name.sh"
}

# Removes the SGR colour sequences and bash's non-printing markers (bytes 01 and 02) from a
# prompt as the shell expanded it, leaving the visible text: strip_prompt prints it, strip_into
# stores it in the variable named first.
strip_into() { # variable text
  # The local names must differ from any variable a caller passes in.
  local strip_rest=$2 strip_seen=
  while [[ $strip_rest == *$'\e['* ]]; do
    strip_seen+=${strip_rest%%$'\e['*}
    strip_rest=${strip_rest#*$'\e['}
    strip_rest=${strip_rest#*m}
  done
  strip_seen+=$strip_rest
  strip_seen=${strip_seen//[$'\001\002']/}
  printf -v "$1" '%s' "$strip_seen"
}
strip_prompt() {
  local visible
  strip_into visible "$1"
  printf '%s' "$visible"
}

# Runs SNIPPET in a real bash (no start-up files) after sourcing SCRIPT with FENNICK_FORCE=1;
# PRELUDE runs before the sourcing. Prints what the snippet prints; standard error is kept.
in_bash() { # script prelude snippet
  FENNICK_FORCE=1 bash --norc --noprofile -c "$2
. \"\$1\" || exit 97
$3" fennick-test-bash "$1"
}

in_zsh() { # script prelude snippet
  FENNICK_FORCE=1 zsh -f -c "$2
. \"\$1\" || exit 97
$3" fennick-test-zsh "$1"
}

# The prompt as each shell would show it, printed without a trailing line feed; used by the
# scripts that source this file and expanded by the shell under test.
# shellcheck disable=SC2016,SC2034
SHOW_BASH='printf "%s" "${PS1@P}"'
# shellcheck disable=SC2016,SC2034
SHOW_ZSH='print -rnP -- "$PROMPT"'
