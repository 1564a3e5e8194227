#!/usr/bin/env bash
# The tree shows the design: each folder includes only what its layer may
# know of the others' headers. Prints every include that breaks the picture.
#   layers.sh SOURCE_DIR
set -euo pipefail
cd "$1"

# Folder | the project folders its files may include besides its own. The
# platform's interfaces are the headers directly in platform/.
rules=(
  "formats|"
  "platform/interfaces|"
  "text|platform/interfaces"
  "controller|platform/interfaces media text"
  "media|platform/interfaces"
  "platform/system|platform/interfaces"
  "platform/mediafiles|platform/interfaces platform/system formats"
  "platform/gstreamer|platform/interfaces platform/mediafiles formats"
  "platform/desktop|platform/interfaces platform/system"
  "platform/window|platform/interfaces platform/system"
  "app|platform/interfaces platform/system platform/mediafiles platform/gstreamer platform/desktop platform/window controller media text"
  "support|platform/interfaces platform/system platform/mediafiles platform/gstreamer platform/desktop platform/window controller media text app formats"
  "bench|platform/interfaces platform/system platform/mediafiles platform/gstreamer platform/desktop platform/window controller media text app formats support"
)
# Code that must build without the toolkit or the media framework.
plain="formats text controller media platform/interfaces"

files_of() {
  if [[ $1 == platform/interfaces ]]; then
    find platform -maxdepth 1 -name '*.h'
  else
    find "$1" -name '*.cpp' -o -name '*.h'
  fi
}

# The layer of an included project path.
layer_of() {
  case $1 in
    platform/*/*) echo "${1%/*}" ;;
    platform/*) echo platform/interfaces ;;
    *) echo "${1%%/*}" ;;
  esac
}

broken=0
for rule in "${rules[@]}"; do
  folder=${rule%%|*} allowed=" ${rule#*|} $folder "
  while IFS= read -r file; do
    while IFS= read -r included; do
      layer=$(layer_of "$included")
      if [[ $allowed != *" $layer "* ]]; then
        echo "$file includes $included: $folder may not know $layer"
        broken=1
      fi
    done < <(sed -n 's|^#include "\([^"]*/[^"]*\)".*|\1|p' "$file")
    if [[ " $plain " == *" $folder "* ]] && grep -Hn '^#include <\(Q[A-Za-z]*\|gst/[^>]*\)>' "$file"; then
      echo "$file: $folder builds without Qt and GStreamer"
      broken=1
    fi
  done < <(files_of "$folder")
done

# Every folder with code is in the picture.
known_layers=" ${rules[*]%%|*} "
for file in $(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||'); do
  case $file in
    tests/* | build/*) continue ;;
  esac
  layer=$(layer_of "$file")
  if [[ $known_layers != *" $layer "* ]]; then
    echo "$file: its folder $layer is in no layer"
    broken=1
  fi
done
exit $broken
