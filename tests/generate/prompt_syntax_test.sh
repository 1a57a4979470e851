#!/bin/bash
# Every shape of the generated prompt script is valid bash and zsh, passes shellcheck apart from
# the findings kept on purpose, and sources and builds its prompt in both shells without a word
# on standard error.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

# Findings in the fixed text of the prompt script that are kept on purpose: SC1007 for the empty
# assignments in "local ... out= prev=", SC2034 for PROMPT, precmd_functions, d and nl, which only
# the shells themselves (or another branch or template) read, SC2043 for the loop over a template
# with a single block, SC2016 for the user's literal text with a "$" in it, single-quoted so that
# it does not expand.
known_findings=' SC1007 SC2016 SC2034 SC2043 '

on=(terminal.prompt_enabled true)
pl=("${on[@]}" terminal.style powerline)
variants=()
add() { # name [key value]...
  local path
  path=$(make_variant "$@") && variants+=("$path")
}

add off terminal.prompt_enabled false
add off-powerline terminal.prompt_enabled false terminal.style powerline terminal.scope all
add plain-nemo "${on[@]}"
add plain-all "${on[@]}" terminal.scope all
add plain-full "${on[@]}" terminal.cwd_style full
add plain-short "${on[@]}" terminal.cwd_style short
add plain-base "${on[@]}" terminal.cwd_style base
add plain-raw-bash "${on[@]}" terminal.raw_bash "\\u it's \\w \\\$ "
add plain-raw-zsh "${on[@]}" terminal.raw_zsh "%n it's %~ %# "
add plain-raw-both "${on[@]}" terminal.raw_bash '[\u] \t ' terminal.raw_zsh '[%n] %* '
add plain-no-colour "${on[@]}" terminal.bold false terminal.color_user '' terminal.color_host '' \
  terminal.color_cwd '' terminal.color_git '' terminal.color_sym ''
add plain-every-token "${on[@]}" terminal.template '{time} {user}@{host} {cwd}{git}{exit} {date} {{user}{nl}{sym} '
add plain-quote "${on[@]}" terminal.template "it's {cwd}{nl}'{sym}' " terminal.symbol "o'k"
add plain-specials "${on[@]}" terminal.template '100% "q" $ a\b {nl}{sym} ' terminal.symbol '%'
add plain-backslash-n "${on[@]}" terminal.template 'a\nb{nl}{sym} ' terminal.symbol '\n'
add plain-two-nl "${on[@]}" terminal.template '{user}{nl}{cwd}{nl}{sym} '
add plain-empty-template "${on[@]}" terminal.template ''
for separator in arrow rounded slant flame ascii; do
  add "powerline-$separator" "${pl[@]}" terminal.separator "$separator"
done
add powerline-all "${pl[@]}" terminal.scope all
add powerline-short "${pl[@]}" terminal.cwd_style short
add powerline-base "${pl[@]}" terminal.cwd_style base
add powerline-not-bold "${pl[@]}" terminal.bold false
add powerline-no-colour "${pl[@]}" terminal.color_user '' terminal.bg_user '' terminal.color_sym ''
add powerline-raw-bash "${pl[@]}" terminal.raw_bash "\\u it's \\\$ "
add powerline-raw-zsh "${pl[@]}" terminal.raw_zsh "%n it's %# "
add powerline-raw-both "${pl[@]}" terminal.raw_bash '\u \$ ' terminal.raw_zsh '%n %# '
add powerline-one-line "${pl[@]}" terminal.template '{user} {cwd}{git} {sym} > '
add powerline-one-block "${pl[@]}" terminal.template '{cwd}{nl}{sym} '
add powerline-two-nl "${pl[@]}" terminal.template '{user}{nl}{cwd}{nl}{time}{sym} '
add powerline-no-blocks "${pl[@]}" terminal.template 'just {sym} text'
add powerline-every-block "${pl[@]}" terminal.template '{user}{host}{cwd}{git}{time}{exit}{user}{nl}{sym} '
add powerline-quote "${pl[@]}" terminal.template "{cwd}{nl}it's {sym} " terminal.symbol "o'k"
add powerline-backslash-n "${pl[@]}" terminal.template 'a\nb{nl}{sym} \n' terminal.symbol '\n'
# Literal text that prompt options expand: escaped in the static plain prompt, and through the
# escaping __fk_pct in the powerline tail.
add plain-expandable "${on[@]}" terminal.template '$(x) `y` \ !x ${z} {cwd}$ {nl}{sym}$1 ' terminal.symbol '$$'
add powerline-expandable "${pl[@]}" terminal.template '{cwd}{nl}$(x) `y` \ !x {sym}$1 ' terminal.symbol '$$'

