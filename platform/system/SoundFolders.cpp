#include "platform/system/SoundFolders.h"
#include "platform/system/AppIdentity.h"

#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <optional>
#include <system_error>

#ifndef EGGTIMER_INSTALLED_SOUND_DIR
#error "EGGTIMER_INSTALLED_SOUND_DIR must name the installed sound folder"
#endif

namespace eggtimer {
namespace {

namespace fs = std::filesystem;

// share/eggtimer/ beside the executable's folder, when the executable can
// be found and that folder holds `entry`.
std::optional<fs::path> besideExecutable(const fs::path& entry) {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error || executable.empty())
        return std::nullopt;
    const fs::path share = executable.parent_path().parent_path() / "share" / programName();
    if (!fs::exists(share / entry, error))
        return std::nullopt;
    return share;
}

fs::path installedShare() {
    fs::path sounds(EGGTIMER_INSTALLED_SOUND_DIR);
    if (!sounds.has_filename()) // written with a trailing slash
        sounds = sounds.parent_path();
    return sounds.parent_path();
}

} // namespace

std::string installedSoundFolder() {
    const fs::path share = besideExecutable("sounds").value_or(installedShare());
    return (share / "sounds").string() + '/';
}

std::string installedBeepSound() {
    const fs::path share = besideExecutable("beep.aiff").value_or(installedShare());
    return (share / "beep.aiff").string();
}

std::string userSoundFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return (fs::path(QFile::encodeName(data).toStdString()) / "sounds").string() + '/';
}

} // namespace eggtimer
