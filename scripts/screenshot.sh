#!/usr/bin/env bash
# Pictures of the eggtimer window on a private X server:
#   screenshot.sh OUT.png [BUILD_DIR]
# writes OUT.png at the default scale and OUT-2x.png at QT_SCALE_FACTOR=2.
# Extra keys to press before the picture (xdotool key names) may be given in
# EGGTIMER_SCREENSHOT_KEYS, for example "ctrl+Return" to show a running timer,
# and seconds to wait after them in EGGTIMER_SCREENSHOT_WAIT. A settings file
# to start with (as ~/.config/eggtimer/eggtimer.conf) may be given in
# EGGTIMER_SCREENSHOT_SETTINGS.
set -euo pipefail

out=${1:?usage: screenshot.sh OUT.png [BUILD_DIR]}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build}
binary="$build/app/eggtimer"
[[ -x "$binary" ]] || { echo "screenshot.sh: no program at $binary; build first" >&2; exit 1; }
out=$(realpath -m "$out")
settings=${EGGTIMER_SCREENSHOT_SETTINGS:+$(realpath "$EGGTIMER_SCREENSHOT_SETTINGS")}
mkdir -p "$(dirname "$out")"

capture() {
  local scale=$1 file=$2
  # A screen as large as a 200% desktop's.
  EGGTIMER_XVFB_SCREEN="$((1280 * scale))x$((1024 * scale))x24" "$root/support/with-session.sh" --x -- bash -c '
    set -euo pipefail
    if [[ -n "$4" ]]; then
      mkdir -p "$XDG_CONFIG_HOME/eggtimer"
      cp "$4" "$XDG_CONFIG_HOME/eggtimer/eggtimer.conf"
    fi
    QT_SCALE_FACTOR=$1 "$2" & app=$!
    trap "kill $app 2>/dev/null || true; wait $app 2>/dev/null || true" EXIT
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "^Egg Timer$" | sed -n 1p)
    # The window is mapped before its first paint has reached the server.
    sleep 1
    for key in ${EGGTIMER_SCREENSHOT_KEYS:-}; do
      # No window manager runs: give the window the focus by hand.
      xdotool windowfocus --sync "$window"
      xdotool key "$key"
      sleep 0.5
    done
    sleep "${EGGTIMER_SCREENSHOT_WAIT:-0}"
    import -window "$window" "$3"
  ' _ "$scale" "$binary" "$file" "$settings"
  echo "$file"
}

capture 1 "$out"
capture 2 "${out%.png}-2x.png"
