// Binding the window's controls to the controller's outlets by name and kind.

#include "controller/Outlets.h"

#include "platform/qt/QtControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace eggtimer {
namespace {

// The names of the outlets still unbound, in the table's order.
std::vector<std::string> unbound(const Outlets& outlets) {
    std::vector<std::string> names;
    forEachOutlet(outlets, [&](const char* name, auto* field) {
        if (field == nullptr)
            names.emplace_back(name);
    });
    return names;
}

// One control of every kind, over real widgets.
struct OneOfEachKind {
    QWidget root;
    std::unique_ptr<Control> matrix, textField, button, popUp, tabView, drawer, view;

    OneOfEachKind() {
        auto* cells = new QWidget(&root);
        (new QGridLayout(cells))->addWidget(new QRadioButton, 0, 0);
        matrix = std::make_unique<QtMatrix>(cells);
        textField = std::make_unique<QtTextField>(new QLineEdit(&root));
        button = std::make_unique<QtButton>(new QPushButton(&root));
        popUp = std::make_unique<QtPopUpButton>(new QComboBox(&root));
        tabView = std::make_unique<QtTabView>(new QTabWidget(&root));
        drawer = std::make_unique<QtDrawer>(new QGroupBox(&root));
        view = std::make_unique<QtView>(new QWidget(&root));
    }

    Control* of(OutletKind kind) const {
        switch (kind) {
        case OutletKind::Matrix:
            return matrix.get();
        case OutletKind::TextField:
            return textField.get();
        case OutletKind::Button:
            return button.get();
        case OutletKind::PopUpButton:
            return popUp.get();
        case OutletKind::TabView:
            return tabView.get();
        case OutletKind::Drawer:
            return drawer.get();
        case OutletKind::View:
            return view.get();
        }
        return nullptr;
    }
};

TEST(Outlets, EveryDescribedOutletBindsAControlOfItsKindAndNoOther) {
    const OneOfEachKind controls;
    const OutletKind kinds[] = {OutletKind::Matrix,      OutletKind::TextField, OutletKind::Button,
                                OutletKind::PopUpButton, OutletKind::TabView,   OutletKind::Drawer,
                                OutletKind::View};
    for (const OutletDescription& outlet : kOutletDescriptions) {
        for (OutletKind kind : kinds) {
            Outlets outlets;
            EXPECT_EQ(bindOutlet(outlets, outlet.name, controls.of(kind)), kind == outlet.kind)
                << outlet.name << " with kind " << int(kind);
        }
    }
}

TEST(Outlets, BindingAllInOrderLeavesNoneUnbound) {
    const OneOfEachKind controls;
    Outlets outlets;
    std::set<std::string> names;
    for (const OutletDescription& outlet : kOutletDescriptions) {
        ASSERT_EQ(unbound(outlets).front(), outlet.name);
        ASSERT_TRUE(bindOutlet(outlets, outlet.name, controls.of(outlet.kind))) << outlet.name;
        names.insert(outlet.name);
    }
    EXPECT_EQ(unbound(outlets), std::vector<std::string>{});
    EXPECT_EQ(names.size(), kOutletDescriptions.size());
    EXPECT_EQ(outlets.statSeconds, controls.textField.get());
    EXPECT_EQ(outlets.targetDrawer, controls.drawer.get());
}

TEST(Outlets, UnknownNamesAndNoControlBindNothing) {
    const OneOfEachKind controls;
    Outlets outlets;
    EXPECT_FALSE(bindOutlet(outlets, "statSecond", controls.textField.get()));
    EXPECT_FALSE(bindOutlet(outlets, "", controls.textField.get()));
    EXPECT_FALSE(bindOutlet(outlets, "statSeconds", nullptr));
    EXPECT_EQ(unbound(outlets).size(), kOutletDescriptions.size());
    EXPECT_EQ(outlets.statSeconds, nullptr);
}

} // namespace
} // namespace eggtimer
