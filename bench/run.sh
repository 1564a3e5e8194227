#!/usr/bin/env bash
# Runs the benchmark suite against a build tree and prints one table.
#   bench/run.sh BUILD_DIR
# Everything is measured from outside the program, as a user would meet it,
# inside a private X server, sound server and session bus. Set RUNS to change
# the number of runs (at least 5), PEERS=1 to install and measure the peers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
if [[ -z "${EGGTIMER_SESSION_DIR:-}" ]]; then
  exec "$here/../support/with-session.sh" --x --pulse --dbus -- "$0" "$build"
fi
export RUNS=${RUNS:-5}
source "$here/lib.sh"

echo "eggtimer benchmarks — $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo),"\
     "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(. /etc/os-release; echo "$PRETTY_NAME")"
echo "runs per figure: $RUNS (median, min–max)"
echo

programs=("eggtimer|$build/app/eggtimer" "bare Qt 6 window|$build/bench/bare_qt_window")
if [[ "${PEERS:-0}" == 1 ]]; then
  for peer in gnome-clocks ktimer; do
    command -v "$peer" >/dev/null || apt-get install -y -qq --no-install-recommends "$peer" >/dev/null 2>&1 || true
  done
fi
command -v gnome-clocks >/dev/null && programs+=("GNOME Clocks|gnome-clocks")
command -v ktimer >/dev/null && programs+=("KTimer|ktimer")

printf '| %-18s | %-22s | %-20s | %-20s | %-22s | %-22s |\n' program "start-up to window (ms)" "RSS 3 s after (MB)" \
  "PSS 3 s after (MB)" "idle CPU (ms/min)" "idle wake-ups/min"
printf '|%s|%s|%s|%s|%s|%s|\n' "--------------------" "------------------------" "----------------------" \
  "----------------------" "------------------------" "------------------------"
for entry in "${programs[@]}"; do
  name=${entry%%|*} command=${entry#*|}
  measure_program "$command"
  printf '| %-18s | %-22s | %-20s | %-20s | %-22s | %-22s |\n' "$name" "$(summary startup)" "$(summary rss)" \
    "$(summary pss)" "$(summary idle_cpu)" "$(summary idle_ctx)"
done
echo

measure_counting "$build/app/eggtimer"
echo "while a timer counts down (eggtimer): CPU $(summary count_cpu) ms/min," \
     "wake-ups (voluntary context switches) $(summary count_ctx)/min, all context switches $(summary count_ctx_all)/min," \
     "RSS $(summary count_rss) MB"
measure_counting "$build/app/eggtimer" hidden
echo "the same with its window closed: CPU $(summary hidden_cpu) ms/min," \
     "wake-ups $(summary hidden_ctx)/min, all context switches $(summary hidden_ctx_all)/min, RSS $(summary hidden_rss) MB"
measure_second_launch "$build/app/eggtimer"
echo "a second launch while the timer counts with its window closed: the window back after" \
     "$(summary second_launch_shown) ms, the second process gone after $(summary second_launch_ended) ms, from its exec"
"$build/bench/launcher_signals" 10
measure_first_play "$build/bench/first_play"
echo "first sound of a fresh process, Play clicked 2 s after start-up: $(summary first_click) ms;" \
     "a later play: $(summary later_click) ms; in a new session, before GStreamer's plug-in registry exists:" \
     "$(summary first_click_new_session) ms"
echo "first sound of a fresh process, a 1 s timer started 2 s after start-up: $(summary first_timer) ms" \
     "from its fire date; a later one: $(summary later_timer) ms"
measure_lateness "$build/app/eggtimer" 20
echo "main-timer lateness, 20 firings of a file target, from the \"OpenFile:\" log line:" \
     "median $(summary lateness) ms, worst $(worst lateness) ms"
echo
echo "== the main timer alone, on the real run loop"
"$build/bench/timer_lateness" 20 2
"$build/bench/timer_lateness" 20 10
echo
echo "== a timer firing in the running application, from a recording of the sound server"
"$build/bench/firing" 200 50 2>/dev/null
echo
echo "== a long alert message stored (median, min–max over 5 runs), on X and on Wayland"
"$build/bench/long_text" 1000000 10000000 2>/dev/null
"$here/../support/with-session.sh" --wayland -- "$build/bench/long_text" 1000000 10000000 2>/dev/null
echo
echo "== the sound list"
"$build/bench/sound_list" 10000
echo
echo "== the interface file"
"$build/bench/interface_load" 50
if [[ -x "$here/media.sh" ]]; then
  echo
  "$here/media.sh" "$build"
fi
