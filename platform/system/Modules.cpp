#include "platform/system/Modules.h"
#include "platform/base/CaseFold.h"
#include "platform/base/DevicePath.h"
#include "platform/base/HandleValues.h"
#include "platform/base/ResourceFormat.h"
#include "platform/base/Utf8.h"
#include "platform/system/DeviceFiles.h"
#include "platform/system/DeviceRoot.h"
#include "platform/system/ProgramPath.h"

#include <dlfcn.h>

#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace {

// The program's own handle: a fixed value that no loaded module can take.
const HMODULE kProgram = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));

struct Module {
    void* dl = nullptr;
    std::wstring devicePath;
    std::string hostPath;
    int uses = 0;
    device::ResourceView resources;
    bool hasResources = false;
};

struct FoundResource {
    const void* data;
    size_t size;
};

std::recursive_mutex g_mutex;
std::map<uintptr_t, std::unique_ptr<Module>> g_modules;
Module g_program;
bool g_programLoaded = false;
HINSTANCE g_resourceModule = nullptr;
// Resources handed out as HRSRC, keyed by module, type and id; dropped with their module.
std::map<std::tuple<uintptr_t, DWORD, DWORD>, FoundResource> g_found;

bool ReadTable(void* dl, Module& m) {
    using TableFunction = const device::ResourceTable* (*)();
    auto function = reinterpret_cast<TableFunction>(dlsym(dl, "JorvanaResourceTable"));
    const device::ResourceTable* table = function ? function() : nullptr;
    m.hasResources = table && m.resources.Open(table->data, table->size);
    return m.hasResources;
}

const device::OrdinalExport* OrdinalTable(void* dl) {
    using TableFunction = const device::OrdinalExport* (*)();
    auto function = reinterpret_cast<TableFunction>(dlsym(dl, "JorvanaOrdinalTable"));
    return function ? function() : nullptr;
}

using EntryFunction = BOOL (*)(HINSTANCE, DWORD, LPVOID);

EntryFunction EntryOf(void* dl) { return reinterpret_cast<EntryFunction>(dlsym(dl, "DllMain")); }

Module* ModuleOf(HMODULE h) {
    if (h == nullptr || h == kProgram) {
        if (!g_programLoaded) {
            g_programLoaded = true;
            g_program.dl = dlopen(nullptr, RTLD_NOW);
            if (g_program.dl) ReadTable(g_program.dl, g_program);
        }
        return &g_program;
    }
    auto it = g_modules.find(reinterpret_cast<uintptr_t>(h));
    return it == g_modules.end() ? nullptr : it->second.get();
}

bool IdOf(LPCWSTR name, DWORD& id) {
    if (!name) return false;
    if (IS_INTRESOURCE(name)) {
        id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(name));
        return true;
    }
    if (name[0] != L'#' || name[1] == L'\0') return false;
    DWORD v = 0;
    for (const WCHAR* p = name + 1; *p; ++p) {
        if (*p < L'0' || *p > L'9' || v > 0xFFFF) return false;
        v = v * 10 + static_cast<DWORD>(*p - L'0');
    }
    id = v;
    return v <= 0xFFFF;
}

std::wstring ProgramFolder() {
    std::wstring path = device::ModuleDevicePath();
    auto cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? L"" : path.substr(0, cut);
}

} // namespace

