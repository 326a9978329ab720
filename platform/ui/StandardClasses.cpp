#include "platform/ui/StandardClasses.h"
#include "platform/base/CaseFold.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/HtmlView.h"
#include "platform/ui/Header.h"
#include "platform/ui/ListControls.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Menus.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/SipPref.h"

#include <mutex>

namespace device::ui {
namespace {

// One group per family of controls: the class names it registers and the function that does it.
// A group's function registers all its classes and may be called again harmlessly.
struct Group {
    const wchar_t* const* names;
    void (*registerAll)();
};

const wchar_t* const kListControlNames[] = {WC_LISTBOXW, WC_COMBOBOXW, WC_COMBOLBOXW, WC_TABCONTROLW,
                                            DATETIMEPICK_CLASSW, MONTHCAL_CLASSW, nullptr};
const wchar_t* const kListViewNames[] = {WC_LISTVIEWW, WC_HEADERW, nullptr};
const wchar_t* const kMenuAndViewerNames[] = {kCommandBarClass, kPopupMenuClass, DISPLAYCLASS, nullptr};
const wchar_t* const kDialogNames[] = {WC_DIALOG, nullptr};
const wchar_t* const kPropertySheetNames[] = {kPropertySheetClass, nullptr};
const wchar_t* const kSipPrefNames[] = {WC_SIPPREF, nullptr};

const Group kGroups[] = {
    {kBasicControlClassNames, &RegisterBasicControlClasses},
    {kListControlNames, &RegisterListControlClasses},
    {kListViewNames, &RegisterListViewClasses},
    {kMenuAndViewerNames, &RegisterMenuAndViewerClasses},
    {kDialogNames, &RegisterDialogClasses},
    {kPropertySheetNames, &RegisterPropertySheetClasses},
    {kSipPrefNames, &RegisterSipPrefClass},
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
