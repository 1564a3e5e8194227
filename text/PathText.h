#pragma once

#include <string>

namespace eggtimer {

// The part of a path after its last slash, trailing slashes aside:
// "/a/b.mp3" gives "b.mp3", "/a/b/" gives "b", "/" stays "/".
std::string lastPathComponent(const std::string& path);

// The name without its last extension and that extension's dot:
// "Old.take.aiff" gives "Old.take". A leading dot starts no extension.
std::string deletingPathExtension(const std::string& name);

} // namespace eggtimer
