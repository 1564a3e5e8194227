#include "platform/qt/QtPlatform.h"

#include "platform/qt/GstMedia.h"
#include "platform/qt/GstSupport.h"
#include "platform/qt/PosixFileSystem.h"
#include "platform/qt/QtDesktop.h"
#include "platform/qt/QtRunLoop.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/SoundFolders.h"

namespace eggtimer {

QtPlatform::QtPlatform(std::function<QWidget*()> mainWindow)
    : runLoop(std::make_unique<QtRunLoop>())
    , files(std::make_unique<PosixFileSystem>(installedSoundFolder(), userSoundFolder()))
    , sounds(std::make_unique<GstSoundRegistry>(*files))
    , media(std::make_unique<GstMediaLibrary>())
    , beepSound(makeSoundFromFile(installedBeepSound(), "beep"))
    , desktop(std::make_unique<QtDesktop>(std::move(mainWindow),
                                          [this] {
                                              if (beepSound) {
                                                  beepSound->stop();
                                                  beepSound->play();
                                              }
                                          }))
    , settings(std::make_unique<QtSettingsStore>()) {}

QtPlatform::~QtPlatform() = default;

void QtPlatform::warmUpMedia() {
    gst::startInBackground();
}

Services QtPlatform::services() {
    return {*runLoop, *desktop, *sounds, *media, *settings, *files};
}

} // namespace eggtimer
