#include "tests/desktop/Support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace eggtimer::test {
namespace {

std::string sessionPath(const char* pattern) {
    const char* session = std::getenv("EGGTIMER_SESSION_DIR");
    return std::string(session ? session : "/tmp") + '/' + pattern;
}

} // namespace

ScratchFolder::ScratchFolder()
    : root(sessionPath("scratch.XXXXXX")) {
    if (!::mkdtemp(root.data()))
        throw std::runtime_error("mkdtemp failed");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

CapturedStderr::CapturedStderr()
    : file(sessionPath("stderr.XXXXXX")) {
    const int fd = ::mkstemp(file.data());
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    saved = ::dup(STDERR_FILENO);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

CapturedStderr::~CapturedStderr() {
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::unlink(file.c_str());
}

std::string CapturedStderr::text() const {
    return readFile(file);
}

int CapturedStderr::lines() const {
    const std::string written = text();
    return int(std::count(written.begin(), written.end(), '\n'));
}

ScopedEnv::ScopedEnv(const char* name, const char* value)
    : name(name) {
    if (const char* old = std::getenv(name))
        saved = old;
    set(name, value);
}

ScopedEnv::~ScopedEnv() {
    set(name, saved ? saved->c_str() : nullptr);
}

void ScopedEnv::set(const char* name, const char* value) {
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
    ::tzset();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace eggtimer::test
