#!/bin/bash
# The hook block in real interactive shells: after prompt-install a new interactive bash and zsh
# read their rc files and have sourced prompt.sh; after prompt-remove they have not, and the rc
# files hold their old bytes again. Also with rc files without a final line feed (and a line that
# another installer appends after the install), an odd configuration folder, a ~/.bashrc that is
# a link into a dotfiles folder, and private (mode 600) rc files.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home

# The lines an interactive shell without a terminal always writes on standard error.
no_tty_noise='cannot set terminal process group|no job control in this shell|can.t set tty pgrp|can.t change option: zle'

# What a new interactive bash sees after its start-up files: its prompt, a variable the user's
# rc file sets, and whether the prompt script's git function is there. Anything else it writes on
# standard error is a failure.
bash_state() { # what
  local out err
  # shellcheck disable=SC2016  # expanded by bash
  out=$(cd "$HOME" && FENNICK_FORCE=1 timeout 20 bash -i -c \
    'printf "PS1=%s|user=%s|" "$PS1" "${FK_USER-}"; declare -F __fk_git || echo "no __fk_git"' \
    </dev/null 2>"$work/bash.err")
  err=$(grep -Ev "$no_tty_noise" "$work/bash.err")
  checks=$((checks + 1))
  [ -z "$err" ] || fail "$1: bash wrote on standard error: $(show "$err")"
  printf '%s' "$out"
}

zsh_state() { # what
  local out err
  # shellcheck disable=SC2016  # expanded by zsh
  out=$(cd "$HOME" && FENNICK_FORCE=1 timeout 20 zsh -i -c \
    'printf "PROMPT=%s|user=%s|" "$PROMPT" "${FK_USER-}"; (( $+functions[__fk_git] )) && echo __fk_git || echo "no __fk_git"' \
    </dev/null 2>"$work/zsh.err")
  err=$(grep -Ev "$no_tty_noise" "$work/zsh.err")
  checks=$((checks + 1))
  [ -z "$err" ] || fail "$1: zsh wrote on standard error: $(show "$err")"
  printf '%s' "$out"
}

# The state each shell has after sourcing the prompt script by itself, without any rc file.
sourced_bash_state() { # user
  # shellcheck disable=SC2016  # expanded by bash
  FENNICK_FORCE=1 FK_USER=$1 bash --norc --noprofile -c \
    '. "$1"; printf "PS1=%s|user=%s|" "$PS1" "$FK_USER"; declare -F __fk_git' \
    fk-bash "$FENNICK_DIR/prompt.sh"
}
sourced_zsh_state() { # user
  # shellcheck disable=SC2016  # expanded by zsh
  FENNICK_FORCE=1 FK_USER=$1 zsh -f -c \
    '. "$1"; printf "PROMPT=%s|user=%s|" "$PROMPT" "$FK_USER"; (( $+functions[__fk_git] )) && echo __fk_git' \
    fk-zsh "$FENNICK_DIR/prompt.sh"
}

# A fresh home with the configuration folder given, and the prompt switched on.
fresh_home() { # configuration folder
  rm -rf "$HOME"
  mkdir -p "$HOME"
  export FENNICK_DIR=$1
  "$FENNICK_BIN" set terminal.prompt_enabled true >/dev/null || fail "fennick set failed"
}

# What prompt-install adds while the prompt is on for Nemo's own terminal only.
scope_hint="the prompt shows only in Nemo's own terminal; for every terminal: fennick set terminal.scope all"

# Installs the hook, checks both shells, removes it and checks that everything is as before.
# The rc files must exist and set FK_USER to "bash" and "zsh".
install_and_remove() { # what
  local what=$1 bash_before zsh_before bash_bytes zsh_bytes out
  bash_before=$(bash_state "$what: bash before")
  zsh_before=$(zsh_state "$what: zsh before")
  check_contains "$what: bash reads the user's rc file" '|user=bash|no __fk_git' "$bash_before"
  check_contains "$what: zsh reads the user's rc file" '|user=zsh|no __fk_git' "$zsh_before"
  bash_bytes=$(od -An -c "$HOME/.bashrc")
  zsh_bytes=$(od -An -c "$HOME/.zshrc")

  out=$("$FENNICK_BIN" prompt-install 2>&1)
  check_eq "$what: prompt-install output" "added block to $HOME/.bashrc
added block to $HOME/.zshrc
$scope_hint" "$out"
  check_eq "$what: bash has sourced the prompt script" "$(sourced_bash_state bash)" \
    "$(bash_state "$what: bash after install")"
  check_eq "$what: zsh has sourced the prompt script" "$(sourced_zsh_state zsh)" \
    "$(zsh_state "$what: zsh after install")"

  out=$("$FENNICK_BIN" prompt-remove 2>&1)
  check_eq "$what: prompt-remove output" "removed block from $HOME/.bashrc
removed block from $HOME/.zshrc" "$out"
  check_eq "$what: bash as before" "$bash_before" "$(bash_state "$what: bash after remove")"
  check_eq "$what: zsh as before" "$zsh_before" "$(zsh_state "$what: zsh after remove")"
  check_eq "$what: .bashrc bytes as before" "$bash_bytes" "$(od -An -c "$HOME/.bashrc")"
  check_eq "$what: .zshrc bytes as before" "$zsh_bytes" "$(od -An -c "$HOME/.zshrc")"
}

