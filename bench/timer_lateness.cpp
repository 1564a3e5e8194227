// How late the main timer fires against its fire date on the real run loop.
//   timer_lateness [firings=20] [interval-seconds=2]
// Prints the median and the worst lateness in milliseconds.

#include "platform/system/QtRunLoop.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int firings = argc > 1 ? std::atoi(argv[1]) : 20;
    const double interval = argc > 2 ? std::atof(argv[2]) : 2.0;

    eggtimer::QtRunLoop loop;
    std::vector<double> lateness;
    std::function<void()> scheduleNext = [&] {
        loop.scheduleTimer(interval, false, [&](eggtimer::Timer& timer) {
            lateness.push_back((loop.now() - timer.fireDate()) * 1000.0);
            if (static_cast<int>(lateness.size()) == firings)
                app.quit();
            else
                scheduleNext();
        });
    };
    scheduleNext();
    app.exec();

    std::sort(lateness.begin(), lateness.end());
    std::printf("timer lateness over %d firings of %.1f s: median %.3f ms, min %.3f ms, worst %.3f ms\n",
                firings, interval, lateness[lateness.size() / 2], lateness.front(), lateness.back());
    return 0;
}
