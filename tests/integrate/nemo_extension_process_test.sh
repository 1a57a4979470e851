#!/bin/bash
# fennick's extension in Debian's real Nemo with nemo-python, under a private X server, session
# bus and accessibility bus: the path bar follows `fennick set` without a restart (pixels); the
# bar above the files shows the exact size and counts of a known tree, a lower bound past
# stats_max_entries and the read-only cue of a folder that cannot be written (a read-only bind
# mount as root), read over AT-SPI; the menu entries exist; a mangled fennick.ini and a vanished
# folder leave Nemo running; restart opens the folders that were open again.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
# shellcheck source=../gui/xvfb_helpers.sh
. "$here/../gui/xvfb_helpers.sh"
# shellcheck source=../gui/nemo_helpers.sh
. "$here/../gui/nemo_helpers.sh"
launcher=/usr/libexec/at-spi-bus-launcher
for tool in nemo Xvfb xdotool import convert dbus-daemon "$launcher" /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "$tool is needed (Debian: nemo, nemo-python, xvfb, xdotool, imagemagick, at-spi2-core)"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-extension.XXXXXX") || exit 1
nemo_pid=''
bus_pid=''
a11y=''
mounted=''
# shellcheck disable=SC2317  # run by the trap
# The Nemo processes of this test's home (a restart starts one that is nobody's child here).
our_nemos() {
  local pid
  for pid in $(pgrep -x nemo); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "HOME=$HOME" && echo "$pid"
  done
}
# shellcheck disable=SC2317  # run by the trap
clean_up() {
  [ -n "$bus_pid" ] && timeout 20 nemo -q >/dev/null 2>&1
  for _ in $(seq 100); do [ -z "$(our_nemos)" ] && break; sleep 0.1; done
  for pid in $(our_nemos) $nemo_pid $a11y $bus_pid; do kill "$pid" 2>/dev/null; done
  for _ in $(seq 100); do [ -z "$(our_nemos)" ] && break; sleep 0.1; done
  # Lazily: a Nemo that is quitting may still hold the folder.
  [ -n "$mounted" ] && umount -l "$mounted"
  stop_xvfb
  rm -rf "$work"
}
trap clean_up EXIT
trap 'exit 1' HUP INT TERM
die() {
  checks=$((checks + 1))
  fail "$*"
  finish
}

private_session "$work"
cd "$work" || exit 1
start_xvfb "$work" || die 'Xvfb did not start'
start_private_bus "$work" || die "the private session bus did not start"
unset NO_AT_BRIDGE GTK_A11Y GTK_MODULES
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
a11y=$!
export GSETTINGS_BACKEND=keyfile
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
printf '[org/nemo/preferences]\nshow-location-entry=false\n' \
  >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
labels() { /usr/bin/python3 "$here/nemo_labels.py" "$@"; }

# A known tree: six names (one a hard link to another, one a symbolic link out of the tree, one
# a name that is no UTF-8), one folder; 3 + 5 + 7 + 1 bytes and the link's own 4.
tree=$HOME/tree
mkdir -p "$tree/sub" "$HOME/ro" "$HOME/big"
# And a folder of more entries than the lowest stats_max_entries.
(cd "$HOME/big" && seq 1100 | xargs touch)
printf abc >"$tree/a" && printf abcde >"$tree/b" && printf abcdefg >"$tree/sub/c"
ln "$tree/a" "$tree/sub/d" && ln -s /etc "$tree/link" && printf x >"$tree/"$'\xff'
if [ "$(id -u)" = 0 ]; then
  mount --bind -o ro "$HOME/ro" "$HOME/ro" && mounted=$HOME/ro
else
  chmod 555 "$HOME/ro"
fi

"$FENNICK_BIN" set pathbar.enabled true pathbar.selected_bg '#FF00FF' sidebar.readonly_marker lock \
  sidebar.readonly_color_light '#FF0000' >/dev/null || die 'fennick set failed'
