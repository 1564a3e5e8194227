#include "platform/window/DesktopStyle.h"

#include <QApplication>
#include <QColor>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStringList>
#include <QWidget>

namespace eggtimer {
namespace {

bool ownPaletteSet = false; // followDarkStyle() set darkPalette()

// The desktop sets the palette itself: Plasma's, read by Qt's KDE platform
// theme from the desktop's colour scheme, or that of a platform theme the user
// chose.
bool desktopSuppliesPalette() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORMTHEME"))
        return true;
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    return desktops.contains(QStringLiteral("KDE"), Qt::CaseInsensitive);
}

// Style sheets that name palette colours ("palette(base)") take them when they
// are set: set again, they take the new ones.
void restyleSheets() {
    // After the widgets have taken the new palette, which Qt posts to them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
    for (QWidget* widget : QApplication::allWidgets()) {
        if (!widget->styleSheet().isEmpty())
            widget->setStyleSheet(widget->styleSheet());
    }
}

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < palette.color(QPalette::WindowText).lightness();
}

} // namespace

QPalette darkPalette() {
    const QColor window(0x2a, 0x2a, 0x2a);
    const QColor text(0xf0, 0xf0, 0xf0);
    // Disabled texts keep a contrast of 4.5:1 against the window and cards.
    const QColor disabledText(0xb4, 0xb4, 0xb4);
    QPalette palette(text, QColor(0x3c, 0x3c, 0x3c), QColor(0x5a, 0x5a, 0x5a), QColor(0x16, 0x16, 0x16),
                     QColor(0x50, 0x50, 0x50), text, QColor(0xff, 0xff, 0xff), QColor(0x46, 0x46, 0x46),
                     window);
    // Cards (the status area, text fields, the radio buttons' circles) a step
    // lighter than the window, as GNOME's dark style draws them: on the
    // window, an unchecked radio button stands apart at 1.5:1.
    palette.setColor(QPalette::AlternateBase, QColor(0x3e, 0x3e, 0x3e));
    palette.setColor(QPalette::Midlight, QColor(0x68, 0x68, 0x68));
    palette.setColor(QPalette::Shadow, QColor(0x0a, 0x0a, 0x0a));
    palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    palette.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
    palette.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    palette.setColor(QPalette::LinkVisited, QColor(0xc3, 0x97, 0xd8));
    palette.setColor(QPalette::ToolTipBase, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x50));
    return palette;
}

void followDarkStyle(bool dark) {
    if (desktopSuppliesPalette())
        return;
    if (dark && !ownPaletteSet) {
        // A platform theme that already follows the desktop's dark style
        // (Qt 6.5 and later read it for some) keeps its own palette.
        if (isDark(QGuiApplication::palette()))
            return;
        QApplication::setPalette(darkPalette());
        ownPaletteSet = true;
        restyleSheets();
    } else if (!dark && ownPaletteSet) {
        // A palette with nothing set gives back the one Qt's theme gives.
        QApplication::setPalette(QPalette());
        ownPaletteSet = false;
        restyleSheets();
    }
}

void chooseTitleBar(const QString& buttonLayout) {
    if (QGuiApplication::platformName() != QStringLiteral("wayland") ||
        qEnvironmentVariableIsSet("QT_WAYLAND_DECORATION"))
        return;
    for (const char* button : {"close", "minimize", "maximize"}) {
        if (buttonLayout.contains(QLatin1String(button)))
            return;
    }
    qputenv("QT_WAYLAND_DECORATION", "bradient");
}

} // namespace eggtimer
