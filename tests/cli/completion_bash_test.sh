#!/bin/bash
# The bash completion as `fennick completion bash` prints it: clean under shellcheck, and what the
# real completion function offers for a table of command lines, with the bash-completion package
# and without it; every command of the usage and every setting of `fennick list` is offered.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

script="$work/fennick.bash"
"$FENNICK_BIN" completion bash >"$script" || fail "fennick completion bash failed"
checks=$((checks + 2))
out=$(shellcheck -s bash "$script" 2>&1) || fail "shellcheck: $out"
out=$(bash --norc --noprofile -n "$script" 2>&1) || fail "bash -n: $out"

# Runs bash with the completion sourced (after bash-completion when $1 is "package"); each line on
# standard input is a command line up to the cursor, and for each it prints "=" and the sorted
# candidates on one line.
complete_lines() { # package|plain
  local prelude=
  [ "$1" = package ] && prelude='. /usr/share/bash-completion/bash_completion || exit 98'
  (cd "$work/files" && bash --norc --noprofile -c "$prelude"'
. "$1" || exit 97
while IFS= read -r line; do
  COMP_LINE=$line COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _fennick fennick "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  echo "=$(printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" " ")"
done' fennick-completion "$script")
}

mkdir -p "$work/files/sub"
: >"$work/files/a.ini"

# Command line up to the cursor | the candidates, sorted.
cases=(
  'fennick se|set'
  'fennick -|--gui --help --version -h'
  'fennick SET pathbar.sh|pathbar.shape'
  'fennick get pathbar.sh|pathbar.shape'
  'fennick get sha|shape'
  'fennick get ena|'
  'fennick get pathbar.shape |'
  'fennick get -h pathbar.sha|pathbar.shape'
  'fennick get -- pathbar.sha|pathbar.shape'
  'fennick get -|--help -h'
  'fennick reset panes.key_|panes.key_add panes.key_left panes.key_remove panes.key_right'
  'fennick set pathbar.shape |custom leaf leaf_reverse pill round soft square tab tab_bottom'
  'fennick set shape le|leaf leaf_reverse'
  'fennick set pathbar.enabled |false true'
  'fennick set pathbar.border_width |'
  'fennick set pathbar.enabled true terminal.sty|terminal.style'
  'fennick set pathbar.enabled true terminal.style p|plain powerline'
  'fennick set terminal.symbol -x terminal.sty|terminal.style'
  'fennick set pathbar.shape -|'
  'fennick set -|--help -h'
  'fennick list |panes pathbar sidebar terminal'
  'fennick list pathbar |--json'
  'fennick palette t|tol tritan'
  'fennick font |check install restore use'
  'fennick font install |--yes'
  'fennick font install -|--help --yes -h'
  'fennick font check -|--help -h'
  'fennick uninstall |--yes'
  'fennick uninstall --yes |'
  'fennick uninstall -|--help --yes -h'
  'fennick completion |bash zsh'
  'fennick completion z|zsh'
  'fennick export |a.ini sub'
  'fennick import a|a.ini'
  'fennick apply -|--help -h'
  'fennick --gui -|--help -h'
  'fennick doctor |'
  'fennick help |'
  'fennick help -|'
  'fennick nosuch -|'
)

# Properties against the program's own output: every command that the usage names is offered
# first, every setting that `fennick list` shows (and each key that is unique) after get, and
# each command that the usage shows with operands completes something after its word.
synopses=$("$FENNICK_BIN" help | sed -n 's/^  fennick \(.*\)/\1/p' | sed 's/   *.*//')
commands=$(printf '%s\n' "$synopses" | sed 's/ | /\n/g' | sed 's/ .*//; s/[][]//g' | LC_ALL=C sort |
  tr '\n' ' ')
cases+=("fennick |$commands")
names=$("$FENNICK_BIN" list | sed -n 's/^  \([a-z_]*\.[a-z_]*\) .*/\1/p')
unique_keys=$(printf '%s\n' "$names" | sed 's/.*\.//' | LC_ALL=C sort | uniq -u)
cases+=("fennick get |$(printf '%s\n' "$names" "$unique_keys" | LC_ALL=C sort | tr '\n' ' ')")
while IFS= read -r synopsis; do
  first=${synopsis%% | *}
  case $first in
    *' '*) cases+=("fennick ${first%% *} |+") ;;
  esac
done <<<"$synopses"

for package in package plain; do
  replies=$(printf '%s\n' "${cases[@]%%|*}" | complete_lines "$package")
  mapfile -t replies <<<"$replies"
  replies=("${replies[@]#=}")
  check_eq "$package: one reply per line" "${#cases[@]}" "${#replies[@]}"
  for i in "${!cases[@]}"; do
    line=${cases[i]%%|*}
    expected=${cases[i]#*|}
    expected=${expected% }
    reply=${replies[i]-<no reply>}
    if [ "$expected" = + ]; then
      checks=$((checks + 1))
      [ -n "$reply" ] || fail "$package: $(show "$line") offers nothing"
    else
      check_eq "$package: $(show "$line")" "$expected" "${reply% }"
    fi
  done
done

# Installed where the installer puts it, bash-completion loads it when fennick is first completed.
mkdir -p "$XDG_DATA_HOME/bash-completion/completions"
cp "$script" "$XDG_DATA_HOME/bash-completion/completions/fennick"
out=$(bash --norc --noprofile -c '. /usr/share/bash-completion/bash_completion || exit 98
__load_completion fennick && complete -p fennick' 2>&1)
check_eq 'loaded on demand from the user folder' 'complete -F _fennick fennick' "$out"

finish
