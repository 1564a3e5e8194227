#include "formats/AiffHeader.h"

#include <fstream>

namespace eggtimer::aiff {

bool isAiffHeader(std::string_view head) {
    return head.size() >= 12 && head.starts_with("FORM") &&
           (head.substr(8, 4) == "AIFF" || head.substr(8, 4) == "AIFC");
}

bool isAiffFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    return in.read(head, sizeof head) && isAiffHeader(std::string_view(head, sizeof head));
}

} // namespace eggtimer::aiff
