#include "tests/desktop/Support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace eggtimer::test {

ScratchFolder::ScratchFolder() {
    const char* session = std::getenv("EGGTIMER_SESSION_DIR");
    std::string pattern = std::string(session ? session : "/tmp") + "/scratch.XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // Give back permissions a test took away so that everything can go.
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(root, ignored);
}

CapturedStderr::CapturedStderr() {
    const char* session = std::getenv("EGGTIMER_SESSION_DIR");
    std::string pattern = std::string(session ? session : "/tmp") + "/stderr.XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    file = pattern;
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

bool waitFor(const std::function<bool()>& done, double seconds) {
    QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
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
