#!/bin/bash
# The generated prompt script in real bash and zsh: what the plain and the powerline prompt show
# (user, host, folder, git branch, exit status, separators, symbol), the guard that keeps the
# script out of terminals other than Nemo's, and the registration of the powerline functions.
# Expected prompts show "~" for the home folder as text.
# shellcheck disable=SC2088
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

me=$(id -un)
host=$(uname -n)
host=${host%%.*}
# The prompt escape for "root or not": bash \$ and zsh %# show "#" for root.
if [ "$(id -u)" = 0 ]; then hash_or_dollar='#' hash_or_percent='#'; else hash_or_dollar='$' hash_or_percent='%'; fi

# Folders: a plain one, a git repository on a named branch with a subfolder, a repository with a
# detached HEAD, nested folders for the short and base folder styles, and a sibling of the home
# folder whose name starts with the home folder's name.
mkdir -p "$HOME/plain" "$HOME/a/b/c" "$HOME/alpha/beta/gamma" "$work/outer/inner/deep" \
  "$HOME/repo/sub" "$HOME/detached" "$HOME-2"
git init -q -b topic/prompt-1 "$HOME/repo"
git -C "$HOME/repo" commit -q --allow-empty -m first
git init -q "$HOME/detached"
git -C "$HOME/detached" commit -q --allow-empty -m first
git -C "$HOME/detached" commit -q --allow-empty -m second
git -C "$HOME/detached" checkout -q --detach HEAD~1
detached=$(git -C "$HOME/detached" rev-parse --short HEAD)

# The prompt each shell shows in FOLDER after running COMMAND, colours stripped unless RAW is set.
bash_prompt() { # script folder [command] [prelude] [raw]
  local out
  out=$(cd "$2" && in_bash "$1" "${4:-}" "${3:-:}; $SHOW_BASH")
  if [ -n "${5:-}" ]; then printf '%s' "$out"; else strip_prompt "$out"; fi
}
zsh_prompt() { # script folder [command] [prelude] [raw]
  local out
  out=$(cd "$2" && in_zsh "$1" "${4:-}" "${3:-:}; $SHOW_ZSH")
  if [ -n "${5:-}" ]; then printf '%s' "$out"; else strip_prompt "$out"; fi
}

on=(terminal.prompt_enabled true)

