#include "platform/system/Log.h"
#include "platform/system/AppIdentity.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace eggtimer {
namespace {

void appendEscaped(std::string& out, std::string_view message) {
    static const char hex[] = "0123456789abcdef";
    for (char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        } else {
            out += c; // UTF-8 and any other bytes pass unchanged
        }
    }
}

std::string_view runningProgram() {
    // glibc keeps the base name of argv[0]; it is set before main runs.
    return program_invocation_short_name ? program_invocation_short_name : programName();
}

} // namespace

std::string formatLogLine(std::chrono::system_clock::time_point when, std::string_view program, long pid,
                          std::string_view message) {
    using namespace std::chrono;
    const auto whole = floor<seconds>(when); // floor keeps the milliseconds positive before 1970
    const auto millis = duration_cast<milliseconds>(when - whole).count();
    const std::time_t seconds = system_clock::to_time_t(whole);
    std::tm local{};
    localtime_r(&seconds, &local);

    char stamp[64];
    const size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char rest[32];
    std::snprintf(rest, sizeof rest, ".%03lld ", static_cast<long long>(millis));

    std::string line(stamp, length);
    line += rest;
    line += program;
    line += '[' + std::to_string(pid) + "]: ";
    appendEscaped(line, message);
    return line;
}

void logLine(std::string_view message) {
    std::string line = formatLogLine(std::chrono::system_clock::now(), runningProgram(), ::getpid(), message);
    line += '\n';
    // One write keeps lines from concurrent writers apart; retry only what an
    // interrupted or partial write left over.
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        left -= static_cast<size_t>(written);
    }
}

void LogOnce::operator()(std::string_view message) {
    if (logged)
        return;
    logged = true;
    logLine(message);
}

} // namespace eggtimer
