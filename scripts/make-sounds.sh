#!/usr/bin/env bash
# Makes the sounds shipped with eggtimer (resources/sounds/*.aiff) and its
# beep (resources/beep.aiff) by synthesis with sox, so that every one is our
# own. Run again after changing a recipe, listen, and commit the results.
#   scripts/make-sounds.sh [output-folder]   (default: resources/)
set -euo pipefail
command -v sox >/dev/null || { echo "make-sounds.sh: sox is needed (apt-get install sox)" >&2; exit 1; }

out=${1:-"$(cd "$(dirname "$0")/.." && pwd)/resources"}
mkdir -p "$out/sounds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
# Mono, 16 bits, 44.1 kHz; peaks at -3 dBFS unless a sustained tone needs
# less to sound as loud as a struck one.
finish() { # work-file output [peak-dB]
  sox "$work/$1" -r $rate -c 1 -b 16 "$2" gain -n "${3:--3}"
}

# A struck partial: a sine that starts at once and dies away.
partial() { # file length frequency level-dB
  sox -n -r $rate -c 1 "$work/$1" synth "$2" sine "$3" gain "$4" fade q 0.004 "$2" "$2"
}
# The same with an exponential-like decay (a logarithmic fade).
ring() { # file length frequency level-dB
  sox -n -r $rate -c 1 "$work/$1" synth "$2" sine "$3" gain "$4" fade l 0.003 -0 "$2"
}

# Chime: two bell tones a fifth apart, the second 0.25 s later.
ring c1.wav 1.4 1318.5 0
ring c1h.wav 1.4 3296 -14
ring c2.wav 1.15 1975.5 -2
ring c2h.wav 1.15 4938 -16
sox -m "$work/c1.wav" "$work/c1h.wav" "$work/c1a.wav"
sox -m "$work/c2.wav" "$work/c2h.wav" "$work/c2a.wav" pad 0.25
sox -m "$work/c1a.wav" "$work/c2a.wav" "$work/chime.wav" trim 0 1.4
finish chime.wav "$out/sounds/Chime.aiff"

# Soft Bell: one low bell with its inharmonic partials (2.76 and 5.4 times).
ring b1.wav 1.8 587.3 0
ring b2.wav 1.2 1621 -10
ring b3.wav 0.6 3171 -18
sox -m "$work/b1.wav" "$work/b2.wav" "$work/b3.wav" "$work/bell.wav" pad 0 0.05
finish bell.wav "$out/sounds/SoftBell.aiff"

# Wood Tick: two short knocks of filtered noise, like a wooden clock.
sox -n -r $rate -c 1 "$work/knock.wav" synth 0.06 pinknoise bandpass 1800 0.8q fade q 0.001 0.06 0.055
sox -n -r $rate -c 1 "$work/tone.wav" synth 0.06 sine 1100 gain -6 fade q 0.001 0.06 0.055
sox -m "$work/knock.wav" "$work/tone.wav" "$work/tick.wav" pad 0 0.16
sox "$work/tick.wav" "$work/tick.wav" "$work/ticks.wav"
finish ticks.wav "$out/sounds/WoodTick.aiff"

# Marimba: a rising C major arpeggio of plucked, quickly damped bars.
for note in C5 E5 G5 C6; do
  sox -n -r $rate -c 1 "$work/m-$note.wav" synth 0.45 pluck "$note" fade q 0.002 0.45 0.35 lowpass 3000
done
sox "$work/m-C5.wav" "$work/m-E5.wav" "$work/m-G5.wav" "$work/m-C6.wav" "$work/marimba.wav" trim 0 1.35
finish marimba.wav "$out/sounds/Marimba.aiff"

# Gentle Alarm: three soft two-note calls, rounded at both ends.
partial a1.wav 0.18 880 0
partial a2.wav 0.18 1108.7 0
sox "$work/a1.wav" "$work/a2.wav" "$work/call.wav" pad 0 0.14
sox "$work/call.wav" "$work/call.wav" "$work/call.wav" "$work/alarm.wav"
finish alarm.wav "$out/sounds/GentleAlarm.aiff" -9

# Glass: a high, clear ping with a slow shimmer.
ring g1.wav 1.2 2093 0
ring g2.wav 1.2 2099 -3
sox -m "$work/g1.wav" "$work/g2.wav" "$work/glass.wav"
finish glass.wav "$out/sounds/Glass.aiff"

# The beep: a short, clear tone with soft edges so that it does not click.
sox -n -r $rate -c 1 "$work/beep.wav" synth 0.22 sine 988 fade h 0.01 0.22 0.03
finish beep.wav "$out/beep.aiff" -6

for file in "$out"/sounds/*.aiff "$out/beep.aiff"; do
  printf '%-28s %5.2f s\n' "$(basename "$file")" "$(soxi -D "$file")"
done
