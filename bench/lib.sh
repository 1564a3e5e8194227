# Measuring helpers for bench/run.sh: samples are kept per figure, then
# summarised as "median (min–max)".
declare -A SAMPLES=()
bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
map_wait="$build/bench/map_wait"
IDLE_SECONDS=${IDLE_SECONDS:-10}

record() { SAMPLES[$1]="${SAMPLES[$1]:-} $2"; }

summary() {
  tr ' ' '\n' <<<"${SAMPLES[$1]:-}" | grep -v '^$' | sort -g | awk '
    { v[NR] = $1 }
    END {
      if (NR == 0) { print "n/a"; exit }
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.1f (%.1f–%.1f)", m, v[1], v[NR]
    }'
}

worst() { tr ' ' '\n' <<<"${SAMPLES[$1]:-}" | grep -v '^$' | sort -g | tail -n 1; }

# One line per thread of a process: its id, nanoseconds on the CPU (schedstat;
# /proc/PID/stat counts only 10 ms ticks), voluntary and all context switches.
thread_counts() {
  local task tid cpu vol inv
  for task in /proc/"$1"/task/*; do
    tid=${task##*/}
    read -r cpu _ 2>/dev/null < "$task/schedstat" || continue
    vol=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
    inv=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
    echo "$tid $cpu $vol $((vol + inv))"
  done
}

# What the threads did between two snapshots, per minute of SECONDS: "cpu_ms
# wakeups all_switches", or nothing when a thread of the first snapshot is gone
# (its counts went with it, so the sum would read low).
counts_per_minute() {
  awk -v s="$3" '
    FNR == NR { cpu[$1] = $2; vol[$1] = $3; all[$1] = $4; next }
    { seen[$1] = 1; c += $2 - cpu[$1]; v += $3 - vol[$1]; a += $4 - all[$1] }
    END {
      for (t in cpu) if (!(t in seen)) exit 1
      printf "%.1f %.1f %.1f\n", c / 1e6 * 60 / s, v * 60 / s, a * 60 / s
    }' "$1" "$2"
}

# CPU ms, wake-ups (voluntary switches: the program's own) and all context
# switches (with the scheduler's preemptions) per minute over IDLE_SECONDS. A
# window in which a thread ended is measured again, up to three times.
measure_rest() {
  local pid=$1 cpu_key=$2 ctx_key=$3
  local before after per_minute try cpu wake all
  before=$(mktemp) after=$(mktemp)
  for try in 1 2 3; do
    thread_counts "$pid" > "$before"
    sleep "$IDLE_SECONDS"
    thread_counts "$pid" > "$after"
    per_minute=$(counts_per_minute "$before" "$after" "$IDLE_SECONDS") && break
    echo "  (a thread ended while measuring; measuring again)" >&2
  done
  rm -f "$before" "$after"
  [[ -n $per_minute ]] || { echo "  ($cpu_key: a thread ended in each of three windows; not recorded)" >&2; return 0; }
  read -r cpu wake all <<<"$per_minute"
  record "${ctx_key}_all" "$all"
  record "$cpu_key" "$cpu"
  record "$ctx_key" "$wake"
}

stop_program() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 50); do running "$1" || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

# Start-up, memory 3 s after start, and rest, over RUNS starts of a program.
measure_program() {
  SAMPLES=()
  local run out ms pid
  for run in $(seq "$RUNS"); do
    rm -rf "$XDG_CONFIG_HOME/eggtimer"
    out=$("$map_wait" --timeout 30 -- $1 2>/dev/null) || { echo "could not start $1" >&2; return 0; }
    ms=${out% *} pid=${out#* }
    record startup "$ms"
    sleep 3
    record rss "$(awk '/^Rss:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/smaps_rollup")"
    record pss "$(awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/smaps_rollup")"
    measure_rest "$pid" idle_cpu idle_ctx
    stop_program "$pid"
    sleep 0.5
  done
}

# Whether a process runs: one that has ended but is not yet reaped (map_wait
# leaves its programs to whoever reaps orphans) does not.
running() { [[ -r /proc/$1/stat && $(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) != Z ]]; }

# Asks the window of a process to close, as its title bar's close button
# does, and waits until it is off the screen.
close_window_of() {
  local window
  window=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | sed -n 1p)
  "$build/bench/close_window" "$window"
  for _ in $(seq 100); do
    [[ -z $(xdotool search --onlyvisible --pid "$1" 2>/dev/null) ]] && return 0
    sleep 0.1
  done
  echo "warning: the window stayed" >&2
}

# The window of a process, focused, so that keys reach it.
focus_window_of() {
  local wid
  wid=$(xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | sed -n 1p)
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
}

write_settings() {
  mkdir -p "$XDG_CONFIG_HOME/eggtimer"
  printf '[General]\n%s\n' "$*" | tr ' ' '\n' >"$XDG_CONFIG_HOME/eggtimer/eggtimer.conf"
}