plain_prompt_tests() {
  local v
  v=$(make_variant plain "${on[@]}")
  check_eq 'plain bash, plain folder' "$me@$host ~/plain"$'\n$ ' "$(bash_prompt "$v" "$HOME/plain")"
  check_eq 'plain zsh, plain folder' "$me@$host ~/plain"$'\n$ ' "$(zsh_prompt "$v" "$HOME/plain")"
  check_eq 'plain bash, git branch' "$me@$host ~/repo (topic/prompt-1)"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/repo")"
  check_eq 'plain zsh, git branch' "$me@$host ~/repo (topic/prompt-1)"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/repo")"
  check_eq 'plain bash, git subfolder' "$me@$host ~/repo/sub (topic/prompt-1)"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/repo/sub")"
  check_eq 'plain zsh, git subfolder' "$me@$host ~/repo/sub (topic/prompt-1)"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/repo/sub")"
  check_eq 'plain bash, detached HEAD' "$me@$host ~/detached ($detached)"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/detached")"
  check_eq 'plain zsh, detached HEAD' "$me@$host ~/detached ($detached)"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/detached")"
  check_eq 'plain bash, home folder sibling' "$me@$host $HOME-2"$'\n$ ' "$(bash_prompt "$v" "$HOME-2")"
  check_eq 'plain zsh, home folder sibling' "$me@$host $HOME-2"$'\n$ ' "$(zsh_prompt "$v" "$HOME-2")"
  check_eq 'plain bash, stale USER' "$me@$host ~/plain"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/plain" : USER=someoneelse)"
  check_eq 'plain zsh, stale USER' "$me@$host ~/plain"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/plain" : USER=someoneelse)"

  # {exit}: the status of the last command when it is not 0, nothing after a success.
  v=$(make_variant plain-exit "${on[@]}" terminal.template '{user}{exit}{nl}{sym} ')
  check_eq 'plain bash, exit after failure' "$me [3]"$'\n$ ' "$(bash_prompt "$v" "$HOME" '(exit 3)')"
  check_eq 'plain zsh, exit after failure' "$me [3]"$'\n$ ' "$(zsh_prompt "$v" "$HOME" '(exit 3)')"
  check_eq 'plain bash, exit after success' "$me"$'\n$ ' "$(bash_prompt "$v" "$HOME" true)"
  check_eq 'plain zsh, exit after success' "$me"$'\n$ ' "$(zsh_prompt "$v" "$HOME" true)"

  # {exit} shows the last command's status wherever it stands beside {git} and {time}, in both
  # styles: none of the prompt's own command substitutions changes the status the next one sees.
  local order token layout pattern pl_pattern shell last p names exit_shown pl_exit_shown out re
  for order in 'git time exit' 'git exit time' 'time git exit' 'time exit git' 'exit git time' \
    'exit time git'; do
    layout= pattern= pl_pattern=
    for token in $order; do
      layout+="{$token}"
      case $token in
        git) pattern+=' \(topic/prompt-1\)' pl_pattern+=' topic/prompt-1 >' ;;
        time) pattern+='[0-9]{1,2}:[0-9]{2}:[0-9]{2}' pl_pattern+=' [0-9]{2}:[0-9]{2} >' ;;
        exit) pattern+='@EXIT@' pl_pattern+='@PLEXIT@' ;;
      esac
    done
    v=$(make_variant "plain-order-${order// /-}" "${on[@]}" terminal.template "$layout{nl}{sym} ")
    p=$(make_variant "pl-order-${order// /-}" "${on[@]}" terminal.style powerline \
      terminal.separator ascii terminal.template "$layout{nl}{sym} ")
    for shell in bash zsh; do
      for last in 3 0; do
        if [ "$last" = 3 ]; then exit_shown=' \[3\]' pl_exit_shown=' 3 >'; else exit_shown= pl_exit_shown=; fi
        out=$("${shell}_prompt" "$v" "$HOME/repo" "(exit $last)")
        checks=$((checks + 1))
        re="^${pattern//@EXIT@/$exit_shown}"$'\n''\$ $'
        [[ $out =~ $re ]] ||
          fail "plain $shell, $order after status $last: got $(show "$out")"
        names=${shell}_names
        out=$("${shell}_prompt" "$p" "$HOME/repo" "(exit $last); __fk_pc" "${!names}")
        checks=$((checks + 1))
        re="^${pl_pattern//@PLEXIT@/$pl_exit_shown}"$'\n''\$ $'
        [[ $out =~ $re ]] ||
          fail "powerline $shell, $order after status $last: got $(show "$out")"
      done
    done
  done

  # Folder styles: bash shortens with PROMPT_DIRTRIM (only where that makes the text shorter),
  # zsh with %2~.
  v=$(make_variant plain-short "${on[@]}" terminal.template '{cwd}' terminal.cwd_style short)
  check_eq 'plain bash, short folder' '~/.../beta/gamma' "$(bash_prompt "$v" "$HOME/alpha/beta/gamma")"
  check_eq 'plain zsh, short folder' 'beta/gamma' "$(zsh_prompt "$v" "$HOME/alpha/beta/gamma")"
  check_eq 'plain bash, short folder outside home' '.../inner/deep' "$(bash_prompt "$v" "$work/outer/inner/deep")"
  check_eq 'plain zsh, short folder outside home' 'inner/deep' "$(zsh_prompt "$v" "$work/outer/inner/deep")"
  v=$(make_variant plain-base "${on[@]}" terminal.template '{cwd}' terminal.cwd_style base)
  check_eq 'plain bash, base folder' 'c' "$(bash_prompt "$v" "$HOME/a/b/c")"
  check_eq 'plain zsh, base folder' 'c' "$(zsh_prompt "$v" "$HOME/a/b/c")"
  v=$(make_variant plain-full "${on[@]}" terminal.template '{cwd}' terminal.cwd_style full)
  check_eq 'plain bash, full folder' '~/a/b/c' "$(bash_prompt "$v" "$HOME/a/b/c")"
  check_eq 'plain zsh, full folder' '~/a/b/c' "$(zsh_prompt "$v" "$HOME/a/b/c")"

  # Literal template text and symbol with characters the shells treat specially.
  v=$(make_variant plain-literal "${on[@]}" terminal.template "100% \"q\" \$ a\\b it's {nl}{sym} " \
    terminal.symbol "%'")
  check_eq 'plain bash, literal text' $'100% "q" $ a\\b it\'s \n%\' ' "$(bash_prompt "$v" "$HOME")"
  check_eq 'plain zsh, literal text' $'100% "q" $ a\\b it\'s \n%\' ' "$(zsh_prompt "$v" "$HOME")"

  # No colour and no bold: not one escape sequence or marker is left.
  v=$(make_variant plain-no-colour "${on[@]}" terminal.bold false terminal.color_user '' \
    terminal.color_host '' terminal.color_cwd '' terminal.color_git '' terminal.color_sym '')
  check_eq 'plain bash, no colour' "$me@$host ~/repo (topic/prompt-1)"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/repo" : '' raw)"
  check_eq 'plain zsh, no colour' "$me@$host ~/repo (topic/prompt-1)"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/repo" : '' raw)"

  # Raw prompts replace the built one in their own shell only.
  v=$(make_variant plain-raw-bash "${on[@]}" terminal.raw_bash "[\\u] it's \\w \\\$ ")
  check_eq 'plain raw bash prompt' "[$me] it's ~/plain $hash_or_dollar " "$(bash_prompt "$v" "$HOME/plain")"
  check_eq 'plain raw bash prompt, zsh keeps the template' "$me@$host ~/plain"$'\n$ ' \
    "$(zsh_prompt "$v" "$HOME/plain")"
  v=$(make_variant plain-raw-zsh "${on[@]}" terminal.raw_zsh "[%n] it's %~ %# ")
  check_eq 'plain raw zsh prompt' "[$me] it's ~/plain $hash_or_percent " "$(zsh_prompt "$v" "$HOME/plain")"
  check_eq 'plain raw zsh prompt, bash keeps the template' "$me@$host ~/plain"$'\n$ ' \
    "$(bash_prompt "$v" "$HOME/plain")"
}

