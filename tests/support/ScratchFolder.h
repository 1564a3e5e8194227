#pragma once
// Scratch folders and whole-file reads and writes, for the tests that work
// on real files.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace eggtimer::test {

// A fresh folder below the test session's folder (or /tmp outside a
// session), removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* session = std::getenv("EGGTIMER_SESSION_DIR");
        root = std::string(session ? session : "/tmp") + "/eggtimer-scratch.XXXXXX";
        if (!::mkdtemp(root.data()))
            throw std::runtime_error("cannot make a scratch folder in " + root);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return root + '/' + name; }

private:
    std::string root;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// Throws when the file cannot be written whole.
inline void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

} // namespace eggtimer::test
