#include "platform/ui/StandardClasses.h"
#include "platform/base/CaseFold.h"

#include <mutex>

namespace device::ui {
namespace {

// One group per family of controls: the class names it registers and the function that does it.
// A group's function registers all its classes and may be called again harmlessly.
struct Group {
    const wchar_t* const* names;
    void (*registerAll)();
};

const Group kGroups[] = {
    {nullptr, nullptr}, // groups are listed here as the control families land
};

} // namespace

bool EnsureStandardClass(LPCWSTR className) {
    if (!className) return false;
    for (const Group& g : kGroups) {
        if (!g.names) continue;
        for (const wchar_t* const* n = g.names; *n; ++n) {
            if (EqualNoCase(*n, className)) {
                g.registerAll();
                return true;
            }
        }
    }
    return false;
}

void RegisterStandardClasses() {
    for (const Group& g : kGroups)
        if (g.registerAll) g.registerAll();
}

} // namespace device::ui
