// Registration of the window classes of menus, menu bars and the HTML viewer.

#include "platform/ui/MenuLayout.h"

void device::ui::RegisterMenuAndViewerClasses() {
    menus::RegisterCommandBarClass();
    menus::RegisterPopupMenuClass();
    menus::RegisterHtmlViewerClass();
}
