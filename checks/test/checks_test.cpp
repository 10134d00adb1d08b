// The argument checks without a host: calls described by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "checks.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::vector<tbx::Path> paths()
{
    std::vector<tbx::Path> all{tbx::Path::plain};
    if (tbx::processorHasAvx2())
        all.push_back(tbx::Path::avx2);
    return all;
}

// A real full double input of the given shape over `values`.
chk::Arg dense(const std::vector<double>& values, int64_t rows, int64_t cols)
{
    chk::Arg a;
    a.isDouble = true;
    a.rows = rows;
    a.cols = cols;
    a.stored = rows * cols;
    a.data = values.data();
    return a;
}

}  // namespace

TEST(Indices, TheFirstIndexNamingNoWholeColumnIsFoundWhereverItIs)
{
    // For every kind of bad index, at every position of a long list (inside
    // and after the groups of four): the index reported is the first bad
    // one; fractional indices whose column stays inside pass.
    const double bad[] = {kNaN, kInf, -kInf, 0.0, -1.0, 0.5, 5.5, 6.0, 1e300, -1e300,
                          4294967297.0, 9.3e18, -9.3e18};
    const double good[] = {1.0, 2.0, 5.0, 4.9, 2.5, 1.0000001, 0.9, 0.67};
    for (tbx::Path path : paths())
        for (int64_t height : {1, 3}) {
            const int64_t columns = 5, count = 70;
            for (double b : bad)
                for (int at : {0, 3, 4, 5, 31, 64, 66, 69}) {
                    std::vector<double> x(count);
                    for (int k = 0; k < count; ++k)
                        x[k] = good[k % std::size(good)];
                    x[at] = b;
                    if (at + 7 < count)
                        x[at + 7] = b;  // a later bad one does not matter
                    int64_t expected = -1;
                    for (int k = 0; k < count && expected < 0; ++k)
                        if (!tbx::columnInside(tbx::columnOffset(x[k], height), height, columns))
                            expected = k;
                    ASSERT_EQ(expected, chk::firstOutside(x.data(), count, height, columns, path))
                        << "value " << b << " at " << at << ", height " << height << ", "
                        << tbx::pathName(path);
                }
            const std::vector<double> x(count, 2.0);
            EXPECT_EQ(-1, chk::firstOutside(x.data(), count, height, columns, path));
            EXPECT_EQ(0, chk::firstOutside(x.data(), count, height, 0, path));  // no columns
            EXPECT_EQ(-1, chk::firstOutside(x.data(), count, 0, 0, path));      // nothing read
        }
}

TEST(Indices, ColumnsOfTwoAcceptWholeColumnsOnly)
{
    // Columns of 2 doubles, 3 columns: offsets 0 .. 4 are whole columns.
    const std::vector<double> good = {1, 3, 2.5, 3.4, 0.9};
    for (tbx::Path path : paths()) {
        EXPECT_EQ(-1, chk::firstOutside(good.data(), 5, 2, 3, path));
        for (double b : {kNaN, kInf, -kInf, 0.0, -1.0, 0.4, 3.5, 4.0, 1e300}) {
            const std::vector<double> idx = {1, 2, b, 1, 1};
            EXPECT_EQ(2, chk::firstOutside(idx.data(), 5, 2, 3, path)) << b;
            EXPECT_EQ(-1, chk::firstOutside(idx.data(), 2, 2, 3, path)) << b;
        }
    }
}

TEST(Tables, TheRowReportedIsTheFirstWithEitherPointOutside)
{
    // Row 5 names a bad point j, row 9 a bad point i: row 5 is reported.
    const int64_t m = 12;
    std::vector<double> T(m * 3, 1.0), X(2 * 3, 0.0);
    T[m + 4] = 4;  // point j of row 5; X has 3 points
    T[8] = kNaN;   // point i of row 9
    chk::Arg in[2] = {dense(X, 2, 3), dense(T, m, 3)};
    chk::Args a;
    a.plugin = "linkdev";
    a.nargin = 2;
    a.nargout = 1;
    a.in = in;
    distgeom::Points P;
    distgeom::Table table;
    const chk::Outcome o = chk::report(a, "usage", "D", P, table, tbx::Exec{});
    ASSERT_TRUE(o.has_value());
    EXPECT_EQ("pointOutside", o->reason);
    EXPECT_EQ("row 5 of D names a point outside X (point numbers run from 1 to 3)", o->message);
    // Without coordinates nothing is read, and no point number is refused.
    in[0] = dense(X, 0, 3);
    EXPECT_FALSE(chk::report(a, "usage", "D", P, table, tbx::Exec{}).has_value());
}

// An adaptor may leave an input's values to be formed when a check reads
// them, and then only as many as it reads (Octave keeps a range as its
// ends): the host here records how many of each input were asked for, and
// refuses to form more than `limit` of any.
struct Host {
    std::vector<std::vector<double>> arrays;
    std::vector<int64_t> asked;
    int64_t limit = INT64_MAX;

    static const double* fetch(void* h, int i, int64_t count)
    {
        auto* self = static_cast<Host*>(h);
        self->asked[i] = count;
        return count > self->limit ? nullptr : self->arrays[i].data();
    }
};

chk::Args call(Host& host, chk::Arg* in, const char* plugin, int nargin, int nargout = 1)
{
    chk::Args a;
    a.plugin = plugin;
    a.nargin = nargin;
    a.nargout = nargout;
    a.in = in;
    a.host = &host;
    a.fetch = &Host::fetch;
    host.asked.assign(nargin, -1);
    for (int i = 0; i < nargin; ++i)
        in[i].data = nullptr;
    return a;
}

