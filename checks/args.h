// What the argument checks see of a call, whatever the host: each input as a
// class, a shape and, for real doubles and uint32 arrays, a pointer to its
// values; and what a check hands back when it refuses a call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace chk {

// One input, as the host adaptor describes it.
struct Arg {
    bool isDouble = false;  // of class double (real or complex, full or sparse)
    bool isUint32 = false;  // of class uint32 (always real and full)
    bool complex = false;
    bool sparse = false;
    int ndims = 2;
    int64_t rows = 0;
    int64_t cols = 0;    // every dimension after the first, multiplied
    int64_t stored = 0;  // doubles behind the values: nnz when sparse, rows*cols when full
    // The real values (the stored ones when sparse) of a double array, at
    // least the first `fetched` of them; null until asked for
    // (Args::values), for other classes always.
    const double* data = nullptr;
    int64_t fetched = 0;
    // The values of a uint32 array; null until asked for (Args::uint32s).
    const uint32_t* u32 = nullptr;

    int64_t numel() const { return rows * cols; }
    bool realFullDouble() const { return isDouble && !complex && !sparse; }
    bool realDouble() const { return isDouble && !complex; }
};

// The checks look at no input past this many (a plug-in reads six at most);
// the adaptors describe only these.
constexpr int kMaxInputs = 8;

// The call: the plug-in's name, its inputs and the number of outputs asked
// for. `values` reaches an input's doubles, which an adaptor may form only
// when they are first asked for, and then only as many as are asked for
// (Octave keeps a range as its ends: reading four weights from 1:1e9 forms
// four values). `notWritable` says why an input's values cannot be written
// in place, where the adaptor can tell.
struct Args {
    const char* plugin = "";
    int nargin = 0;
    int nargout = 0;
    Arg* in = nullptr;  // the first min(nargin, kMaxInputs) inputs
    // The adaptor's: input i's first `count` values (at least), or null
    // when they cannot be formed; why input i cannot be written in place,
    // or null when it can (or the host cannot tell); the values of a uint32
    // input i.
    const double* (*fetch)(void* host, int i, int64_t count) = nullptr;
    const char* (*whyNotWritable)(void* host, int i) = nullptr;
    const uint32_t* (*fetchUint32)(void* host, int i) = nullptr;
    void* host = nullptr;

    const Arg& operator[](int i) const { return in[i]; }

    // The first `count` values of input i (a real double array), or null
    // when the host cannot form them (it has not the memory).
    const double* values(int i, int64_t count) const
    {
        if ((in[i].data == nullptr || in[i].fetched < count) && fetch != nullptr) {
            in[i].data = fetch(host, i, count);
            in[i].fetched = in[i].data ? count : 0;
        }
        return in[i].data;
    }
    // All its values (the stored ones when sparse).
    const double* values(int i) const { return values(i, in[i].stored); }

    const char* notWritable(int i) const
    {
        return whyNotWritable != nullptr ? whyNotWritable(host, i) : nullptr;
    }

    // The values of a uint32 input (in[i].isUint32), formed where the host
    // keeps them in another form.
    const uint32_t* uint32s(int i) const
    {
        if (in[i].u32 == nullptr && fetchUint32 != nullptr)
            in[i].u32 = fetchUint32(host, i);
        return in[i].u32;
    }
};

// A refused call: `reason` names it ("<plugin>:<reason>" is the error's
// identifier), `message` says what is wrong (one of the plug-ins' own fixed
// messages, word for word, where they have one).
struct Failure {
    std::string reason;
    std::string message;
};
using Outcome = std::optional<Failure>;

// A failure with identifier; the message is printf-like.
Failure fail(const char* reason, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

}  // namespace chk