# Sourcing under scope nemo outside Nemo's terminal changes nothing; FENNICK_FORCE=1, a parent
# process named nemo, or scope all let the script act.
guard_tests() {
  local plain powerline all v out
  plain=$(make_variant guard-plain "${on[@]}")
  powerline=$(make_variant guard-powerline "${on[@]}" terminal.style powerline)
  all=$(make_variant guard-all "${on[@]}" terminal.scope all)
  # shellcheck disable=SC2016  # expanded by the shells under test
  local bash_state='. "$1"; echo "status=$? PS1=$PS1 PROMPT_COMMAND=${PROMPT_COMMAND-unset} functions=$(compgen -A function | tr "\n" " ")"'
  # shellcheck disable=SC2016
  local zsh_state='. "$1"; echo "status=$? PROMPT=$PROMPT precmd=${precmd_functions[*]} functions=${(k)functions}"'
  local -a force_env
  for v in "$plain" "$powerline"; do
    for force in unset 0; do
      force_env=()
      [ "$force" = unset ] || force_env=("FENNICK_FORCE=$force")
      out=$(cd "$HOME" && env "${force_env[@]}" bash --norc --noprofile -c "PS1=before; $bash_state" fk-bash "$v" 2>&1)
      check_eq "guard in bash (${v##*/}, FENNICK_FORCE $force)" \
        'status=0 PS1=before PROMPT_COMMAND=unset functions=' "$out"
      out=$(cd "$HOME" && env "${force_env[@]}" zsh -f -c "PROMPT=before; $zsh_state" fk-zsh "$v" 2>&1)
      check_eq "guard in zsh (${v##*/}, FENNICK_FORCE $force)" \
        'status=0 PROMPT=before precmd= functions=' "$out"
    done
  done
  check_eq 'scope all in bash without FENNICK_FORCE' "$me@$host ~"$'\n$ ' \
    "$(strip_prompt "$(cd "$HOME" && bash --norc --noprofile -c ". \"\$1\"; $SHOW_BASH" fk-bash "$all")")"
  check_eq 'scope all in zsh without FENNICK_FORCE' "$me@$host ~"$'\n$ ' \
    "$(strip_prompt "$(cd "$HOME" && zsh -f -c ". \"\$1\"; $SHOW_ZSH" fk-zsh "$all")")"
  # A parent process named nemo: a bash started under that name starts the shell under test.
  mkdir -p "$work/bin"
  ln -s "$(command -v bash)" "$work/bin/nemo"
  # shellcheck disable=SC2016  # expanded by the inner shell
  out=$(cd "$HOME" && "$work/bin/nemo" --norc --noprofile -c \
    'bash --norc --noprofile -c ". \"\$1\"; $2" fk-bash "$1"; :' nemo "$plain" "$SHOW_BASH")
  check_eq 'guard in bash under a parent named nemo' "$me@$host ~"$'\n$ ' "$(strip_prompt "$out")"
  # shellcheck disable=SC2016
  out=$(cd "$HOME" && "$work/bin/nemo" --norc --noprofile -c \
    'zsh -f -c ". \"\$1\"; $2" fk-zsh "$1"; :' nemo "$plain" "$SHOW_ZSH")
  check_eq 'guard in zsh under a parent named nemo' "$me@$host ~"$'\n$ ' "$(strip_prompt "$out")"
}

