#pragma once
// Waiting on the real event loop in the run-loop tests.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace eggtimer::test {

// Runs the event loop until `done` holds or `seconds` pass.
template <typename Predicate> bool spinUntil(Predicate done, double seconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

} // namespace eggtimer::test
