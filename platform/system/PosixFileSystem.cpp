#include "platform/system/PosixFileSystem.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>

namespace eggtimer {

PosixFileSystem::PosixFileSystem(std::string systemSoundFolder, std::string userSoundFolder)
    : systemFolder(std::move(systemSoundFolder))
    , userFolder(std::move(userSoundFolder)) {}

std::optional<std::vector<std::string>> PosixFileSystem::directoryContents(const std::string& path) const {
    // A NUL inside the path would make the C call list a different folder.
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::nullopt;

    // glibc opens with O_DIRECTORY | O_NONBLOCK | O_CLOEXEC: a FIFO or device
    // node is refused at once instead of blocking.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
    if (!dir)
        return std::nullopt;

    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        names.emplace_back(name);
    }
    if (errno != 0)
        return std::nullopt;
    return names;
}

} // namespace eggtimer
