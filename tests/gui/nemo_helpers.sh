# Shared pieces of the scripts that run the real Nemo under a private X server (sourced after
# xvfb_helpers.sh): a session bus of their own, finding and photographing windows, counting the
# pixels of one colour.
# shellcheck shell=bash

# A session bus of our own in DIR that starts no services: Nemo needs one to run, and `nemo -q`
# reaches the running Nemo through it. Sets bus_pid and DBUS_SESSION_BUS_ADDRESS.
start_private_bus() { # dir
  cat >"$1/bus.conf" <<EOC
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$1/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOC
  dbus-daemon --config-file="$1/bus.conf" --nofork --nopidfile >"$1/bus.log" 2>&1 &
  # shellcheck disable=SC2034  # the caller ends it
  bus_pid=$!
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$1/bus"
  local tries=0
  until [ -S "$1/bus" ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 1200 ] && return 1
    sleep 0.05
  done
}

# Waits for the visible window of class CLASS that the process PID shows and prints its id;
# empty when the process ends first, or after two minutes (room for a loaded machine).
find_window() { # class pid
  local tries=0 found
  while kill -0 "$2" 2>/dev/null && [ "$tries" -lt 1200 ]; do
    found=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return; }
    tries=$((tries + 1))
    sleep 0.1
  done
}

# Photographs window WINDOW into FILE once it shows something and has stopped changing (the
# window draws in its own time); fails when it does not settle within a minute. FENNICK_SHOTS_DIR,
# when set, keeps a copy.
shoot() { # window file
  local tries=0 last="" signature
  while :; do
    if import -window "$1" "$2" 2>/dev/null; then
      signature=$(identify -format '%k %#' "$2" 2>/dev/null)
      [ "${signature%% *}" -gt 8 ] 2>/dev/null && [ "$signature" = "$last" ] && break
      last=$signature
    fi
    tries=$((tries + 1))
    [ "$tries" -ge 300 ] && return 1
    sleep 0.2
  done
  if [ -n "${FENNICK_SHOTS_DIR:-}" ]; then
    mkdir -p "$FENNICK_SHOTS_DIR" && cp "$2" "$FENNICK_SHOTS_DIR/"
  fi
}

# The number of pixels of COLOUR (within 2%) in FILE, or in its top HEIGHT rows.
colour_pixels() { # file colour [height]
  local crop=()
  [ $# -gt 2 ] && crop=(-crop "x$3+0+0" +repage)
  convert "$1" "${crop[@]}" -alpha off -fuzz 2% -fill black +opaque "$2" \
    -fill white -opaque "$2" -format '%[fx:int(mean*w*h+0.5)]' info:
}
