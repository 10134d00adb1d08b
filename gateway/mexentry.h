// The one symbol a plug-in exports. Everything else is built with hidden
// visibility (and, on Linux, a version script that exports mexFunction under
// the node MEX), so plug-ins loaded into one host never see each other.
#pragma once

#include "mex.h"

#if defined(_WIN32)
#define MEX_ENTRY extern "C" __declspec(dllexport)
#else
#define MEX_ENTRY extern "C" __attribute__((visibility("default")))
#endif
