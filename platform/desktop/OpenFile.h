#pragma once
// Opening a file with the application the desktop associates with its type,
// through GIO.

#include "platform/FileOpener.h"

namespace eggtimer {

// Launches the default application for the file at `path` with exactly that
// file. No shell is involved, so no character in the path has a meaning. A
// file that does not exist, or has no default application, opens nothing.
// True when an application was started.
class GioFileOpener final : public FileOpener {
public:
    bool openFile(const std::string& path) override;
};

} // namespace eggtimer
