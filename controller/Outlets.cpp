#include "controller/Outlets.h"

#include <type_traits>

namespace eggtimer {

bool bindOutlet(Outlets& outlets, const std::string& name, Control* control) {
    bool bound = false;
    forEachOutlet(outlets, [&](const char* outlet, auto*& field) {
        if (bound || name != outlet) {
            return;
        }
        using Kind = std::remove_reference_t<decltype(*field)>;
        if (auto* typed = dynamic_cast<Kind*>(control)) {
            field = typed;
            bound = true;
        }
    });
    return bound;
}

} // namespace eggtimer
