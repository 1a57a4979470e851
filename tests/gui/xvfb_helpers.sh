# Shared pieces of the window scripts, sourced by them: a private X server and a private home, so
# that nothing reaches the user's display, files, settings or session bus.
# shellcheck shell=sh

# Starts Xvfb on a free display chosen by the server itself (-displayfd) and exports DISPLAY.
# DIR receives the server's log; sets xvfb_pid. The caller stops it with stop_xvfb (in its trap).
start_xvfb() { # dir
  xvfb_pid=
  : >"$1/xvfb-display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$1/xvfb-display" </dev/null >"$1/xvfb.log" 2>&1 &
  xvfb_pid=$!
  tries=0
  # The display number arrives on one line once the server accepts clients.
  while ! grep -q '^[0-9][0-9]*$' "$1/xvfb-display" 2>/dev/null; do
    tries=$((tries + 1))
    if [ "$tries" -gt 1200 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start:" >&2
      cat "$1/xvfb.log" >&2
      return 1
    fi
    sleep 0.05
  done
  DISPLAY=:$(cat "$1/xvfb-display")
  export DISPLAY
}

stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

# Points HOME, the program's folders and the XDG folders into DIR, keeps GTK and GLib away from
# the user's settings, accessibility bus and session bus, and lets the window use only X11.
private_session() { # dir
  export HOME="$1/home"
  export FENNICK_DIR="$HOME/.config/fennick" FENNICK_PREFIX="$HOME/.local/opt/fennick"
  export FENNICK_SHARE="$HOME/share"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
  export XDG_RUNTIME_DIR="$1/run"
  export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GDK_BACKEND=x11 GTK_A11Y=none
  export GIO_USE_VFS=local GIO_USE_VOLUME_MONITOR=unix
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$1/no-session-bus"
  export LC_ALL=C.UTF-8
  unset WAYLAND_DISPLAY FENNICK_FORCE FENNICK_FONT_URL GTK_THEME GTK_MODULES GTK_USE_PORTAL
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# Prints the id of the visible window titled exactly "Fennick" once it is mapped; fails after
# two minutes without one (room for a loaded machine).
wait_for_fennick_window() {
  timeout 120 xdotool search --sync --onlyvisible --name '^Fennick$' | head -n 1
}

# Waits at most SECONDS for the background process PID to end and returns its exit status, or
# 124 when it is still running then.
wait_for_exit() { # pid seconds
  waited=0
  while kill -0 "$1" 2>/dev/null; do
    waited=$((waited + 1))
    [ "$waited" -gt $(($2 * 20)) ] && return 124
    sleep 0.05
  done
  wait "$1"
}
