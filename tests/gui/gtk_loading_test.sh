#!/bin/bash
# GTK is the window's alone: no command-line command opens a GTK, GDK, GObject or GLib library
# (seen with strace), and the window refuses a GTK that lacks an entry point or cannot be loaded,
# with its one message and status 3. The stand-ins for libgtk-3.so.0 are built in this folder's
# CMakeLists.txt; GDK, GObject and GLib stay the real ones.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home
unset DISPLAY WAYLAND_DISPLAY
export GSETTINGS_BACKEND=memory FENNICK_PREFIX="$HOME/.local/opt/fennick"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
fakes=$(dirname "$FENNICK_BIN")/tests/gui/fake-gtk
if [ ! -d "$fakes" ]; then
  echo "the GTK stand-ins are missing: $fakes (build the tests first)"
  exit 1
fi
if ! command -v strace >/dev/null 2>&1; then
  echo "strace is needed (Debian: strace)"
  exit 1
fi

# Runs fennick with the arguments under strace and prints the libraries of GTK, GDK, GObject and
# GLib that the fennick process itself opened (not its children, such as gsettings, which may
# open them for their own use). The program's status goes to $work/status, its output to
# $work/out and $work/err.
gtk_libraries_opened() { # args...
  rm -f "$work/trace"
  strace -f -qq -e trace=openat -o "$work/trace" "$FENNICK_BIN" "$@" \
    >"$work/out" 2>"$work/err" </dev/null
  echo $? >"$work/status"
  # The first line is the program's own; child processes have other ids.
  awk 'NR == 1 { main = $1 }
       $1 == main && /openat\(/ && /lib(gtk-3|gdk-3|gobject-2\.0|glib-2\.0)\.so/ {
         sub(/^[0-9]+ +/, ""); print }' "$work/trace"
}

# Each command with the status it must end with, so that the command really ran.
expect_no_gtk() { # status args...
  local status=$1 opened
  shift
  opened=$(gtk_libraries_opened "$@")
  check_eq "fennick $* (status; stderr: $(head -c 300 "$work/err"))" "$status" "$(cat "$work/status")"
  check_eq "fennick $*: GTK libraries opened" "" "$opened"
}

expect_no_gtk 0 help
expect_no_gtk 0 --help
expect_no_gtk 0 version
expect_no_gtk 0 list
expect_no_gtk 0 list Terminal
expect_no_gtk 0 get pathbar.shape
expect_no_gtk 0 set pathbar.shape pill terminal.style powerline
expect_no_gtk 1 set pathbar.shape blob
expect_no_gtk 0 reset pathbar.shape
expect_no_gtk 0 reset
expect_no_gtk 0 apply
expect_no_gtk 0 css
expect_no_gtk 0 prompt
expect_no_gtk 0 status
expect_no_gtk 0 export "$work/exported.ini"
expect_no_gtk 0 import "$work/exported.ini"
expect_no_gtk 1 import "$work/missing.ini"
expect_no_gtk 0 palette achroma
expect_no_gtk 2 palette mauve
expect_no_gtk 0 font check
expect_no_gtk 0 font restore
expect_no_gtk 2 font sideways
expect_no_gtk 0 prompt-install
expect_no_gtk 0 prompt-remove
expect_no_gtk 0 action-install
expect_no_gtk 0 action-remove
# Without a tuned Nemo enable fails; disable has nothing to remove.
expect_no_gtk 1 enable
expect_no_gtk 0 disable
expect_no_gtk 2 no-such-command
# Without a display no command word means the usage text, not the window.
expect_no_gtk 0

# The window with a GTK that lacks one entry point: the message names it, status 3, nothing on
# standard output. The check above would have seen the libraries: here GTK is opened.
run_window_with() { # variant args...
  local variant=$1
  shift
  LD_LIBRARY_PATH="$fakes/$variant${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
    "$FENNICK_BIN" "$@" >"$work/out" 2>"$work/err" </dev/null
  echo $? >"$work/status"
}

# The whole file, final line feed included, is exactly the line.
check_line() { # what line file
  checks=$((checks + 1))
  printf '%s\n' "$2" | cmp -s - "$3" || fail "$1: expected the one line $(show "$2"), got $(show "$(cat "$3")")"
}

expect_missing_symbol() { # variant symbol
  run_window_with "$1" gui
  check_eq "$1: status" 3 "$(cat "$work/status")"
  check_line "$1: standard error" "fennick: missing GTK symbol $2" "$work/err"
  check_eq "$1: standard output" "" "$(cat "$work/out")"
}

# gtk_separator_new is required although the window never calls it.
expect_missing_symbol without_separator gtk_separator_new
expect_missing_symbol without_spin_button_value gtk_spin_button_set_value
expect_missing_symbol without_accelerator_mask gtk_accelerator_get_default_mod_mask
# Two missing: only the first in the table's order is named (not the first alphabetically).
expect_missing_symbol without_two gtk_window_new
# --gui is the same command.
run_window_with without_separator --gui
check_eq '--gui: status' 3 "$(cat "$work/status")"
check_eq '--gui: standard error' 'fennick: missing GTK symbol gtk_separator_new' "$(cat "$work/err")"

# The positive control of the strace check: it sees GTK being opened by the window.
opened=$(LD_LIBRARY_PATH="$fakes/without_separator" gtk_libraries_opened gui)
check_contains 'strace sees the window open GTK' 'libgtk-3.so.0' "$opened"

# A GTK that cannot be loaded: one line naming libgtk-3.so.0, status 3, nothing on standard output,
# and not the loader's own error text.
run_window_with unloadable gui
check_eq 'unloadable: status' 3 "$(cat "$work/status")"
check_line 'unloadable: standard error' \
  "fennick: cannot load GTK 3 (libgtk-3.so.0); use the command line instead $(printf '\342\200\224') fennick help" \
  "$work/err"
check_eq 'unloadable: standard output' "" "$(cat "$work/out")"

# The same without a command word when a display is named: the window is what starts.
DISPLAY=:fennick-none run_window_with unloadable
check_eq 'no command word with DISPLAY: status' 3 "$(cat "$work/status")"
check_contains 'no command word with DISPLAY: message' 'cannot load GTK 3 (libgtk-3.so.0)' \
  "$(cat "$work/err")"

finish
