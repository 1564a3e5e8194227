#!/usr/bin/env bash
# Builds the Debian package from a build tree, checks its control fields and
# contents, unpacks it into a scratch root and starts the program from there
# under a private X server, checking that it finds the sounds it shipped with,
# and under a private Wayland compositor.
#   package-test.sh BUILD_DIR WITH_SESSION APP_ID SETUP_SCRIPT
set -euo pipefail

[[ $# -eq 4 ]] || { echo "usage: $0 BUILD_DIR WITH_SESSION APP_ID SETUP_SCRIPT" >&2; exit 2; }
here=$(dirname "$(realpath "$0")")
build=$(realpath "$1") with_session=$(realpath "$2") app_id=$3 setup_script=$(realpath "$4")

scratch=$(mktemp -d /tmp/eggtimer-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
section() { echo "== $*"; }

# Runtime packages the program loads without linking them (plugins, sound
# output, sound font), and the libraries dpkg-shlibdeps must have found.
runtime_packages=(
  qt6-qpa-plugins gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-pulseaudio fluid-soundfont-gm
)
linked_libraries=(
  libqt6core6 libqt6gui6 libqt6widgets6 libqt6uitools6 libqt6dbus6
  libgstreamer1.0-0 libgstreamer-plugins-base1.0-0
)
# What the set-up script installs to run the program must come with the package
# too: as a dependency, or as a recommendation where it recommends it.
setup_list() {
  sed -n "/^$1=(/,/^)/p" "$setup_script" | sed '1d;$d' | sed 's/#.*//' | tr -s ' ' '\n' | sed '/^$/d'
}
mapfile -t setup_runtime < <(setup_list runtime_packages)
[[ ${#setup_runtime[@]} -gt 0 ]] || fail "no runtime packages found in $setup_script"
mapfile -t setup_recommended < <(setup_list recommended_packages)
[[ ${#setup_recommended[@]} -gt 0 ]] || fail "no recommended packages found in $setup_script"

section "build the package"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
arch=$(dpkg --print-architecture)
deb="$scratch/out/eggtimer_${version}_${arch}.deb"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
[[ -f "$deb" ]] || { ls "$scratch/out" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }
echo "built $(basename "$deb"), $(stat -c %s "$deb") bytes"

section "control fields"
dpkg-deb -I "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == eggtimer ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Section)" == utils ]] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
[[ "$(field Description)" == *$'\n'* ]] || fail "Description has no long description"

# One line per alternative group: "name (op version) | name ...".
groups_of() { field "$1" | tr ',' '\n' | sed 's/^ *//; s/ *$//; /^$/d'; }
mapfile -t groups < <(groups_of Depends)
mapfile -t recommended < <(groups_of Recommends)
names_in() { tr '|' '\n' <<<"$1" | sed 's/(.*)//; s/:.*//; s/ //g'; }
# Whether a package is named in one of the groups of the array called $1.
named_in() {
  local -n listed_groups=$1
  local group
  for group in "${listed_groups[@]}"; do
    names_in "$group" | grep -x -F "$2" >/dev/null && return 0
  done
  return 1
}
depends_on() { named_in groups "$1"; }
recommends() { named_in recommended "$1"; }
for package in $(printf '%s\n' "${runtime_packages[@]}" "${setup_runtime[@]}" | sort -u); do
  depends_on "$package" || fail "Depends lacks $package"
done
# Debian 13 renamed libraries whose interface changed with 64-bit time_t
# ("libqt6core6t64").
for library in "${linked_libraries[@]}"; do
  depends_on "$library" || depends_on "${library}t64" || fail "Depends lacks $library"
done
for package in "${setup_recommended[@]}"; do
  depends_on "$package" || recommends "$package" || fail "neither Depends nor Recommends has $package"
done

# Every dependency must name a package this Debian release has, in a version
# it has: the test machine has them all installed.
satisfied() {
  local alternative alternatives name op wanted installed
  IFS='|' read -ra alternatives <<<"$1"
  for alternative in "${alternatives[@]}"; do
    alternative=${alternative//[()]/}
    read -r name op wanted <<<"$alternative"
    installed=$(dpkg-query -W -f='${Status}|${Version}' "${name%%:*}" 2>/dev/null) || continue
    [[ "${installed%%|*}" == "install ok installed" ]] || continue
    [[ -z "$op" ]] && return 0
    dpkg --compare-versions "${installed#*|}" "$op" "$wanted" && return 0
  done
  return 1
}
for group in "${groups[@]}"; do
  satisfied "$group" || fail "dependency '$group' is not installed here: misspelt, or not in this release?"
done

section "contents"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -E '^\./(usr/)?$' | grep -v '^\./usr/' || true)
[[ -z "$outside" ]] || fail "files outside /usr: $outside"
share="$root/usr/share"
[[ -x "$root/usr/bin/eggtimer" ]] || fail "no executable usr/bin/eggtimer"
shopt -s nullglob
sounds=("$share"/eggtimer/sounds/*.aiff)
shopt -u nullglob
[[ ${#sounds[@]} -gt 0 ]] || fail "no sounds in usr/share/eggtimer/sounds"
echo "${#sounds[@]} sounds"
for file in eggtimer/beep.aiff applications/"$app_id".desktop metainfo/"$app_id".metainfo.xml \
  icons/hicolor/scalable/apps/"$app_id".svg icons/hicolor/symbolic/apps/"$app_id"-symbolic.svg \
  icons/hicolor/symbolic/apps/"$app_id"-dark-symbolic.svg; do
  [[ -s "$share/$file" ]] || fail "no usr/share/$file"
done

section "desktop entry"
desktop="$share/applications/$app_id.desktop"
if [[ -f "$desktop" ]]; then
  # desktop-file-utils 0.26 (Debian 12) predates the SingleMainWindow key of
  # the Desktop Entry format 1.5; every other complaint counts.
  complaints=$(desktop-file-validate "$desktop" 2>&1 | grep -v 'key "SingleMainWindow"' || true)
  [[ -z "$complaints" ]] || fail "desktop-file-validate: $complaints"
  key() { sed -n "s/^$1=//p" "$desktop"; }
  [[ "$(key Icon)" == "$app_id" ]] || fail "Icon is '$(key Icon)', not $app_id"
  [[ -x "$root/usr/bin/$(key Exec | cut -d' ' -f1)" ]] || fail "Exec '$(key Exec)' is not in usr/bin"
  [[ "$(key Categories)" == "Utility;Clock;" ]] || fail "Categories is '$(key Categories)'"
  [[ "$(key SingleMainWindow)" == true ]] || fail "SingleMainWindow is not true"
fi

section "metainfo"
metainfo="$share/metainfo/$app_id.metainfo.xml"
if [[ -f "$metainfo" ]]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metainfo"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $app_id.desktop"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
fi

section "icons"
for icon in "$share"/icons/hicolor/*/apps/"$app_id"*.svg; do
  rsvg-convert -w 32 -h 32 "$icon" -o "$scratch/icon.png" || fail "$icon does not render"
done

section "run the installed program"
# The window shows that the program started with everything it needs; the
# trace of its file calls shows which sound folder it listed.
trace="$scratch/trace" log="$scratch/program.log"
status=0
timeout 50 "$with_session" --x -- "$here/run-installed.sh" "$root/usr/bin/eggtimer" "$trace" "$log" \
  "$scratch/pid" >"$scratch/run.out" || status=$?
cat "$scratch/run.out"
if [[ $status -ne 0 ]]; then
  fail "the installed program did not start and stop cleanly (exit status $status)"
  echo "-- program output:" >&2
  cat "$log" >&2 || true
fi
# Shells match the window to its launcher by this class.
wm_class=$(sed -n 's/^wm-class: //p' "$scratch/run.out")
[[ -z "$wm_class" || ! -f "$desktop" || "$wm_class" == "$(key StartupWMClass)" ]] ||
  fail "the window's class '$wm_class' is not the desktop entry's StartupWMClass '$(key StartupWMClass)'"
# The sound list is filled at start-up from the sound folder beside the program.
grep -q -E "openat\(AT_FDCWD, \"$root/usr/share/eggtimer/sounds/?\", [^)]*O_DIRECTORY[^)]*\) = [0-9]+$" "$trace" ||
  fail "the program did not open its installed sound folder $root/usr/share/eggtimer/sounds/"
grep -q -E "\"$root/usr/share/eggtimer/beep.aiff\".* = 0$" "$trace" ||
  fail "the program did not find its installed beep $root/usr/share/eggtimer/beep.aiff"

section "run the installed program on Wayland"
# With Qt's Wayland platform installed the program draws natively on a Wayland
# desktop; the session gives it no X server to fall back on.
status=0
timeout 50 "$with_session" --wayland -- "$here/run-installed.sh" "$root/usr/bin/eggtimer" "$scratch/trace-wayland" \
  "$scratch/program-wayland.log" "$scratch/pid" >"$scratch/run-wayland.out" || status=$?
cat "$scratch/run-wayland.out"
if [[ $status -ne 0 ]]; then
  fail "the installed program did not start and stop cleanly on Wayland (exit status $status)"
  echo "-- program output, less its protocol log:" >&2
  grep -v -E '^\[ *[0-9]+\.[0-9]+\] ' "$scratch/program-wayland.log" >&2 || true
fi
# Wayland shells match the window to its launcher by the app id, which must be
# the desktop entry's file name without ".desktop".
app_id_seen=$(sed -n 's/^app-id: //p' "$scratch/run-wayland.out")
[[ $status -ne 0 || "$app_id_seen" == "$(basename "$desktop" .desktop)" ]] ||
  fail "the window's app id '$app_id_seen' is not the desktop entry's name '$(basename "$desktop" .desktop)'"

section "launched by its desktop entry through the session bus"
# Launchers start a DBusActivatable entry by asking the session bus for its
# name, and the bus starts the program its service file names. The copy here
# names the unpacked program instead of /usr/bin/eggtimer.
service="$share/dbus-1/services/$app_id.service"
if [[ -f "$service" && -f "$desktop" ]]; then
  [[ "$(key DBusActivatable)" == true ]] || fail "DBusActivatable is not true"
  [[ "$(sed -n 's/^Name=//p' "$service")" == "$app_id" ]] || fail "the service file is not for $app_id"
  [[ "$(sed -n 's/^Exec=//p' "$service")" == /usr/bin/eggtimer ]] ||
    fail "the service file starts '$(sed -n 's/^Exec=//p' "$service")', not /usr/bin/eggtimer"
  mkdir -p "$scratch/services"
  sed "s|^Exec=/usr/bin/|Exec=$root/usr/bin/|" "$service" >"$scratch/services/$app_id.service"
  status=0
  # On the PATH for the entry's command, as when installed.
  PATH="$root/usr/bin:$PATH" XDG_DATA_DIRS="$share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" \
    EGGTIMER_DBUS_SERVICE_DIR="$scratch/services" timeout 60 "$with_session" --x --dbus -- \
    "$here/activate-installed.sh" "$app_id" "$desktop" "$root/usr/bin/eggtimer" || status=$?
  [[ $status -eq 0 ]] || fail "launching the desktop entry twice did not give one program (exit status $status)"
else
  fail "no usr/share/dbus-1/services/$app_id.service"
fi

section "Qt plugins in use"
# dpkg-shlibdeps cannot see the plugins Qt loads at run time: the packages the
# running program took them from must come with the package.
mapfile -t plugins < <(sed -n 's/^plugin: //p' "$scratch/run.out" "$scratch/run-wayland.out" | sort -u)
[[ ${#plugins[@]} -gt 0 ]] || fail "no Qt plugin was seen in use"
for plugin in "${plugins[@]}"; do
  owner=$(dpkg-query -S "$plugin" 2>/dev/null | sed -n '1s/:.*//p')
  echo "$plugin: ${owner:-no package}"
  if [[ -z "$owner" ]]; then
    fail "$plugin is in no Debian package"
  else
    depends_on "$owner" || recommends "$owner" || fail "neither Depends nor Recommends has $owner, which has $plugin"
  fi
done

if [[ $failures -gt 0 ]]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "package OK"
