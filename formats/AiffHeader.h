#pragma once
// Whether a file is an AIFF or AIFF-C file, by what it begins with: the
// chunk "FORM" and the form type "AIFF" or "AIFC", whatever its name.

#include <string>
#include <string_view>

namespace eggtimer::aiff {

// True when `head`, the first bytes of a file, opens an AIFF or AIFF-C file.
bool isAiffHeader(std::string_view head);

// The same for the file at `path`; false when it cannot be read.
bool isAiffFile(const std::string& path);

} // namespace eggtimer::aiff
