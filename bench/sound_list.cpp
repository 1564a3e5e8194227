// Time to fill the sound list from folders of many entries, through the real
// folder listing and the shipped window's pop-up, as the window opens: each
// run starts a controller on the window, which fills the list, restores the
// (empty) settings and draws the status area.
//   sound_list [entries=10000]

#include "app/Binding.h"
#include "controller/KRMaster.h"
#include "platform/system/PosixFileSystem.h"
#include "support/fake/FakeServices.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir system, user;
    for (int i = 0; i < entries; ++i) {
        // Mostly sounds, some other files, as a real folder might hold.
        const char* ending = i % 10 == 0 ? ".txt" : (i % 2 ? ".aiff" : ".aif");
        std::ofstream((system.path() + "/sound " + QString::number(i) + ending).toStdString());
    }
    std::ofstream((user.path() + "/Mine.aiff").toStdString());

    std::string error;
    auto ui = eggtimer::loadControllerWindow(eggtimer::LoadedInterface::defaultPath(), error);
    if (!ui) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    eggtimer::PosixFileSystem files(system.path().toStdString() + "/", user.path().toStdString() + "/");
    eggtimer::fake::FakeWorld world;
    eggtimer::Services services{world.runLoop, world.attention, world.progress, world.panels,
                                world.opener,  world.beeper,    world.logger,   world.sounds,
                                world.media,   world.settings,  files};

    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        eggtimer::KRMaster master(services, eggtimer::outletsOf(*ui));
        QElapsedTimer clock;
        clock.start();
        master.awakeFromNib();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    auto* popup = ui->window()->findChild<QComboBox*>("targetSoundPopup");
    std::printf("sound list of %d entries (%d sounds): median %.1f ms, min %.1f ms, max %.1f ms\n",
                entries + 1, popup->count(), times[times.size() / 2], times.front(), times.back());
    return 0;
}