TEST(Values, FormedOnlyAsFarAsACheckReadsThem)
{
    // A call refused on the class of its first input asks for nothing.
    Host host;
    host.arrays = {{0, 0, 3, 4}, {1, 2, 5}};
    chk::Arg in[6] = {dense(host.arrays[0], 2, 2), dense(host.arrays[1], 1, 3)};
    chk::Args a = call(host, in, "ceilgap", 2);
    distgeom::Points P;
    distgeom::Table table;
    in[0].complex = true;
    EXPECT_EQ("notRealDouble", chk::report(a, "usage", "Ub", P, table, tbx::Exec{})->reason);
    EXPECT_EQ((std::vector<int64_t>{-1, -1}), host.asked);
    in[0].complex = false;
    EXPECT_FALSE(chk::report(a, "usage", "Ub", P, table, tbx::Exec{}).has_value());
    EXPECT_EQ((std::vector<int64_t>{4, 3}), host.asked);
    EXPECT_EQ(host.arrays[0].data(), P.X);
    EXPECT_EQ(host.arrays[1].data(), table.T);

    // Four weights of long arrays: four values asked for.
    std::vector<double> many(1000, 1.0), none;
    host.arrays = {{0, 0, 3, 4}, none, none, none, many, many};
    in[0] = dense(host.arrays[0], 2, 2);
    for (int i = 1; i < 4; ++i)
        in[i] = dense(none, 0, 0);
    in[4] = in[5] = dense(many, 1, 1000);
    a = call(host, in, "penval", 6);
    distgeom::Penalty p;
    EXPECT_FALSE(chk::penalty(a, "usage", p, tbx::Exec{}).has_value());
    EXPECT_EQ(4, host.asked[4]);
    EXPECT_EQ(4, host.asked[5]);

    // obsprod: the factors whole, of I and J the first L, of L one.
    auto products = [&](double L) {
        host.arrays = {{1, 2, 3, 4}, {1, 2, 3, 4}, many, many, {L}};
        in[0] = dense(host.arrays[0], 2, 2);
        in[1] = dense(host.arrays[1], 2, 2);
        in[2] = in[3] = dense(many, 1000, 1);
        in[4] = dense(host.arrays[4], 1, 1);
        return call(host, in, "obsprod", 5);
    };
    a = products(3.9);
    lowrank::Factors f;
    lowrank::Samples s;
    EXPECT_FALSE(chk::obsprod(a, f, s, tbx::Exec{}).has_value());
    EXPECT_EQ((std::vector<int64_t>{4, 4, 3, 3, 1}), host.asked);

    // nzfill: of v the first n; S is written, not read.
    host.arrays = {many, many, {7}};
    in[0] = in[1] = dense(many, 1, 1000);
    in[2] = dense(host.arrays[2], 1, 1);
    a = call(host, in, "nzfill", 3, 0);
    chk::Copy c;
    EXPECT_FALSE(chk::nzfill(a, c).has_value());
    EXPECT_EQ((std::vector<int64_t>{-1, 7, 1}), host.asked);

    // Values the host cannot form: refused, naming the input.
    host.limit = 5;
    a = products(30);
    const chk::Outcome o = chk::obsprod(a, f, s, tbx::Exec{});
    ASSERT_TRUE(o.has_value());
    EXPECT_EQ("tooLarge", o->reason);
    EXPECT_EQ("I: its 30 values cannot be formed as an array of doubles (not enough memory)",
              o->message);
}

TEST(Indices, TheFirstColumnNumberOutsideIsFoundInEveryChunk)
{
    // Column numbers of a uint32 grouping: 0 and n + 1 (and the largest
    // uint32, which wraps to a large value less one) at every position
    // around the chunks of 1024 that are scanned for their largest first.
    const int64_t n = 7;
    std::vector<uint32_t> col(3000);
    for (size_t s = 0; s < col.size(); ++s)
        col[s] = static_cast<uint32_t>(1 + s % n);
    EXPECT_EQ(-1, chk::firstColumnOutside(col.data(), 3000, n));
    EXPECT_EQ(-1, chk::firstColumnOutside(col.data(), 0, 0));
    EXPECT_EQ(0, chk::firstColumnOutside(col.data(), 3000, 0));  // no column at all
    for (uint32_t bad : {0u, 8u, 4294967295u})
        for (int64_t at : {0, 1, 1023, 1024, 1025, 2047, 2999}) {
            std::vector<uint32_t> c = col;
            c[static_cast<size_t>(at)] = bad;
            if (at + 5 < 3000)
                c[static_cast<size_t>(at + 5)] = bad;  // a later one is not reported
            EXPECT_EQ(at, chk::firstColumnOutside(c.data(), 3000, n)) << bad << " at " << at;
            EXPECT_EQ(-1, chk::firstColumnOutside(c.data(), at, n)) << bad << " at " << at;
        }
    // With 2^32 columns or more every nonzero uint32 names one; 0 still
    // names none (it wraps to 2^32 - 1, a column that then exists).
    for (int64_t wide : {int64_t(4294967295), int64_t(1) << 32, int64_t(1) << 40}) {
        std::vector<uint32_t> c = {1, 4294967295u, 0, 5};
        EXPECT_EQ(2, chk::firstColumnOutside(c.data(), 4, wide)) << wide;
    }
}
