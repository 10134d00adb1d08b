#include "testhost.h"

#include "library.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

struct mxArray_tag {
    testhost::Class cls = testhost::Class::Double;
    bool complex = false;
    bool sparse = false;
    size_t m = 0, n = 0;  // n: every dimension after the first, multiplied
    size_t ndims = 2;
    // Full arrays: m*n elements of the class's size. Sparse: nzmax doubles.
    size_t count = 0;
    unsigned char* real = nullptr;
    unsigned char* imag = nullptr;
    mwIndex* ir = nullptr;  // sparse only: nzmax row indices
    mwIndex* jc = nullptr;  // sparse only: n + 1 column starts
    bool borrowed = false;  // real belongs to another array (a view)
};

namespace testhost {
namespace {

// Thrown by the error operations; caught by Plugin::call. It unwinds through
// the plug-in as the host's own error handling does.
struct Abort {
    std::string id;
    std::string message;
};

// Larger arrays than this are refused as the host refuses an allocation it
// cannot make: with an error, not a crash.
constexpr size_t kMaxBytes = size_t(1) << 32;

std::vector<mxArray*> g_created;
size_t g_uninitialised = 0;
std::string g_printed;
bool g_inCall = false;

size_t elementSize(Class c)
{
    switch (c) {
    case Class::Double: return 8;
    case Class::Single: return 4;
    case Class::Int32: return 4;
    case Class::Logical: return 1;
    case Class::Char: return 2;
    case Class::UInt32: return 4;
    }
    return 8;
}

unsigned char* allocateBytes(size_t bytes)
{
    // Exact size, so that one byte past the end is outside the allocation.
    unsigned char* p = new unsigned char[bytes];
    std::memset(p, 0, bytes);
    return p;
}

bool productFits(size_t a, size_t b, size_t limit)
{
    return b == 0 || a <= limit / b;
}

mxArray* newFull(Class c, size_t m, size_t n, bool complex)
{
    const size_t es = elementSize(c);
    if (!productFits(m, n, kMaxBytes) || !productFits(m * n, es, kMaxBytes))
        throw std::length_error("testhost: array too large");
    auto* a = new mxArray_tag;
    a->cls = c;
    a->complex = complex;
    a->m = m;
    a->n = n;
    a->count = m * n;
    a->real = allocateBytes(a->count * es);
    if (complex)
        a->imag = allocateBytes(a->count * es);
    return a;
}

void freeArray(mxArray* a)
{
    if (!a)
        return;
    if (!a->borrowed)
        delete[] a->real;
    delete[] a->imag;
    delete[] a->ir;
    delete[] a->jc;
    delete a;
}

[[noreturn]] void hostError(const char* id, const char* message)
{
    throw Abort{id, message};
}

}  // namespace

void Deleter::operator()(mxArray* a) const { freeArray(a); }

Array dense(size_t rows, size_t cols, const std::vector<double>& values)
{
    Array a(newFull(Class::Double, rows, cols, false));
    if (!values.empty()) {
        if (values.size() != rows * cols)
            throw std::invalid_argument("testhost::dense: value count does not match shape");
        std::memcpy(a->real, values.data(), values.size() * sizeof(double));
    }
    return a;
}

Array scalar(double value) { return dense(1, 1, {value}); }

Array denseNd(const std::vector<size_t>& dims)
{
    size_t trailing = 1;
    for (size_t k = 1; k < dims.size(); ++k)
        trailing *= dims[k];
    Array a = dense(dims.at(0), trailing);
    a->ndims = dims.size() < 2 ? 2 : dims.size();
    return a;
}

Array ofClass(Class c, size_t rows, size_t cols) { return Array(newFull(c, rows, cols, false)); }

Array complexDense(size_t rows, size_t cols)
{
    return Array(newFull(Class::Double, rows, cols, true));
}

Array uint32s(size_t rows, size_t cols, const std::vector<uint32_t>& values)
{
    Array a(newFull(Class::UInt32, rows, cols, false));
    if (!values.empty()) {
        if (values.size() != rows * cols)
            throw std::invalid_argument("testhost::uint32s: value count does not match shape");
        std::memcpy(a->real, values.data(), values.size() * sizeof(uint32_t));
    }
    return a;
}

Array sparse(size_t rows, size_t cols, const std::vector<mwIndex>& ir,
             const std::vector<mwIndex>& jc, const std::vector<double>& pr, size_t nzmax)
{
    if (jc.size() != cols + 1 || ir.size() != pr.size() || jc.back() != pr.size())
        throw std::invalid_argument("testhost::sparse: inconsistent compressed columns");
    nzmax = std::max({nzmax, pr.size(), size_t(1)});
    auto* a = new mxArray_tag;
    a->sparse = true;
    a->m = rows;
    a->n = cols;
    a->count = nzmax;
    a->real = allocateBytes(nzmax * sizeof(double));
    a->ir = new mwIndex[nzmax]();
    a->jc = new mwIndex[cols + 1];
    if (!pr.empty())  // an empty vector's data() may be null, which memcpy must not get
        std::memcpy(a->real, pr.data(), pr.size() * sizeof(double));
    std::copy(ir.begin(), ir.end(), a->ir);
    std::copy(jc.begin(), jc.end(), a->jc);
    return Array(a);
}

Array view(const mxArray* base, size_t offset, size_t rows, size_t cols)
{
    const size_t have = base ? base->count : 0;
    if (base && (base->cls != Class::Double || base->sparse || base->complex))
        throw std::invalid_argument("testhost::view: base is not a real full double array");
    if (offset > have || rows * cols > have - offset)
        throw std::invalid_argument("testhost::view: the view reaches past its base");
    auto* a = new mxArray_tag;
    a->m = rows;
    a->n = cols;
    a->count = rows * cols;
    a->real = base ? base->real + offset * sizeof(double) : nullptr;
    a->borrowed = true;
    return Array(a);
}

Array copy(const mxArray* src)
{
    auto* a = new mxArray_tag(*src);
    a->borrowed = false;
    const size_t bytes = src->count * elementSize(src->cls);
    a->real = allocateBytes(bytes);
    if (bytes > 0)  // an empty view may have no storage at all
        std::memcpy(a->real, src->real, bytes);
    a->imag = nullptr;
    a->ir = nullptr;
    a->jc = nullptr;
    if (src->imag) {
        a->imag = allocateBytes(bytes);
        std::memcpy(a->imag, src->imag, bytes);
    }
    if (src->sparse) {
        a->ir = new mwIndex[src->count];
        std::copy(src->ir, src->ir + src->count, a->ir);
        a->jc = new mwIndex[src->n + 1];
        std::copy(src->jc, src->jc + src->n + 1, a->jc);
    }
    return Array(a);
}

std::vector<double> values(const mxArray* a)
{
    if (a->cls != Class::Double)
        throw std::invalid_argument("testhost::values: not a double array");
    const size_t count = a->sparse ? a->jc[a->n] : a->count;
    const auto* p = reinterpret_cast<const double*>(a->real);
    return std::vector<double>(p, p + count);
}

bool sameBits(const mxArray* a, const mxArray* b)
{
    if (a->cls != b->cls || a->complex != b->complex || a->sparse != b->sparse ||
        a->m != b->m || a->n != b->n || a->ndims != b->ndims || a->count != b->count)
        return false;
    // An empty array may hold no storage at all: nothing to compare, and
    // memcmp must not be handed a null pointer.
    const size_t bytes = a->count * elementSize(a->cls);
    if (bytes == 0)
        return !a->sparse || std::equal(a->jc, a->jc + a->n + 1, b->jc);
    if (std::memcmp(a->real, b->real, bytes) != 0)
        return false;
    if (a->imag && std::memcmp(a->imag, b->imag, bytes) != 0)
        return false;
    if (a->sparse && (!std::equal(a->ir, a->ir + a->count, b->ir) ||
                      !std::equal(a->jc, a->jc + a->n + 1, b->jc)))
        return false;
    return true;
}

Plugin::Plugin(const std::string& path)
{
    std::string error;
    handle_ = library::open(path, error);
    if (!handle_)
        throw std::runtime_error("testhost: cannot load " + path + ": " + error);
    entry_ = reinterpret_cast<decltype(entry_)>(library::symbol(handle_, "mexFunction"));
    if (!entry_) {
        // Unloaded again: a failed construction leaves nothing behind.
        library::close(handle_);
        handle_ = nullptr;
        throw std::runtime_error("testhost: no mexFunction in " + path);
    }
}

Plugin::~Plugin()
{
    if (handle_)
        library::close(handle_);
}

Call Plugin::call(int nlhs, const std::vector<const mxArray*>& inputs) const
{
    Call c;
    std::vector<Array> before;
    for (const mxArray* in : inputs)
        before.push_back(in ? copy(in) : Array());

    const size_t slots = static_cast<size_t>(std::max(nlhs, 1));
    std::vector<mxArray*> plhs(slots, nullptr);
    std::vector<const mxArray*> prhs(inputs);

    g_created.clear();
    g_uninitialised = 0;
    g_printed.clear();
    g_inCall = true;
    try {
        entry_(nlhs, plhs.data(), static_cast<int>(prhs.size()), prhs.data());
    } catch (const Abort& e) {
        c.failed = true;
        c.id = e.id;
        c.message = e.message;
    }
    g_inCall = false;

    c.created = g_created.size();
    c.uninitialised = g_uninitialised;
    c.printed = g_printed;
    for (mxArray* out : plhs) {
        auto it = std::find(g_created.begin(), g_created.end(), out);
        if (out && it == g_created.end()) {
            c.strayOutput = true;
            c.outputs.emplace_back();
            continue;
        }
        if (out)
            g_created.erase(it);
        c.outputs.emplace_back(out);
    }
    // Arrays made but not handed back are the host's to free, as on return
    // from any plug-in.
    for (mxArray* a : g_created)
        freeArray(a);
    g_created.clear();

    for (size_t i = 0; i < inputs.size(); ++i)
        if (inputs[i] && !sameBits(inputs[i], before[i].get()))
            c.inputsChanged = true;
    return c;
}

std::string pluginPath(const std::string& name)
{
    const char* dir = std::getenv("TESTHOST_PLUGIN_DIR");
#ifdef TESTHOST_PLUGIN_DIR_DEFAULT
    if (!dir)
        dir = TESTHOST_PLUGIN_DIR_DEFAULT;
#endif
    if (!dir)
        dir = ".";
    return std::string(dir) + "/" + name + library::kSuffix;
}

}  // namespace testhost

