#!/bin/sh
# Installs fennick for the current user, without root, from a clone of its sources; removes it
# again with --uninstall.
#
#   sh fennick-install.sh               build, then install into your home
#   sh fennick-install.sh --uninstall   remove what the install put there (settings are kept)
#   sh fennick-install.sh --with-nemo   where a tuned Nemo build must be placed
#   --yes                               answer yes to every question
#
# Locations: the program goes to $FENNICK_BIN_DIR (default ~/.local/bin), this script, the
# documentation and the list of installed files to $FENNICK_SHARE (default
# ~/.local/share/fennick), a launcher of the settings window to ~/.local/share/applications, the
# tab completions for bash and zsh to ~/.local/share/bash-completion/completions and
# ~/.local/share/zsh/site-functions, the manual page to ~/.local/share/man/man1. The tuned Nemo lives under $FENNICK_PREFIX (default ~/.local/opt/fennick), its build cache in
# ~/.cache/fennick, the powerline font in ~/.local/share/fonts/fennick. The program's own build is
# kept in ~/.cache/fennick/tool-build, so that installing the same clone again builds only what
# changed. An absolute XDG_DATA_HOME, XDG_CACHE_HOME or XDG_CONFIG_HOME takes the place of
# ~/.local/share, ~/.cache or ~/.config; a relative one is ignored, as fennick itself does.
set -u

say() { printf '%s\n' "$*"; }
die() {
  printf 'fennick-install.sh: %s\n' "$*" >&2
  exit 1
}

