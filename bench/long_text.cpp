// The window with a long alert message stored, as a user who pasted a long
// text meets it:
//   long_text [sizes in bytes...] (default: 1000000 10000000)
// For a short message and each size: the window's width, start-up to a
// shown window, how long START, CLEAR, STOP and one typed key take to be
// drawn (and START's save of the settings, which follows it, to be done),
// and how long the alert panel takes to show the message.
// Run it inside support/with-session.sh --x (or --wayland).

#include "platform/system/AppIdentity.h"
#include "support/AppHarness.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

struct Figures {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    std::string text() {
        if (values.empty())
            return "n/a";
        std::sort(values.begin(), values.end());
        char line[96];
        std::snprintf(line, sizeof line, "%.1f (%.1f–%.1f)", values[values.size() / 2], values.front(),
                      values.back());
        return line;
    }
};

// How long an input takes to be seen, and to be done with.
struct Answer {
    double drawn;    // until the widget that shows it has been drawn again
    double finished; // until the events it left behind (a save) have run
};

// Notes when a widget is drawn.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

Answer answerTo(QWidget* shows, const std::function<void()>& input) {
    PaintWatch watch(shows);
    QElapsedTimer clock;
    clock.start();
    input();
    for (int i = 0; i < 100 && !watch.painted; ++i)
        QApplication::processEvents();
    const double drawn = double(clock.nsecsElapsed()) / 1e6;
    QApplication::processEvents();
    QApplication::processEvents();
    return {drawn, double(clock.nsecsElapsed()) / 1e6};
}

// A message like pasted text: words and sentences, no line breaks.
QString messageOf(std::size_t bytes) {
    if (bytes == 0)
        return QStringLiteral("Tea");
    static const QString sentence = QStringLiteral("Take the bread out of the oven and let it cool. ");
    QString text;
    text.reserve(qsizetype(bytes));
    while (std::size_t(text.size()) + std::size_t(sentence.size()) <= bytes)
        text += sentence;
    return text + QString(qsizetype(bytes) - text.size(), QLatin1Char('x'));
}

// Shows the alert panel with `message` and answers it as soon as it is on the
// screen; the time until then.
double alertPanelMilliseconds(eggtimer::test::App& app, const std::string& message) {
    QElapsedTimer clock;
    double shown = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        QApplication::processEvents();
        shown = double(clock.nsecsElapsed()) / 1e6;
        box->buttons().first()->click();
    });
    poll.start(1);
    clock.start();
    app.services().panels.runAlertPanel(message, "Time has come.\n", "OK");
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    eggtimer::nameApplication();
    std::vector<std::size_t> sizes{0};
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::size_t(std::strtoull(argv[i], nullptr, 10)));
    if (argc == 1)
        sizes.insert(sizes.end(), {1'000'000, 10'000'000});

    for (const std::size_t size : sizes) {
        const QString message = messageOf(size);
        Figures width, startUp, start, startDone, again, againDone, clear, stop, typing, panel;
        for (int round = 0; round < kRounds; ++round) {
            // START and CLEAR of an alert due in an hour.
            eggtimer::test::writeSettings(
                {{"mode", 1}, {"targetSelecter", 3}, {"targetMessage", message}, {"modeDhmHour", "1"}});
            QElapsedTimer clock;
            clock.start();
            auto app = std::make_unique<eggtimer::test::App>();
            QApplication::processEvents();
            startUp.add(double(clock.nsecsElapsed()) / 1e6);
            width.add(app->window()->width());
            auto* button = app->find<QPushButton>("timerButton");
            const Answer started = answerTo(button, [&] { app->click("timerButton"); });
            start.add(started.drawn);
            startDone.add(started.finished);
            if (app->button() != "CLEAR")
                std::fprintf(stderr, "long_text: START was refused\n");
            clear.add(answerTo(button, [&] { app->click("timerButton"); }).drawn);
            // Nothing changed since: nothing to save.
            const Answer startedAgain = answerTo(button, [&] { app->click("timerButton"); });
            again.add(startedAgain.drawn);
            againDone.add(startedAgain.finished);
            answerTo(button, [&] { app->click("timerButton"); });
            auto* field = app->find<QLineEdit>("targetAlertMessage");
            field->setFocus();
            field->end(false);
            typing.add(answerTo(field, [&] { QTest::keyClick(field, Qt::Key_A); }).drawn);
            panel.add(alertPanelMilliseconds(*app, message.toStdString()));
            // STOP of a sound that fires at once, the message still in its field.
            app->cell("targetSelecter", 0, 0)->click();
            app->typeInto("modeDhmHour", "0");
            app->find<QLineEdit>("modeDhmMin")->setText("0");
            app->click("timerButton");
            app->waitFor([&] { return app->button() == "STOP"; }, 10);
            stop.add(answerTo(button, [&] { app->click("timerButton"); }).drawn);
        }
        std::printf("message of %zu bytes: window %s px wide, shown %s ms after start-up began\n"
                    "  answered (drawn) in ms: START %s, done with its save of the settings %s; CLEAR %s; "
                    "START again, nothing to save %s, done %s; STOP %s; a typed key %s\n"
                    "  alert panel with the message shown in %s ms\n",
                    std::size_t(message.toUtf8().size()), width.text().c_str(), startUp.text().c_str(),
                    start.text().c_str(), startDone.text().c_str(), clear.text().c_str(),
                    again.text().c_str(), againDone.text().c_str(), stop.text().c_str(),
                    typing.text().c_str(), panel.text().c_str());
        std::fflush(stdout);
    }
    return 0;
}
