#pragma once

#include <string>

namespace eggtimer {

// The name without its last extension and that extension's dot:
// "Old.take.aiff" gives "Old.take". A leading dot starts no extension.
std::string deletingPathExtension(const std::string& name);

} // namespace eggtimer
