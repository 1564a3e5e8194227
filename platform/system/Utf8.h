#pragma once
// Text crosses into Qt here: the platform interfaces carry UTF-8 in
// std::string, and a string may hold a NUL, so its length is passed along.

#include <QString>

#include <string>

namespace eggtimer {

inline QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace eggtimer
