// Runs a piece of the desktop services in a process of its own:
//   desktop_helper sound-folders
//       prints the installed sound folder and beep sound, one a line
//   desktop_helper read-setting FILE KEY
//       writes the key's value to standard output as it is; exit status 3
//       when the key has no value

#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/SoundFolders.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "sound-folders") == 0) {
        std::printf("%s\n%s\n", eggtimer::installedSoundFolder().c_str(),
                    eggtimer::installedBeepSound().c_str());
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "read-setting") == 0) {
        QCoreApplication application(argc, argv);
        const eggtimer::QtSettingsStore store(QString::fromLocal8Bit(argv[2]));
        const auto value = store.stringForKey(argv[3]);
        if (!value)
            return 3;
        std::fwrite(value->data(), 1, value->size(), stdout);
        return 0;
    }
    std::fprintf(stderr, "usage: desktop_helper sound-folders | read-setting FILE KEY\n");
    return 2;
}
