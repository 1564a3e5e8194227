#!/usr/bin/env bash
# Launches an installed eggtimer as desktops do, on a session bus that finds
# the package's service file, with the package's data folder in
# XDG_DATA_DIRS: by D-Bus activation of its desktop entry (what GNOME and
# Plasma do for a DBusActivatable entry; gapplication does the same), and by
# running the entry's command (gio launch). The first launch must be started
# by the bus; every later one must show that program's window and leave no
# other program running.
#   activate-installed.sh APP_ID DESKTOP_ENTRY PROGRAM
set -u
[[ $# -eq 3 ]] || { echo "usage: $0 APP_ID DESKTOP_ENTRY PROGRAM" >&2; exit 2; }
app_id=$1 desktop=$2 program=$3

# The programs running from that file, whatever name they were started under.
programs() {
  local pid
  for pid in $(pgrep -x eggtimer); do
    [[ $(readlink "/proc/$pid/exe") == "$program" ]] && echo "$pid"
  done
}
running() { programs | wc -l; }
shown() { [[ -n $(xdotool search --onlyvisible --classname '^eggtimer$' 2>/dev/null) ]]; }
wait_for() {
  for _ in $(seq 100); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
fail() { echo "FAIL: $*"; exit 1; }

gapplication list-apps | grep -x -F "$app_id" >/dev/null ||
  fail "no D-Bus activatable entry $app_id in XDG_DATA_DIRS"
gapplication launch "$app_id" || fail "gapplication launch failed"
wait_for shown || fail "no window after the first launch"
[[ $(running) -eq 1 ]] || fail "$(running) programs after the first launch"
first=$(programs)
# The bus, not the launcher, started it: the bus tells the programs it starts
# which bus asked for them.
tr '\0' '\n' <"/proc/$first/environ" | grep -x -F DBUS_STARTER_BUS_TYPE=session >/dev/null ||
  fail "the program was not started by the session bus"
echo "started by the session bus"

for launch in "gio launch $desktop" "gapplication launch $app_id"; do
  $launch || fail "$launch failed"
  # A second program hands over and ends within a second.
  sleep 2
  [[ $(running) -eq 1 && $(programs) == "$first" ]] || fail "$launch left $(running) programs"
  shown || fail "$launch hid the window"
  echo "$launch: the same program, shown"
done
kill "$first"
