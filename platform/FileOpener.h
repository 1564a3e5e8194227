#pragma once
// Opening a file with the application the desktop associates with its type.

#include <string>

namespace eggtimer {

class FileOpener {
public:
    virtual ~FileOpener() = default;
    // Opens the file with its default application; false when nothing was
    // opened: the file is gone, or no application opens its type.
    virtual bool openFile(const std::string& path) = 0;
};

} // namespace eggtimer
