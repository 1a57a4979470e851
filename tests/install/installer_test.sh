#!/bin/bash
# The installer script for real, in temporary homes and with an otherwise empty environment:
# build and install, what --with-nemo says, the installed copy refusing to install, unknown
# options, and removal through "fennick uninstall" answering no and then yes, and with the terminal
# profile set to the font. The program is compiled once, and installed again from the build kept
# in the cache; the reinstall uses a stand-in for cmake that hands over that build, since what it
# checks is the installer's own work.
set -u

: "${FENNICK_SRC:?FENNICK_SRC must name the source folder}"
src=$FENNICK_SRC
installer=$src/fennick-install.sh

# shellcheck source=../shell_helpers.sh
. "$src/tests/shell_helpers.sh"

check_exists() { # what path
  checks=$((checks + 1))
  [ -e "$2" ] || [ -L "$2" ] || fail "$1: $2 is missing"
}

check_gone() { # what path
  checks=$((checks + 1))
  if [ -e "$2" ] || [ -L "$2" ]; then fail "$1: $2 is still there"; fi
}

# Every path under a folder with the checksum of each file: equal listings mean nothing changed.
listing() { # folder
  (cd "$1" && find . -print | LC_ALL=C sort | while IFS= read -r path; do
    if [ -f "$path" ] && [ ! -L "$path" ]; then
      printf '%s %s\n' "$path" "$(cksum <"$path")"
    else
      printf '%s\n' "$path"
    fi
  done)
}

# The temporary folder's path must not name the tool: one check below relies on that.
work=$(mktemp -d /tmp/installer-test.XXXXXX) || exit 1
# shellcheck disable=SC2064  # the folder is known now and must be the one removed
trap "rm -rf '$work'" EXIT
trap 'exit 1' HUP INT TERM PIPE

# Stand-ins for the outside programs that would reach beyond the temporary home: fc-cache would
# rebuild the machine's font caches. Each records its arguments.
fakes=$work/fakes
mkdir -p "$fakes"
cat >"$fakes/fc-cache" <<EOF
#!/bin/sh
printf '%s\n' "fc-cache \$*" >>'$work/fc-cache.log'
EOF
chmod 755 "$fakes/fc-cache"
base_path=$fakes:/usr/local/bin:/usr/bin:/bin

# Runs a command with nothing from this environment but a search path and the given home, plus
# any NAME=VALUE words given before the command.
# shellcheck disable=SC2317  # called through run
in_home() { # home [NAME=VALUE...] command...
  local home=$1
  shift
  env -i PATH="$base_path" HOME="$home" "$@"
}

