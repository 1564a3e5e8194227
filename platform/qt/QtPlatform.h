#pragma once
// The real platform services, built once by the application: timers on the Qt
// event loop, the sound folders, GStreamer media, the desktop and QSettings.

#include "platform/Platform.h"

#include <functional>
#include <memory>

class QWidget;

namespace eggtimer {

class QtRunLoop;
class PosixFileSystem;
class GstSoundRegistry;
class GstMediaLibrary;
class QtDesktop;
class QtSettingsStore;

class QtPlatform {
public:
    // `mainWindow` gives the window that alerts and dialogs belong to; it may
    // give nothing before the window exists.
    explicit QtPlatform(std::function<QWidget*()> mainWindow);
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    Services services();

    // Gets the media framework ready for the first play in the background;
    // for once the window is on the screen.
    void warmUpMedia();

private:
    std::unique_ptr<QtRunLoop> runLoop;
    std::unique_ptr<PosixFileSystem> files;
    std::unique_ptr<GstSoundRegistry> sounds;
    std::unique_ptr<GstMediaLibrary> media;
    std::unique_ptr<Sound> beepSound;
    std::unique_ptr<QtDesktop> desktop;
    std::unique_ptr<QtSettingsStore> settings;
};

} // namespace eggtimer
