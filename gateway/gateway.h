// What a plug-in's gateway sees of its host: the call's inputs (as the
// argument checks describe them), the output it creates, the text it prints,
// the error that ends it. Each gateway is written once against gw::Call,
//
//     TOOLBOX_GATEWAY(name)
//     {
//         const tbx::Exec ex = call.exec();
//         ... chk:: check of call.args() ... ; call.check(outcome);
//         double* out = call.output(rows, cols, gw::Fill::zeros);
//         ... kernel (..., out, ex);
//     }
//
// and built once per host form: through the MEX interface (MATLAB, Octave's
// mex, the test host; gateway/mex) or through Octave's native interface
// (gateway/octave). TOOLBOX_OCTAVE_NATIVE selects the second.
#pragma once

#include <cstdint>

#include "args.h"
#include "dispatch.h"

namespace gw {

// How a new output starts: zero-filled where the kernel adds into it or
// writes only some elements, or as it comes where the kernel writes every
// element.
enum class Fill { zeros, none };

class Call {
public:
    virtual ~Call() = default;

    const chk::Args& args() const { return args_; }

    // Ends the call with the check's failure, if it has one.
    void check(const chk::Outcome& outcome)
    {
        if (outcome)
            fail(*outcome);
    }

    // The path and threads the kernels (and the checks that read indices)
    // take in this call: the process's path and the thread count of the
    // moment (MEXTOOLBOX_KERNELS, MEXTOOLBOX_THREADS); a value there that
    // cannot be followed ends the call ("<plugin>:badEnvironment"), before
    // its arguments are looked at.
    tbx::Exec exec();

    // Creates the call's one output, rows-by-cols real doubles, stores it as
    // the call's result and returns its values.
    virtual double* output(int64_t rows, int64_t cols, Fill fill) = 0;

    // The host's own storage of input i, to be written in place (only where
    // args().notWritable(i) is null). After the write, written(i) tells the host.
    virtual double* inPlace(int i) = 0;
    virtual void written(int i) { (void)i; }

    // Prints a fixed text.
    virtual void print(const char* text) = 0;

    // Ends the call: "<plugin>:<reason>" with the message. Never returns.
    [[noreturn]] virtual void fail(const chk::Failure& f) = 0;

protected:
    chk::Args args_;
};

using Gateway = void (*)(Call&);

// The plug-in a module holds: its name and its gateway. TOOLBOX_GATEWAY
// defines it; the host adaptor calls it.
struct Plugin {
    const char* name;
    Gateway gateway;
};
extern const Plugin plugin;

}  // namespace gw

#if defined(_MSC_VER) && defined(MATLAB_MEX_FILE)
// MATLAB's mex, and CMake's matlab_add_mex, export mexFunction with the
// linker's /EXPORT: a __declspec(dllexport) beside it would export it twice
// (warning LNK4197).
#define TOOLBOX_EXPORT extern "C"
#elif defined(_WIN32)
#define TOOLBOX_EXPORT extern "C" __declspec(dllexport)
#else
#define TOOLBOX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(TOOLBOX_OCTAVE_NATIVE)

// Octave's native interface: the loader calls G<name>, whose name the
// plug-in's own source has to give, to install the function.
namespace gw::oct {
void* install(const void* library, bool relative);
}
#define TOOLBOX_GATEWAY(NAME)                                                  \
    static void NAME##_gateway(gw::Call& call);                                \
    const gw::Plugin gw::plugin{#NAME, NAME##_gateway};                        \
    TOOLBOX_EXPORT void* G##NAME(const void* library, bool relative)           \
    {                                                                          \
        return gw::oct::install(library, relative);                            \
    }                                                                          \
    static void NAME##_gateway(gw::Call& call)

#else

// The MEX interface: mexFunction, in the adaptor, calls the gateway.
#define TOOLBOX_GATEWAY(NAME)                                                  \
    static void NAME##_gateway(gw::Call& call);                                \
    const gw::Plugin gw::plugin{#NAME, NAME##_gateway};                        \
    static void NAME##_gateway(gw::Call& call)

#endif
