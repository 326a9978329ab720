#pragma once
// A library of the host system (not a device module: those are LoadLibrary's), opened when it is
// first needed rather than linked, so that a process that never needs it does not load it and the
// libraries it brings. Its functions are reached through a table of pointers typed as the
// library's own header declares them:
//
//   #define SDL_FUNCTIONS(X) X(SDL_Init) X(SDL_Quit)
//   DEVICE_HOST_LIBRARY(SdlLibrary, "libSDL2-2.0.so.0", SDL_FUNCTIONS);
//
// declares struct SdlLibrary with members SDL_Init and SDL_Quit, bound when one is made; its ok is
// false when the library or any of the functions is missing.

#include <dlfcn.h>

namespace device {

class HostLibrary {
public:
    // The handle is never closed: the bound functions stay in use until the process ends.
    explicit HostLibrary(const char* soname) : m_dl(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
    bool Loaded() const { return m_dl != nullptr; }
    // Points fn at the library's function of that name; false (and fn null) when there is none.
    template <typename Fn> bool Bind(Fn*& fn, const char* name) const {
        fn = m_dl ? reinterpret_cast<Fn*>(dlsym(m_dl, name)) : nullptr;
        return fn != nullptr;
    }

private:
    void* m_dl;
};

} // namespace device

#define DEVICE_HOST_FUNCTION_MEMBER_(name) decltype(&::name) name = nullptr;
#define DEVICE_HOST_FUNCTION_BIND_(name) &&library.Bind(name, #name)
#define DEVICE_HOST_LIBRARY(Type, soname, FUNCTIONS)                                                         \
    struct Type {                                                                                            \
        FUNCTIONS(DEVICE_HOST_FUNCTION_MEMBER_)                                                              \
        bool ok = false;                                                                                     \
        Type() {                                                                                             \
            const ::device::HostLibrary library(soname);                                                     \
            ok = library.Loaded() FUNCTIONS(DEVICE_HOST_FUNCTION_BIND_);                                     \
        }                                                                                                    \
    }
