// Every plug-in of the registry through the test host: its example gives its
// result, in the shape its output field says, and every row of the error
// table for its family fails as the table says (identifier and message,
// word for word), with nothing created, printed or written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry.h"
#include "testhost.h"

namespace {

// The host array of a literal input. Arrays of other classes, complex ones
// and those of more than two dimensions hold zeros: what is tested of them
// is their kind and shape.
testhost::Array build(const registry::Value& v)
{
    using registry::Kind;
    using testhost::Class;
    const uint64_t m = v.rows(), n = v.cols();
    switch (v.kind) {
    case Kind::Double:
        if (v.dims.size() > 2)
            return testhost::denseNd(std::vector<size_t>(v.dims.begin(), v.dims.end()));
        return testhost::dense(m, n, v.values);
    case Kind::Single:
        return testhost::ofClass(Class::Single, m, n);
    case Kind::Int32:
        return testhost::ofClass(Class::Int32, m, n);
    case Kind::UInt32: {
        // Its values, which the plug-ins that take uint32 arrays read.
        std::vector<uint32_t> u;
        for (double x : v.values)
            u.push_back(static_cast<uint32_t>(x));
        return testhost::uint32s(m, n, u);
    }
    case Kind::Logical:
        return testhost::ofClass(Class::Logical, m, n);
    case Kind::Char:
        return testhost::ofClass(Class::Char, m, n);
    case Kind::Complex:
        return testhost::complexDense(m, n);
    case Kind::Sparse: {
        std::vector<mwIndex> ir, jc{0};
        std::vector<double> pr;
        for (uint64_t j = 0; j < n; ++j) {
            for (uint64_t i = 0; i < m; ++i)
                if (v.values[i + j * m] != 0.0) {
                    ir.push_back(i);
                    pr.push_back(v.values[i + j * m]);
                }
            jc.push_back(ir.size());
        }
        return testhost::sparse(m, n, ir, jc, pr);
    }
    }
    return testhost::dense(0, 0);
}

struct Inputs {
    std::vector<testhost::Array> arrays;
    std::vector<const mxArray*> handles;
};

Inputs build(const std::vector<std::string>& texts)
{
    Inputs in;
    for (const std::string& t : texts) {
        in.arrays.push_back(build(registry::parseValue(t)));
        in.handles.push_back(in.arrays.back().get());
    }
    return in;
}

// Every element of a double array, column-major, zeros of a sparse one
// included.
std::vector<double> fullValues(const mxArray* a)
{
    const size_t m = mxGetM(a), n = mxGetN(a);
    if (!mxIsSparse(a))
        return testhost::values(a);
    std::vector<double> out(m * n, 0.0);
    const mwIndex *ir = mxGetIr(a), *jc = mxGetJc(a);
    const double* pr = mxGetPr(a);
    for (size_t j = 0; j < n; ++j)
        for (mwIndex k = jc[j]; k < jc[j + 1]; ++k)
            out[ir[k] + j * m] = pr[k];
    return out;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

class Registry : public ::testing::TestWithParam<std::string> {
protected:
    const registry::Plugin& plugin() const { return *registry::find(GetParam()); }
    const testhost::Plugin& host() const
    {
        static std::vector<std::unique_ptr<testhost::Plugin>> loaded(registry::plugins().size());
        for (size_t k = 0; k < registry::plugins().size(); ++k)
            if (registry::plugins()[k].name == GetParam()) {
                if (!loaded[k])
                    loaded[k] = std::make_unique<testhost::Plugin>(testhost::pluginPath(GetParam()));
                return *loaded[k];
            }
        throw std::logic_error("no plug-in " + GetParam());
    }
};

TEST_P(Registry, ExampleGivesItsResult)
{
    const registry::Plugin& p = plugin();
    const registry::CallText call = registry::parseCall(p.example);
    ASSERT_EQ(p.name, call.name) << p.example;
    Inputs in = build(call.inputs);
    const registry::Value result = registry::parseValue(p.result);
    const testhost::Call c = host().call(p.hasOutput() ? 1 : 0, in.handles);
    ASSERT_FALSE(c.failed) << c.id << ": " << c.message;
    EXPECT_FALSE(c.strayOutput);
    EXPECT_TRUE(c.printed.empty() || p.diagnostics) << c.printed;
    if (!p.hasOutput()) {
        EXPECT_EQ(0u, c.created);
        EXPECT_EQ(nullptr, c.out());
        EXPECT_TRUE(sameBits(result.values, fullValues(in.handles[0]))) << p.result;
        return;
    }
    ASSERT_EQ(1u, c.created);
    ASSERT_NE(nullptr, c.out());
    registry::InputFacts facts;
    facts.rows = [&](size_t k) { return uint64_t(mxGetM(in.handles.at(k))); };
    facts.cols = [&](size_t k) { return uint64_t(mxGetN(in.handles.at(k))); };
    facts.first = [&](size_t k) { return mxGetScalar(in.handles.at(k)); };
    uint64_t rows = 0, cols = 0;
    ASSERT_TRUE(registry::outputShape(p, facts, rows, cols));
    EXPECT_EQ(rows, mxGetM(c.out()));
    EXPECT_EQ(cols, mxGetN(c.out()));
    EXPECT_EQ(result.rows(), mxGetM(c.out()));
    EXPECT_TRUE(sameBits(result.values, fullValues(c.out()))) << p.result;
}

TEST_P(Registry, ErrorTableRows)
{
    int rows = 0;
    for (const registry::ErrorCase& e : registry::errorCases()) {
        if (e.plugin != GetParam())
            continue;
        ++rows;
        SCOPED_TRACE("plugins.errors:" + std::to_string(e.row));
        Inputs in = build(e.inputs);
        const testhost::Call c = host().call(e.nargout, in.handles);
        EXPECT_TRUE(c.failed);
        EXPECT_EQ(e.id, c.id);
        EXPECT_EQ(e.message, c.message);
        EXPECT_EQ(0u, c.created);
        EXPECT_TRUE(c.printed.empty()) << c.printed;
        EXPECT_FALSE(c.inputsChanged);
        EXPECT_FALSE(c.strayOutput);
    }
    EXPECT_GT(rows, 0) << "no row of plugins.errors for " << GetParam();
}

std::vector<std::string> names()
{
    std::vector<std::string> out;
    for (const registry::Plugin& p : registry::plugins())
        out.push_back(p.name);
    return out;
}

INSTANTIATE_TEST_SUITE_P(Plugins, Registry, ::testing::ValuesIn(names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