# Runs a command, keeping its output in $out, $err and its exit status in $status; its standard
# input is empty, or the given text for run_input.
run() {
  run_input '' "$@"
}
run_input() { # input command...
  local input=$1
  shift
  printf '%s' "$input" | "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

# Runs the installer from the source folder as a user would, with the given search path and any
# NAME=VALUE words.
install_from_clone() { # search-path [NAME=VALUE...]
  local path=$1
  shift
  # shellcheck disable=SC2016  # the inner shell expands $1
  run env -i PATH="$path" HOME="$home" "$@" sh -c 'cd "$1" && exec sh fennick-install.sh' sh "$src"
}

static_checks() {
  checks=$((checks + 1))
  sh -n "$installer" || fail "sh -n finds a syntax error in fennick-install.sh"
  checks=$((checks + 1))
  if command -v shellcheck >/dev/null 2>&1; then
    shellcheck "$installer" || fail "shellcheck reports fennick-install.sh (above)"
  else
    fail "shellcheck is not installed"
  fi
}

home=$work/home
bin=$home/.local/bin/fennick
share=$home/.local/share/fennick
launcher=$home/.local/share/applications/fennick.desktop
bash_completion=$home/.local/share/bash-completion/completions/fennick
zsh_completion=$home/.local/share/zsh/site-functions/_fennick
man_page=$home/.local/share/man/man1/fennick.1
installed_files="$bin"$'\n'"$share/fennick-install.sh"$'\n'"$share/doc/README.md"$'\n'"$launcher"
installed_files+=$'\n'"$bash_completion"$'\n'"$zsh_completion"$'\n'"$man_page"
prefix=$home/.local/opt/fennick
cache=$home/.cache/fennick
fonts=$home/.local/share/fonts/fennick
settings=$home/.config/fennick
extension=$home/.local/share/nemo-python/extensions/fennick.py

# The first install builds the program for real from the source folder.
install_from_sources() {
  mkdir -p "$home"
  local started=$SECONDS
  install_from_clone "$base_path"
  printf 'installer build and install: %d s\n' $((SECONDS - started))
  check_eq 'install: exit status' 0 "$status"
  [ "$status" = 0 ] || printf '%s\n%s\n' "$out" "$err"
  check_eq 'install: nothing on standard error' '' "$err"

  checks=$((checks + 1))
  { [ -f "$bin" ] && [ -x "$bin" ]; } || fail "install: $bin is not an executable file"
  check_eq 'install: program mode' 755 "$(stat -c %a "$bin" 2>/dev/null)"
  checks=$((checks + 1))
  cmp -s "$installer" "$share/fennick-install.sh" || fail 'install: the script copy differs'
  checks=$((checks + 1))
  cmp -s "$src/README.md" "$share/doc/README.md" || fail 'install: the README copy differs'
  check_eq 'install: list of installed files' "$installed_files" \
    "$(cat "$share/installed-files" 2>/dev/null)"
  check_eq 'install: share folder' $'doc\nfennick-install.sh\ninstalled-files' \
    "$(ls "$share" 2>/dev/null)"
  check_eq 'install: nothing else in the home' $'.cache\n.local' "$(ls -A "$home")"
  check_eq 'install: the Nemo extension' "$extension" \
    "$(grep -l 'managed by fennick' "$extension" 2>/dev/null)"

  # The launcher of the settings window runs the installed program and is a valid entry.
  check_contains 'install: launcher runs the program' "Exec=\"$bin\" gui" "$(cat "$launcher" 2>/dev/null)"
  check_eq 'install: launcher is a valid desktop entry' '' "$(desktop-file-validate "$launcher" 2>&1)"
  while IFS= read -r path; do
    check_contains 'install: says what it installed' "installed $path" "$out"
  done <<<"$installed_files"
  # The completions and the manual page are what the program prints, and the zsh one needs a
  # line in ~/.zshrc, which the installer names rather than writes.
  local words file
  for words in 'completion bash' 'completion zsh' man; do
    case $words in
      *bash) file=$bash_completion ;;
      *zsh) file=$zsh_completion ;;
      *) file=$man_page ;;
    esac
    # shellcheck disable=SC2086  # the words are split on purpose
    check_eq "install: $words" "$(in_home "$home" "$bin" $words)" "$(cat "$file" 2>/dev/null)"
  done
  # man finds the page through the program's folder on PATH.
  check_eq 'install: man finds the page' "$man_page" \
    "$(env -i HOME="$home" PATH="$home/.local/bin:$base_path" man -w fennick 2>&1)"
  # shellcheck disable=SC2016  # $fpath is the text to find
  check_contains 'install: how zsh finds the completion' \
    $'before compinit:\n  fpath=("'"$home/.local/share/zsh/site-functions"'" $fpath)' "$out"
  check_contains 'install: tells how to start' 'fennick help' "$out"
  check_contains 'install: the program folder is not on PATH' "note: $home/.local/bin" "$out"
  # The build folder stays in the cache, with its logs.
  check_contains 'install: builds in the cache' "building fennick in $cache/tool-build ..." "$out"
  check_contains 'install: configured afresh' 'The CXX compiler identification' \
    "$(cat "$cache/tool-build/configure.log")"

  run in_home "$home" "$bin" version
  check_eq 'installed program runs' 'fennick 1.1' "$out"
  check_eq 'installed program exit status' 0 "$status"
  cp "$bin" "$work/built-fennick"
}

# Installing the same clone again reconfigures the kept build and builds only what changed.
second_install_reuses_the_build() {
  local started=$SECONDS
  install_from_clone "$base_path"
  printf 'installer second install: %d s\n' $((SECONDS - started))
  check_eq 'second install: exit status' 0 "$status"
  [ "$status" = 0 ] || printf '%s\n%s\n' "$out" "$err"
  check_contains 'second install: says so' "reusing the earlier build in $cache/tool-build" "$out"
  check_lacks 'second install: no fresh configure' 'The CXX compiler identification' \
    "$(cat "$cache/tool-build/configure.log")"
}

