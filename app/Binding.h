#pragma once
// Where the window meets the controller: the Qt layer loads and checks the
// interface file against the controller's tables without knowing the
// controller, and this binds what it loaded to one.

#include "controller/KRMaster.h"
#include "controller/Outlets.h"
#include "platform/window/InterfaceLoader.h"

#include <QString>

#include <memory>
#include <string>

namespace eggtimer {

// The controller's outlets and actions, for LoadedInterface::load.
InterfaceContract controllerContract();

// The window of the interface file at `path`, checked against the
// controller's contract; nothing, with `error` set, when it fails.
std::unique_ptr<LoadedInterface> loadControllerWindow(const QString& path, std::string& error);

// Every outlet of a window loaded against controllerContract().
Outlets outletsOf(const LoadedInterface& window);

// Makes every sending control of that window perform its action on `master`,
// which must outlive the window's controls.
void connectActions(LoadedInterface& window, KRMaster& master);

} // namespace eggtimer
