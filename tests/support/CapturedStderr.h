#pragma once
// Standard error captured while a test runs, for what the program logs.

#include "tests/support/ScratchFolder.h"

#include <algorithm>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace eggtimer::test {

// Everything written to file descriptor 2 while it lives.
class CapturedStderr {
public:
    CapturedStderr()
        : file(::memfd_create("stderr", 0))
        , saved(::dup(STDERR_FILENO)) {
        ::dup2(file, STDERR_FILENO);
    }
    ~CapturedStderr() {
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        ::close(file);
    }
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    // What was written so far (capture goes on).
    std::string text() const { return readFile("/proc/self/fd/" + std::to_string(file)); }
    int lines() const { return int(std::ranges::count(text(), '\n')); }

private:
    int file;
    int saved;
};

} // namespace eggtimer::test
