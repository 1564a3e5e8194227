#pragma once
// How a path names its file: in the window's fields, the status line and
// the log alike.

#include <string>

namespace eggtimer {

// The part of a path after its last slash, trailing slashes aside:
// "/a/b.mp3" gives "b.mp3", "/a/b/" gives "b", "/" stays "/".
inline std::string lastPathComponent(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? std::string() : std::string("/");
    const std::size_t slash = path.rfind('/', end);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

} // namespace eggtimer
