// The floor: an empty Qt Widgets window, started and measured like eggtimer.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("bare");
    window.resize(360, 420);
    window.show();
    return app.exec();
}
