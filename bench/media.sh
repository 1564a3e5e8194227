#!/usr/bin/env bash
# Media benchmarks on the real stack, each in a private sound server session:
#   bench/media.sh [build-dir]        (default: build)
# Prints: play() to first audible sample of the shipped sounds, the pause of a
# looping movie for each of the nine music types, resident memory over 500 plays,
# and the first pauses of a looping movie and of a repeating sound again while
# a busy loop runs on every core.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "${1:-$root/build}" && pwd)
session="$root/support/with-session.sh"
for program in media_first_sample media_loop_pause media_memory firing; do
  [[ -x "$build/bench/$program" ]] || { echo "media.sh: build $build/bench/$program first" >&2; exit 1; }
done

fixtures=$(mktemp -d)
hogs=()
stop_hogs() {
  for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${hogs[@]}"; do wait "$pid" 2>/dev/null || true; done
  hogs=()
}
trap 'stop_hogs; rm -rf "$fixtures"' EXIT
# A machine busy on every core, as while a build runs: one busy loop a core.
start_hogs() {
  local core
  for core in $(seq "$(nproc)"); do
    sh -c 'while :; do :; done' &
    hogs+=($!)
  done
}
# One second of 440 Hz at -10 dBFS, without fades, in every music type; the
# movie types with a small video track.
sox -q -n -r 44100 -c 1 -b 16 "$fixtures/tone.wav" synth 1 sine 440 vol 0.316
sox -q "$fixtures/tone.wav" -t aiff "$fixtures/tone.aiff"
sox -q "$fixtures/tone.wav" -t aiff "$fixtures/tone.aif"
# AIFF of other sample formats: 24-bit integers, AIFF-C 32-bit floats.
sox -q "$fixtures/tone.wav" -b 24 -t aiff "$fixtures/tone-24bit.aiff"
sox -q "$fixtures/tone.wav" -e floating-point -b 32 -t aifc "$fixtures/tone-float.aif"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
video=(-f lavfi -i color=c=teal:s=64x48:r=25:d=1)
ff -i "$fixtures/tone.wav" -c:a libmp3lame -b:a 128k "$fixtures/tone.mp3"
ff -i "$fixtures/tone.wav" -c:a aac -b:a 128k "$fixtures/tone.m4a"
ff -i "$fixtures/tone.wav" -c:a mp2 -b:a 128k -f mp2 "$fixtures/tone.mpa"
ff "${video[@]}" -i "$fixtures/tone.wav" -c:v mpeg4 -c:a aac -shortest "$fixtures/tone.mov"
ff "${video[@]}" -i "$fixtures/tone.wav" -c:v mpeg1video -c:a mp2 -b:a 128k -f mpeg "$fixtures/tone.mpg"
ff "${video[@]}" -i "$fixtures/tone.wav" -c:v mpeg4 -c:a aac -shortest "$fixtures/tone.mp4"
# One piano note of one second (format 0, 96 ticks a quarter, 120 bpm).
printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60MTrk\x00\x00\x00\x17\x00\xff\x51\x03\x07\xa1\x20\x00\xc0\x00\x00\x90\x3c\x64\x81\x40\x80\x3c\x40\x00\xff\x2f\x00' \
  >"$fixtures/tone.mid"

echo "== play() to first audible sample (prerolled plays: target 50 ms)"
"$session" --pulse -- "$build/bench/media_first_sample" 20 "$root"/resources/sounds/*.aiff "$root/resources/beep.aiff" \
  "$fixtures"/tone-24bit.aiff "$fixtures"/tone-float.aif
echo "== looping movie: end of sound to next start (target 1000 +- 30 ms)"
"$session" --pulse -- "$build/bench/media_loop_pause" 7 \
  "$fixtures"/tone.{aif,aiff,mp3,m4a,mpa,mid,mov,mpg,mp4} "$fixtures"/tone-{24bit.aiff,float.aif} || echo "(some pauses outside the target)"
echo "== resident memory (target: flat within 2 MB)"
"$session" --pulse -- "$build/bench/media_memory" 500 "$root/resources/sounds/WoodTick.aiff" "$fixtures/tone.mpg"
echo "== a repeating sound fired in the running application: end of a play to the next start (target 500 +- 30 ms)"
"$session" --x --pulse --dbus -- "$build/bench/firing" 0 0 10 2>/dev/null | grep 'pause' || echo "(not measured)"
echo "== under load, a busy loop on each of $(nproc) cores: looping movie, end of sound to next start (target 1000 +- 30 ms)"
start_hogs
"$session" --pulse -- "$build/bench/media_loop_pause" 7 \
  "$fixtures"/tone.{aif,aiff,mp3,m4a,mpa,mid,mov,mpg,mp4} "$fixtures"/tone-{24bit.aiff,float.aif} || echo "(some pauses outside the target)"
echo "== under load, each movie started 250 ms after it was made (target 1000 +- 30 ms)"
"$session" --pulse -- "$build/bench/media_loop_pause" --held 250 7 \
  "$fixtures"/tone.{aiff,mp3,m4a,mid,mp4} || echo "(some pauses outside the target)"
echo "== under load: a repeating sound fired in the running application (target 500 +- 30 ms)"
"$session" --x --pulse --dbus -- "$build/bench/firing" 0 0 10 2>/dev/null | grep 'pause' || echo "(not measured)"
stop_hogs