with_nemo_changes_nothing() {
  local before
  before=$(listing "$home")
  run in_home "$home" sh "$installer" --with-nemo
  check_eq 'with-nemo: exit status' 0 "$status"
  check_contains 'with-nemo: default place' "  $prefix/bin/nemo"$'\n' "$out"
  check_contains 'with-nemo: what it is' "The tuned Nemo is a separately built Nemo that reads \
fennick's pane, sidebar, read-only"$'\n'"and terminal-key settings" "$out"
  check_contains 'with-nemo: what works without it' "Without it, the prompt, the context-menu \
action and, through fennick's extension (Debian's"$'\n'"nemo-python), the path bar and the bar \
above the files work with the stock Nemo." "$out"
  check_lacks 'with-nemo: no step that does nothing' 'fennick-install.sh' "$out"
  check_eq 'with-nemo: ends saying so' 'Nothing was changed.' "${out##*$'\n'}"
  check_eq 'with-nemo: nothing on stderr' '' "$err"
  run in_home "$home" FENNICK_PREFIX="$work/tuned fennick" sh "$installer" --with-nemo --yes
  check_eq 'with-nemo with a prefix: exit status' 0 "$status"
  check_contains 'with-nemo honours FENNICK_PREFIX' "  $work/tuned fennick/bin/nemo"$'\n' "$out"
  check_lacks 'with-nemo with a prefix: no default place' "$prefix" "$out"
  # The installed copy answers the same, without the sources.
  run in_home "$home" sh "$share/fennick-install.sh" --with-nemo
  check_eq 'with-nemo from the installed copy: exit status' 0 "$status"
  check_contains 'with-nemo from the installed copy' "  $prefix/bin/nemo" "$out"
  check_eq 'with-nemo changes nothing' "$before" "$(listing "$home")"
  checks=$((checks + 1))
  [ ! -e "$work/tuned fennick" ] || fail 'with-nemo created the prefix'
}

installed_copy_does_not_install() {
  local before
  before=$(listing "$home")
  run in_home "$home" sh "$share/fennick-install.sh"
  check_eq 'installed copy without --uninstall: exit status' 1 "$status"
  check_contains 'installed copy without --uninstall: message' \
    'run this script from a clone of the fennick sources' "$err"
  check_lacks 'installed copy without --uninstall: no build' 'building' "$out"
  check_eq 'installed copy without --uninstall changes nothing' "$before" "$(listing "$home")"
}

unknown_options() {
  local spare=$work/spare before
  mkdir -p "$spare"
  run in_home "$home" sh "$installer" --help
  check_eq '--help: exit status' 0 "$status"
  check_contains '--help: usage' 'usage: sh fennick-install.sh' "$out"

  before=$(listing "$home")
  run in_home "$home" sh "$installer" --bogus
  check_eq 'unknown option: exit status' 2 "$status"
  check_contains 'unknown option: named' 'unknown option --bogus' "$err"
  check_contains 'unknown option: usage' 'usage: sh fennick-install.sh' "$err"
  check_eq 'unknown option: no output' '' "$out"
  run in_home "$home" sh "$installer" --uninstall --bogus
  check_eq 'unknown option after --uninstall: exit status' 2 "$status"
  check_eq 'unknown option changes nothing' "$before" "$(listing "$home")"

  # An unknown option before a mode is refused as well. Run in an empty home, so that a removal
  # that should not happen has nothing to remove.
  for mode in --uninstall --with-nemo; do
    run in_home "$spare" sh "$installer" --bogus "$mode"
    check_eq "unknown option before $mode: exit status" 2 "$status"
    check_eq "unknown option before $mode: no output" '' "$out"
  done
}