user_bashrc() {
  printf '%s\n' '# my bashrc' 'FK_USER=bash' "alias ll='ls -l'" '' 'HISTSIZE=500'
}
user_zshrc() {
  printf '%s\n' '# my zshrc' 'FK_USER=zsh' 'setopt no_beep'
}

plain_rc_files() {
  fresh_home "$HOME/.config/fennick"
  user_bashrc >"$HOME/.bashrc"
  user_zshrc >"$HOME/.zshrc"
  install_and_remove 'plain rc files'
  check_eq 'plain rc files: bash backup' "$(user_bashrc)" "$(cat "$HOME/.bashrc.fennick-bak")"
}

# rc files whose last line has no line feed: the block goes below it on lines of its own, and
# the removal gives back the very bytes.
rc_files_without_final_line_feed() {
  fresh_home "$HOME/.config/fennick"
  printf '%s' "$(user_bashrc)" >"$HOME/.bashrc"
  printf '%s' "$(user_zshrc)" >"$HOME/.zshrc"
  install_and_remove 'rc files without a final line feed'
}

# A line appended to rc files without a final line feed after the install, as other installers
# do: both shells run it, and after the removal it stands on a line of its own below the user's.
line_appended_after_install() {
  local what='a line appended after the install' name
  fresh_home "$HOME/.config/fennick"
  printf '%s' "$(user_bashrc)" >"$HOME/.bashrc"
  printf '%s' "$(user_zshrc)" >"$HOME/.zshrc"
  "$FENNICK_BIN" prompt-install >/dev/null 2>&1 || fail "$what: prompt-install failed"
  for name in .bashrc .zshrc; do echo 'FK_USER=later' >>"$HOME/$name"; done
  check_eq "$what: bash runs it" "$(sourced_bash_state later)" "$(bash_state "$what: bash")"
  check_eq "$what: zsh runs it" "$(sourced_zsh_state later)" "$(zsh_state "$what: zsh")"
  "$FENNICK_BIN" prompt-remove >/dev/null 2>&1 || fail "$what: prompt-remove failed"
  check_eq "$what: .bashrc bytes" "$({ user_bashrc; echo FK_USER=later; } | od -An -c)" \
    "$(od -An -c "$HOME/.bashrc")"
  check_eq "$what: .zshrc bytes" "$({ user_zshrc; echo FK_USER=later; } | od -An -c)" \
    "$(od -An -c "$HOME/.zshrc")"
  check_contains "$what: bash after remove" '|user=later|no __fk_git' "$(bash_state "$what")"
}

# A configuration folder whose name the shells would expand or run if the hook line did not
# escape it.
odd_configuration_folder() {
  local odd="$work/cfg \$HOME \"q\" \`touch PWNED1\` \$(touch PWNED2) back\\slash !bang it's ~"
  fresh_home "$odd"
  [ -r "$odd/prompt.sh" ] || fail "odd folder: no prompt script at $(show "$odd/prompt.sh")"
  user_bashrc >"$HOME/.bashrc"
  user_zshrc >"$HOME/.zshrc"
  install_and_remove 'odd configuration folder'
  check_nothing_ran 'odd configuration folder'
}

# ~/.bashrc is a relative link into a dotfiles folder; both rc files are private.
linked_private_rc_files() {
  local what='linked private rc files' out
  fresh_home "$HOME/.config/fennick"
  mkdir -p "$HOME/dotfiles"
  user_bashrc >"$HOME/dotfiles/bashrc"
  chmod 600 "$HOME/dotfiles/bashrc"
  ln -s dotfiles/bashrc "$HOME/.bashrc"
  user_zshrc >"$HOME/.zshrc"
  chmod 600 "$HOME/.zshrc"
  install_and_remove "$what"
  check_eq "$what: .bashrc is still a link" 'dotfiles/bashrc' "$(readlink "$HOME/.bashrc")"
  check_eq "$what: the link target keeps its mode" 600 "$(stat -c %a "$HOME/dotfiles/bashrc")"
  check_eq "$what: .zshrc keeps its mode" 600 "$(stat -c %a "$HOME/.zshrc")"
  check_eq "$what: the bash backup is private" 600 "$(stat -c %a "$HOME/.bashrc.fennick-bak")"
  check_eq "$what: the zsh backup is private" 600 "$(stat -c %a "$HOME/.zshrc.fennick-bak")"
  check_eq "$what: nothing else in dotfiles" 'bashrc' "$(ls -A "$HOME/dotfiles")"

  # Installed again: the change goes into the link target, the link and the mode stay.
  out=$("$FENNICK_BIN" prompt-install 2>&1)
  check_eq "$what: prompt-install again" "added block to $HOME/.bashrc
added block to $HOME/.zshrc
$scope_hint" "$out"
  checks=$((checks + 1))
  [ -L "$HOME/.bashrc" ] || fail "$what: .bashrc is no longer a link"
  check_contains "$what: the target holds the block" '# >>> fennick >>>' \
    "$(cat "$HOME/dotfiles/bashrc")"
  check_eq "$what: the target is still private" 600 "$(stat -c %a "$HOME/dotfiles/bashrc")"
  check_contains "$what: bash in the linked setup" '__fk_git' "$(bash_state "$what: bash")"
}

plain_rc_files
rc_files_without_final_line_feed
line_appended_after_install
odd_configuration_folder
linked_private_rc_files
finish
