#include "tests/media/MediaFixtures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace eggtimer::testing {

namespace {

// One note, middle C at velocity 100, held for 192 ticks of 96 a quarter at
// 120 bpm: one second. Format 0, one track.
const std::string kOneNoteMidi{"MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60"
                               "MTrk\x00\x00\x00\x17"
                               "\x00\xff\x51\x03\x07\xa1\x20" // tempo 500000 us a quarter
                               "\x00\xc0\x00"                 // program 0: piano
                               "\x00\x90\x3c\x64"             // note on
                               "\x81\x40\x80\x3c\x40"         // 192 ticks later, note off
                               "\x00\xff\x2f\x00",            // end of track
                               45};

std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

std::string extensionOf(const std::string& path) {
    const auto dot = path.find_last_of('.');
    return dot == std::string::npos ? "" : path.substr(dot + 1);
}

} // namespace

ScratchFolder::ScratchFolder() {
    char pattern[] = "/tmp/eggtimer-media-test.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    folder = made ? made : "";
}

ScratchFolder::~ScratchFolder() {
    if (!folder.empty())
        run("chmod -R u+rwx " + shellQuoted(folder) + " 2>/dev/null; rm -rf " + shellQuoted(folder));
}

bool run(const std::string& commandLine) {
    return std::system(commandLine.c_str()) == 0;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void makeToneFile(const std::string& path) {
    const std::string extension = extensionOf(path);
    if (extension == "mid") {
        writeFile(path, kOneNoteMidi);
        return;
    }
    const std::string tone = path + ".tone.wav";
    const std::string sox = "sox -q -n -r 44100 -c 1 -b 16 ";
    const std::string synth = " synth 1 sine 440 vol 0.316";
    if (extension == "aif" || extension == "aiff") {
        ASSERT_TRUE(run(sox + "-t aiff " + shellQuoted(path) + synth)) << path;
        return;
    }
    ASSERT_TRUE(run(sox + shellQuoted(tone) + synth));
    const std::string ffmpeg = "ffmpeg -nostdin -loglevel error -y ";
    const std::string video = "-f lavfi -i color=c=teal:s=64x48:r=25:d=1 ";
    std::string arguments;
    if (extension == "mp3")
        arguments = "-i " + shellQuoted(tone) + " -c:a libmp3lame -b:a 128k";
    else if (extension == "m4a")
        arguments = "-i " + shellQuoted(tone) + " -c:a aac -b:a 128k";
    else if (extension == "mpa")
        arguments = "-i " + shellQuoted(tone) + " -c:a mp2 -b:a 128k -f mp2";
    else if (extension == "mov" || extension == "mp4")
        arguments = video + "-i " + shellQuoted(tone) + " -c:v mpeg4 -c:a aac -shortest";
    else if (extension == "mpg")
        arguments = video + "-i " + shellQuoted(tone) + " -c:v mpeg1video -c:a mp2 -b:a 128k -f mpeg";
    else
        FAIL() << "no recipe for ." << extension;
    ASSERT_TRUE(run(ffmpeg + arguments + " " + shellQuoted(path))) << path;
    std::remove(tone.c_str());
}

std::vector<std::string> loggedMessages(const std::string& captured) {
    static const std::regex logged(
        "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ([^ \\[]+)\\[([0-9]+)\\]: (.*)");
    std::vector<std::string> messages;
    std::istringstream lines(captured);
    for (std::string line; std::getline(lines, line);) {
        std::smatch parts;
        if (std::regex_match(line, parts, logged) && parts[1] == program_invocation_short_name &&
            parts[2] == std::to_string(::getpid()))
            messages.push_back(parts[3]);
        else
            messages.push_back("not a log line: " + line);
    }
    return messages;
}

} // namespace eggtimer::testing
