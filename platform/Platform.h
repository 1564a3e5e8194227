#pragma once
// Everything the controller asks of the platform, gathered so that the
// application can hand over the real services and the tests their fakes.

#include "Desktop.h"
#include "FileSystem.h"
#include "Media.h"
#include "RunLoop.h"
#include "SettingsStore.h"

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
