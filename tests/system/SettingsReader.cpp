// Reads a setting in a process of its own, as the next run of the program
// would:
//   settings_reader FILE KEY
//       writes the key's value to standard output as it is; exit status 3
//       when the key has no value

#include "platform/system/QtSettingsStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    QCoreApplication application(argc, argv);
    const eggtimer::QtSettingsStore store(QString::fromLocal8Bit(argv[1]));
    const auto value = store.stringForKey(argv[2]);
    if (!value)
        return 3;
    std::fwrite(value->data(), 1, value->size(), stdout);
    return 0;
}