out=$("$FENNICK_BIN" extension-install) || die "extension-install failed: $out"
nemo --no-desktop "$tree" >"$work/nemo.log" 2>&1 &
nemo_pid=$!
window=$(find_window '^nemo$' "$nemo_pid")
[ -n "$window" ] || die "Nemo showed no window: $(cat "$work/nemo.log")"

check_eq 'the bar: size and counts of the tree' '20 bytes · 6 files · 1 folder' \
  "$(labels 60 ' · [0-9]+ folder' | cut -f1)"
shoot "$window" "$work/before.png" || die 'the Nemo window did not settle'
checks=$((checks + 1))
[ "$(colour_pixels "$work/before.png" '#FF00FF' 120)" -ge 300 ] || fail 'the path bar is not #FF00FF'

# Live: a new colour shows in the same Nemo, without a restart.
"$FENNICK_BIN" set pathbar.selected_bg '#00FFFF' >/dev/null
for _ in $(seq 100); do
  shoot "$window" "$work/after.png" && [ "$(colour_pixels "$work/after.png" '#00FFFF' 120)" -ge 300 ] && break
  sleep 0.1
done
check_eq 'the path bar after fennick set: #00FFFF pixels' yes \
  "$([ "$(colour_pixels "$work/after.png" '#00FFFF' 120)" -ge 300 ] && echo yes)"
check_eq 'the path bar after fennick set: #FF00FF pixels' 0 "$(colour_pixels "$work/after.png" '#FF00FF' 120)"

"$FENNICK_BIN" set sidebar.stats_max_entries 1000 >/dev/null
nemo --no-desktop "$HOME/big" >>"$work/nemo.log" 2>&1
check_eq 'the bar past stats_max_entries: a lower bound' '≥ 0 bytes · ≥ 1000 files · ≥ 0 folders' \
  "$(labels 60 '≥' | cut -f1)"

nemo --no-desktop "$HOME/ro" >>"$work/nemo.log" 2>&1
cue=$(labels 60 'Read-only folder')
check_eq 'the read-only cue: lock and text' '🔒 Read-only folder' "$(printf '%s' "$cue" | cut -f1)"
check_contains 'the read-only cue: the light colour' 'fg-color:65535,0,0' "$cue"
check_contains 'the read-only cue: italic' 'style:italic' "$cue"

# The menu entries, from the module with Nemo's real bindings.
check_eq 'the background menu' 'Fennick…|Restart Nemo to apply' "$(/usr/bin/python3 -c '
import runpy, sys
extension = runpy.run_path(sys.argv[1], run_name="fennick")["FennickExtension"]()
items = extension.get_background_items(None, None)
print("|".join(item.props.label for item in items))' "$XDG_DATA_HOME/nemo-python/extensions/fennick.py" 2>&1)"

# What Nemo shows is written down; restart opens the same folders again.
windows=$(cat "$XDG_CACHE_HOME/fennick/nemo-windows")
check_eq 'the folders written down' "pid $nemo_pid
file://$tree
file://$HOME/big
file://$HOME/ro" "$windows"

# A settings file that makes no sense and a folder that goes while shown (its window goes to the
# home folder) leave Nemo running.
printf '\000\377[[[\n=\n' >"$FENNICK_DIR/fennick.ini"
sleep 1
rm -rf "$tree"
sleep 1
check_eq 'Nemo after a mangled fennick.ini and a vanished folder' running \
  "$(kill -0 "$nemo_pid" 2>/dev/null && echo running)"

"$FENNICK_BIN" restart >/dev/null
wait_for_exit "$nemo_pid" 60 >/dev/null || fail 'restart did not end the running Nemo'
for _ in $(seq 600); do
  names=$(xdotool search --onlyvisible --class '^nemo$' getwindowname %@ 2>/dev/null | sort | xargs)
  [ "$names" = "Home big ro" ] && break
  sleep 0.1
done
check_eq 'the windows after restart' 'Home big ro' "$names"
finish
