#!/bin/sh
# The D-Bus service files that `fennick enable` writes, read by a real session bus: asking the
# bus to start org.Nemo or org.freedesktop.FileManager1 starts the tuned Nemo (here the stand-in,
# which logs how it was started and ends at once) with exactly --gapplication-service, also when
# the prefix path holds blanks and quotes. Every bus runs with its own configuration in a
# temporary folder and is ended at the end.
set -u
: "${FENNICK_BIN:?FENNICK_BIN must name the built fennick program}"
: "${NEMO_STAND_IN:?NEMO_STAND_IN must name the Nemo stand-in}"

failures=0
checks=0
bus_pids=
tmp=$(mktemp -d "${TMPDIR:-/tmp}/fennick-dbus.XXXXXX") || exit 1

# Ends a process that is not our child and waits until it is gone (or only waits to be collected).
end_process() { # pid
  kill "$1" 2>/dev/null || return 0
  i=0
  while [ "$i" -lt 100 ] && [ -e "/proc/$1" ]; do
    case $(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) in Z | X | '') break ;; esac
    sleep 0.02
    i=$((i + 1))
  done
}

# Ends the buses and every process named nemo that runs from this test's folder.
clean_up() {
  for pid in $bus_pids; do end_process "$pid"; done
  for pid in $(pgrep -x nemo); do
    case $(readlink "/proc/$pid/exe") in "$tmp"/*) end_process "$pid" ;; esac
  done
  rm -rf "$tmp"
}
trap clean_up EXIT
trap 'exit 1' HUP INT TERM

fail() {
  printf 'FAIL: %s\n' "$*"
  failures=$((failures + 1))
}

check_eq() { # what expected actual
  checks=$((checks + 1))
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

if [ -n "$(pgrep -x nemo)" ]; then
  printf 'a process named nemo is already running; this test needs the machine to itself\n'
  exit 1
fi

# One case: a fresh home whose tuned Nemo lies under PREFIX (relative to the case folder), enabled
# with the real program, a bus that reads the home's service folder, and both names activated.
activation_case() { # name prefix
  name=$1
  case_dir=$tmp/$name
  mkdir -p "$case_dir/home" "$case_dir/bus"
  export HOME="$case_dir/home"
  export FENNICK_DIR="$HOME/.config/fennick" XDG_CONFIG_HOME="$HOME/.config"
  export XDG_DATA_HOME="$HOME/.local/share" FENNICK_SHARE="$HOME/share"
  export FENNICK_PREFIX="$case_dir/$2"
  unset DISPLAY FENNICK_FORCE
  tuned=$FENNICK_PREFIX/bin/nemo
  mkdir -p "$FENNICK_PREFIX/bin"
  cp "$NEMO_STAND_IN" "$tuned" && chmod 755 "$tuned"

  if ! "$FENNICK_BIN" enable >"$case_dir/enable.out" 2>&1; then
    fail "$name: fennick enable failed: $(cat "$case_dir/enable.out")"
    return
  fi

  cat >"$case_dir/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$case_dir/bus</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$HOME/.local/share/dbus-1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  # The bus passes its environment on to what it starts: the stand-in logs and ends at once.
  log=$case_dir/nemo.log
  if ! FENNICK_STAND_IN_SECONDS=0 FENNICK_STAND_IN_LOG=$log dbus-daemon \
    --config-file="$case_dir/bus.conf" --fork --nosyslog --print-address=3 --print-pid=4 \
    3>"$case_dir/address" 4>"$case_dir/pid" </dev/null >/dev/null 2>"$case_dir/bus.err"; then
    fail "$name: dbus-daemon did not start: $(cat "$case_dir/bus.err")"
    return
  fi
  bus_pid=$(head -n 1 "$case_dir/pid")
  bus_pids="$bus_pids $bus_pid"
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$case_dir/address")
  export DBUS_SESSION_BUS_ADDRESS
  if [ -z "$DBUS_SESSION_BUS_ADDRESS" ]; then
    fail "$name: the bus printed no address"
    return
  fi

  lines=0
  for bus_name in org.Nemo org.freedesktop.FileManager1; do
    # The stand-in ends with status 0 without taking the name, which the bus takes for a service
    # that may have handed the name on, and waits for it: the log tells, not the answer.
    dbus-send --session --print-reply --reply-timeout=5000 --dest=org.freedesktop.DBus \
      /org/freedesktop/DBus org.freedesktop.DBus.StartServiceByName "string:$bus_name" uint32:0 \
      >"$case_dir/answer" 2>&1 &
    send_pid=$!
    lines=$((lines + 1))
    line=
    i=0
    while [ "$i" -lt 150 ]; do
      line=$(sed -n "${lines}p" "$log" 2>/dev/null)
      [ -n "$line" ] && break
      # An answer came: the bus refused to start anything.
      kill -0 "$send_pid" 2>/dev/null || { line=$(sed -n "${lines}p" "$log" 2>/dev/null); break; }
      sleep 0.02
      i=$((i + 1))
    done
    kill "$send_pid" 2>/dev/null
    wait "$send_pid" 2>/dev/null
    if [ -z "$line" ]; then
      fail "$name: activating $bus_name started nothing ($(cat "$case_dir/answer")); the" \
        "service file: $(cat "$HOME/.local/share/dbus-1/services/$bus_name.service")"
      continue
    fi
    exe=${line#* exe=}
    exe=${exe% args=*}
    check_eq "$name: $bus_name: executable" "$tuned" "$exe"
    check_eq "$name: $bus_name: arguments" "--gapplication-service" "${line##* args=}"
  done
  count=0
  [ -f "$log" ] && count=$(wc -l <"$log")
  check_eq "$name: starts in the log" "$lines" "$count"

  end_process "$bus_pid"
  unset DBUS_SESSION_BUS_ADDRESS
}

activation_case plain opt/fennick
activation_case blank "my apps/fennick"
activation_case quote "o'neil's apps/fennick"
activation_case special "\"x\" \$HOME \\ \`id\` %U;&/fennick"

# Nothing named nemo is left running.
checks=$((checks + 1))
left=$(pgrep -x nemo)
[ -z "$left" ] || fail "processes named nemo left running: $left"

if [ "$failures" -ne 0 ]; then
  printf '%s: %d of %d checks failed\n' "${0##*/}" "$failures" "$checks"
  exit 1
fi
printf '%s: all %d checks passed\n' "${0##*/}" "$checks"
