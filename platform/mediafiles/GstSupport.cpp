#include "platform/mediafiles/GstSupport.h"

#include "platform/system/Log.h"

#include <fcntl.h>
#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <set>
#include <thread>

namespace eggtimer::gst {

bool start() {
    static const bool started = [] {
        GError* error = nullptr;
        if (gst_init_check(nullptr, nullptr, &error))
            return true;
        reportOnce("cannot start GStreamer", error ? error->message : "unknown error");
        g_clear_error(&error);
        return false;
    }();
    return started;
}

void startInBackground() {
    // Joined as the program ends, after main() has returned.
    static std::jthread warmUp([] {
        if (!start())
            return;
        // What a sound's pipeline is made of (see GstAiff.h), but for the
        // sink: the sound server's client libraries would cost more memory at
        // rest than they save time at the first play.
        for (const char* element : {"filesrc", "aiffparse", "audioconvert", "audioresample"}) {
            GstElementFactory* factory = gst_element_factory_find(element);
            if (!factory)
                continue;
            if (GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory)))
                gst_object_unref(loaded);
            gst_object_unref(factory);
        }
    });
}

bool isPlayableFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode) || info.st_size <= 0)
        return false;
    // Permission bits alone do not say it: ask the kernel. O_NONBLOCK keeps a
    // file swapped for a pipe since the stat() from blocking here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    ::close(fd);
    return regular;
}

std::string fileUri(const std::string& path) {
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    std::string result = uri ? uri : "";
    g_free(uri);
    return result;
}

void reportOnce(const std::string& what, const std::string& why) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (!reported.insert(why).second)
        return;
    logLine(what + ": " + why);
}

} // namespace eggtimer::gst
