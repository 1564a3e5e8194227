#pragma once
// The kinds of file the music chooser offers, by extension: those the
// movie player is expected to play to their end (the media tests make and
// play one of each).

#include <string>
#include <vector>

namespace eggtimer {

inline const std::vector<std::string> kMusicExtensions{"aif", "aiff", "mp3", "m4a", "mpa",
                                                       "mid", "mov",  "mpg", "mp4"};

} // namespace eggtimer
