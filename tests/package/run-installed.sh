#!/usr/bin/env bash
# Starts an installed eggtimer in the current session, X or Wayland, waits for
# its window, then stops it. Its file calls are traced so the caller can see
# which sound folder it listed.
#   run-installed.sh PROGRAM TRACE_FILE LOG_FILE PID_FILE
# Prints "window: TITLE"; on X the window's WM_CLASS class as "wm-class: NAME",
# on Wayland its app id as "app-id: NAME"; and each Qt plugin the running
# program has loaded as "plugin: PATH". Fails when no window appears within
# 30 s or the program ends on its own.
set -u

[[ $# -eq 4 ]] || { echo "usage: $0 PROGRAM TRACE_FILE LOG_FILE PID_FILE" >&2; exit 2; }
program=$1 trace=$2 log=$3 pidfile=$4

# No Wayland client can look at another's windows: the program's own protocol
# log, on its stderr, tells what it asked of the compositor and what it was
# told back.
wayland=0
[[ -n "${WAYLAND_DISPLAY:-}" ]] && wayland=1
[[ $wayland -eq 1 ]] && export WAYLAND_DEBUG=client

# Only the main thread is traced: it lists the sound folder at start-up, and
# its lines are never split by other threads' calls. The shell writes the pid
# the program keeps once it is exec'd.
# shellcheck disable=SC2016 # expanded by that shell
strace -qq -e trace=openat,newfstatat,statx -o "$trace" \
  sh -c 'echo $$ >"$0" && exec "$1"' "$pidfile" "$program" >"$log" 2>&1 &
tracer=$!

# The top-level window's xdg_toplevel and wl_surface, as "TOPLEVEL SURFACE",
# once the compositor has put that surface on an output. The log names an
# object "interface@id" (libwayland 1.21, Debian 12) or "interface#id" (1.23,
# Debian 13).
wayland_window() {
  local xdg_surface toplevel surface
  read -r xdg_surface toplevel < <(sed -n \
    's/.* -> xdg_surface[@#]\([0-9]*\)\.get_toplevel(new id xdg_toplevel[@#]\([0-9]*\)).*/\1 \2/p' "$log" | head -n 1)
  [[ -n "${toplevel:-}" ]] || return 1
  surface=$(sed -n "s/.* -> xdg_wm_base[@#][0-9]*\.get_xdg_surface(new id xdg_surface[@#]$xdg_surface, wl_surface[@#]\([0-9]*\)).*/\1/p" \
    "$log" | head -n 1)
  [[ -n "$surface" ]] && grep -q " wl_surface[@#]$surface\.enter(wl_output[@#]" "$log" || return 1
  echo "$toplevel $surface"
}
# The last string argument the program sent with a request to an object (a
# pattern: "interface[@#]id").
wayland_request() {
  sed -n "s/.* -> $1\.$2(\"\(.*\)\")$/\1/p" "$log" | tail -n 1
}

# Polls rather than `xdotool search --sync`, to stop waiting as soon as the
# program has died.
status=0 window=""
for _ in $(seq 300); do
  if [[ $wayland -eq 1 ]]; then
    window=$(wayland_window)
  else
    window=$(xdotool search --onlyvisible --classname '^eggtimer$' 2>/dev/null | head -n 1)
  fi
  [[ -n "$window" ]] && break
  kill -0 "$tracer" 2>/dev/null || break
  sleep 0.1
done
pid=$(cat "$pidfile" 2>/dev/null || true)
if [[ -n "$window" && $wayland -eq 1 ]]; then
  toplevel="xdg_toplevel[@#]${window%% *}"
  echo "window: $(wayland_request "$toplevel" set_title)"
  # The name a Wayland shell looks up the desktop entry by.
  echo "app-id: $(wayland_request "$toplevel" set_app_id)"
elif [[ -n "$window" ]]; then
  echo "window: $(xdotool getwindowname "$window")"
  # The class a desktop shell matches against StartupWMClass.
  echo "wm-class: $(xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')"
elif kill -0 "$tracer" 2>/dev/null; then
  echo "FAIL: no eggtimer window within 30 s" >&2
  status=1
else
  echo "FAIL: the program ended before it showed a window" >&2
  status=1
fi
# Plugins are mapped only once loaded; scanning a plugin folder opens every
# file in it, so the trace cannot tell which ones are in use.
if [[ -n "$window" && -n "$pid" ]]; then
  awk '$6 ~ /\/qt6\/plugins\// { print "plugin: " $6 }' "/proc/$pid/maps" 2>/dev/null | sort -u
fi

if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  # A program that ignores the request is stopped hard after 5 s.
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null
elif [[ $status -eq 0 ]]; then
  echo "FAIL: the program ended on its own" >&2
  status=1
fi
wait "$tracer"
exit $status