# What "fennick uninstall" must undo or ask about: the prompt hook (in a ~/.bashrc it creates
# and in the user's empty ~/.zshrc), the default file manager switch when the system Nemo is
# there to switch from, a tuned Nemo, a build cache, a font, and settings that must stay.
prepare_for_removal() {
  run in_home "$home" "$bin" set terminal.symbol %
  check_eq 'set before removal' 0 "$status"
  : >"$home/.zshrc"
  run in_home "$home" "$bin" prompt-install
  check_eq 'prompt-install before removal' 0 "$status"
  check_contains 'hook block added' '# >>> fennick >>>' "$(cat "$home/.bashrc")"
  mkdir -p "$home/.config/gtk-3.0"
  printf '.mine { color: red; }\n' >"$home/.config/gtk-3.0/gtk.css"
  run in_home "$home" "$bin" pathbar-install
  check_eq 'pathbar-install before removal' 0 "$status"
  mkdir -p "$prefix/bin" "$cache/nemo-build" "$fonts"
  printf '#!/bin/sh\nexit 0\n' >"$prefix/bin/nemo"
  chmod 755 "$prefix/bin/nemo"
  printf 'object\n' >"$cache/nemo-build/main.o"
  printf 'font\n' >"$fonts/MesloLGS NF Regular.ttf"
  enabled=no
  if [ -f /usr/share/applications/nemo.desktop ]; then
    run in_home "$home" "$bin" enable
    check_eq 'enable before removal' 0 "$status"
    check_exists 'enable wrote the desktop entry' "$home/.local/share/applications/nemo.desktop"
    enabled=yes
  fi
  settings_before=$(listing "$settings")
}

check_tool_removed() { # what
  check_gone "$1: program" "$bin"
  check_gone "$1: share folder" "$share"
  local folder
  for folder in bash-completion zsh man; do
    check_gone "$1: the folder of the completion or manual page" "$home/.local/share/$folder"
  done
  check_gone "$1: the ~/.bashrc that the hook went into" "$home/.bashrc"
  check_eq "$1: gtk.css as it was" '.mine { color: red; }' "$(cat "$home/.config/gtk-3.0/gtk.css")"
  # Nothing it says asks for fennick, which is gone; it says how to restart Nemo instead.
  check_eq "$1: no advice to run fennick" '' "$(printf '%s\n' "$out" | grep -E ':  *fennick [a-z]')"
  check_contains "$1: how to restart Nemo" 'restarted:  nemo -q   (then open a folder)' "$out"
  if [ "$enabled" = yes ]; then
    check_gone "$1: desktop entry" "$home/.local/share/applications/nemo.desktop"
    check_gone "$1: D-Bus service" "$home/.local/share/dbus-1/services/org.Nemo.service"
    check_gone "$1: context-menu action" "$home/.local/share/nemo/actions/fennick.nemo_action"
  fi
  check_eq "$1: settings kept" "$settings_before" "$(listing "$settings")"
  check_contains "$1: says the settings stay" "settings kept in $settings" "$out"
}

uninstall_answering_no() {
  prepare_for_removal
  rm -f "$work/fc-cache.log"
  run_input $'n\nn\nn\n' in_home "$home" "$bin" uninstall
  check_eq 'uninstall answering no: exit status' 0 "$status"
  check_contains 'uninstall answering no: asks about the tuned Nemo' \
    "Remove the tuned Nemo in $prefix? [y/N] n" "$out"
  check_contains 'uninstall answering no: asks about the build cache' "$cache? [y/N] n" "$out"
  check_contains 'uninstall answering no: asks about the font' "$fonts? [y/N] n" "$out"
  check_contains 'uninstall answering no: says the program went' "removed $bin" "$out"
  check_contains 'uninstall answering no: done' 'fennick is uninstalled' "$out"
  check_tool_removed 'uninstall answering no'
  check_exists 'uninstall answering no keeps the tuned Nemo' "$prefix/bin/nemo"
  check_exists 'uninstall answering no keeps the build cache' "$cache/nemo-build/main.o"
  check_exists 'uninstall answering no keeps the font' "$fonts/MesloLGS NF Regular.ttf"
  check_gone 'uninstall answering no: font cache untouched' "$work/fc-cache.log"
}

