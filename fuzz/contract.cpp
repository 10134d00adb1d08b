#include "contract.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>

#include "convert.h"

namespace fuzzcase {

namespace {

const char* const kObsprodUsage = "Usage: v = obsprod (Xt, Y, I, J, L)";
const char* const kNzfillUsage = "Usage:  SetSpv ( S, v, L )";
const char* const kPairsqType = "Input of inproper type";
const char* const kLowerUnknown = "Error! Unkonw Lower bound!\n";
const char* const kUpperUnknown = "Error! Unkonw Upper bound!\n";

bool isObsprod(const std::string& p) { return p == "obsprod" || p == "obsprod_blas"; }
bool isNzfill(const std::string& p) { return p == "nzfill" || p == "nzfill_blas"; }
bool isPenalty(const std::string& p) { return p == "penval" || p == "penslope"; }
bool isReport(const std::string& p)
{
    return p == "linkdev" || p == "ceilgap" || p == "floorgap";
}

bool realFullDouble(const mxArray* a)
{
    return mxIsDouble(a) && !mxIsComplex(a) && !mxIsSparse(a);
}

bool realDouble(const mxArray* a) { return mxIsDouble(a) && !mxIsComplex(a); }

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
// nullptr when the plug-ins do not document this input as an error.
const char* documentedError(const std::string& plugin, int nlhs,
                            const std::vector<const mxArray*>& in)
{
    const int nrhs = int(in.size());
    if (isObsprod(plugin)) {
        if (nrhs != 5 || nlhs > 1)
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
    if (isNzfill(plugin)) {
        if (nrhs != 3 || nlhs > 0)
            return kNzfillUsage;
        // A count that is no count, or more values than S or v holds.
        const double L = mxGetScalar(in[2]);
        if (std::isnan(L) || L <= -1 || L >= double(elementCount(in[0])) + 1 ||
            L >= double(elementCount(in[1])) + 1)
            return "";
        return nullptr;
    }
    if (plugin == "pairsq") {
        if (nrhs == 0 || nlhs > 1)
            return "";
        return mxIsDouble(in[0]) ? nullptr : kPairsqType;
    }
    if (isPenalty(plugin))
        return nrhs < 6 || nlhs > 1 ? "" : nullptr;
    if (isReport(plugin))
        return nrhs < 2 || nlhs > 1 ? "" : nullptr;
    return nullptr;
}

std::string shape(const mxArray* a)
{
    std::ostringstream s;
    s << mxGetM(a) << "x" << mxGetN(a);
    if (!mxIsDouble(a))
        s << " (not double)";
    if (mxIsComplex(a))
        s << " (complex)";
    if (mxIsSparse(a))
        s << " (sparse)";
    return s.str();
}

std::string checkFailure(const std::string& plugin, int nlhs,
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
    if (c.id.empty()) {
        const auto& fixed = fixedMessages(plugin);
        if (std::find(fixed.begin(), fixed.end(), c.message) == fixed.end())
            return "error without identifier: " + c.message;
    } else if (!wellFormedId(plugin, c.id)) {
        return "malformed error identifier: " + c.id;
    }
    const char* expected = documentedError(plugin, nlhs, in);
    if (expected && *expected && c.message != expected)
        return "expected the message \"" + std::string(expected) + "\", got " +
               (c.id.empty() ? "" : c.id + ": ") + c.message;
    return "";
}

// Which inputs of a successful call must have been real full doubles.
std::string checkClasses(const std::string& plugin, const std::vector<const mxArray*>& in)
{
    auto need = [&](size_t i, bool sparseOk) -> std::string {
        const bool ok = sparseOk ? realDouble(in[i]) : realFullDouble(in[i]);
        if (!ok)
            return "accepted input " + std::to_string(i + 1) + " of class/shape " +
                   shape(in[i]);
        return "";
    };
    std::string bad;
    if (isPenalty(plugin)) {
        for (size_t i = 0; i < 6 && bad.empty(); ++i)
            bad = need(i, false);
    } else if (isReport(plugin)) {
        for (size_t i = 0; i < 2 && bad.empty(); ++i)
            bad = need(i, false);
    } else if (plugin == "pairsq") {
        bad = need(0, false);
    } else if (isObsprod(plugin)) {
        if (countOf(in[4]) > 0)
            for (size_t i = 0; i < 4 && bad.empty(); ++i)
                bad = need(i, false);
    } else if (isNzfill(plugin)) {
        if (countOf(in[2]) > 0) {
            bad = need(0, true);
            if (bad.empty())
                bad = need(1, false);
        }
    }
    return bad;
}

std::string checkOutput(const std::string& plugin, const std::vector<const mxArray*>& in,
                        const testhost::Call& c)
{
    const mxArray* out = c.outputs.at(0).get();
    if (!out)
        return "returned without storing an output";
    if (c.created != 1)
        return "created " + std::to_string(c.created) + " arrays";
    if (!realFullDouble(out))
        return "output is " + shape(out);
    uint64_t m = 0, n = 0;
    if (plugin == "penval") {
        m = 1;
        n = 1;
    } else if (plugin == "penslope") {
        m = mxGetM(in[0]);
        n = mxGetN(in[0]);
    } else if (isReport(plugin)) {
        m = mxGetM(in[1]);
        n = 1;
    } else if (plugin == "pairsq") {
        m = n = mxGetN(in[0]);
    } else if (isObsprod(plugin)) {
        m = 1;
        n = uint64_t(countOf(in[4]));
    }
    if (mxGetM(out) != m || mxGetN(out) != n)
        return "output is " + shape(out) + ", expected " + std::to_string(m) + "x" +
               std::to_string(n);
    if (plugin == "pairsq") {
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

const std::vector<std::string>& fixedMessages(const std::string& plugin)
{
    static const std::vector<std::string> none;
    static const std::vector<std::string> pairsq = {kPairsqType};
    static const std::vector<std::string> obsprod = {
        kObsprodUsage, "rows of Xt must be equal to rows of Y", "rank must be r <= min(m,n)"};
    static const std::vector<std::string> nzfill = {kNzfillUsage};
    if (plugin == "pairsq")
        return pairsq;
    if (isObsprod(plugin))
        return obsprod;
    if (isNzfill(plugin))
        return nzfill;
    return none;
}

std::string checkCall(const std::string& plugin, int nlhs,
                      const std::vector<const mxArray*>& inputs,
                      const std::vector<testhost::Array>& before, const testhost::Call& call)
{
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
        return checkFailure(plugin, nlhs, given, call);

    if (const char* expected = documentedError(plugin, nlhs, given))
        return *expected ? "succeeded where it must fail with \"" + std::string(expected) + "\""
                         : "succeeded on input it must reject";
    if (std::string bad = checkClasses(plugin, given); !bad.empty())
        return bad;
    if (plugin == "penslope") {
        if (!onlyDiagnostics(call.printed))
            return "printed: " + call.printed;
    } else if (!call.printed.empty()) {
        return "printed: " + call.printed;
    }
    if (isNzfill(plugin))
        return checkNzfill(inputs, before, call);
    return checkOutput(plugin, given, call);
}

}  // namespace fuzzcase
