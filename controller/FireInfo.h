#pragma once
// What a scheduled main timer carries to its firing: "mode" ("min", "dhm",
// "alc"), and for a complete target "target" ("sound", "music", "file",
// "alert") with that target's one value key ("sound", "music", "file", "msg").

#include <map>
#include <string>

namespace eggtimer {

using FireInfo = std::map<std::string, std::string>;

} // namespace eggtimer