# The shellcheck run goes on in the background while the shells source every variant.
shellcheck -s bash "${variants[@]}" >"$work/shellcheck.txt" 2>&1 &
shellcheck_pid=$!

for path in "${variants[@]}"; do
  name=${path##*/}
  name=${name%.sh}
  checks=$((checks + 2))
  out=$(bash --norc --noprofile -n "$path" 2>&1) || fail "bash -n rejects variant $name: $(show "$out")"
  out=$(zsh -f -n "$path" 2>&1) || fail "zsh -n rejects variant $name: $(show "$out")"
  # Sourced for real: defines its functions, builds a prompt, and complains about nothing.
  out=$(cd "$work" && in_bash "$path" '' \
    "if declare -F __fk_pc >/dev/null; then false; __fk_pc; fi; $SHOW_BASH >/dev/null" 2>&1)
  check_eq "variant $name sourced in bash: messages" '' "$out"
  out=$(cd "$work" && in_zsh "$path" '' \
    "if (( \$+functions[__fk_pc] )); then false; __fk_pc; fi; $SHOW_ZSH >/dev/null" 2>&1)
  check_eq "variant $name sourced in zsh: messages" '' "$out"
done

wait "$shellcheck_pid"
report=$(cat "$work/shellcheck.txt")
printf '%s\n' '--- shellcheck -s bash on every variant (for the record) ---' "$report" '--- end of shellcheck report ---'
# One line per finding: "FILE line N: SCxxxx (level): message".
findings=$(printf '%s\n' "$report" | awk '
  /^In .* line [0-9]+:$/ { where = substr($0, 4, length($0) - 4); next }
  match($0, /SC[0-9]+ \((error|warning|info|style)\): .*/) { print where ": " substr($0, RSTART) }')
checks=$((checks + 1))
[ -n "$findings" ] || fail "shellcheck reported nothing at all; expected at least the known findings"
while IFS= read -r finding; do
  [ -n "$finding" ] || continue
  code=${finding#*: }
  code=${code%% *}
  case $known_findings in
    *" $code "*) ;;
    *) fail "shellcheck finding outside the known ones ($known_findings): ${finding#"$work/variants/"}" ;;
  esac
done <<<"$findings"

# The template and symbol with a literal backslash-n once made a zsh line that neither shell
# accepted; both shells must now take it and show the backslash and the n as text.
path="$work/variants/plain-backslash-n.sh"
out=$(cd "$work" && in_bash "$path" '' "$SHOW_BASH")
check_eq 'plain backslash-n in bash' $'a\\nb\n\\n ' "$(strip_prompt "$out")"
out=$(cd "$work" && in_zsh "$path" '' "$SHOW_ZSH")
check_eq 'plain backslash-n in zsh' $'a\\nb\n\\n ' "$(strip_prompt "$out")"
# In the powerline style the text before the last {nl} is dropped (no blocks here, so the first
# line is empty); both shells show the symbol and the tail text as written.
path="$work/variants/powerline-backslash-n.sh"
out=$(cd "$work" && in_zsh "$path" '' "__fk_pc; $SHOW_ZSH")
check_eq 'powerline backslash-n in zsh' $'\n\\n \\n' "$(strip_prompt "$out")"
out=$(cd "$work" && in_bash "$path" '' "__fk_pc; $SHOW_BASH")
check_eq 'powerline backslash-n in bash' $'\n\\n \\n' "$(strip_prompt "$out")"

finish
