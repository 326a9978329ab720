#include "core/CoreMessages.h"

#include "platform/system/Modules.h"
#include "platform/ui/MessageBox.h"

CString LoadCoreString(UINT id) {
    LPCWSTR text = nullptr;
    int length = LoadStringW(device::ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return CString();
    return CString(text, length);
}

int ShowCoreMessage(UINT id) {
    CString text = LoadCoreString(id);
    return MessageBoxW(nullptr, text, nullptr, MB_OK);
}
