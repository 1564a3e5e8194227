#pragma once
// What the desktop tests share: scratch folders, captured standard error,
// environment changes undone at the end, waiting on the event loop.

#include "support/Wait.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace eggtimer::test {

// A fresh folder below the session's scratch folder, removed at the end.
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

// Everything written to file descriptor 2 while it lives.
class CapturedStderr {
public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    // What was written so far (capture goes on).
    std::string text() const;
    int lines() const;

private:
    int saved = -1;
    std::string file;
};

// Sets (or, given nothing, unsets) an environment variable and puts it back
// at the end. TZ takes effect at once.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void set(const char* name, const char* value);
    const char* name;
    std::optional<std::string> saved;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& contents);

inline QString q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace eggtimer::test
