#!/bin/bash
# The powerline prompt pastes the user, host, folder and git branch names into PS1 or PROMPT, and
# the shell expands the prompt once more when it shows it. Every such name must show literally,
# under every prompt option of bash and zsh that changes that expansion, and nothing in a name may
# run as a command. Ordinary names must show exactly as they are.
# The names below are single-quoted on purpose, dollars, backquotes and backslashes included.
# shellcheck disable=SC2016,SC1003
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

# Folder names: shell expansions, prompt escapes of both shells, history marks, quotes.
hostile_folders=(
  '$(touch PWNED-dollar)' '`touch PWNED-backquote`' '`id`' '\`touch PWNED-escaped\`'
  '$HOME' '${HOME}x' '$((6*7))' '$' 'x$' '$$' '\$HOME' '\$(touch PWNED-escaped-dollar)'
  'a\b' 'b\' '\\' '\n' '\u@\h' '\[x\]' '\w \$'
  '100%' '%n%~%#' '%{x%}' '%F{red}r%f' '%%'
  '!x' '!!' 'a!b!' '"q"' "it's" "'\$(touch PWNED-quoted)'" 'a&b' '~tilde' '[ab]*?' 'x;y|z'
)
# Names that need no escaping at all: they must show exactly the same.
ordinary_folders=('project' 'my folder' 'a-b_c.d' 'v1.2+3' 'Ünïcödé ✓' '日本語' '@{x}' 'x=y,z:w')
# Branch names git accepts (it refuses blanks, backslashes and a few more).
branches=('x$(>PWNED-branch)y' 'b`>PWNED-branch-backquote`c' '100%n' '!x' "it's\"q\"" '$HOME'
  '%F{red}' 'a&b;c|d' '${IFS}' 'feature/login-2' 'main')
# A user and a host name with the same hazards; the host is cut at its first dot.
hostile_user='u$(touch PWNED-user)`touch PWNED-user2`%n!\'
hostile_host='h$(touch PWNED-host)%m!\$'
hostile_host_full="$hostile_host.example.org"

# Two prompt scripts: the user, host and folder blocks, and the folder and git branch blocks (git
# runs only where a branch is to be shown, which keeps the run short).
pl=(terminal.prompt_enabled true terminal.style powerline terminal.scope all terminal.separator ascii)
cp "$(make_variant names "${pl[@]}" terminal.template '{user}{host}{cwd}{nl}{sym} ')" "$HOME/names.sh"
cp "$(make_variant branch "${pl[@]}" terminal.template '{cwd}{git}{nl}{sym} ')" "$HOME/branch.sh"