# CPU, wake-ups and memory while a ten-minute preset counts down, with the
# window shown, and with it closed (hidden) when the second argument is
# "hidden"; the figures are recorded under count_ or hidden_.
measure_counting() {
  local run out pid key=count_ window
  [[ ${2:-} == hidden ]] && key=hidden_
  for run in $(seq "$RUNS"); do
    write_settings mode=0 modeMinSelecter=4 targetSelecter=0
    out=$("$map_wait" --timeout 30 -- "$1" 2>/dev/null) || return 0
    pid=${out#* }
    focus_window_of "$pid"
    xdotool key ctrl+Return
    sleep 2
    # A start saves every choice, and the settings written above hold only some.
    grep -q '^modeDhmMin=' "$XDG_CONFIG_HOME/eggtimer/eggtimer.conf" || echo "warning: the timer did not start" >&2
    [[ $key == hidden_ ]] && close_window_of "$pid"
    measure_rest "$pid" "${key}cpu" "${key}ctx"
    record "${key}rss" "$(awk '/^Rss:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/smaps_rollup")"
    stop_program "$pid"
  done
}

# A second launch while a timer runs with its window closed: from its exec to
# the running program's window mapped again, and to the second one's end.
measure_second_launch() {
  local program=$1 run out first window started ended
  for run in $(seq "$RUNS"); do
    write_settings mode=0 modeMinSelecter=4 targetSelecter=0
    out=$("$map_wait" --timeout 30 -- "$program" 2>/dev/null) || return 0
    first=${out#* }
    focus_window_of "$first"
    xdotool key ctrl+Return
    sleep 1
    close_window_of "$first"
    started=$(date +%s%N)
    out=$("$map_wait" --timeout 10 -- "$program" 2>/dev/null) || { echo "warning: no window came back" >&2; stop_program "$first"; continue; }
    record second_launch_shown "${out% *}"
    while running "${out#* }"; do sleep 0.01; done
    ended=$(date +%s%N)
    record second_launch_ended "$(( (ended - started) / 1000000 ))"
    stop_program "$first"
    sleep 0.5
  done
}

# The first sound of fresh processes against a later one (first_play), by
# Play click and by a one-second timer; the first clicks also each in a new
# session, where GStreamer's plug-in registry is still to be built.
measure_first_play() {
  local program=$1 kind run out
  for kind in click timer; do
    for run in $(seq "$RUNS"); do
      out=$("$program" "$kind" 2>/dev/null) || { echo "warning: first_play $kind failed" >&2; continue; }
      record "first_$kind" "${out% *}"
      record "later_$kind" "${out#* }"
    done
  done
  for run in $(seq "$RUNS"); do
    out=$("$bench_dir/../support/with-session.sh" --x --pulse --dbus -- "$program" click 2>/dev/null) || continue
    record first_click_new_session "${out% *}"
  done
}

# Lateness of the main timer: an alarm set on an exact instant (a multiple of
# 3.75 s, which single precision holds exactly) with a file target; the log
# line written just before the file is opened tells when it fired.
measure_lateness() {
  local program=$1 firings=$2 i target_file handler_dir log out pid now target hour minute fired
  target_file="$EGGTIMER_SESSION_DIR/bench-target.txt"
  echo "opened" >"$target_file"
  handler_dir="$XDG_DATA_HOME/applications"
  mkdir -p "$handler_dir"
  printf '[Desktop Entry]\nType=Application\nName=bench\nExec=/bin/true %%f\nMimeType=text/plain;\n' \
    >"$handler_dir/bench-true.desktop"
  printf '[Default Applications]\ntext/plain=bench-true.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
  log="$EGGTIMER_SESSION_DIR/bench-eggtimer.log"
  for i in $(seq "$firings"); do
    now=$(date +%s.%N)
    # The next whole multiple of 3.75 s at least 3 s ahead, as local clock time.
    target=$(awk -v n="$now" 'BEGIN { t = (int((n + 3) / 3.75) + 1) * 3.75; printf "%.2f", t }')
    hour=$(date -d "@${target%.*}" +%-H)
    minute=$(awk -v t="$target" -v m="$(date -d "@${target%.*}" +%-M)" -v s="$(date -d "@${target%.*}" +%-S)" \
      'BEGIN { printf "%.4f", m + (s + (t - int(t))) / 60 }')
    write_settings mode=2 modeAlcHour="$hour" modeAlcMin="$minute" modeAlcAMPMSelecter=0 targetSelecter=2 \
      targetFilePath="$target_file"
    : >"$log"
    out=$("$map_wait" --timeout 30 -- bash -c "exec '$program' 2>'$log'") || continue
    pid=${out#* }
    focus_window_of "$pid"
    xdotool key ctrl+Return
    for _ in $(seq 200); do grep -q 'OpenFile:' "$log" && break; sleep 0.05; done
    fired=$(grep -m1 'OpenFile:' "$log" | awk '{ print $1 " " $2 }')
    stop_program "$pid"
    [[ -n "$fired" ]] || { echo "warning: firing $i was not seen" >&2; continue; }
    record lateness "$(awk -v f="$(date -d "$fired" +%s.%N)" -v t="$target" 'BEGIN { printf "%.1f", (f - t) * 1000 }')"
  done
}