pl=("${on[@]}" terminal.style powerline terminal.separator ascii)
# Powerline blocks take the host from HOSTNAME (bash) or HOST (zsh), set here so that the host
# has dots to cut; the user block shows the account the shell runs as, not a stale USER.
bash_names='USER=someoneelse HOSTNAME=box.example.org'
zsh_names='USER=someoneelse HOST=box.example.org'
# The powerline prompt as __fk_pc builds it after COMMAND, colours stripped unless RAW is set.
pl_bash() { # script folder [command] [raw]
  bash_prompt "$1" "$2" "${3:-:}; __fk_pc" "$bash_names" "${4:-}"
}
pl_zsh() { # script folder [command] [raw]
  zsh_prompt "$1" "$2" "${3:-:}; __fk_pc" "$zsh_names" "${4:-}"
}
# One SGR sequence as the shell shows it: bash keeps its non-printing markers 01 and 02 around it.
sgr() { # shell code
  if [ "$1" = bash ]; then printf '\001\033[%sm\002' "$2"; else printf '\033[%sm' "$2"; fi
}
# Both shells must show EXPECTED.
pl_both() { # what expected script folder [command]
  check_eq "$1 (bash)" "$2" "$(pl_bash "$3" "$4" "${5:-}")"
  check_eq "$1 (zsh)" "$2" "$(pl_zsh "$3" "$4" "${5:-}")"
}

powerline_block_tests() {
  local v
  v=$(make_variant pl-default "${pl[@]}")
  pl_both 'powerline, plain folder' " $me"$' > box > ~/plain >\n$ ' "$v" "$HOME/plain"
  pl_both 'powerline, git branch' " $me"$' > box > ~/repo > topic/prompt-1 >\n$ ' "$v" "$HOME/repo"
  pl_both 'powerline, git subfolder' " $me"$' > box > ~/repo/sub > topic/prompt-1 >\n$ ' "$v" "$HOME/repo/sub"
  pl_both 'powerline, detached HEAD' " $me > box > ~/detached > $detached >"$'\n$ ' "$v" "$HOME/detached"
  pl_both 'powerline, home folder' " $me"$' > box > ~ >\n$ ' "$v" "$HOME"
  pl_both 'powerline, folder outside home' " $me > box > $work >"$'\n$ ' "$v" "$work"
  pl_both 'powerline, home folder sibling' " $me > box > $HOME-2 >"$'\n$ ' "$v" "$HOME-2"

  # The colours land where they belong: each block on its background, each separator in the
  # previous block's background on the next block's, the last one on the terminal's own.
  local shell expected
  for shell in bash zsh; do
    expected="$(sgr "$shell" '1;48;2;31;61;58;38;2;78;201;176') $me $(sgr "$shell" '48;2;27;47;69;38;2;31;61;58')>"
    expected+="$(sgr "$shell" '1;48;2;27;47;69;38;2;86;156;214') box $(sgr "$shell" '48;2;59;59;38;38;2;27;47;69')>"
    expected+="$(sgr "$shell" '1;48;2;59;59;38;38;2;220;220;170') ~/plain "
    expected+="$(sgr "$shell" '0;38;2;59;59;38')>$(sgr "$shell" 0)"$'\n'
    expected+="$(sgr "$shell" '1;38;2;206;145;120')\$$(sgr "$shell" 0) "
    check_eq "powerline colours and markers ($shell)" "$expected" "$("pl_$shell" "$v" "$HOME/plain" : raw)"
  done

  v=$(make_variant pl-not-bold "${pl[@]}" terminal.bold false)
  check_lacks 'powerline without bold (bash)' $'\e[1;' "$(pl_bash "$v" "$HOME/repo" : raw)"
  check_lacks 'powerline without bold (zsh)' $'\e[1;' "$(pl_zsh "$v" "$HOME/repo" : raw)"
  pl_both 'powerline without bold, text' " $me"$' > box > ~/repo > topic/prompt-1 >\n$ ' "$v" "$HOME/repo"

  v=$(make_variant pl-no-colour "${pl[@]}" terminal.color_user '' terminal.bg_user '')
  check_contains 'powerline, empty colours fall back (bash)' \
    $'\001\e[1;48;2;40;40;40;38;2;255;255;255m\002'" $me " "$(pl_bash "$v" "$HOME" : raw)"
  check_contains 'powerline, empty colours fall back (zsh)' \
    $'\e[1;48;2;40;40;40;38;2;255;255;255m'" $me " "$(pl_zsh "$v" "$HOME" : raw)"

  # Exit status block: only after a failing command.
  v=$(make_variant pl-exit "${pl[@]}" terminal.template '{user}{exit}{nl}{sym} ')
  pl_both 'powerline, exit after failure' " $me"$' > 3 >\n$ ' "$v" "$HOME" '(exit 3)'
  pl_both 'powerline, exit after false' " $me"$' > 1 >\n$ ' "$v" "$HOME" false
  pl_both 'powerline, exit after success' " $me"$' >\n$ ' "$v" "$HOME" true

  v=$(make_variant pl-time "${pl[@]}" terminal.template '{time}{nl}{sym} ')
  local out
  for shell in bash zsh; do
    out=$("pl_$shell" "$v" "$HOME")
    checks=$((checks + 1))
    [[ $out =~ ^\ [0-2][0-9]:[0-5][0-9]\ \>$'\n'\$\ $ ]] || fail "powerline time block ($shell): got $(show "$out")"
  done
}

