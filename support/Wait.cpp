#include "support/Wait.h"

#include <QCoreApplication>
#include <QEvent>

#include <thread>

namespace eggtimer::test {

bool waitUntil(const std::function<bool()>& done, std::chrono::duration<double> limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Short enough that a timer the loop serves is not held up by more
        // than half a millisecond; the benchmarks time pauses with it.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

void serveEventsFor(std::chrono::duration<double> time) {
    waitUntil([] { return false; }, time);
}

} // namespace eggtimer::test