# The cases: one line each, "id TAB script TAB folder below HOME TAB user TAB host"; "expected"
# holds what each must show and "about" a description for the failure lines.
cases="$work/cases"
: >"$cases"
expected=()
about=()
add_case() { # script folder-below-home user host expected
  local id=${#expected[@]}
  printf '%s\t%s\t%s\t%s\t%s\n' "$id" "$1" "$2" "$3" "$4" >>"$cases"
  expected[id]=$5
  about[id]="folder [$2], user [$3], host [$4]"
}
mkdir -p "$HOME/n" "$HOME/g"
for name in "${hostile_folders[@]}" "${ordinary_folders[@]}"; do
  mkdir -p "$HOME/n/$name"
  add_case names.sh "n/$name" alice box.example.org " alice > box > ~/n/$name >"$'\n$ '
done
i=0
for branch in "${branches[@]}"; do
  i=$((i + 1))
  git init -q "$HOME/g/$i"
  git -C "$HOME/g/$i" checkout -q -b "$branch"
  add_case branch.sh "g/$i" alice box " ~/g/$i > $branch >"$'\n$ '
  about[${#expected[@]} - 1]+=", branch [$branch]"
done
add_case names.sh n/project "$hostile_user" "$hostile_host_full" \
  " $hostile_user > $hostile_host > ~/n/project >"$'\n$ '

# Runs in the shell under test: for every case sources its prompt script, enters its folder, sets
# the names, builds the prompt with the registered function and writes what the shell shows.
cat >"$work/driver.sh" <<'EOF'
# arguments: folder of the prompt scripts, cases file, output folder, prompt options, command that
# shows the prompt
tab=$(printf '\t')
eval "$4"
while IFS=$tab read -r id script dir user host; do
  . "$1/$script"
  cd "$HOME/$dir" || continue
  USER=$user
  if [ -n "$ZSH_VERSION" ]; then HOST=$host; else HOSTNAME=$host; fi
  __fk_pc
  eval "$5" >"$3/$id"
done <"$2"
EOF
chmod 644 "$cases" "$work/driver.sh"
chmod 755 "$work"

# Every mode runs the driver in one shell with one set of prompt options, in its own copy of the
# home folder (so that a command run from a name is traced to the mode), all at the same time;
# RUNNER is empty, or a command that runs the shell as another user.
modes=()
start_mode() { # label shell options [runner...]
  local label=$1 shell=$2 options=$3 dir="$work/mode-${#modes[@]}"
  shift 3
  modes+=("$label")
  mkdir -p "$dir/out"
  cp -a "$HOME" "$dir/home"
  local -a shell_cmd=(bash --norc --noprofile)
  local show=$SHOW_BASH
  if [ "$shell" = zsh ]; then
    shell_cmd=(zsh -f)
    show=$SHOW_ZSH
  fi
  if [ $# -gt 0 ]; then
    chmod 755 "$dir"
    chown -R nobody:nogroup "$dir/home" "$dir/out"
  fi
  (cd "$dir/home" && "$@" env HOME="$dir/home" GIT_CONFIG_GLOBAL="$dir/home/.gitconfig" \
    XDG_CONFIG_HOME="$dir/home/.config" FENNICK_FORCE=1 \
    "${shell_cmd[@]}" "$work/driver.sh" "$dir/home" "$cases" "$dir/out" "$options" "$show" \
    >"$dir/messages" 2>&1) &
}

check_mode() { # number
  local label=${modes[$1]} dir="$work/mode-$1" id shown messages
  IFS= read -r -d '' messages <"$dir/messages"
  check_eq "$label: messages from the shell" '' "$messages"
  for id in "${!expected[@]}"; do
    if [ ! -e "$dir/out/$id" ]; then
      fail "$label: no prompt for ${about[id]}"
      continue
    fi
    IFS= read -r -d '' shown <"$dir/out/$id"
    strip_into shown "$shown"
    check_eq "$label: ${about[id]}" "${expected[id]}" "$shown"
  done
  check_nothing_ran "$label" "$dir"
}

# bash decodes the prompt escapes (\\, \$ ...) and, with promptvars on, then expands $, ` and \
# once more; its \$ escape shows "#" for root and "$" for everybody else, so run as both.
start_mode "bash as $(id -un), promptvars on" bash 'shopt -s promptvars'
start_mode "bash as $(id -un), promptvars off" bash 'shopt -u promptvars'
if [ "$(id -u)" = 0 ]; then
  as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  if "${as_nobody[@]}" test -r "$cases" -a -r "$work/driver.sh"; then
    start_mode 'bash as nobody, promptvars on' bash 'shopt -s promptvars' "${as_nobody[@]}"
    start_mode 'bash as nobody, promptvars off' bash 'shopt -u promptvars' "${as_nobody[@]}"
  else
    fail "user nobody cannot reach $work (is TMPDIR=${TMPDIR:-} closed to other users?)"
  fi
else
  echo "note: not running as root, so bash ran only as $(id -un) (uid $(id -u)), not also as root"
fi
# POSIX mode expands the prompt whatever promptvars says, and shows "!" as the history number.
start_mode 'bash in POSIX mode, promptvars on' bash 'set -o posix; shopt -s promptvars'
start_mode 'bash in POSIX mode, promptvars off' bash 'set -o posix; shopt -u promptvars'

# zsh expands % sequences always, $, ` and \ with prompt_subst, and ! with prompt_bang.
start_mode 'zsh, no prompt options' zsh 'unsetopt prompt_subst prompt_bang'
start_mode 'zsh, prompt_subst' zsh 'setopt prompt_subst; unsetopt prompt_bang'
start_mode 'zsh, prompt_bang' zsh 'unsetopt prompt_subst; setopt prompt_bang'
start_mode 'zsh, prompt_subst and prompt_bang' zsh 'setopt prompt_subst prompt_bang'

wait
for number in "${!modes[@]}"; do
  check_mode "$number"
done
finish