powerline_layout_tests() {
  local v sep glyph
  for sep in arrow:$'\xee\x82\xb0' rounded:$'\xee\x82\xb4' slant:$'\xee\x82\xbc' \
    flame:$'\xee\x83\x80' ascii:'>'; do
    glyph=${sep#*:}
    sep=${sep%%:*}
    v=$(make_variant "pl-$sep" "${pl[@]}" terminal.separator "$sep")
    pl_both "powerline separator $sep" " $me $glyph box $glyph ~/repo $glyph topic/prompt-1 $glyph"$'\n$ ' \
      "$v" "$HOME/repo"
  done

  # Folder styles, in and outside the home folder.
  local style dir expected row
  for style in full short base; do
    v=$(make_variant "pl-cwd-$style" "${pl[@]}" terminal.template '{cwd}{nl}{sym} ' \
      terminal.cwd_style "$style")
    for row in \
      "$HOME|~|~|~" \
      "$HOME/a|~/a|~/a|a" \
      "$HOME/a/b/c|~/a/b/c|b/c|c" \
      "/|/|/|/" \
      "/usr|/usr|/usr|usr" \
      "/usr/lib|/usr/lib|usr/lib|lib"; do
      IFS='|' read -r dir full short base <<<"$row"
      case $style in
        full) expected=$full ;;
        short) expected=$short ;;
        *) expected=$base ;;
      esac
      pl_both "powerline cwd_style $style in $dir" " $expected >"$'\n$ ' "$v" "$dir"
    done
  done

  # Without {nl} the blocks and the tail share one line; text between blocks is not shown.
  v=$(make_variant pl-one-line "${pl[@]}" terminal.template '{user} {cwd}{git} {sym} > ')
  pl_both 'powerline without a new line' " $me"' > ~/repo > topic/prompt-1 >$ > ' "$v" "$HOME/repo"
  # With two {nl} every block before the last one is on the first line, one line break only.
  v=$(make_variant pl-two-nl "${pl[@]}" terminal.template '{user}{nl}{cwd}{nl}{time}{sym} ')
  pl_both 'powerline with two new lines' " $me"$' > ~/plain >\n$ ' "$v" "$HOME/plain"
  # No block tokens: the prompt is the tail alone.
  v=$(make_variant pl-no-blocks "${pl[@]}" terminal.template '{nl}=> {sym} ')
  pl_both 'powerline without blocks' $'\n=> $ ' "$v" "$HOME/repo"
  # Quotes and percent signs in the symbol and the tail reach the prompt unchanged.
  v=$(make_variant pl-quote "${pl[@]}" terminal.template "{user}{nl}it's 100% \"{sym}\" " \
    terminal.symbol "o'k%")
  pl_both 'powerline quotes in symbol and tail' " $me"$' >\nit\'s 100% "o\'k%" ' "$v" "$HOME"
}

