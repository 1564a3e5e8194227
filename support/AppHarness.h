#pragma once
// One run of the application's own code inside a test: the shipped window,
// the real platform and the controller, wired as the program wires them.

#include "app/Application.h"
#include "controller/KRMaster.h"
#include "support/SinkRecorder.h"
#include "support/Wait.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

namespace eggtimer::test {

// One run of the program, from loading the window to quitting.
struct App {
    App() {
        std::string error;
        application = Application::make(error);
        if (!application)
            throw std::runtime_error(error);
        application->show();
        // Keyboard shortcuts reach only the active window. A compositor on a
        // loaded machine may take seconds to show it: the bound is generous.
        QWidget* window = application->window();
        constexpr int kLimitMs = 30000;
        if (QGuiApplication::platformName() == QStringLiteral("wayland")) {
            // A Wayland client cannot activate its own window, and Qt says
            // so; the compositor activates it when it shows it. Qt makes it
            // the application's active window, which shortcuts go by, a
            // round trip after the platform's own flag says it is active.
            if (!QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, kLimitMs))
                throw std::runtime_error("the compositor never activated the window");
            return;
        }
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window, kLimitMs))
            throw std::runtime_error("the window never became active");
    }

    QWidget* window() const { return application->window(); }
    KRMaster& controller() const { return application->controller(); }
    Services services() const { return application->services(); }
    template <class T = QWidget> T* find(const char* name) const {
        return window()->findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* label) const { return find<QLabel>(label)->text(); }
    QString button() const { return find<QAbstractButton>("timerButton")->text(); }
    void click(const char* name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }
    void typeInto(const char* name, const QString& text) {
        auto* field = find<QLineEdit>(name);
        field->clear();
        QTest::keyClicks(field, text);
    }
    // The radio button at a grid position of a matrix of cells.
    QRadioButton* cell(const char* matrix, int row, int column) const {
        auto* grid = qobject_cast<QGridLayout*>(find(matrix)->layout());
        return qobject_cast<QRadioButton*>(grid->itemAtPosition(row, column)->widget());
    }
    // Waits, serving events, until `done` holds or `seconds` pass.
    bool waitFor(const std::function<bool()>& done, double seconds) {
        return test::waitUntil(done, std::chrono::duration<double>(seconds));
    }

    std::unique_ptr<Application> application;
};

inline QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/eggtimer/eggtimer.conf";
}

// Writes the settings the next App will restore.
inline void writeSettings(const QVariantMap& values) {
    QFile::remove(settingsFile());
    QSettings store(settingsFile(), QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        store.setValue(it.key(), it.value());
}

// How many times a sound begins in a recording of the test sink: it rises
// above a whisper after at least `quiet` seconds of quiet (or at the start).
inline int playsIn(const std::vector<float>& samples, double quiet) {
    constexpr std::size_t kFrame = SinkRecorder::kRate / 100; // 10 ms
    const auto quietFrames = std::size_t(quiet * 100);
    int count = 0;
    for (std::size_t at = 0, still = quietFrames; at + kFrame <= samples.size(); at += kFrame) {
        const bool loud = SinkRecorder::rms(samples, at, at + kFrame) > 0.02;
        if (loud && still >= quietFrames)
            ++count;
        still = loud ? 0 : still + 1;
    }
    return count;
}

} // namespace eggtimer::test
