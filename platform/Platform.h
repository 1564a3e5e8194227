#pragma once
// Everything the controller asks of the platform, gathered so that the
// application can hand over the real services and the tests their fakes.

#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Media.h"
#include "platform/RunLoop.h"
#include "platform/SettingsStore.h"

namespace eggtimer {

struct Services {
    RunLoop& runLoop;
    Desktop& desktop;
    SoundRegistry& sounds;
    MediaLibrary& media;
    SettingsStore& settings;
    FileSystem& files;
};

} // namespace eggtimer
