#pragma once
// What a scheduled main timer carries to its firing: under kFireInfoMode its
// mode's name (controller/Mode.h), and for a complete target under
// kFireInfoTarget that target's name with its one value under the target's
// value key (controller/Target.h).

#include <map>
#include <string>

namespace eggtimer {

using FireInfo = std::map<std::string, std::string>;

inline constexpr const char* kFireInfoMode = "mode";
inline constexpr const char* kFireInfoTarget = "target";

} // namespace eggtimer
