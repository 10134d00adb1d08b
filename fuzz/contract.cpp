#include "contract.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "convert.h"
#include "registry.h"

namespace fuzzcase {

namespace {

const char* const kObsprodUsage = "Usage: v = obsprod (Xt, Y, I, J, L)";
const char* const kNzfillUsage = "Usage:  SetSpv ( S, v, L )";
const char* const kPairsqType = "Input of inproper type";
const char* const kLowerUnknown = "Error! Unkonw Lower bound!\n";
const char* const kUpperUnknown = "Error! Unkonw Upper bound!\n";

// Each family's rules beyond those every plug-in keeps (the registry names
// the family of each plug-in).
bool isProducts(const registry::Plugin& p) { return p.family == "products"; }
bool isFill(const registry::Plugin& p) { return p.family == "fill"; }
bool isPairs(const registry::Plugin& p) { return p.family == "pairs"; }
// The passes over samples grouped by row (resprod, resstep, rowgram).
bool isPass(const registry::Plugin& p)
{
    return p.family == "residual" || p.family == "step" || p.family == "gram";
}

const registry::Plugin& entry(const std::string& plugin)
{
    const registry::Plugin* p = registry::find(plugin);
    if (!p)
        throw std::invalid_argument("no plug-in named " + plugin + " in the registry");
    return *p;
}

bool realFullDouble(const mxArray* a)
{
    return mxIsDouble(a) && !mxIsComplex(a) && !mxIsSparse(a);
}

bool realDouble(const mxArray* a) { return mxIsDouble(a) && !mxIsComplex(a); }

// Input k is of the class the registry gives it: uint32 where it says so,
// else a real full double array.
bool rightClass(const registry::Plugin& p, size_t k, const mxArray* a)
{
    return p.takesUint32(k) ? mxIsUint32(a) : realFullDouble(a);
}

// Doubles behind mxGetPr of a double array: stored values when sparse.
uint64_t storedCount(const mxArray* a)
{
    if (mxIsSparse(a))
        return mxGetJc(a)[mxGetN(a)];
    return uint64_t(mxGetM(a)) * uint64_t(mxGetN(a));
}

// Elements behind mxGetPr: the stored values of a sparse array.
uint64_t elementCount(const mxArray* a)
{
    return mxIsSparse(a) ? storedCount(a) : uint64_t(mxGetM(a)) * uint64_t(mxGetN(a));
}

// The count an L input stands for: its first value truncated toward zero, 0
// for a NaN or a value beyond the 64-bit range.
int64_t countOf(const mxArray* L)
{
    return std::max<int64_t>(0, tbx::truncToInt64(mxGetScalar(L)));
}

uint64_t numel(const mxArray* a) { return uint64_t(mxGetM(a)) * uint64_t(mxGetN(a)); }

// True when the inputs of a pass do not make a call it can run: an input of
// another class, factors or samples whose sizes disagree, counts that do
// not add up to the samples, a column number outside 1 .. n. Each must be
// refused, never read past.
bool badPass(const registry::Plugin& p, const std::vector<const mxArray*>& in)
{
    for (size_t k = 0; k < p.inputs.size(); ++k)
        if (!rightClass(p, k, in[k]))
            return true;
    const bool gram = p.family == "gram";
    const size_t h = gram ? 0 : 1, count = h + 1, col = h + 2;
    const uint64_t n = mxGetN(in[h]), L = numel(in[col]);
    uint64_t m = numel(in[count]);
    if (!gram) {
        m = mxGetN(in[0]);
        if (mxGetM(in[0]) != mxGetM(in[1]) || numel(in[count]) != m || numel(in[4]) != L)
            return true;
        if (p.family == "residual" && mxGetN(in[5]) != n)
            return true;
        if (p.family == "step" && (mxGetM(in[5]) != mxGetM(in[0]) || mxGetN(in[5]) != m ||
                                   mxGetM(in[6]) != mxGetM(in[1]) || mxGetN(in[6]) != n))
            return true;
    }
    const auto* c = static_cast<const uint32_t*>(mxGetData(in[count]));
    uint64_t total = 0;
    for (uint64_t i = 0; i < m; ++i)
        total += c[i];
    if (total != L)
        return true;
    const auto* j = static_cast<const uint32_t*>(mxGetData(in[col]));
    for (uint64_t s = 0; s < L; ++s)
        if (j[s] < 1 || j[s] > n)
            return true;
    return false;
}

// True when `text` is what penslope may print: its two diagnostics, at most
// 100 lines of them, and then, if there were more, one line that says how
// many (the text can be long: it is walked once).
bool onlyDiagnostics(const std::string& text)
{
    size_t at = 0;
    int lines = 0;
    while (at < text.size() && lines < 100) {
        if (text.compare(at, std::strlen(kLowerUnknown), kLowerUnknown) == 0)
            at += std::strlen(kLowerUnknown);
        else if (text.compare(at, std::strlen(kUpperUnknown), kUpperUnknown) == 0)
            at += std::strlen(kUpperUnknown);
        else
            return false;
        ++lines;
    }
    if (at == text.size())
        return true;
    const std::string rest = text.substr(at);
    const std::string head = "penslope: ", tail = " more lines like these not printed\n";
    if (rest.size() <= head.size() + tail.size() || rest.compare(0, head.size(), head) != 0 ||
        rest.compare(rest.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string count = rest.substr(head.size(), rest.size() - head.size() - tail.size());
    return std::all_of(count.begin(), count.end(), [](unsigned char ch) { return std::isdigit(ch); });
}

bool wellFormedId(const std::string& plugin, const std::string& id)
{
    if (id == "testhost:outOfMemory")  // the host refused to create an array
        return true;
    const std::string prefix = plugin + ":";
    if (id.size() <= prefix.size() || id.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(id.begin() + prefix.size(), id.end(),
                       [](unsigned char ch) { return std::isalnum(ch) || ch == '_'; });
}

// The message the call must fail with, "" when it may fail with any, or
// nullptr when the plug-ins do not document this input as an error. Every
// plug-in refuses fewer inputs than it reads, more than it reads where the
// registry does not say further inputs are ignored, and more outputs than
// it returns; the families' own documented errors come after.
const char* documentedError(const registry::Plugin& p, int nlhs,
                            const std::vector<const mxArray*>& in)
{
    const size_t nrhs = in.size();
    const bool counts = nrhs < p.inputs.size() || (!p.extra && nrhs > p.inputs.size()) ||
                        nlhs > (p.hasOutput() ? 1 : 0);
    if (isProducts(p)) {
        if (counts)
            return kObsprodUsage;
        const uint64_t r = mxGetM(in[0]);
        if (mxGetM(in[1]) != r || r > mxGetN(in[0]) || r > mxGetN(in[1]))
            return "";  // the row or rank message, unless a check of the toolbox comes first
        // More positions than I or J holds.
        const double L = mxGetScalar(in[4]);
        if (L >= double(elementCount(in[2])) + 1 || L >= double(elementCount(in[3])) + 1)
            return "";
        return nullptr;
    }
    if (isFill(p)) {
        if (counts)
            return kNzfillUsage;
        // A count that is no count, or more values than S or v holds.
        const double L = mxGetScalar(in[2]);
        if (std::isnan(L) || L <= -1 || L >= double(elementCount(in[0])) + 1 ||
            L >= double(elementCount(in[1])) + 1)
            return "";
        return nullptr;
    }
    if (counts)
        return "";
    if (isPass(p) && badPass(p, in))
        return "";
    if (isPairs(p) && !mxIsDouble(in[0]))
        return kPairsqType;
    return nullptr;
}

std::string shape(const mxArray* a)
{
    std::ostringstream s;
    s << mxGetM(a) << "x" << mxGetN(a);
    if (mxIsUint32(a))
        s << " (uint32)";
    else if (!mxIsDouble(a))
        s << " (not double)";
    if (mxIsComplex(a))
        s << " (complex)";
    if (mxIsSparse(a))
        s << " (sparse)";
    return s.str();
}

std::string checkFailure(const registry::Plugin& p, int nlhs,
                         const std::vector<const mxArray*>& in, const testhost::Call& c)
{
    if (c.created != 0)
        return "failed after creating " + std::to_string(c.created) + " array(s)";
    if (c.inputsChanged)
        return "failed after writing into an input";
    if (!c.printed.empty())
        return "failed after printing: " + c.printed;
    if (c.message.empty())
        return "error without message (id " + c.id + ")";
    if (!wellFormedId(p.name, c.id))
        return c.id.empty() ? "error without identifier: " + c.message
                            : "malformed error identifier: " + c.id;
    const char* expected = documentedError(p, nlhs, in);
    if (expected && *expected && c.message != expected)
        return "expected the message \"" + std::string(expected) + "\", got " +
               (c.id.empty() ? "" : c.id + ": ") + c.message;
    return "";
}

// Every input a successful call reads must have been a real full double
// array, or a uint32 array where the registry says so; S of the fill family
// may be sparse.
std::string checkClasses(const registry::Plugin& p, const std::vector<const mxArray*>& in)
{
    for (size_t i = 0; i < p.inputs.size() && i < in.size(); ++i) {
        const bool sparseOk = isFill(p) && i == 0;
        if (!(sparseOk ? realDouble(in[i]) : rightClass(p, i, in[i])))
            return "accepted input " + std::to_string(i + 1) + " of class/shape " + shape(in[i]);
    }
    return "";
}

// The output a successful call must have made: the shape the registry gives
// for these inputs (pairs: exactly symmetric too), and no input written.
std::string checkOutput(const registry::Plugin& p, const std::vector<const mxArray*>& in,
                        const testhost::Call& c)
{
    if (!p.hasOutput()) {
        if (c.created != 0)
            return "created " + std::to_string(c.created) + " arrays";
        if (c.outputs.at(0))
            return "stored an output";
        if (c.inputsChanged)
            return "wrote into an input";
        return "";
    }
    const mxArray* out = c.outputs.at(0).get();
    if (!out)
        return "returned without storing an output";
    if (c.created != 1)
        return "created " + std::to_string(c.created) + " arrays";
    if (!realFullDouble(out))
        return "output is " + shape(out);
    registry::InputFacts facts;
    facts.rows = [&](size_t k) { return uint64_t(mxGetM(in.at(k))); };
    facts.cols = [&](size_t k) { return uint64_t(mxGetN(in.at(k))); };
    facts.first = [&](size_t k) { return mxGetScalar(in.at(k)); };
    uint64_t m = 0, n = 0;
    registry::outputShape(p, facts, m, n);
    if (mxGetM(out) != m || mxGetN(out) != n)
        return "output is " + shape(out) + ", expected " + std::to_string(m) + "x" +
               std::to_string(n);
    if (isPairs(p)) {
        const double* q = mxGetPr(out);
        for (uint64_t j = 0; j < n; ++j)
            for (uint64_t i = 0; i < j; ++i)
                if (std::memcmp(&q[i + j * n], &q[j + i * n], sizeof(double)) != 0)
                    return "output is not exactly symmetric at (" + std::to_string(i + 1) +
                           "," + std::to_string(j + 1) + ")";
    }
    if (c.inputsChanged)
        return "wrote into an input";
    return "";
}

// After nzfill every input must be its old self, except where its doubles
// lie in the first n of S's storage: those hold v's values as they were
// before the call, as if v were read before S is written. The inputs are
// compared by where their doubles lie, so that aliases of S and parts of one
// storage that overlap are held to what the write does to them.
std::string checkNzfill(const std::vector<const mxArray*>& in,
                        const std::vector<testhost::Array>& before, const testhost::Call& c)
{
    if (c.created != 0)
        return "created " + std::to_string(c.created) + " arrays";
    if (c.outputs.at(0))
        return "stored an output";
    const uint64_t n = uint64_t(countOf(before[2].get()));
    if (n > storedCount(before[0].get()) || n > storedCount(before[1].get()))
        return "copied " + std::to_string(n) + " values, more than S (" +
               std::to_string(storedCount(before[0].get())) + ") or v (" +
               std::to_string(storedCount(before[1].get())) + ") holds";
    const auto lo = reinterpret_cast<uintptr_t>(mxGetPr(in[0]));
    const uintptr_t hi = lo + n * sizeof(double);
    const double* v = n > 0 ? mxGetPr(before[1].get()) : nullptr;
    for (size_t i = 0; i < in.size(); ++i) {
        testhost::Array expected = testhost::copy(before[i].get());
        if (n > 0 && mxIsDouble(in[i])) {
            double* want = mxGetPr(expected.get());
            const auto at = reinterpret_cast<uintptr_t>(mxGetPr(in[i]));
            for (uint64_t e = 0; e < storedCount(in[i]); ++e) {
                const uintptr_t p = at + e * sizeof(double);
                if (p >= lo && p < hi)
                    std::memcpy(want + e, v + (p - lo) / sizeof(double), sizeof(double));
            }
        }
        if (!testhost::sameBits(in[i], expected.get()))
            return i == 0 ? "S is not its old self with the first " + std::to_string(n) +
                                " stored values replaced by v's as they were"
                          : "input " + std::to_string(i + 1) +
                                " is not what the write into S's storage makes of it";
    }
    return "";
}

}  // namespace

std::string checkCall(const std::string& plugin, int nlhs,
                      const std::vector<const mxArray*>& inputs,
                      const std::vector<testhost::Array>& before, const testhost::Call& call)
{
    const registry::Plugin& p = entry(plugin);
    // What the call was given: the inputs as they were before it. (nzfill
    // writes into S, and S may be L as well.)
    std::vector<const mxArray*> given;
    for (const testhost::Array& a : before)
        given.push_back(a.get());

    if (call.strayOutput)
        return "stored an array the host did not create";
    for (size_t i = 1; i < call.outputs.size(); ++i)
        if (call.outputs[i])
            return "filled output slot " + std::to_string(i + 1);
    if (call.failed)
        return checkFailure(p, nlhs, given, call);

    if (const char* expected = documentedError(p, nlhs, given))
        return *expected ? "succeeded where it must fail with \"" + std::string(expected) + "\""
                         : "succeeded on input it must reject";
    if (std::string bad = checkClasses(p, given); !bad.empty())
        return bad;
    if (p.diagnostics) {
        if (!onlyDiagnostics(call.printed))
            return "printed: " + call.printed;
    } else if (!call.printed.empty()) {
        return "printed: " + call.printed;
    }
    if (isFill(p))
        return checkNzfill(inputs, before, call);
    return checkOutput(p, given, call);
}

}  // namespace fuzzcase
