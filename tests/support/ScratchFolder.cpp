#include "tests/support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace eggtimer::test {

ScratchFolder::ScratchFolder() {
    const char* session = std::getenv("EGGTIMER_SESSION_DIR");
    root = std::string(session ? session : "/tmp") + "/eggtimer-scratch.XXXXXX";
    if (!::mkdtemp(root.data()))
        throw std::runtime_error("cannot make a scratch folder in " + root);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
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
