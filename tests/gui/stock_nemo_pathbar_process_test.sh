#!/bin/bash
# The path-bar colours reach the stock Nemo through GTK's gtk.css, and only Nemo: under a private
# X server, with a private home, settings and session bus, the stock nemo is photographed
# on a deep folder before `fennick pathbar-install`, after it, and after `fennick pathbar-remove`,
# and a GTK 3 file chooser of another program (zenity) after the install. The selected crumb's
# background is a loud #FF00FF; the pixels tell whether a window shows it. The file chooser is
# also photographed with the unscoped fennick.css, which does paint it, so that the check for
# its stock path bar can fail too.
# Set FENNICK_SHOTS_DIR to keep the pictures. The Nemo started here, on a bus of its own, leaves any
# other running Nemo alone; the process tests, which look for every process named nemo, never run
# beside it (the name of the file says so to CTest).
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
# shellcheck source=xvfb_helpers.sh
. "$here/xvfb_helpers.sh"
# shellcheck source=nemo_helpers.sh
. "$here/nemo_helpers.sh"

loud='#FF00FF'
# Pixels of the loud colour the selected crumb gives at least (it covers over a thousand).
enough=300

for tool in nemo zenity Xvfb xdotool import convert compare dbus-daemon gsettings; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is needed (Debian: nemo, zenity, xvfb, xdotool, imagemagick, dbus-daemon, libglib2.0-bin)"
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-stock-nemo.XXXXXX") || exit 1
nemo_pid=
zenity_pid=
bus_pid=
# Ends a child of this script and collects it.
end_child() { # pid
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
# shellcheck disable=SC2317  # run by the trap
clean_up() {
  end_child "$nemo_pid"
  end_child "$zenity_pid"
  end_child "$bus_pid"
  stop_xvfb
  rm -rf "$work"
}
trap clean_up EXIT
trap 'exit 1' HUP INT TERM

# A failure after which the rest cannot run.
die() {
  checks=$((checks + 1))
  fail "$*"
  finish
}

private_session "$work"
cd "$work" || exit 1
start_xvfb "$work" || die 'Xvfb did not start'

# A session bus of our own that starts no services.
start_private_bus "$work" || die "the private session bus did not start: $(cat "$work/bus.log")"

# The settings in a key file of the private home, shared by every program started here: Nemo and
# the file chooser show the folder as crumbs, not as a location entry.
export GSETTINGS_BACKEND=keyfile
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<'EOF'
[org/nemo/preferences]
show-location-entry=false

[org/gtk/settings/file-chooser]
location-mode='path-bar'
EOF
check_eq 'the private settings reach Nemo' false \
  "$(gsettings get org.nemo.preferences show-location-entry 2>&1)"

dir=$HOME/a/b/c/d
mkdir -p "$dir"

# The number of pixels of the loud colour in FILE, or in its top HEIGHT rows.
loud_pixels() { # file [height]
  colour_pixels "$1" "$loud" "${@:2}"
}

# Starts the stock Nemo on the deep folder, without a desktop, and photographs its window into
# $work/NAME.png.
nemo_picture() { # name
  nemo --no-desktop "$dir" >"$work/$1-nemo.log" 2>&1 &
  nemo_pid=$!
  window=$(find_window '^nemo$' "$nemo_pid")
  [ -n "$window" ] || die "$1: the stock Nemo showed no window: $(cat "$work/$1-nemo.log")"
  shoot "$window" "$work/$1.png" || die "$1: the Nemo window did not settle"
}

# Quits Nemo the ordinary way, through its session bus.
quit_nemo() { # name
  nemo -q >>"$work/$1-nemo.log" 2>&1
  if ! wait_for_exit "$nemo_pid" 60 >/dev/null; then
    fail "$1: nemo -q did not end Nemo within a minute"
    end_child "$nemo_pid"
  fi
  nemo_pid=
}

# Opens zenity's file chooser (a stock GTK 3 one) on the deep folder, photographs it into
# $work/NAME.png and closes it.
chooser_picture() { # name
  zenity --file-selection --filename="$dir/" >"$work/$1-zenity.log" 2>&1 &
  zenity_pid=$!
  window=$(find_window '^zenity$' "$zenity_pid")
  [ -n "$window" ] || die "$1: zenity showed no file chooser: $(cat "$work/$1-zenity.log")"
  shoot "$window" "$work/$1.png" || die "$1: the file chooser did not settle"
  end_child "$zenity_pid"
  zenity_pid=
}

if ! out=$("$FENNICK_BIN" set pathbar.enabled true pathbar.selected_bg "$loud" \
  pathbar.selected_color '#00FF00' 2>&1); then
  die "fennick set failed: $out"
fi

# Before the install: the stock Nemo shows no loud pixel.
nemo_picture before
check_eq 'before pathbar-install: #FF00FF pixels in Nemo' 0 "$(loud_pixels "$work/before.png")"
quit_nemo before

if ! out=$("$FENNICK_BIN" pathbar-install 2>&1); then
  die "fennick pathbar-install failed: $out"
fi

# After the install: the selected crumb, in the path bar at the top of the window, is loud.
nemo_picture installed
count=$(loud_pixels "$work/installed.png" 120)
checks=$((checks + 1))
[ "$count" -ge "$enough" ] 2>/dev/null ||
  fail "after pathbar-install: $count #FF00FF pixels in the top of Nemo's window, expected at least $enough"

# The file chooser of another program keeps its stock path bar ...
chooser_picture chooser
check_eq 'after pathbar-install: #FF00FF pixels in the file chooser' 0 \
  "$(loud_pixels "$work/chooser.png")"
# ... which the rules without the Nemo scope would paint.
mkdir -p "$work/unscoped/gtk-3.0"
printf '@import url("%s");\n' "file://$FENNICK_DIR/fennick.css" >"$work/unscoped/gtk-3.0/gtk.css"
XDG_CONFIG_HOME=$work/unscoped chooser_picture chooser-unscoped
count=$(loud_pixels "$work/chooser-unscoped.png" 120)
checks=$((checks + 1))
[ "$count" -ge "$enough" ] 2>/dev/null ||
  fail "control: the unscoped fennick.css gave only $count #FF00FF pixels in the file chooser, expected at least $enough"

quit_nemo installed
if ! out=$("$FENNICK_BIN" pathbar-remove 2>&1); then
  die "fennick pathbar-remove failed: $out"
fi

# After the removal a restarted Nemo looks as before: no loud pixel, and the top of the window
# (menus, toolbar, path bar) the same to the pixel. The status bar below shows the free space,
# which other programs change.
nemo_picture removed
check_eq 'after pathbar-remove: #FF00FF pixels in Nemo' 0 "$(loud_pixels "$work/removed.png")"
difference=$(compare -metric AE "$work/before.png[x120+0+0]" "$work/removed.png[x120+0+0]" null: 2>&1)
check_eq 'after pathbar-remove: pixels of the path bar that differ from before the install' 0 "$difference"
quit_nemo removed

finish