registration_tests() {
  local v out
  v=$(make_variant pl-register "${pl[@]}")
  # shellcheck disable=SC2016  # expanded by the shells under test
  out=$(cd "$HOME" && in_bash "$v" 'PROMPT_COMMAND="history -a"' '. "$1"; printf "%s" "$PROMPT_COMMAND"')
  check_eq 'bash PROMPT_COMMAND after sourcing twice' '__fk_pc;history -a' "$out"
  # shellcheck disable=SC2016
  out=$(cd "$HOME" && in_bash "$v" '' 'printf "%s" "$PROMPT_COMMAND"')
  check_eq 'bash PROMPT_COMMAND when it was empty' '__fk_pc' "$out"
  # shellcheck disable=SC2016
  out=$(cd "$HOME" && in_zsh "$v" 'other() { :; }; precmd_functions=(other)' '. "$1"; print -rn -- "${precmd_functions[*]}"')
  check_eq 'zsh precmd_functions after sourcing twice' 'other __fk_pc' "$out"

  # A raw prompt switches the powerline machinery off in its own shell only.
  v=$(make_variant pl-raw-bash "${pl[@]}" terminal.raw_bash "[\\u] it's \\\$ ")
  # shellcheck disable=SC2016
  out=$(cd "$HOME" && in_bash "$v" '' "printf '%s|' \"\$PROMPT_COMMAND\"; $SHOW_BASH")
  check_eq 'powerline with raw bash prompt (bash)' "|[$me] it's $hash_or_dollar " "$out"
  check_eq 'powerline with raw bash prompt, zsh keeps the blocks' " $me"$' > box > ~ >\n$ ' \
    "$(pl_zsh "$v" "$HOME")"
  v=$(make_variant pl-raw-zsh "${pl[@]}" terminal.raw_zsh "[%n] it's %# ")
  out=$(cd "$HOME" && in_zsh "$v" '' "print -rn -- \"\${#precmd_functions}|\"; $SHOW_ZSH")
  check_eq 'powerline with raw zsh prompt (zsh)' "0|[$me] it's $hash_or_percent " "$out"
  check_eq 'powerline with raw zsh prompt, bash keeps the blocks' " $me"$' > box > ~ >\n$ ' \
    "$(pl_bash "$v" "$HOME")"
}

# Interactive shells read the commands from a pipe and write every prompt to standard error: the
# registered function runs by itself before each prompt.
interactive_tests() {
  local v out
  v=$(make_variant pl-interactive "${pl[@]}" terminal.template '{user}{host}{cwd}{git}{exit}{nl}{sym} ')
  out=$(cd "$HOME" && printf '%s\n' "$bash_names" ". '$v'" 'cd repo' '(exit 4)' 'exit 0' |
    FENNICK_FORCE=1 timeout 30 bash --norc --noprofile --noediting -i 2>&1 >/dev/null)
  out=$(strip_prompt "$out")
  check_contains 'interactive bash shows the blocks' " $me"$' > box > ~/repo > topic/prompt-1 >\n$ ' "$out"
  check_contains 'interactive bash shows the exit status' " $me"$' > box > ~/repo > topic/prompt-1 > 4 >\n$ ' "$out"
  out=$(cd "$HOME" && printf '%s\n' "$zsh_names" ". '$v'" 'cd repo' '(exit 4)' 'exit 0' |
    FENNICK_FORCE=1 timeout 30 zsh -f -i -o no_prompt_sp 2>&1 >/dev/null)
  out=$(strip_prompt "$out")
  check_contains 'interactive zsh shows the blocks' " $me"$' > box > ~/repo > topic/prompt-1 >\n$ ' "$out"
  check_contains 'interactive zsh shows the exit status' " $me"$' > box > ~/repo > topic/prompt-1 > 4 >\n$ ' "$out"
}

plain_prompt_tests
guard_tests
powerline_block_tests
powerline_layout_tests
registration_tests
interactive_tests
finish