namespace device {

bool FindResourceData(HMODULE module, DWORD type, DWORD id, const void*& data, size_t& size) {
    std::lock_guard lock(g_mutex);
    Module* m = ModuleOf(module);
    if (!m || !m->hasResources) return false;
    const uint8_t* p = nullptr;
    if (!m->resources.Find(type, id, p, size)) return false;
    data = p;
    return true;
}

std::wstring ModulePath(HMODULE module) {
    if (module == nullptr || module == kProgram) return ModuleDevicePath();
    std::lock_guard lock(g_mutex);
    Module* m = ModuleOf(module);
    return m ? m->devicePath : std::wstring();
}

HINSTANCE ResourceModule() {
    std::lock_guard lock(g_mutex);
    return g_resourceModule ? g_resourceModule : kProgram;
}

void SetResourceModule(HINSTANCE module) {
    std::lock_guard lock(g_mutex);
    g_resourceModule = module == kProgram ? nullptr : module;
}

} // namespace device

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::wstring path = lpLibFileName;
    if (path.find_first_of(L"\\/") == std::wstring::npos) path = ProgramFolder() + L"\\" + path;
    std::filesystem::path host;
    if (!device::ResolveDevicePath(path.c_str(), host)) return nullptr;

    std::lock_guard lock(g_mutex);
    for (auto& [handle, m] : g_modules) {
        if (m->hostPath == host.string()) {
            ++m->uses;
            return reinterpret_cast<HMODULE>(handle);
        }
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(host, ec)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* dl = dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!dl) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    auto m = std::make_unique<Module>();
    m->dl = dl;
    m->hostPath = host.string();
    std::wstring mapped;
    m->devicePath = device::HostToDevicePath(device::FileSystemFolder(), host, mapped) ? mapped : path;
    m->uses = 1;
    ReadTable(dl, *m);
    uintptr_t handle = device::AllocateHandleValue();
    EntryFunction entry = EntryOf(dl);
    g_modules[handle] = std::move(m);
    // The entry runs with the module already known, so that it can load its own resources.
    if (entry && !entry(reinterpret_cast<HINSTANCE>(handle), DLL_PROCESS_ATTACH, nullptr)) {
        g_modules.erase(handle);
        dlclose(dl);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE hLibModule) {
    std::lock_guard lock(g_mutex);
    if (hLibModule == kProgram) return TRUE;
    auto it = g_modules.find(reinterpret_cast<uintptr_t>(hLibModule));
    if (it == g_modules.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--it->second->uses > 0) return TRUE;
    if (EntryFunction entry = EntryOf(it->second->dl)) entry(hLibModule, DLL_PROCESS_DETACH, nullptr);
    for (auto f = g_found.begin(); f != g_found.end();) {
        if (std::get<0>(f->first) == it->first) f = g_found.erase(f);
        else ++f;
    }
    if (g_resourceModule == hLibModule) g_resourceModule = nullptr;
    dlclose(it->second->dl);
    g_modules.erase(it);
    return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName) return kProgram;
    std::wstring wanted = lpModuleName;
    std::lock_guard lock(g_mutex);
    for (auto& [handle, m] : g_modules) {
        auto cut = m->devicePath.rfind(L'\\');
        std::wstring file = cut == std::wstring::npos ? m->devicePath : m->devicePath.substr(cut + 1);
        if (device::EqualNoCase(file, wanted) || device::EqualNoCase(m->devicePath, wanted))
            return reinterpret_cast<HMODULE>(handle);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

void* GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName) {
    if (!lpProcName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IS_INTRESOURCE(lpProcName)) {
        WORD ordinal = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpProcName));
        std::lock_guard lock(g_mutex);
        Module* m = ModuleOf(hModule);
        if (!m || !m->dl || ordinal == 0) {
            SetLastError(m ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
            return nullptr;
        }
        for (const device::OrdinalExport* e = OrdinalTable(m->dl); e && e->ordinal != 0; ++e)
            if (e->ordinal == ordinal) return e->proc;
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard lock(g_mutex);
    Module* m = ModuleOf(hModule);
    if (!m || !m->dl) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* p = dlsym(m->dl, device::ToUtf8(lpProcName).c_str());
    if (!p) SetLastError(ERROR_PROC_NOT_FOUND);
    return p;
}

HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
    DWORD id = 0, type = 0;
    if (!IdOf(lpName, id) || !IdOf(lpType, type)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard lock(g_mutex);
    Module* m = ModuleOf(hModule);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const void* data = nullptr;
    size_t size = 0;
    if (!device::FindResourceData(hModule, type, id, data, size)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    uintptr_t key = hModule ? reinterpret_cast<uintptr_t>(hModule) : reinterpret_cast<uintptr_t>(kProgram);
    auto& found = g_found[{key, type, id}];
    found = FoundResource{data, size};
    return reinterpret_cast<HRSRC>(&found);
}

BOOL EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam) {
    DWORD type = 0;
    if (!lpEnumFunc || !IdOf(lpType, type)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<DWORD> ids;
    {
        std::lock_guard lock(g_mutex);
        Module* m = ModuleOf(hModule);
        if (!m) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        uint32_t t = 0, id = 0;
        if (m->hasResources)
            for (size_t i = 0; m->resources.EntryAt(i, t, id); ++i)
                if (t == type) ids.push_back(id);
    }
    if (ids.empty()) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    // The lock is let go first: the callback may look resources up itself.
    for (DWORD id : ids)
        if (!lpEnumFunc(hModule, lpType, MAKEINTRESOURCEW(id), lParam)) break;
    return TRUE;
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<void*>(reinterpret_cast<const FoundResource*>(hResInfo)->data);
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<const FoundResource*>(hResInfo)->size);
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const void* data = nullptr;
    size_t size = 0;
    if (!device::FindResourceData(hInstance, device::kResString, uID, data, size) || size < sizeof(WCHAR)) {
        if (cchBufferMax > 0) lpBuffer[0] = L'\0';
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    auto text = static_cast<const WCHAR*>(data);
    size_t length = size / sizeof(WCHAR) - 1; // stored with its null
    if (cchBufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(lpBuffer) = text;
        return static_cast<int>(length);
    }
    size_t copy = std::min(length, static_cast<size_t>(cchBufferMax) - 1);
    std::wmemcpy(lpBuffer, text, copy);
    lpBuffer[copy] = L'\0';
    return static_cast<int>(copy);
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    std::wstring path = device::ModulePath(hModule);
    if (path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() + 1 > nSize) {
        std::wmemcpy(lpFilename, path.c_str(), nSize - 1);
        lpFilename[nSize - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::wmemcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}
