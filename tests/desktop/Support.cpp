#include "tests/desktop/Support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace eggtimer::test {

ScratchFolder::ScratchFolder()
    : root(std::string(std::getenv("EGGTIMER_SESSION_DIR")) + "/scratch.XXXXXX") {
    if (!::mkdtemp(root.data()))
        throw std::runtime_error("mkdtemp failed");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

CapturedStderr::CapturedStderr()
    : file(::memfd_create("stderr", 0))
    , saved(::dup(STDERR_FILENO)) {
    ::dup2(file, STDERR_FILENO);
}

CapturedStderr::~CapturedStderr() {
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(file);
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