# Installs again with the program built above: a stand-in cmake puts it where the build would.
reinstall() {
  local fake_cmake=$work/fake-cmake
  mkdir -p "$fake_cmake"
  cat >"$fake_cmake/cmake" <<EOF
#!/bin/sh
# Stand-in for cmake: configuring does nothing, building hands over the program built before.
if [ "\$1" = --build ]; then cp '$work/built-fennick' "\$2/fennick"; fi
EOF
  chmod 755 "$fake_cmake/cmake"
  local round
  for round in 1 2; do
    install_from_clone "$fake_cmake:$base_path"
    check_eq "reinstall $round: exit status" 0 "$status"
    [ "$status" = 0 ] || printf '%s\n%s\n' "$out" "$err"
  done
  # The build of another clone is emptied out (the stand-in writes no cache of its own).
  printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\n' "$work" >"$cache/tool-build/CMakeCache.txt"
  install_from_clone "$fake_cmake:$base_path"
  check_contains 'reinstall: another clone' "the build of another clone ($work); starting" "$out"
  check_gone 'reinstall: the build of another clone' "$cache/tool-build/CMakeCache.txt"
  # A cache that cannot hold the build folder (a file here): a temporary one, removed at the end.
  : >"$work/cache-file"
  install_from_clone "$fake_cmake:$base_path" XDG_CACHE_HOME="$work/cache-file"
  local build
  build=$(printf '%s\n' "$out" | sed -n 's/^building fennick in \(.*\) \.\.\.$/\1/p')
  checks=$((checks + 1))
  { [ "$status" = 0 ] && [ -n "$build" ] && [ ! -e "$build" ]; } ||
    fail "reinstall without a cache: status $status, temporary folder '$build' left behind"
  checks=$((checks + 1))
  [ -x "$bin" ] || fail "reinstall: $bin missing"
  # Installing over an installation lists every file once.
  check_eq 'reinstall: list of installed files' "$installed_files" \
    "$(cat "$share/installed-files" 2>/dev/null)"
}

uninstall_answering_yes() {
  prepare_for_removal
  rm -f "$work/fc-cache.log"
  run in_home "$home" "$bin" uninstall --yes
  check_eq 'uninstall --yes: exit status' 0 "$status"
  check_eq 'uninstall --yes: nothing on standard error' '' "$err"
  check_contains 'uninstall --yes: answers itself' "Remove the tuned Nemo in $prefix? [y/N] yes" \
    "$out"
  check_tool_removed 'uninstall --yes'
  check_gone 'uninstall --yes: tuned Nemo' "$prefix"
  check_gone 'uninstall --yes: build cache' "$cache"
  check_gone 'uninstall --yes: font' "$fonts"
  check_contains 'uninstall --yes: font cache refreshed' 'fc-cache -f' \
    "$(cat "$work/fc-cache.log" 2>/dev/null)"
  check_exists 'uninstall --yes: the rest of the home stays' "$home/.local/share"
  # Outside the settings: the user's files and the backups of their states before each change,
  # nothing that fennick alone made. gtk.css was never changed where the installed extension
  # styles the path bar; else its backup holds the user's rules.
  local css=.config/gtk-3.0/gtk.css
  local css_backup=$'\n'"$css.fennick-bak"
  compgen -G '/usr/lib/*/nemo/extensions-3.0/libnemo-python.so' >/dev/null && css_backup=
  check_gone 'uninstall --yes: the Nemo extension' "$extension"
  check_eq 'uninstall --yes: files left' \
    "$css$css_backup"$'\n.zshrc\n.zshrc.fennick-bak' \
    "$(cd "$home" && find . -path ./.config/fennick -prune -o ! -type d -print | cut -c3- |
      LC_ALL=C sort)"
}

