#include "platform/window/InterfaceLoader.h"

#include "platform/window/QtControls.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QUiLoader>
#include <QWidget>

#include <algorithm>
#include <string_view>
#include <utility>

namespace eggtimer {

namespace {

std::string inQuotes(const QString& text) {
    return "\"" + text.toStdString() + "\"";
}
std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string describe(const QObject* object) {
    if (!object->objectName().isEmpty()) {
        return inQuotes(object->objectName());
    }
    if (const auto* action = qobject_cast<const QAction*>(object)) {
        return inQuotes(action->text());
    }
    return std::string("of class ") + object->metaObject()->className();
}

// What a widget must be to stand for an outlet of some kind, and the adapter
// made of one that is.
struct OutletAdapter {
    const char* needed;
    // Nothing for a widget that is not what is needed.
    std::unique_ptr<Control> (*make)(QWidget* widget);
};

template <class Adapter> std::unique_ptr<Control> adapt(QWidget* widget) {
    if (!Adapter::accepts(widget))
        return nullptr;
    return std::make_unique<Adapter>(qobject_cast<typename Adapter::Wrapped*>(widget));
}

OutletAdapter adapterOfKind(OutletKind kind) {
    switch (kind) {
    case OutletKind::Matrix:
        return {"a matrix (a widget whose grid layout holds QRadioButtons)", adapt<QtMatrix>};
    case OutletKind::TextField:
        return {"a text field (QLineEdit or QLabel)", adapt<QtTextField>};
    case OutletKind::Button:
        return {"a button (QPushButton, QToolButton or QCheckBox)", adapt<QtButton>};
    case OutletKind::PopUpButton:
        return {"a pop-up button (QComboBox)", adapt<QtPopUpButton>};
    case OutletKind::TabView:
        return {"a tab view (QTabWidget)", adapt<QtTabView>};
    case OutletKind::Drawer:
        return {"a drawer (QGroupBox or QFrame)", adapt<QtDrawer>};
    case OutletKind::View:
        return {"a plain view (QWidget or QFrame)", adapt<QtView>};
    case OutletKind::ProgressIndicator:
        return {"a progress indicator (QProgressBar)", adapt<QtProgressIndicator>};
    }
    return {"?", [](QWidget*) { return std::unique_ptr<Control>(); }};
}

// Qt's warnings while the file is read, held back until we know whether the
// user is to see our one message instead.
struct HeldWarnings {
    static inline std::vector<std::pair<QtMsgType, QString>>* held = nullptr;
    static inline QtMessageHandler previous = nullptr;

    std::vector<std::pair<QtMsgType, QString>> messages;

    HeldWarnings() {
        held = &messages;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            held->emplace_back(type, text);
        });
    }
    ~HeldWarnings() {
        qInstallMessageHandler(previous);
        held = nullptr;
    }
    void replay() const {
        for (const auto& [type, text] : messages) {
            previous(type, QMessageLogContext(), text);
        }
    }
};

} // namespace

QString LoadedInterface::defaultPath() {
    const QString chosen = qEnvironmentVariable("EGGTIMER_INTERFACE_FILE");
    return chosen.isEmpty() ? QStringLiteral(":/eggtimer.ui") : chosen;
}

std::unique_ptr<LoadedInterface> LoadedInterface::load(const QString& path, const InterfaceContract& contract,
                                                       std::string& error) {
    std::unique_ptr<LoadedInterface> loaded(new LoadedInterface(contract));
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            error =
                "cannot read the interface file " + inQuotes(path) + ": " + file.errorString().toStdString();
            return nullptr;
        }
        HeldWarnings warnings;
        // The window holds standard widgets only. Designer's widget plugins,
        // which a QUiLoader loads as it is made, would pull in Qt Quick and
        // OpenGL, megabytes more at rest.
        const QStringList libraryPaths = QCoreApplication::libraryPaths();
        QCoreApplication::setLibraryPaths({});
        QUiLoader loader;
        QCoreApplication::setLibraryPaths(libraryPaths);
        loaded->window_.reset(loader.load(&file));
        if (!loaded->window_) {
            error = "cannot load the interface file " + inQuotes(path) + ": " +
                    loader.errorString().toStdString();
            return nullptr;
        }
        error = loaded->bindOutlets();
        if (error.empty()) {
            error = loaded->collectSenders();
        }
        if (error.empty()) {
            error = loaded->wireDrawer();
        }
        if (error.empty()) {
            error = loaded->wireQuit();
        }
        if (!error.empty()) {
            return nullptr;
        }
        warnings.replay();
    }
    return loaded;
}

LoadedInterface::LoadedInterface(const InterfaceContract& contract)
    : contract(contract) {}

LoadedInterface::~LoadedInterface() = default;

Control* LoadedInterface::outlet(std::string_view name) const {
    for (const auto& [outletName, control] : outlets) {
        if (outletName == name) {
            return control;
        }
    }
    return nullptr;
}

