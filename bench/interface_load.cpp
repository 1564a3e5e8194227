// How long loading the window and checking it against the controller's
// contract takes: the part of start-up that reads the interface file, before
// the controller or the platform exist.
//   interface_load [loads=50]
// Prints the first, the median and the worst time in milliseconds. Runs on
// whatever Qt platform is set (QT_QPA_PLATFORM=offscreen needs no display).

#include "app/Binding.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    std::vector<double> times;
    for (int i = 0; i < loads; ++i) {
        QElapsedTimer clock;
        clock.start();
        std::string error;
        const auto loaded = eggtimer::loadControllerWindow(eggtimer::LoadedInterface::defaultPath(), error);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!loaded) {
            std::fprintf(stderr, "interface_load: %s\n", error.c_str());
            return 1;
        }
    }
    // The first load also pays for loading widget plugins and styles.
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("interface file load and check over %d loads: first %.2f ms, median %.2f ms, worst %.2f ms\n",
                loads, first, times[times.size() / 2], times.back());
    return 0;
}
