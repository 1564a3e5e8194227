#pragma once
// Scratch folders and whole-file reads and writes, for the tests that work
// on real files.

#include <string>

namespace eggtimer::test {

// A fresh folder below the test session's folder (or /tmp outside a
// session), removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return root; }
    std::string operator/(const std::string& name) const { return root + '/' + name; }

private:
    std::string root;
};

std::string readFile(const std::string& path);
// Throws when the file cannot be written whole.
void writeFile(const std::string& path, const std::string& contents);

} // namespace eggtimer::test