std::string LoadedInterface::bindOutlets() {
    for (const OutletDescription& outlet : contract.outlets) {
        const QString name = QString::fromLatin1(outlet.name);
        const QList<QObject*> found = window_->findChildren<QObject*>(name);
        if (found.isEmpty()) {
            return "the interface file has no control named " + inQuotes(name);
        }
        if (found.size() > 1) {
            return "the interface file has more than one control named " + inQuotes(name);
        }
        auto* widget = qobject_cast<QWidget*>(found.front());
        const OutletAdapter kind = adapterOfKind(outlet.kind);
        std::unique_ptr<Control> adapter = widget != nullptr ? kind.make(widget) : nullptr;
        if (!adapter) {
            return "the control " + inQuotes(name) + " in the interface file is a " +
                   found.front()->metaObject()->className() + ", where " + kind.needed + " is needed";
        }
        outlets.emplace_back(outlet.name, adapter.get());
        adapterOf.emplace_back(widget, adapter.get());
        adapters.push_back(std::move(adapter));
    }
    return {};
}

std::string LoadedInterface::collectSenders() {
    QList<QObject*> objects = window_->findChildren<QObject*>();
    objects.prepend(window_.get());
    for (QObject* object : objects) {
        const QVariant action = object->property("action");
        if (!action.isValid()) {
            continue;
        }
        const std::string name = action.toString().toStdString();
        if (qobject_cast<QAbstractButton*>(object) == nullptr && qobject_cast<QAction*>(object) == nullptr) {
            return "the control " + describe(object) + " in the interface file has the action " +
                   inQuotes(name) + " but is neither a button nor a menu entry";
        }
        const auto known = std::find_if(contract.actions.begin(), contract.actions.end(),
                                        [&](const ActionDescription& action) { return name == action.name; });
        if (known == contract.actions.end()) {
            return "the control " + describe(object) + " in the interface file sends " + inQuotes(name) +
                   ", which is no action of eggtimer";
        }
        bool isInt = false;
        object->property("tag").toInt(&isInt);
        if (known->readsTag && !isInt) {
            return "the control " + describe(object) + " in the interface file sends " + name +
                   " without an int property \"tag\"";
        }
        senders_.push_back({object, adapterFor(object), std::size_t(known - contract.actions.begin()), name});
    }

    for (std::size_t index = 0; index < contract.actions.size(); ++index) {
        const ActionDescription& action = contract.actions[index];
        const Control* pairedOutlet = action.sentBy != nullptr ? outlet(action.sentBy) : nullptr;
        bool sent = false;
        bool sentByItsOutlet = false;
        for (const Sender& sender : senders_) {
            sent = sent || sender.action == index;
            sentByItsOutlet = sentByItsOutlet || (sender.action == index && sender.control == pairedOutlet);
        }
        if (action.sentBy != nullptr && !sentByItsOutlet) {
            return "the control " + inQuotes(std::string_view(action.sentBy)) +
                   " in the interface file must send " + inQuotes(std::string_view(action.name));
        }
        if (!sent) {
            return "no control in the interface file sends " + inQuotes(std::string_view(action.name));
        }
    }
    return {};
}

std::string LoadedInterface::wireDrawer() {
    QList<QObject*> objects = window_->findChildren<QObject*>();
    for (QObject* object : objects) {
        const QVariant toggles = object->property("toggles");
        if (!toggles.isValid()) {
            continue;
        }
        auto* drawer = dynamic_cast<QtDrawer*>(outlet(toggles.toString().toStdString()));
        if (drawer == nullptr) {
            return "the control " + describe(object) + " in the interface file toggles " +
                   inQuotes(toggles.toString()) + ", which is no drawer";
        }
        if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            drawer->addToggle(button);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            drawer->addToggle(action);
        } else {
            return "the control " + describe(object) +
                   " in the interface file toggles the drawer but is neither a button nor a menu entry";
        }
    }
    return {};
}

std::string LoadedInterface::wireQuit() {
    for (QObject* object : window_->findChildren<QObject*>()) {
        if (!object->property("quits").toBool()) {
            continue;
        }
        // Queued: the program ends from its own loop, not inside a menu's.
        if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            QObject::connect(button, &QAbstractButton::clicked, QCoreApplication::instance(),
                             &QCoreApplication::quit, Qt::QueuedConnection);
        } else if (auto* action = qobject_cast<QAction*>(object)) {
            QObject::connect(action, &QAction::triggered, QCoreApplication::instance(),
                             &QCoreApplication::quit, Qt::QueuedConnection);
        } else {
            return "the control " + describe(object) +
                   " in the interface file quits the program but is neither a button nor a menu entry";
        }
    }
    return {};
}

Control* LoadedInterface::adapterFor(QObject* object) {
    for (const auto& [known, adapter] : adapterOf) {
        if (known == object) {
            return adapter;
        }
    }
    adapters.push_back(std::make_unique<QtSenderControl>(object));
    adapterOf.emplace_back(object, adapters.back().get());
    return adapters.back().get();
}

void LoadedInterface::connectActions(const Dispatch& dispatch) {
    for (const Sender& sender : senders_) {
        auto perform = [dispatch, action = sender.action, control = sender.control] {
            dispatch(action, control);
        };
        if (auto* button = qobject_cast<QAbstractButton*>(sender.object)) {
            QObject::connect(button, &QAbstractButton::clicked, button, perform);
        } else if (auto* action = qobject_cast<QAction*>(sender.object)) {
            QObject::connect(action, &QAction::triggered, action, perform);
        }
    }
}

} // namespace eggtimer
