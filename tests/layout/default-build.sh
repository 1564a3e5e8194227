#!/usr/bin/env bash
# The default build (what `make run` builds) compiles and links only the
# program and what it ships: no test, benchmark or test support.
#   default-build.sh BUILD_DIR
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
commands=$(ninja -C "$1" -t commands all)
extra=$(grep -E '/(tests|bench|support)/' <<<"$commands" || true)
if [[ -n $extra ]]; then
  echo "the default build makes test or benchmark programs:" >&2
  sed -n 1,5p <<<"$extra" >&2
  exit 1
fi
grep -q -- '-o app/eggtimer\b' <<<"$commands" || { echo "the default build does not link the program" >&2; exit 1; }
