#include "mexargs.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace gw {

void fail(const char* plugin, const char* reason, const char* format, ...)
{
    char id[128];
    std::snprintf(id, sizeof id, "%s:%s", plugin, reason);
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    // The message is passed as an argument, never as the format, so a '%' in
    // it is printed as it stands.
    mexErrMsgIdAndTxt(id, "%s", message);
    std::abort();  // the host's error operation does not return
}

void requireInputs(const char* plugin, int nrhs, int needed, const char* usage)
{
    if (nrhs < needed)
        fail(plugin, "notEnoughInputs", "%d inputs needed, %d given. %s", needed,
             nrhs < 0 ? 0 : nrhs, usage);
}

bool isRealDouble(const mxArray* a)
{
    return a != nullptr && mxIsDouble(a) && !mxIsComplex(a);
}

bool isRealFullDouble(const mxArray* a)
{
    return isRealDouble(a) && !mxIsSparse(a);
}

Dense realFullDouble(const char* plugin, const mxArray* a, const char* name)
{
    if (!isRealFullDouble(a))
        fail(plugin, "notRealDouble", "%s must be a real, full (non-sparse) double array",
             name);
    Dense m;
    m.rows = static_cast<int64_t>(mxGetM(a));
    m.cols = static_cast<int64_t>(mxGetN(a));
    m.data = mxGetPr(a);
    return m;
}

Dense table(const char* plugin, const mxArray* a, const char* name, int64_t minColumns)
{
    Dense t = realFullDouble(plugin, a, name);
    if (t.rows > 0 && t.cols < minColumns)
        fail(plugin, "tooFewColumns", "%s has %lld columns; it needs at least %lld",
             name, static_cast<long long>(t.cols), static_cast<long long>(minColumns));
    return t;
}

void fourWeights(const char* plugin, const mxArray* a, const char* name, double out[4])
{
    Dense w = realFullDouble(plugin, a, name);
    if (w.rows * w.cols < 4)
        fail(plugin, "tooFewElements", "%s must have at least 4 elements", name);
    for (int i = 0; i < 4; ++i)
        out[i] = w.data[i];
}

int64_t storedCount(const mxArray* a)
{
    if (mxIsSparse(a)) {
        const mwIndex* jc = mxGetJc(a);
        return static_cast<int64_t>(jc[mxGetN(a)]);
    }
    return static_cast<int64_t>(mxGetNumberOfElements(a));
}

}  // namespace gw
