#!/bin/bash
# The powerline prompt pastes the user, host, folder and git branch names into PS1 or PROMPT, and
# the shell expands the prompt once more when it shows it. Every such name must show literally,
# under every prompt option of bash and zsh that changes that expansion, and nothing in a name may
# run as a command. Ordinary names must show exactly as they are. The same holds for the literal
# text of the layout template and for the symbol, in both styles: a property test over random
# layouts built from hostile text and tokens.
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
# A stale USER and a host name with the same hazards; the host is cut at its first dot. The user
# block shows the account the shell runs as, never USER, and nothing in USER may run.
hostile_user='u$(touch PWNED-user)`touch PWNED-user2`%n!\'
hostile_host='h$(touch PWNED-host)%m!\$'
hostile_host_full="$hostile_host.example.org"

# Two prompt scripts: the user, host and folder blocks, and the folder and git branch blocks (git
# runs only where a branch is to be shown, which keeps the run short).
pl=(terminal.prompt_enabled true terminal.style powerline terminal.scope all terminal.separator ascii)
cp "$(make_variant names "${pl[@]}" terminal.template '{user}{host}{cwd}{nl}{sym} ')" "$HOME/names.sh"
cp "$(make_variant branch "${pl[@]}" terminal.template '{cwd}{git}{nl}{sym} ')" "$HOME/branch.sh"
# The same folders and branches in the plain style, where the shells' own escapes show the folder
# and the __fk_git function prints the branch.
cp "$(make_variant plain-names terminal.prompt_enabled true terminal.scope all \
  terminal.template '{cwd}{git}{nl}{sym} ')" "$HOME/plain-names.sh"

