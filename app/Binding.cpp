#include "app/Binding.h"

#include "controller/Actions.h"

#include <cassert>

namespace eggtimer {

InterfaceContract controllerContract() {
    return {kOutletDescriptions, kActionDescriptions};
}

std::unique_ptr<LoadedInterface> loadControllerWindow(const QString& path, std::string& error) {
    return LoadedInterface::load(path, controllerContract(), error);
}

Outlets outletsOf(const LoadedInterface& window) {
    Outlets outlets;
    for (const OutletDescription& outlet : kOutletDescriptions) {
        [[maybe_unused]] const bool bound = bindOutlet(outlets, outlet.name, window.outlet(outlet.name));
        // The loader made each outlet's control for its kind.
        assert(bound);
    }
    return outlets;
}

void connectActions(LoadedInterface& window, KRMaster& master) {
    window.connectActions(
        [&master](std::size_t action, Control* sender) { (master.*kActionMethods[action])(sender); });
}

} // namespace eggtimer
