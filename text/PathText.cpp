#include "text/PathText.h"

namespace eggtimer {

std::string deletingPathExtension(const std::string& name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return name;
    return name.substr(0, dot);
}

} // namespace eggtimer
