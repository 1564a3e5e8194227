#include "platform/desktop/OpenFile.h"

// GIO stays out of the Qt sources: its headers use `signals` as a name.
#include <gio/gio.h>

#include <memory>

namespace eggtimer {
namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

} // namespace

bool GioFileOpener::openFile(const std::string& path) {
    // A NUL would cut the path short and name another file.
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;

    // The path's bytes as they are: no URI is parsed and nothing is quoted.
    const GPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    // Fails for a file that does not exist: nothing else is opened instead.
    const GPtr<GAppInfo> application(g_file_query_default_handler(file.get(), nullptr, &error));
    if (!application) {
        g_clear_error(&error);
        return false;
    }
    // GIO spawns the application's command line as an argument vector (its
    // own launch helper, then the program), never through /bin/sh.
    GList files{file.get(), nullptr, nullptr};
    const bool launched = g_app_info_launch(application.get(), &files, nullptr, &error);
    g_clear_error(&error);
    return launched;
}

} // namespace eggtimer
