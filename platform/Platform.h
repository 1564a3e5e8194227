#pragma once
// Everything the controller asks of the platform, gathered so that the
// application can hand over the real services and the tests their fakes.

#include "platform/Attention.h"
#include "platform/Beeper.h"
#include "platform/FileOpener.h"
#include "platform/FileSystem.h"
#include "platform/Logger.h"
#include "platform/Media.h"
#include "platform/Panels.h"
#include "platform/Progress.h"
#include "platform/RunLoop.h"
#include "platform/SettingsStore.h"

namespace eggtimer {

struct Services {
    RunLoop& runLoop;
    Attention& attention;
    DesktopProgress& progress;
    Panels& panels;
    FileOpener& opener;
    Beeper& beeper;
    Logger& logger;
    SoundRegistry& sounds;
    MediaLibrary& media;
    SettingsStore& settings;
    FileSystem& files;
};

} // namespace eggtimer
