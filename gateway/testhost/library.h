// Loading a plug-in into the test host, as the real hosts do: dlopen and
// dlsym on Linux and macOS, LoadLibrary and GetProcAddress on Windows.
#pragma once

#include <string>

namespace testhost::library {

// The plug-in's extension on this system: .mexw64 on Windows (MATLAB's),
// .so elsewhere.
#ifdef _WIN32
constexpr const char* kSuffix = ".mexw64";
#else
constexpr const char* kSuffix = ".so";
#endif

// The module at `path`, with every symbol resolved now and none of its own
// made visible to later modules; null on failure, with the system's reason
// in `error`.
void* open(const std::string& path, std::string& error);
// The address of the exported function `name`, or null.
void* symbol(void* module, const char* name);
void close(void* module);

}  // namespace testhost::library