home=${HOME:-}
[ -n "$home" ] || die "HOME is not set"
case ${XDG_DATA_HOME:-} in
  /*) data_home=$XDG_DATA_HOME ;;
  *) data_home=$home/.local/share ;;
esac
case ${XDG_CACHE_HOME:-} in
  /*) cache_home=$XDG_CACHE_HOME ;;
  *) cache_home=$home/.cache ;;
esac
case ${XDG_CONFIG_HOME:-} in
  /*) config_home=$XDG_CONFIG_HOME ;;
  *) config_home=$home/.config ;;
esac
bin_dir=${FENNICK_BIN_DIR:-$home/.local/bin}
share_dir=${FENNICK_SHARE:-$home/.local/share/fennick}
prefix=${FENNICK_PREFIX:-$home/.local/opt/fennick}
build_cache=$cache_home/fennick
font_dir=$data_home/fonts/fennick
manifest=$share_dir/installed-files
launcher=$data_home/applications/fennick.desktop
bash_completion=$data_home/bash-completion/completions/fennick
zsh_functions=$data_home/zsh/site-functions
zsh_completion=$zsh_functions/_fennick
man_page=$data_home/man/man1/fennick.1

mode=install
yes=no
bad=no
for arg in "$@"; do
  case $arg in
    --uninstall) mode=uninstall ;;
    --with-nemo) mode=with-nemo ;;
    --yes) yes=yes ;;
    -h | --help) mode=help ;;
    *)
      printf 'fennick-install.sh: unknown option %s\n' "$arg" >&2
      bad=yes
      ;;
  esac
done
[ "$bad" = no ] || mode=usage

usage() {
  say "usage: sh fennick-install.sh [--uninstall] [--with-nemo] [--yes]"
}

# Asks a yes/no question; no answer (or no terminal) is no.
ask() {
  if [ "$yes" = yes ]; then
    say "$1 [y/N] yes"
    return 0
  fi
  printf '%s [y/N] ' "$1"
  read -r answer || answer=
  [ -t 0 ] || say "$answer"
  case $answer in
    y | Y | yes | YES | Yes) return 0 ;;
    *) return 1 ;;
  esac
}

# Copies a file into place and records it in the list of installed files.
put() { # mode source destination
  mkdir -p "$(dirname "$3")" || die "cannot create the folder of $3"
  tmp="$3.tmp$$"
  if ! { cp "$2" "$tmp" && chmod "$1" "$tmp" && mv -f "$tmp" "$3"; }; then
    rm -f "$tmp"
    die "cannot write $3"
  fi
  grep -qxF "$3" "$manifest.new" 2>/dev/null || printf '%s\n' "$3" >>"$manifest.new"
  say "installed $3"
}

# Installs what the program just built prints for the given command words.
generated() { # words destination
  # shellcheck disable=SC2086  # the words are split on purpose
  "$build/fennick" $1 >"$build/generated" || die "fennick $1 failed"
  put 644 "$build/generated" "$2"
}

# The desktop launcher of the settings window, for the program installed at $1.
launcher_text() {
  # The path as an Exec argument in double quotes: \ " ` $ escaped by the entry rules, then every
  # backslash doubled as a key value, and % written %%.
  exec_path=$(printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g' -e 's/%/%%/g')
  printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Fennick" \
    "Comment=Tune the Nemo file manager: path bar, prompt, panes and sidebar" \
    "Exec=\"$exec_path\" gui" "Icon=preferences-system" "Terminal=false" \
    "Categories=Settings;DesktopSettings;GTK;" "X-Fennick=true"
}

# The clone whose build a CMake cache holds, as CMake recorded it; empty when there is none.
cached_clone() { # cache-file
  sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1" 2>/dev/null | head -n 1
}

# Whether two paths name the same existing folder, whatever links lead there.
same_folder() { # path path
  first=$(cd "$1" 2>/dev/null && pwd -P) && second=$(cd "$2" 2>/dev/null && pwd -P) &&
    [ "$first" = "$second" ]
}

empty_build_folder() {
  rm -rf "$build" && mkdir -p "$build"
}

# Picks the build folder: the one kept in the cache, so that installing the same clone again
# builds only what changed; emptied first when it holds the build of another clone (CMake would
# refuse it); a temporary one, removed at exit, when the cache cannot hold it. Sets $build and
# $reused.
use_build_folder() {
  build=$build_cache/tool-build
  reused=no
  if mkdir -p "$build" 2>/dev/null && [ -w "$build" ]; then
    earlier=$(cached_clone "$build/CMakeCache.txt")
    if [ -n "$earlier" ] && same_folder "$earlier" "$source_dir"; then
      reused=yes
      say "reusing the earlier build in $build"
      return 0
    fi
    [ -z "$earlier" ] || say "$build holds the build of another clone ($earlier); starting afresh"
    empty_build_folder && return 0
  fi
  say "cannot use $build; building in a temporary folder"
  build=$(mktemp -d) || die "cannot create a build folder"
  trap 'rm -rf "$build"' EXIT
}

configure_build() {
  cmake -S "$source_dir" -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
    -DFENNICK_TESTS=OFF >"$build/configure.log" 2>&1
}

install_tool() {
  source_dir=$(cd "$(dirname "$0")" && pwd) || die "cannot find the sources"
  if [ ! -f "$source_dir/CMakeLists.txt" ] || [ ! -d "$source_dir/src" ]; then
    die "run this script from a clone of the fennick sources (it is not in $source_dir)"
  fi
  if ! command -v cmake >/dev/null 2>&1 || ! command -v c++ >/dev/null 2>&1 ||
    ! pkg-config --exists gtk+-3.0 2>/dev/null; then
    die "building needs cmake, a C++20 compiler and GTK 3's headers (on Debian: sudo apt-get install g++ cmake pkg-config libgtk-3-dev)"
  fi

  generator="Unix Makefiles"
  command -v ninja >/dev/null 2>&1 && generator=Ninja
  use_build_folder
  say "building fennick in $build ..."
  configured=yes
  configure_build || configured=no
  if [ "$configured" = no ] && [ "$reused" = yes ]; then
    # The compiler, the generator or CMake itself may have changed since the earlier build.
    say "the earlier build cannot be configured again; starting it afresh"
    empty_build_folder || die "cannot empty $build"
    configure_build && configured=yes
  fi
  [ "$configured" = yes ] || { cat "$build/configure.log" >&2; die "configuring the build failed"; }
  cmake --build "$build" --target fennick >"$build/build.log" 2>&1 ||
    { cat "$build/build.log" >&2; die "the build failed"; }

  mkdir -p "$share_dir" || die "cannot create $share_dir"
  : >"$manifest.new" || die "cannot write $manifest"
  [ -f "$manifest" ] && cat "$manifest" >>"$manifest.new"
  put 755 "$build/fennick" "$bin_dir/fennick"
  put 755 "$source_dir/fennick-install.sh" "$share_dir/fennick-install.sh"
  put 644 "$source_dir/README.md" "$share_dir/doc/README.md"
  launcher_text "$bin_dir/fennick" >"$build/fennick.desktop" || die "cannot write the launcher"
  put 644 "$build/fennick.desktop" "$launcher"
  # The tab completions and the manual page, as the program just built prints them.
  generated "completion bash" "$bash_completion"
  generated "completion zsh" "$zsh_completion"
  generated man "$man_page"
  mv -f "$manifest.new" "$manifest" || die "cannot write $manifest"
  # The stock Nemo follows the settings through fennick's extension (with nemo-python).
  "$bin_dir/fennick" extension-install || die "installing the Nemo extension failed"

  say "done: run  fennick  (settings window) or  fennick help"
  case ":${PATH:-}:" in
    *":$bin_dir:"*) ;;
    *) say "note: $bin_dir is not on your PATH; add it, or run $bin_dir/fennick" ;;
  esac
  zsh_note
  say "The tuned Nemo is built separately: sh fennick-install.sh --with-nemo tells where it goes."
}

# zsh finds the completion only in a folder of its fpath, set before compinit runs; the hook in
# ~/.zshrc comes too late for that, so the user is told the line to add.
zsh_note() {
  command -v zsh >/dev/null 2>&1 || [ -e "$home/.zshrc" ] || return 0
  grep -qF "$zsh_functions" "$home/.zshrc" 2>/dev/null && return 0
  say "for tab completion in zsh, add this line to ~/.zshrc before compinit:"
  say "  fpath=(\"$zsh_functions\" \$fpath)"
}

# Removes a folder and all it holds, but only one whose own name names the tool: a prefix set
# to ~/.local under a home called fennick must not take ~/.local with it.
remove_tree() {
  name=${1%/}
  case ${name##*/} in
    *fennick*) rm -rf "$1" && say "removed $1" ;;
    *) say "left alone (its name does not say fennick): $1" ;;
  esac
}

