#pragma once
// Media files made for a test by the encoders themselves (sox, ffmpeg).

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace eggtimer::test {

// Runs a shell command line; true when it exits with 0.
inline bool run(const std::string& commandLine) {
    return std::system(commandLine.c_str()) == 0;
}

inline std::string shellQuoted(std::string text) {
    for (std::size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 4)
        text.replace(at, 1, "'\\''");
    return "'" + text + "'";
}

// Writes `path`, a file of the kind its extension names holding about one
// second of a 440 Hz tone at -10 dBFS (the MIDI file: one piano note of one
// second); the movie kinds carry a small video track as well. Fails the
// calling test when the tools cannot make it.
inline void makeToneFile(const std::string& path) {
    // One note, middle C at velocity 100, held for 192 ticks of 96 a quarter
    // at 120 bpm: one second. Format 0, one track.
    static const std::string oneNoteMidi{"MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60"
                                         "MTrk\x00\x00\x00\x17"
                                         "\x00\xff\x51\x03\x07\xa1\x20" // tempo 500000 us a quarter
                                         "\x00\xc0\x00"                 // program 0: piano
                                         "\x00\x90\x3c\x64"             // note on
                                         "\x81\x40\x80\x3c\x40"         // 192 ticks later, note off
                                         "\x00\xff\x2f\x00",            // end of track
                                         45};
    // ffmpeg's options after the tone's input, by extension.
    static const std::string video = "-f lavfi -i color=c=teal:s=64x48:r=25:d=1 ";
    static const std::map<std::string, std::string> recipes{
        {"mp3", "-c:a libmp3lame -b:a 128k"},
        {"m4a", "-c:a aac -b:a 128k"},
        {"mpa", "-c:a mp2 -b:a 128k -f mp2"},
        {"mov", video + "-c:v mpeg4 -c:a aac -shortest"},
        {"mp4", video + "-c:v mpeg4 -c:a aac -shortest"},
        {"mpg", video + "-c:v mpeg1video -c:a mp2 -b:a 128k -f mpeg"},
    };
    const std::string extension = path.substr(path.find_last_of('.') + 1);
    if (extension == "mid")
        return writeFile(path, oneNoteMidi);
    const bool aiff = extension == "aif" || extension == "aiff";
    const std::string tone = aiff ? path : path + ".tone.wav";
    ASSERT_TRUE(run("sox -q -n -r 44100 -c 1 -b 16 " + std::string(aiff ? "-t aiff " : "") +
                    shellQuoted(tone) + " synth 1 sine 440 vol 0.316"));
    if (aiff)
        return;
    const auto recipe = recipes.find(extension);
    ASSERT_NE(recipe, recipes.end()) << "no recipe for ." << extension;
    ASSERT_TRUE(run("ffmpeg -nostdin -loglevel error -y -i " + shellQuoted(tone) + " " + recipe->second +
                    " " + shellQuoted(path)))
        << path;
}

} // namespace eggtimer::test
