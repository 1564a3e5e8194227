#!/usr/bin/env bash
# Installs the Debian packages eggtimer needs to build, run and test, on
# Debian 12 and 13 (the names are the same in both).
# As root it installs what is missing; otherwise it prints the command to run.
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-tools-dev libqt6uitools6 libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libglib2.0-dev libxcb1-dev
  libgtest-dev libgmock-dev
)
runtime_packages=(
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-pulseaudio
  fluid-soundfont-gm shared-mime-info
)
# Recommended by the Debian package rather than required: Qt's Wayland
# platform, without which the program runs through XWayland on a Wayland
# desktop. `make run` on such a desktop should show it as users get it.
recommended_packages=(
  qt6-wayland
)
# The tests' private sessions: X, Weston and GNOME's compositor with the icons
# Qt's GNOME title bar draws, the session bus, the sound server, and the tools
# that read what the program made.
test_packages=(
  xvfb xauth x11-utils xdotool imagemagick dbus weston wayland-utils mutter adwaita-icon-theme
  pulseaudio pulseaudio-utils sox libsox-fmt-all ffmpeg
  dpkg-dev file strace appstream desktop-file-utils librsvg2-bin tzdata libglib2.0-bin procps
)

wanted=("${build_packages[@]}" "${runtime_packages[@]}" "${recommended_packages[@]}")
case "${1:-}" in
  --test) wanted+=("${test_packages[@]}") ;;
  # For the test that checks this list covers what the build and the tests use.
  --list) printf '%s\n' "${wanted[@]}" "${test_packages[@]}"; exit 0 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) != "install ok installed" ]]; then
    missing+=("$package")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

command="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "eggtimer needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo $command" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
