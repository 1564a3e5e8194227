#!/usr/bin/env bash
# Runs a command inside a private desktop session made for one test:
#   with-session.sh [--x | --wayland | --mutter] [--pulse] [--dbus] -- command [args...]
# Always: a scratch HOME with its own XDG folders, so no test reads or writes
# the user's settings or sounds, and never the user's own display.
#   --x        a private Xvfb server (DISPLAY), 1280x1024 unless
#              EGGTIMER_XVFB_SCREEN gives another size (WxHxDepth)
#   --wayland  a private Weston compositor with its desktop shell and a seat
#              with a keyboard and a pointer (WAYLAND_DISPLAY,
#              XDG_SESSION_TYPE=wayland, and no DISPLAY), 1280x1024 unless
#              EGGTIMER_WESTON_SCREEN gives another size (WxH)
#   --mutter   GNOME's compositor, mutter, as a Wayland compositor of its own
#              inside a private Xvfb, with the same size and variables as
#              --wayland and XDG_CURRENT_DESKTOP=GNOME, as in a GNOME session
# Under --wayland and --mutter, EGGTIMER_COMPOSITOR_DISPLAY names the private
# X server the compositor draws on: a picture of it shows what a user sees,
# title bars included, and its pointer is the compositor's.
#   --pulse    a private PulseAudio server with a null sink called
#              "eggtimer_test" (PULSE_SERVER, PULSE_SINK; the sink's monitor
#              can be recorded)
#   --dbus     a private session bus (DBUS_SESSION_BUS_ADDRESS) that starts
#              no service but those a test asks for (EGGTIMER_DBUS_SERVICE_DIR);
#              EGGTIMER_DBUS_PID is its daemon
# Everything started here is stopped when the command ends.
set -euo pipefail

want_x=0 want_wayland=0 want_mutter=0 want_pulse=0 want_dbus=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --x) want_x=1 ;;
    --wayland) want_wayland=1 ;;
    --mutter) want_wayland=1 want_mutter=1 ;;
    --pulse) want_pulse=1 ;;
    --dbus) want_dbus=1 ;;
    --) shift; break ;;
    *) echo "with-session.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[[ $# -gt 0 ]] || { echo "with-session.sh: no command" >&2; exit 2; }
[[ $want_x -eq 0 || $want_wayland -eq 0 ]] || { echo "with-session.sh: --x or a Wayland compositor, not both" >&2; exit 2; }

session=$(mktemp -d /tmp/eggtimer-session.XXXXXX)
pids=()
# Last started, first stopped: a compositor goes before the X server it draws on.
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$session"
}
trap cleanup EXIT

export HOME="$session/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$session/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER DESKTOP_SESSION WAYLAND_DISPLAY XDG_SESSION_TYPE XDG_CURRENT_DESKTOP

