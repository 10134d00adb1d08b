#include "harness.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "contract.h"

namespace fuzzcase {

namespace {

// Truncation toward zero, saturated to [lo, hi]; NaN gives 0.
double saturate(double x, double lo, double hi)
{
    if (std::isnan(x))
        return 0.0;
    return std::trunc(std::min(std::max(x, lo), hi));
}

testhost::Array buildDense(const Input& a, uint64_t m, uint64_t n)
{
    using testhost::Class;
    const uint64_t count = m * n;
    switch (a.kind) {
    case Kind::Double:
    case Kind::ComplexDouble: {
        testhost::Array arr = a.kind == Kind::Double ? testhost::dense(m, n)
                                                     : testhost::complexDense(m, n);
        double* p = mxGetPr(arr.get());
        for (uint64_t i = 0; i < count; ++i)
            p[i] = a.element(i);
        return arr;
    }
    case Kind::Single: {
        testhost::Array arr = testhost::ofClass(Class::Single, m, n);
        auto* p = reinterpret_cast<unsigned char*>(mxGetPr(arr.get()));
        for (uint64_t i = 0; i < count; ++i) {
            const double x = a.element(i);
            float f;
            if (std::isfinite(x) && std::fabs(x) > FLT_MAX)
                f = std::signbit(x) ? -INFINITY : INFINITY;
            else
                f = static_cast<float>(x);
            std::memcpy(p + 4 * i, &f, 4);
        }
        return arr;
    }
    case Kind::Int32: {
        testhost::Array arr = testhost::ofClass(Class::Int32, m, n);
        auto* p = reinterpret_cast<unsigned char*>(mxGetPr(arr.get()));
        for (uint64_t i = 0; i < count; ++i) {
            const auto v = static_cast<int32_t>(saturate(a.element(i), -2147483648.0, 2147483647.0));
            std::memcpy(p + 4 * i, &v, 4);
        }
        return arr;
    }
    case Kind::UInt32: {
        testhost::Array arr = testhost::ofClass(Class::UInt32, m, n);
        auto* p = reinterpret_cast<unsigned char*>(mxGetPr(arr.get()));
        for (uint64_t i = 0; i < count; ++i) {
            const auto v = static_cast<uint32_t>(saturate(a.element(i), 0.0, 4294967295.0));
            std::memcpy(p + 4 * i, &v, 4);
        }
        return arr;
    }
    case Kind::Logical: {
        testhost::Array arr = testhost::ofClass(Class::Logical, m, n);
        auto* p = reinterpret_cast<unsigned char*>(mxGetPr(arr.get()));
        for (uint64_t i = 0; i < count; ++i)
            p[i] = a.element(i) != 0.0;
        return arr;
    }
    case Kind::Char: {
        testhost::Array arr = testhost::ofClass(Class::Char, m, n);
        auto* p = reinterpret_cast<unsigned char*>(mxGetPr(arr.get()));
        for (uint64_t i = 0; i < count; ++i) {
            const auto v = static_cast<uint16_t>(saturate(a.element(i), 0.0, 65535.0));
            std::memcpy(p + 2 * i, &v, 2);
        }
        return arr;
    }
    default:
        break;
    }
    return testhost::dense(0, 0);
}

testhost::Array buildSparse(const Input& a, uint64_t m, uint64_t n)
{
    std::vector<mwIndex> ir, jc(1, 0);
    std::vector<double> pr;
    for (uint64_t j = 0; j < n; ++j) {
        for (uint64_t i = 0; i < m; ++i) {
            const double x = a.element(i + j * m);
            if (x != 0.0) {
                ir.push_back(i);
                pr.push_back(x);
            }
        }
        jc.push_back(pr.size());
    }
    return testhost::sparse(m, n, ir, jc, pr, pr.size() + a.slack % 4);
}

const char* kindName(Kind k)
{
    switch (k) {
    case Kind::Double: return "double";
    case Kind::Single: return "single";
    case Kind::Int32: return "int32";
    case Kind::Logical: return "logical";
    case Kind::Char: return "char";
    case Kind::SparseDouble: return "sparse";
    case Kind::ComplexDouble: return "complex";
    case Kind::Alias: return "alias";
    case Kind::Part: return "part";
    case Kind::UInt32: return "uint32";
    }
    return "?";
}

}  // namespace

Arrays build(const Case& c)
{
    Arrays out;
    // The pool the parts share: as long as the furthest part reaches, its
    // parts' values written in input order.
    uint64_t poolSize = 0;
    for (const Input& a : c.inputs)
        if (a.kind == Kind::Part)
            poolSize = std::max(poolSize, a.offset % kPartOffsets + a.rows() * a.cols());
    const mxArray* pool = nullptr;
    if (poolSize > 0) {
        out.owned.push_back(testhost::dense(1, poolSize));
        pool = out.owned.back().get();
        for (const Input& a : c.inputs)
            if (a.kind == Kind::Part)
                for (uint64_t i = 0; i < a.rows() * a.cols(); ++i)
                    mxGetPr(pool)[a.offset % kPartOffsets + i] = a.element(i);
    }
    for (const Input& a : c.inputs) {
        if (a.kind == Kind::Alias) {
            out.handles.push_back(out.handles.at(a.aliasOf));
            continue;
        }
        if (a.kind == Kind::Part) {
            out.owned.push_back(testhost::view(pool, a.offset % kPartOffsets, a.rows(), a.cols()));
            out.handles.push_back(out.owned.back().get());
            continue;
        }
        const uint64_t m = a.rows(), n = a.cols();
        out.owned.push_back(a.kind == Kind::SparseDouble ? buildSparse(a, m, n)
                                                         : buildDense(a, m, n));
        out.handles.push_back(out.owned.back().get());
    }
    return out;
}

int pluginIndex(const std::string& name)
{
    for (size_t i = 0; i < kPlugins.size(); ++i)
        if (name == kPlugins[i])
            return int(i);
    return -1;
}

Plugins loadPlugins(std::vector<std::string>& missing)
{
    Plugins p;
    for (size_t i = 0; i < kPlugins.size(); ++i) {
        const std::string path = testhost::pluginPath(kPlugins[i]);
        if (!std::ifstream(path).good()) {
            missing.push_back(kPlugins[i]);
            continue;
        }
        try {
            p.byIndex[i] = std::make_unique<testhost::Plugin>(path);
        } catch (const std::exception&) {
            missing.push_back(kPlugins[i]);
        }
    }
    return p;
}

Outcome runCase(const Case& c, const testhost::Plugin& plugin)
{
    Arrays arrays = build(c);
    std::vector<testhost::Array> before;
    for (const mxArray* h : arrays.handles)
        before.push_back(testhost::copy(h));
    const testhost::Call call = plugin.call(c.nlhs, arrays.handles);
    Outcome o;
    o.broken = checkCall(kPlugins[c.plugin], c.nlhs, arrays.handles, before, call);
    o.failed = call.failed;
    o.id = call.id;
    o.message = call.message;
    if (!call.outputs.empty() && call.outputs[0])
        o.output = std::to_string(mxGetM(call.out())) + "x" + std::to_string(mxGetN(call.out()));
    return o;
}

std::string describe(const Case& c)
{
    std::ostringstream s;
    s << kPlugins[c.plugin] << " with nlhs " << c.nlhs << " and " << c.inputs.size()
      << " inputs:";
    for (size_t i = 0; i < c.inputs.size(); ++i) {
        const Input& a = c.inputs[i];
        s << "\n  " << i + 1 << ": " << kindName(a.kind);
        if (a.kind == Kind::Alias) {
            s << " of input " << a.aliasOf + 1;
            continue;
        }
        s << " " << a.rows() << "x" << a.cols();
        if (a.kind == Kind::SparseDouble)
            s << " +" << a.slack % 4 << " slots";
        if (a.kind == Kind::Part)
            s << " at offset " << a.offset % kPartOffsets << " of the pool";
        s << " [";
        for (size_t k = 0; k < a.values.size(); ++k)
            s << (k ? " " : "") << a.values[k];
        s << "]";
    }
    return s.str();
}

}  // namespace fuzzcase