# The cases: one line each, "id TAB script TAB folder below HOME TAB user TAB host TAB status of
# the last command"; "expected" holds what each must show and "about" a description for the
# failure lines. In the expected text, \003 stands for the account name of the shell under test;
# in that of a plain prompt, \004 BRANCH \006 for what {git} shows on BRANCH (nothing for an empty
# one) and \005 for what {exit} shows.
cases="$work/cases"
: >"$cases"
expected=()
status_of=()
about=()
add_case() { # script folder-below-home user host expected [status]
  local id=${#expected[@]}
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$id" "$1" "$2" "$3" "$4" "${6:-0}" >>"$cases"
  expected[id]=$5
  status_of[id]=${6:-0}
  about[id]="folder [$2], user [$3], host [$4]"
}
mkdir -p "$HOME/n" "$HOME/g"
for name in "${hostile_folders[@]}" "${ordinary_folders[@]}"; do
  mkdir -p "$HOME/n/$name"
  add_case names.sh "n/$name" someoneelse box.example.org $' \003'" > box > ~/n/$name >"$'\n$ '
  add_case plain-names.sh "n/$name" someoneelse box "~/n/$name"$'\004\006\n$ '
done
i=0
for branch in "${branches[@]}"; do
  i=$((i + 1))
  git init -q "$HOME/g/$i"
  git -C "$HOME/g/$i" checkout -q -b "$branch"
  add_case branch.sh "g/$i" someoneelse box " ~/g/$i > $branch >"$'\n$ '
  about[${#expected[@]} - 1]+=", branch [$branch]"
  add_case plain-names.sh "g/$i" someoneelse box "~/g/$i"$'\004'"$branch"$'\006\n$ '
  about[${#expected[@]} - 1]+=", plain, branch [$branch]"
done
add_case names.sh n/project "$hostile_user" "$hostile_host_full" \
  $' \003'" > $hostile_host > ~/n/project >"$'\n$ '

# Random layouts: literal text made of pieces that some prompt option expands, mixed with tokens.
# Literal "{" may stand before a token in the plain style, where it stays literal; literal text
# holds no "}", so the tokens are exactly the ones placed. RANDOM is seeded: a failure repeats.
seed=${FENNICK_LAYOUT_SEED:-20261209}
RANDOM=$seed
hostile_pieces=('$' '$(touch PWNED-t1)' '`touch PWNED-t2`' '`' '${HOME' '$HOME' '$((6*7))' '$?'
  '$$' '$1' '$@' '\' '\\' '\$' '\`' '\n' '\u' '\[' '\e[31m' '\D' '\0101' '%' '%%' '%n' '%~' '%F'
  '%{' '%(' '!' '!!' '!x' '"' "'" '(' ')' ';' '&' '|' '<' '>' '*' '?' '~' '#' '=' ' ' '  ' 'a'
  'Z9' 'é' '✓' '@' 'D' '.')
pick_text() { # variable count-limit [no-brace]: one to count-limit hostile pieces
  # The local names must differ from any variable a caller passes in.
  local pick_n=$((RANDOM % $2 + 1)) pick_out= pick_piece
  while [ "$pick_n" -gt 0 ]; do
    pick_piece=${hostile_pieces[RANDOM % ${#hostile_pieces[@]}]}
    # The powerline style drops a whole "{...}" that is not a block token.
    [ -n "${3:-}" ] && pick_piece=${pick_piece//\{/(}
    pick_out+=$pick_piece
    pick_n=$((pick_n - 1))
  done
  printf -v "$1" '%s' "$pick_out"
}
layouts=${FENNICK_LAYOUTS:-250}
mkdir -p "$HOME/p" "$HOME/g/main"
git init -q -b main "$HOME/g/main"
for ((i = 0; i < layouts; i++)); do
  pick_text symbol 2
  # Plain: up to six parts, each literal text or a token; {time} has a test of its own.
  layout= shown= folder=p status=0
  for ((part = RANDOM % 6 + 1; part > 0; part--)); do
    case $((RANDOM % 11)) in
      0) layout+='{user}' shown+=$'\003' ;;
      1) layout+='{cwd}' shown+="~/$folder" ;;
      2) layout+='{git}' shown+=$'\004main\006' folder=g/main ;;
      3) layout+='{exit}' shown+=$'\005' status=$((RANDOM % 3)) ;;
      4) layout+='{sym}' shown+=$symbol ;;
      5) layout+='{nl}' shown+=$'\n' ;;
      6) layout+='{' shown+='{' ;;
      *) pick_text text 3; layout+=$text shown+=$text ;;
    esac
  done
  # {cwd} shows the folder the prompt was built in.
  shown=${shown//"~/p"/"~/$folder"}
  cp "$(make_variant "plain-$i" terminal.prompt_enabled true terminal.scope all \
    terminal.template "$layout" terminal.symbol "$symbol")" "$HOME/plain-$i.sh"
  add_case "plain-$i.sh" "$folder" someoneelse box "$shown" "$status"
  about[${#expected[@]} - 1]="plain layout [$layout], symbol [$symbol], status $status (seed $seed)"

  # Powerline: blocks, literal text between them (not shown), then either a new line and the
  # tail, or the symbol and the text after it on the same line.
  pick_text before 3 no-brace
  pick_text between 3 no-brace
  pick_text tail 3 no-brace
  pick_text after 3 no-brace
  status=$((RANDOM % 2 * 5))
  layout="$before{user}$between{exit}"
  if ((RANDOM % 2)); then
    layout+="{nl}$tail{sym}$after" shown="$tail$symbol$after"
    # A second {sym} shows the symbol marker as written.
    if ((RANDOM % 4 == 0)); then layout+='{sym}.' shown+='@@SYM@@.'; fi
    shown=$'\n'$shown
  else
    layout+="{sym}$after" shown="$symbol$after"
  fi
  if [ "$status" = 0 ]; then shown=$' \003 >'$shown; else shown=$' \003'" > $status >$shown"; fi
  cp "$(make_variant "pl-$i" terminal.prompt_enabled true terminal.scope all terminal.style powerline \
    terminal.separator ascii terminal.template "$layout" terminal.symbol "$symbol")" "$HOME/pl-$i.sh"
  add_case "pl-$i.sh" p someoneelse box "$shown" "$status"
  about[${#expected[@]} - 1]="powerline layout [$layout], symbol [$symbol], status $status (seed $seed)"
done

# Runs in the shell under test: for every case sets the prompt options, sources its prompt script,
# enters its folder, sets the names, ends a command with the case's status, builds the powerline
# prompt with the registered function and writes what the shell shows.
cat >"$work/driver.sh" <<'EOF'
# arguments: folder of the prompt scripts, cases file, output folder, prompt options, command that
# shows the prompt
tab=$(printf '\t')
while IFS=$tab read -r id script dir user host last; do
  eval "$4"
  . "$1/$script"
  cd "$HOME/$dir" || continue
  USER=$user
  if [ -n "$ZSH_VERSION" ]; then HOST=$host; else HOSTNAME=$host; fi
  case $script in
    plain-*) (exit "$last") ;;
    *) (exit "$last"); __fk_pc ;;
  esac
  eval "$5" >"$3/$id"
done <"$2"
EOF
chmod 644 "$cases" "$work/driver.sh"
chmod 755 "$work"

# Every mode runs the driver in one shell with one set of prompt options, in its own copy of the
# home folder (so that a command run from a name is traced to the mode), all at the same time;
# RUNNER is empty, or a command that runs the shell as another user.
modes=()
mode_user=()
mode_substitutes=()
start_mode() { # label shell options [runner...]
  local label=$1 shell=$2 options=$3 dir="$work/mode-${#modes[@]}"
  shift 3
  modes+=("$label")
  # The plain prompt's {git} and {exit} are command substitutions: bash without promptvars
  # (outside POSIX mode) shows them as written. zsh's plain prompt turns prompt_subst on itself.
  case $shell:$options in
    bash:*'shopt -u promptvars'*) [[ $options == *posix* ]] && mode_substitutes+=(1) || mode_substitutes+=('') ;;
    *) mode_substitutes+=(1) ;;
  esac
  if [ $# -gt 0 ]; then mode_user+=(nobody); else mode_user+=("$(id -un)"); fi
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
  local label=${modes[$1]} dir="$work/mode-$1" id shown messages want
  IFS= read -r -d '' messages <"$dir/messages"
  check_eq "$label: messages from the shell" '' "$messages"
  for id in "${!expected[@]}"; do
    if [ ! -e "$dir/out/$id" ]; then
      fail "$label: no prompt for ${about[id]}"
      continue
    fi
    IFS= read -r -d '' shown <"$dir/out/$id"
    strip_into shown "$shown"
    want=${expected[id]//$'\003'/${mode_user[$1]}}
    if [ -n "${mode_substitutes[$1]}" ]; then
      want=${want//$'\004\006'/}
      want=${want//$'\004'/ (}
      want=${want//$'\006'/)}
      [ "${status_of[id]}" = 0 ] && want=${want//$'\005'/} || want=${want//$'\005'/ [${status_of[id]}]}
    else
      while [[ $want == *$'\004'* ]]; do
        want=${want%%$'\004'*}'$(__fk_git)'${want#*$'\006'}
      done
      want=${want//$'\005'/'$(__fk_exit)'}
    fi
    check_eq "$label: ${about[id]}" "$want" "$shown"
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