# Starts a private Xvfb with one screen of the size given (WxHxDepth) and sets
# `display` to its number.
start_xvfb() {
  # Servers started side by side can race for the same display number; the
  # loser exits, and a fresh attempt picks another.
  display=""
  for attempt in 1 2 3 4 5; do
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -screen 0 "$1" -nolisten tcp >"$session/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      read -r -t 0.1 -u "$display_fd" display && break || true
      kill -0 "$xvfb_pid" 2>/dev/null || break
    done
    exec {display_fd}<&-
    if [[ -n "$display" ]] && DISPLAY=":$display" xdpyinfo >/dev/null 2>&1; then
      pids+=("$xvfb_pid")
      break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    display=""
    sleep "0.$((RANDOM % 5 + attempt))"
  done
  [[ -n "$display" ]] || { echo "with-session.sh: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
}

# Starts a private session bus called NAME, of its own configuration: it
# starts no service of the machine's (a notification daemon installed here
# would answer for a missing one), only those in EGGTIMER_DBUS_SERVICE_DIR,
# when a test names such a folder. Sets bus_address and bus_pid.
start_bus() {
  mkdir -p "$session/$1-services"
  cat >"$session/$1.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$session</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$session/$1-services</servicedir>
  ${EGGTIMER_DBUS_SERVICE_DIR:+<servicedir>$EGGTIMER_DBUS_SERVICE_DIR</servicedir>}
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$session/$1.conf" --nofork --nopidfile --print-address=3 \
    3>"$session/$1.address" >/dev/null 2>&1 &
  bus_pid=$!
  pids+=("$bus_pid")
  for _ in $(seq 100); do [[ -s "$session/$1.address" ]] && break; sleep 0.05; done
  bus_address=$(head -n 1 "$session/$1.address")
}

if [[ $want_x -eq 1 ]]; then
  start_xvfb "${EGGTIMER_XVFB_SCREEN:-1280x1024x24}"
  export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
elif [[ $want_wayland -eq 1 ]]; then
  # The socket lives in the private runtime folder, so its name cannot clash.
  # Both compositors draw on an X server of their own that nothing else is
  # told of, with its keyboard and pointer as a desktop's seat.
  socket=wayland-0 screen=${EGGTIMER_WESTON_SCREEN:-1280x1024}
  start_xvfb "${screen}x24"
  if [[ $want_mutter -eq 1 ]]; then
    # Mutter needs a session bus; one of its own keeps its services off the
    # test's. GSettings in memory: nothing of the user's desktop is read.
    start_bus mutter-bus
    DISPLAY=":$display" DBUS_SESSION_BUS_ADDRESS="$bus_address" GSETTINGS_BACKEND=memory \
      mutter --nested --wayland --no-x11 --wayland-display="$socket" >"$session/compositor.log" 2>&1 &
  else
    # Weston's headless back end has no seat: no window ever gets keyboard
    # focus, and Qt 6.4 crashes on a key event in a text field there.
    # --debug lets weston-screenshooter picture the screen; the idle time of
    # 0 keeps the shell from locking the screen during a long run.
    DISPLAY=":$display" weston --backend=x11-backend.so --use-pixman --no-config --debug --idle-time=0 \
      --socket="$socket" --width="${screen%x*}" --height="${screen#*x}" \
      --log="$session/weston.log" >"$session/compositor.log" 2>&1 &
  fi
  compositor_pid=$!
  pids+=("$compositor_pid")
  # The compositor opens its socket once it is ready; a client's round trip
  # proves it is answering.
  for _ in $(seq 100); do
    [[ -S "$XDG_RUNTIME_DIR/$socket" ]] && WAYLAND_DISPLAY=$socket wayland-info >/dev/null 2>&1 && break
    kill -0 "$compositor_pid" 2>/dev/null || break
    sleep 0.1
  done
  WAYLAND_DISPLAY=$socket wayland-info >/dev/null 2>&1 ||
    { echo "with-session.sh: the compositor did not start" >&2; cat "$session"/compositor.log "$session"/weston.log >&2 || true; exit 1; }
  # As a Wayland desktop's session: Qt picks its platform from these, as it
  # does for a user, and nothing can reach an X server instead.
  export WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland EGGTIMER_COMPOSITOR_DISPLAY=":$display"
  [[ $want_mutter -eq 0 ]] || export XDG_CURRENT_DESKTOP=GNOME
  unset DISPLAY QT_QPA_PLATFORM
else
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
fi

if [[ $want_dbus -eq 1 ]]; then
  start_bus dbus
  # EGGTIMER_DBUS_PID is for tests of a bus that stops answering.
  export DBUS_SESSION_BUS_ADDRESS=$bus_address EGGTIMER_DBUS_PID=$bus_pid
else
  # No session bus: the program must work without one.
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$session/no-bus"
fi

if [[ $want_pulse -eq 1 ]]; then
  pulse_dir="$session/pulse"
  mkdir -p "$pulse_dir"
  PULSE_RUNTIME_PATH="$pulse_dir" PULSE_STATE_PATH="$pulse_dir" \
    pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
      --use-pid-file=no --system=no \
      -L "module-native-protocol-unix socket=$pulse_dir/native auth-anonymous=1" \
      -L "module-null-sink sink_name=eggtimer_test rate=48000 channels=2" \
      -L "module-always-sink" >"$session/pulse.log" 2>&1 &
  pids+=($!)
  export PULSE_SERVER="unix:$pulse_dir/native" PULSE_SINK=eggtimer_test
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.05
  done
  pactl info >/dev/null 2>&1 || { echo "with-session.sh: PulseAudio did not start" >&2; cat "$session/pulse.log" >&2; exit 1; }
  pactl set-default-sink eggtimer_test
else
  # No sound server: the program must stay silent, never hang.
  export PULSE_SERVER="unix:$session/no-pulse"
fi

export EGGTIMER_SESSION_DIR="$session"
"$@"
