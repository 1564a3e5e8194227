#!/usr/bin/env bash
# Starts an installed eggtimer in the current X session, waits for its window,
# then stops it. Its file calls are traced so the caller can see which sound
# folder it listed.
#   run-installed.sh PROGRAM TRACE_FILE LOG_FILE PID_FILE
# Prints the window's WM_CLASS class as "wm-class: NAME". Fails when no window
# appears within 30 s or the program ends on its own.
set -u

[[ $# -eq 4 ]] || { echo "usage: $0 PROGRAM TRACE_FILE LOG_FILE PID_FILE" >&2; exit 2; }
program=$1 trace=$2 log=$3 pidfile=$4

# Only the main thread is traced: it lists the sound folder at start-up, and
# its lines are never split by other threads' calls. The shell writes the pid
# the program keeps once it is exec'd.
# shellcheck disable=SC2016 # expanded by that shell
strace -qq -e trace=openat,newfstatat,statx -o "$trace" \
  sh -c 'echo $$ >"$0" && exec "$1"' "$pidfile" "$program" >"$log" 2>&1 &
tracer=$!

# Polls rather than `xdotool search --sync`, to stop waiting as soon as the
# program has died.
status=0 window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --classname '^eggtimer$' 2>/dev/null | head -n 1)
  [[ -n "$window" ]] && break
  kill -0 "$tracer" 2>/dev/null || break
  sleep 0.1
done
if [[ -n "$window" ]]; then
  echo "window $window: $(xdotool getwindowname "$window")"
  # The class a desktop shell matches against StartupWMClass.
  echo "wm-class: $(xprop -id "$window" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')"
elif kill -0 "$tracer" 2>/dev/null; then
  echo "FAIL: no eggtimer window within 30 s" >&2
  status=1
else
  echo "FAIL: the program ended before it showed a window" >&2
  status=1
fi

pid=$(cat "$pidfile" 2>/dev/null || true)
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