# A data folder outside the home: enable writes the desktop files there, and the removal looks
# for them and for the font there. A relative XDG_DATA_HOME counts as unset, for the program and
# the script alike.
data_folder_elsewhere() {
  local user=$work/data-user data=$work/data-elsewhere
  mkdir -p "$user/.local/bin" "$user/.local/share/fennick" "$data/fonts/fennick"
  cp "$work/built-fennick" "$user/.local/bin/fennick"
  cp "$installer" "$user/.local/share/fennick/fennick-install.sh"
  printf 'font\n' >"$data/fonts/fennick/MesloLGS NF Regular.ttf"
  local entry=$data/applications/nemo.desktop service=$data/dbus-1/services/org.Nemo.service
  if [ -f /usr/share/applications/nemo.desktop ]; then
    mkdir -p "$user/.local/opt/fennick/bin"
    printf '#!/bin/sh\nexit 0\n' >"$user/.local/opt/fennick/bin/nemo"
    chmod 755 "$user/.local/opt/fennick/bin/nemo"
    run in_home "$user" XDG_DATA_HOME="$data" "$user/.local/bin/fennick" enable
    check_eq 'data folder elsewhere: enable' 0 "$status"
    check_exists 'data folder elsewhere: desktop entry' "$entry"
    check_exists 'data folder elsewhere: D-Bus service' "$service"
  fi
  run in_home "$user" XDG_DATA_HOME="$data" "$user/.local/bin/fennick" uninstall --yes
  check_eq 'data folder elsewhere: uninstall' 0 "$status"
  check_gone 'data folder elsewhere: desktop entry removed' "$entry"
  check_gone 'data folder elsewhere: D-Bus service removed' "$service"
  check_gone 'data folder elsewhere: action removed' "$data/nemo/actions/fennick.nemo_action"
  check_gone 'data folder elsewhere: font removed' "$data/fonts/fennick"
  check_eq 'data folder elsewhere: nothing in ~/.local/share' '' "$(ls -A "$user/.local/share")"

  mkdir -p "$user/.local/share/fonts/fennick" "$work/cwd"
  printf 'font\n' >"$user/.local/share/fonts/fennick/MesloLGS NF Regular.ttf"
  # shellcheck disable=SC2016  # the inner shell expands $1
  run in_home "$user" XDG_DATA_HOME=relative sh -c 'cd "$1" && exec sh "$2" --uninstall --yes' \
    sh "$work/cwd" "$installer"
  check_eq 'relative data folder: exit status' 0 "$status"
  check_gone 'relative data folder: the font in ~/.local/share goes' "$user/.local/share/fonts/fennick"
}

# A prefix whose own name does not say fennick is never removed, even with --yes.
prefix_not_named_fennick() {
  local plain_home=$work/plain-home other
  mkdir -p "$plain_home"
  for other in "$plain_home/.local/opt/tuned" "$plain_home"; do
    mkdir -p "$other/bin"
    printf 'nemo\n' >"$other/bin/nemo"
    run in_home "$plain_home" FENNICK_PREFIX="$other" sh "$installer" --uninstall --yes
    check_eq "prefix $other: exit status" 0 "$status"
    check_exists "prefix $other is kept" "$other/bin/nemo"
    check_contains "prefix $other: says it is left alone" "left alone" "$out"
  done
  # A home whose path names the tool does not make every prefix in it the tool's: a prefix of
  # ~/.local there holds far more than a tuned Nemo.
  local named_home=$work/fennick-user
  mkdir -p "$named_home/.local/bin" "$named_home/.local/share/other-program"
  printf 'keep\n' >"$named_home/.local/share/other-program/data"
  run in_home "$named_home" FENNICK_PREFIX="$named_home/.local" sh "$installer" --uninstall --yes
  check_exists "prefix ~/.local of a home named fennick is kept" \
    "$named_home/.local/share/other-program/data"
}

# A step that fails makes the removal fail, and the program passes that on; it stays, so that the
# removal can be run again.
failed_step_fails_the_removal() {
  local broken=$work/broken-home
  mkdir -p "$broken/.local/bin" "$broken/.local/share/fennick" "$broken/.bashrc"
  cp "$work/built-fennick" "$broken/.local/bin/fennick"
  cp "$installer" "$broken/.local/share/fennick/fennick-install.sh"
  # A folder where ~/.bashrc should be: the hook cannot be taken out of it.
  run in_home "$broken" "$broken/.local/bin/fennick" uninstall --yes
  check_eq 'failed step: the program exits with 255' 255 "$status"
  check_contains 'failed step: says so' 'some steps failed' "$err"
  check_contains 'failed step: says how to go on' 'then run: fennick uninstall' "$err"
  check_exists 'failed step: the program stays' "$broken/.local/bin/fennick"
}

