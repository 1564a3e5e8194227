#pragma once
// Folder listings and the places the program looks for sounds.

#include <optional>
#include <string>
#include <vector>

namespace eggtimer {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The names of every entry directly inside the folder, hidden ones
    // included, in the order the file system lists them; nothing when the
    // folder cannot be read.
    virtual std::optional<std::vector<std::string>> directoryContents(const std::string& path) const = 0;
    // The program's own installed sound folder, then the user's.
    virtual std::string systemSoundFolder() const = 0;
    virtual std::string userSoundFolder() const = 0;
};

} // namespace eggtimer