# Runs one of the program's removal commands, telling it that the uninstall runs it.
step() {
  FENNICK_UNINSTALLING=1 "$fennick" "$@"
}

uninstall_tool() {
  fennick=
  if [ -x "$bin_dir/fennick" ]; then
    fennick=$bin_dir/fennick
  elif command -v fennick >/dev/null 2>&1; then
    fennick=fennick
  fi
  failed=0
  # Every question is asked first: giving the terminal profile its own font back before the font
  # goes needs the program, which is removed before the font.
  drop_prefix=no
  drop_cache=no
  drop_font=no
  if [ -e "$prefix" ] && ask "Remove the tuned Nemo in $prefix?"; then drop_prefix=yes; fi
  if [ -e "$build_cache" ] && ask "Remove the build cache $build_cache?"; then drop_cache=yes; fi
  if [ -e "$font_dir" ] && ask "Remove the MesloLGS NF font in $font_dir?"; then drop_font=yes; fi

  # The program's own removal steps. Told that it is being uninstalled, it leaves out advice that
  # would need it afterwards. When one fails, nothing else is removed: the program stays, so that
  # the user can put it right and run the removal again, and so does all that it still uses.
  if [ -n "$fennick" ]; then
    step prompt-remove || failed=1
    step pathbar-remove || failed=1
    step extension-remove || failed=1
    step disable || failed=1
    # A terminal profile set to the font gets its own font back before the font goes.
    if [ "$drop_font" = yes ] && ! step font restore; then
      say "kept $font_dir: the terminal font could not be restored" >&2
      drop_font=no
      failed=1
    fi
  else
    say "fennick itself is gone already, so the prompt hook in ~/.bashrc and ~/.zshrc, the path-bar import in gtk.css, the Nemo extension and the tuned Nemo as the default file manager are left as they are; to remove them too, install fennick again and run: fennick uninstall"
    font_backup=${FENNICK_DIR:-$config_home/fennick}/font-backup.txt
    if [ "$drop_font" = yes ] && [ -f "$font_backup" ]; then
      say "kept $font_dir: the terminal profile may still use it (its own font is kept in" \
        "$font_backup; reinstall fennick and run fennick font restore first)"
      drop_font=no
    fi
  fi

  if [ "$failed" = 1 ]; then
    die "some steps failed (see above), so nothing else was removed: put them right, then run: fennick uninstall"
  fi

  if [ -f "$manifest" ]; then
    while IFS= read -r file; do
      [ -n "$file" ] || continue
      if [ -e "$file" ] || [ -L "$file" ]; then
        rm -f "$file" && say "removed $file" || failed=1
      fi
    done <"$manifest"
    rm -f "$manifest"
  fi
  rm -f "$share_dir/fennick-install.sh"
  rmdir "$share_dir/doc" "$share_dir" 2>/dev/null
  # The folders of the completions and the manual page go too when nothing else is in them.
  for folder in "${bash_completion%/*}" "$data_home/bash-completion" "$zsh_functions" \
    "$data_home/zsh" "${man_page%/*}" "$data_home/man"; do
    rmdir "$folder" 2>/dev/null
  done

  if [ "$drop_prefix" = yes ]; then remove_tree "$prefix" || failed=1; fi
  if [ "$drop_cache" = yes ]; then remove_tree "$build_cache" || failed=1; fi
  if [ "$drop_font" = yes ]; then
    remove_tree "$font_dir" || failed=1
    command -v fc-cache >/dev/null 2>&1 && fc-cache -f >/dev/null 2>&1
  fi
  say "settings kept in ${FENNICK_DIR:-$config_home/fennick}"
  [ "$failed" = 0 ] || die "some files could not be removed (see above); remove them by hand"
  say "fennick is uninstalled"
  if [ -n "$fennick" ]; then
    say "a running Nemo shows the change when restarted:  nemo -q   (then open a folder)"
    say "a terminal that is open keeps fennick's prompt until it is closed"
  fi
}

case $mode in
  install) install_tool ;;
  uninstall) uninstall_tool ;;
  with-nemo)
    say "The tuned Nemo is a separately built Nemo that reads fennick's pane, sidebar, read-only"
    say "and terminal-key settings; this script does not build it. Place its executable at"
    say "  $prefix/bin/nemo"
    say "(FENNICK_PREFIX sets the folder; the default is ~/.local/opt/fennick). Keep \"fennick\" in"
    say "that path so that a running tuned Nemo is recognised. Then run: fennick enable"
    say "Without it, the prompt, the context-menu action and, through fennick's extension (Debian's"
    say "nemo-python), the path bar and the bar above the files work with the stock Nemo."
    say "Nothing was changed."
    ;;
  help) usage ;;
  *)
    usage >&2
    exit 2
    ;;
esac
