#include "library.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testhost::library {

#ifdef _WIN32

namespace {

std::string lastError()
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string();
    if (text)
        LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return "error " + std::to_string(code) + (s.empty() ? "" : ": " + s);
}

}  // namespace

void* open(const std::string& path, std::string& error)
{
    // The folder of the plug-in is searched for the libraries it needs (its
    // BLAS, say) before the system's, as MATLAB does for a MEX file; no
    // dialog box is raised for a missing one.
    // That search needs the full path: a relative one (or one without a
    // drive, "/dir/x.mexw64") is completed from the current folder first.
    char full[4096];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    const char* name = n > 0 && n < sizeof full ? full : path.c_str();
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE m = LoadLibraryExA(name, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m)
        error = lastError();
    SetErrorMode(mode);
    return reinterpret_cast<void*>(m);
}

void* symbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void close(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

#else

void* open(const std::string& path, std::string& error)
{
    void* m = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m)
        error = dlerror();
    return m;
}

void* symbol(void* module, const char* name) { return dlsym(module, name); }

void close(void* module) { dlclose(module); }

#endif

}  // namespace testhost::library
