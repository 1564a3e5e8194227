#pragma once
// Media files made for a test by the encoders themselves (sox, ffmpeg).

#include <string>

namespace eggtimer::test {

// Writes `path`, a file of the kind its extension names holding about one
// second of a 440 Hz tone at -10 dBFS (the MIDI file: one piano note of one
// second); the movie kinds carry a small video track as well. Fails the
// calling test when the tools cannot make it.
void makeToneFile(const std::string& path);

// Runs a shell command line; true when it exits with 0.
bool run(const std::string& commandLine);
std::string shellQuoted(const std::string& text);

} // namespace eggtimer::test
