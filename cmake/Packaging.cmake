# The Debian package: `cpack -G DEB` (or the `package` target) in the build
# folder makes eggtimer_<version>_<arch>.deb, installed under /usr.

set(EGGTIMER_PACKAGE_MAINTAINER "The eggtimer developers <eggtimer@example.org>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME eggtimer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The eggtimer developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop timer with sounds, music, files and alerts")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${EGGTIMER_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack puts the summary line in front of this.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Egg Timer counts down to a moment you choose: a preset of 1 to 10 minutes,
a duration in days, hours and minutes, or a clock time. Then it plays a
sound or the sound of a music or movie file until you stop it, opens a
file, or beeps and shows your message. A status area counts down the
seconds left, a desktop notification tells you when it fires, and your
choices are remembered between runs.")

# The Qt (UiTools too) and GStreamer libraries the program links come from
# dpkg-shlibdeps. It cannot see what is loaded at run time: the Qt platform
# plugins, the GStreamer elements that decode and play (MIDI needs a sound
# font), the sound server output, and the MIME database.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(EGGTIMER_RUNTIME_DEPENDS
  qt6-qpa-plugins
  gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly
  gstreamer1.0-libav
  gstreamer1.0-pulseaudio
  fluid-soundfont-gm
  shared-mime-info)
list(JOIN EGGTIMER_RUNTIME_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# The icon theme the icons go into, and Qt's Wayland platform, without which
# the program runs through XWayland on a Wayland desktop (GNOME's and Plasma's
# default) without a word. Files open with their default application through
# GIO (platform/desktop/OpenFile.cpp), which needs no xdg-open.
set(EGGTIMER_RUNTIME_RECOMMENDS
  hicolor-icon-theme
  qt6-wayland)
list(JOIN EGGTIMER_RUNTIME_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)

include(CPack)
