#!/usr/bin/env bash
# Checks that the set-up script's package list brings everything this build
# and its tests took from the system, so that a fresh machine can build and
# test without a package that only a developer's machine happened to have:
#   setup-covers-dependencies.sh <source dir> <build dir>
# Each file below must belong to a package in the list or in what the list
# depends on (Depends and Pre-Depends, recursively; Recommends are not
# installed by the set-up):
# - the CMake package files configure read (every <Package>_DIR under /usr);
# - the pkg-config files of the modules the build asks for;
# - the shared libraries the program and the test programs load;
# - the time-zone files the tests name.
set -euo pipefail
source_dir=$1
build_dir=$2

mapfile -t listed < <(bash "$source_dir/scripts/setup.sh" --list)
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances "${listed[@]}" 2>/dev/null | grep -v '^ ' | sed 's/:.*//' | sort -u)
in_closure() { grep -qxF "$1" <<<"$closure"; }

missing=0
files=()
while IFS= read -r dir; do
  files+=("$dir"/*.cmake)
done < <(sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/usr\/.*\/cmake\/.*\)$/\1/p' "$build_dir/CMakeCache.txt" | sort -u)
for module in gstreamer-1.0 gstreamer-pbutils-1.0 gio-2.0; do
  files+=("$(pkg-config --path "$module")")
done
mapfile -t programs < <(find "$build_dir" -type f -executable -name '*_tests' -o -type f -path '*/app/eggtimer')
while IFS= read -r library; do
  files+=("$library")
done < <(for program in "${programs[@]}"; do ldd "$program"; done |
  sed -n 's/.* => \(\/[^ ]*\) .*/\1/p' | sort -u)
while IFS= read -r zone; do
  files+=("/usr/share/zoneinfo/$zone")
done < <(grep -rhoE '"(Africa|America|Asia|Australia|Europe|Pacific)/[A-Za-z_]+"' "$source_dir/tests" | tr -d '"' | sort -u)

# dpkg knows a file by the path its package installed, which on a merged /usr
# may be the /lib one; ask for every spelling at once, one look-up in all.
declare -A spelling_of
queries=()
for file in "${files[@]}"; do
  if [[ ! -e "$file" ]]; then
    echo "not on this machine: $file"
    missing=1
    continue
  fi
  real=$(readlink -f "$file")
  for candidate in "$file" "$real" "${real#/usr}" "/usr$real"; do
    [[ -n "${spelling_of[$candidate]:-}" ]] && continue
    spelling_of[$candidate]=$file
    queries+=("$candidate")
  done
done
declare -A owners
while IFS= read -r line; do
  path=${line#*: }
  file=${spelling_of[$path]:-}
  [[ -n "$file" ]] || continue
  IFS=', ' read -r -a found <<<"${line%%: *}"
  for package in "${found[@]}"; do
    owners[$file]+="${package%%:*} "
  done
done < <(dpkg-query -S "${queries[@]}" 2>/dev/null || true)

declare -A reported
for file in "${files[@]}"; do
  [[ -e "$file" ]] || continue
  packages=${owners[$file]:-}
  if [[ -z "$packages" ]]; then
    echo "no package owns $file"
    missing=1
    continue
  fi
  covered=0
  for package in $packages; do
    in_closure "$package" && covered=1
  done
  if [[ $covered -eq 0 && -z "${reported[$packages]:-}" ]]; then
    reported[$packages]=1
    echo "scripts/setup.sh does not bring ${packages% }, which provides $file"
    missing=1
  fi
done
echo "checked ${#files[@]} files against $(wc -l <<<"$closure") packages"
exit $missing