# The removal with the terminal profile set to the font, against real gsettings with GNOME
# Terminal's schemas on the key file back end and fontconfig seeing only the home's fonts: the
# profile gets its font back before the font goes; the font stays when that fails, or when the
# program that could do it is gone.
removal_restores_the_terminal_font() {
  local fh=$work/font-home id=6d1e3c2a-58f4-4b7e-9a0c-2f9e8d7c6b5a
  local profile=org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:$id/
  local fonts=$fh/.local/share/fonts/fennick
  mkdir -p "$fh" && mkdir -m 700 "$fh/run"
  printf '<fontconfig><dir>%s</dir><cachedir>%s</cachedir></fontconfig>\n' "${fonts%/*}" \
    "$fh/.cache/fontconfig" >"$fh/fonts.conf"
  # shellcheck disable=SC2317  # called through run
  in_font_home() {
    in_home "$fh" XDG_CONFIG_HOME="$fh/.config" GSETTINGS_BACKEND=keyfile \
      XDG_RUNTIME_DIR="$fh/run" XDG_DATA_DIRS=/usr/local/share:/usr/share \
      FONTCONFIG_FILE="$fh/fonts.conf" "$@"
  }
  # shellcheck disable=SC2317  # the program, the script, its list of files and the real font
  install_with_font() {
    mkdir -p "$fh/.local/bin" "$fh/.local/share/fennick" "$fonts" "$fh/.config/fennick"
    cp "$work/built-fennick" "$fh/.local/bin/fennick"
    cp "$installer" "$fh/.local/share/fennick/fennick-install.sh"
    printf '%s\n' "$fh/.local/bin/fennick" >"$fh/.local/share/fennick/installed-files"
    cp "$src/tests/data/fonts/MesloLGS-NF/MesloLGS NF Regular.ttf" "$fonts/"
  }
  # shellcheck disable=SC2016  # the inner shell expands them
  run in_font_home sh -c 'gsettings set "$1" list "[$3]" && gsettings set "$1" default "$3" &&
    gsettings set "$2" font "Ubuntu Mono 13" && gsettings set "$2" use-system-font true' \
    sh org.gnome.Terminal.ProfilesList "$profile" "'$id'"
  check_eq "terminal font: profile set up (GNOME Terminal's schemas are needed) $err" 0 "$status"

  install_with_font
  run in_font_home "$fh/.local/bin/fennick" font use
  check_eq 'terminal font: font use' 0 "$status"
  run in_font_home "$fh/.local/bin/fennick" uninstall --yes
  check_eq 'terminal font restored: exit status' 0 "$status"
  check_gone 'terminal font restored: the font goes' "$fonts"
  # shellcheck disable=SC2016  # the inner shell expands $1
  run in_font_home sh -c 'gsettings get "$1" font && gsettings get "$1" use-system-font' \
    sh "$profile"
  check_eq 'terminal font restored: the profile font' $'\'Ubuntu Mono 13\'\ntrue' "$out"

  # A backup naming a schema that gsettings refuses: it and the font stay.
  install_with_font
  printf 'org.example.NoSuchSchema:/x/\n%s\nfalse\n' "'Mono 12'" \
    >"$fh/.config/fennick/font-backup.txt"
  run in_font_home "$fh/.local/bin/fennick" uninstall --yes
  check_eq 'terminal font refused: exit status' 255 "$status"
  check_contains 'terminal font refused: says why' "kept $fonts: the terminal font could not" "$err"
  check_exists 'terminal font refused: the font stays' "$fonts/MesloLGS NF Regular.ttf"
  check_exists 'terminal font refused: the program stays' "$fh/.local/bin/fennick"
  # The program is gone now, and the backup is still there.
  rm "$fh/.local/bin/fennick"
  run in_font_home sh "$installer" --uninstall --yes
  check_contains 'terminal font, program gone: says why' "kept $fonts: the terminal profile" "$out"
  check_exists 'terminal font, program gone: the font stays' "$fonts/MesloLGS NF Regular.ttf"
}

static_checks
install_from_sources
second_install_reuses_the_build
with_nemo_changes_nothing
installed_copy_does_not_install
unknown_options
uninstall_answering_no
reinstall
uninstall_answering_yes
data_folder_elsewhere
prefix_not_named_fennick
failed_step_fails_the_removal
removal_restores_the_terminal_font

finish