using testhost::Class;

extern "C" {

double* mxGetPr(const mxArray* a) { return reinterpret_cast<double*>(a->real); }
size_t mxGetM(const mxArray* a) { return a->m; }
size_t mxGetN(const mxArray* a) { return a->n; }
size_t mxGetNumberOfElements(const mxArray* a) { return a->m * a->n; }
mwSize mxGetNumberOfDimensions(const mxArray* a) { return a->ndims; }
bool mxIsDouble(const mxArray* a) { return a->cls == Class::Double; }
bool mxIsUint32(const mxArray* a) { return a->cls == Class::UInt32; }
void* mxGetData(const mxArray* a) { return a->real; }
bool mxIsSparse(const mxArray* a) { return a->sparse; }
bool mxIsComplex(const mxArray* a) { return a->complex; }
mwIndex* mxGetIr(const mxArray* a) { return a->ir; }
mwIndex* mxGetJc(const mxArray* a) { return a->jc; }

double mxGetScalar(const mxArray* a)
{
    const size_t stored = a->sparse ? a->jc[a->n] : a->count;
    if (stored == 0)
        return 0.0;
    switch (a->cls) {
    case Class::Double: { double v; std::memcpy(&v, a->real, 8); return v; }
    case Class::Single: { float v; std::memcpy(&v, a->real, 4); return v; }
    case Class::Int32: { int32_t v; std::memcpy(&v, a->real, 4); return v; }
    case Class::Logical: return a->real[0] ? 1.0 : 0.0;
    case Class::Char: { uint16_t v; std::memcpy(&v, a->real, 2); return v; }
    case Class::UInt32: { uint32_t v; std::memcpy(&v, a->real, 4); return v; }
    }
    return 0.0;
}

mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity flag)
{
    mxArray* a = nullptr;
    try {
        a = testhost::newFull(Class::Double, m, n, flag == mxCOMPLEX);
    } catch (const std::length_error&) {
        testhost::hostError("testhost:outOfMemory", "Out of memory");
    }
    if (testhost::g_inCall)
        testhost::g_created.push_back(a);
    return a;
}

mxArray* mxCreateUninitNumericMatrix(size_t m, size_t n, mxClassID classid, mxComplexity flag)
{
    if (classid != mxDOUBLE_CLASS)
        testhost::hostError("testhost:unsupported", "only double arrays are made here");
    mxArray* a = mxCreateDoubleMatrix(m, n, flag);
    // What an uninitialised array may hold: a NaN with a payload, so that a
    // kernel that reads before it writes shows in its result.
    const uint64_t poison = 0x7ff8deadbeef0000ULL;
    for (size_t i = 0; i < a->count; ++i)
        std::memcpy(a->real + 8 * i, &poison, 8);
    if (testhost::g_inCall)
        ++testhost::g_uninitialised;
    return a;
}

void mexErrMsgTxt(const char* message) { testhost::hostError("", message); }

void mexErrMsgIdAndTxt(const char* id, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    testhost::hostError(id, buffer);
}

int mexPrintf(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    testhost::g_printed += buffer;
    return n;
}

}  // extern "C"
