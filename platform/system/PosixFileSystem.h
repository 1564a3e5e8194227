#pragma once
// Folder listings straight from the kernel's directory stream: names are the
// raw bytes of each entry (not necessarily UTF-8), unsorted.

#include "platform/FileSystem.h"

namespace eggtimer {

class PosixFileSystem final : public FileSystem {
public:
    PosixFileSystem(std::string systemSoundFolder, std::string userSoundFolder);

    // Every entry but "." and "..", in readdir order. Nothing when the folder
    // cannot be opened or reading it fails part way: a partial list would
    // pass for the whole.
    std::optional<std::vector<std::string>> directoryContents(const std::string& path) const override;
    std::string systemSoundFolder() const override { return systemFolder; }
    std::string userSoundFolder() const override { return userFolder; }

private:
    std::string systemFolder;
    std::string userFolder;
};

} // namespace eggtimer
