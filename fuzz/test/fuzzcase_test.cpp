// The case format: every byte string decodes, encoding round-trips, shapes
// stay within bounds, and the arrays built from a case hold what it says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "fuzzcase.h"
#include "harness.h"

using fuzzcase::Case;
using fuzzcase::Input;
using fuzzcase::Kind;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Input input(Kind kind, uint64_t rows, uint64_t cols, std::vector<double> values = {})
{
    Input a;
    a.kind = kind;
    a.rowsIndex = fuzzcase::dimIndex(rows);
    a.colsIndex = fuzzcase::dimIndex(cols);
    a.values = std::move(values);
    return a;
}

Case decoded(const std::vector<uint8_t>& bytes)
{
    return fuzzcase::decode(bytes.data(), bytes.size());
}

}  // namespace

TEST(FuzzCase, EveryValueFormRoundTripsInItsShortestEncoding)
{
    struct Form {
        double value;
        size_t bytes;
    };
    const std::vector<Form> forms = {
        {-8, 1}, {0, 1}, {119, 1},        // integers
        {2.9, 1}, {-0.5, 1}, {-3.2, 1},   // tenths
        {kNaN, 1}, {-kInf, 1}, {-0.0, 1}, {2147483648.0, 1}, {0.01, 1},  // specials
        {120, 3}, {65535, 3},             // 16-bit integers
        {0.3333, 9}, {-1e-17, 9}, {65536, 9}};
    for (const Form& f : forms) {
        Case c;
        c.plugin = 6;
        c.nlhs = 1;
        c.inputs = {input(Kind::Double, 1, 1, {f.value})};
        const std::vector<uint8_t> bytes = fuzzcase::encode(c);
        EXPECT_EQ(3u + 4u + f.bytes, bytes.size()) << f.value;
        EXPECT_TRUE(decoded(bytes) == c) << f.value;
    }
}

TEST(FuzzCase, CasesOfEveryKindRoundTrip)
{
    // Every kind once, at most kMaxNrhs inputs a case.
    for (int first = 0; first < fuzzcase::kKinds; first += fuzzcase::kMaxNrhs) {
        Case c;
        c.plugin = 8;
        c.nlhs = 3;
        for (int k = first; k < fuzzcase::kKinds && k < first + fuzzcase::kMaxNrhs; ++k) {
            Input a = input(Kind(k), 2, 3, {1, kNaN, 7.5});
            if (a.kind == Kind::SparseDouble)
                a.slack = 3;
            if (a.kind == Kind::Part)
                a.offset = 17;
            if (a.kind == Kind::Alias) {
                a = Input();
                a.kind = Kind::Alias;
                a.aliasOf = 1;
            }
            c.inputs.push_back(a);
        }
        EXPECT_TRUE(decoded(fuzzcase::encode(c)) == c);
    }
}

TEST(FuzzCase, KindBytesKeepTheirMeaningAndNameUint32AtTheTop)
{
    // Bytes below kUInt32Byte name their kind modulo 9, as before uint32
    // arrays came; the committed findings hold such bytes (12, 15, 239).
    EXPECT_EQ(Kind::Logical, fuzzcase::kindOfByte(12));
    EXPECT_EQ(Kind::ComplexDouble, fuzzcase::kindOfByte(15));
    EXPECT_EQ(Kind::SparseDouble, fuzzcase::kindOfByte(239));
    EXPECT_EQ(Kind::Part, fuzzcase::kindOfByte(242));
    EXPECT_EQ(Kind::UInt32, fuzzcase::kindOfByte(243));
    EXPECT_EQ(Kind::UInt32, fuzzcase::kindOfByte(255));
}

TEST(FuzzCase, MissingBytesReadAsZero)
{
    const Case none = decoded({});
    EXPECT_EQ(0, none.plugin);
    EXPECT_EQ(0, none.nlhs);
    EXPECT_TRUE(none.inputs.empty());

    // Plug-in 19 modulo their number, nlhs 13 % 4, two inputs; the second
    // names nothing but its kind.
    const Case c = decoded({19, 13, 2, 4, 2, 3, 2, 1, 130, 5});
    EXPECT_EQ(19 % fuzzcase::kPlugins.size(), c.plugin);
    EXPECT_EQ(1, c.nlhs);
    ASSERT_EQ(2u, c.inputs.size());
    EXPECT_EQ(Kind::Char, c.inputs[0].kind);
    EXPECT_EQ(2u, c.inputs[0].rows());
    EXPECT_EQ(3u, c.inputs[0].cols());
    ASSERT_EQ(2u, c.inputs[0].values.size());
    EXPECT_EQ(-7.0, c.inputs[0].values[0]);
    EXPECT_EQ(-3.0, c.inputs[0].values[1]);
    EXPECT_EQ(Kind::SparseDouble, c.inputs[1].kind);
    EXPECT_EQ(0u, c.inputs[1].rows());
    EXPECT_TRUE(c.inputs[1].values.empty());
}

TEST(FuzzCase, AliasOfTheFirstInputIsAnEmptyDouble)
{
    const Case c = decoded({0, 1, 2, 7, 7, 5});
    ASSERT_EQ(2u, c.inputs.size());
    EXPECT_EQ(Kind::Double, c.inputs[0].kind);
    EXPECT_EQ(0u, c.inputs[0].rows());
    EXPECT_EQ(Kind::Alias, c.inputs[1].kind);
    EXPECT_EQ(0, c.inputs[1].aliasOf);
}

TEST(FuzzCase, HugeDimensionsOccurOnlyInEmptyArrays)
{
    const uint64_t two31 = uint64_t(1) << 31;
    EXPECT_EQ(0u, input(Kind::Double, two31, 1).rows());
    EXPECT_EQ(1u, input(Kind::Double, two31, 1).cols());
    EXPECT_EQ(0u, input(Kind::Double, 0, two31).rows());
    EXPECT_EQ(two31, input(Kind::Double, 0, two31).cols());
    EXPECT_EQ(1000u, input(Kind::Double, 1000, 32).rows());
    EXPECT_EQ(0u, input(Kind::Double, 1000, 50).rows());
    EXPECT_EQ(2048u, input(Kind::Double, 16, 2048).cols());
    EXPECT_EQ(0u, input(Kind::Double, 20, 2048).cols());
    // A sparse array keeps a column start per column: its columns stay few.
    EXPECT_EQ(0u, input(Kind::SparseDouble, 0, two31).cols());
    EXPECT_EQ(two31, input(Kind::SparseDouble, two31, 0).rows());
}

TEST(FuzzCase, AnyBytesDecodeToACanonicalCaseWithinBounds)
{
    std::mt19937 rng(7);
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<uint8_t> bytes(rng() % 200);
        for (uint8_t& b : bytes)
            b = uint8_t(rng());
        const Case c = decoded(bytes);
        ASSERT_LT(c.plugin, fuzzcase::kPlugins.size());
        ASSERT_LE(c.nlhs, fuzzcase::kMaxNlhs);
        ASSERT_LE(c.inputs.size(), size_t(fuzzcase::kMaxNrhs));
        for (size_t i = 0; i < c.inputs.size(); ++i) {
            const Input& a = c.inputs[i];
            if (a.kind == Kind::Alias) {
                ASSERT_LT(a.aliasOf, i);
                continue;
            }
            const uint64_t m = a.rows(), n = a.cols();
            ASSERT_TRUE(m == 0 || n <= fuzzcase::kMaxElements / m) << m << "x" << n;
            if (a.kind == Kind::SparseDouble) {
                ASSERT_LE(n, fuzzcase::kMaxElements);
            }
        }
        ASSERT_TRUE(decoded(fuzzcase::encode(c)) == c) << "trial " << trial;
    }
}

TEST(FuzzCaseArrays, NonDoubleClassesHoldTheValuesConverted)
{
    Case c;
    const std::vector<double> v = {2.7, -1e300, kNaN, 1e300, -2.7, 70000};
    for (Kind k : {Kind::Single, Kind::Int32, Kind::Logical, Kind::Char, Kind::UInt32})
        c.inputs.push_back(input(k, 1, 6, v));
    const fuzzcase::Arrays a = fuzzcase::build(c);
    ASSERT_EQ(5u, a.handles.size());

    uint32_t u[6];
    std::memcpy(u, mxGetData(a.handles[4]), sizeof u);
    EXPECT_EQ((std::vector<uint32_t>{2, 0, 0, 4294967295u, 0, 70000}), std::vector<uint32_t>(u, u + 6));

    float f[6];
    std::memcpy(f, mxGetPr(a.handles[0]), sizeof f);
    EXPECT_EQ(2.7f, f[0]);
    EXPECT_EQ(-INFINITY, f[1]);
    EXPECT_TRUE(std::isnan(f[2]));
    EXPECT_EQ(INFINITY, f[3]);

    int32_t i[6];
    std::memcpy(i, mxGetPr(a.handles[1]), sizeof i);
    EXPECT_EQ(2, i[0]);
    EXPECT_EQ(std::numeric_limits<int32_t>::min(), i[1]);
    EXPECT_EQ(0, i[2]);
    EXPECT_EQ(std::numeric_limits<int32_t>::max(), i[3]);
    EXPECT_EQ(-2, i[4]);

    const auto* l = reinterpret_cast<const unsigned char*>(mxGetPr(a.handles[2]));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1}), std::vector<int>(l, l + 6));

    uint16_t ch[6];
    std::memcpy(ch, mxGetPr(a.handles[3]), sizeof ch);
    EXPECT_EQ(2, ch[0]);
    EXPECT_EQ(0, ch[1]);
    EXPECT_EQ(0, ch[2]);
    EXPECT_EQ(65535, ch[5]);
    for (const mxArray* h : a.handles)
        EXPECT_FALSE(mxIsDouble(h));
}

TEST(FuzzCaseArrays, SparseStoresTheNonzeroValuesAndAliasesShareTheHandle)
{
    Case c;
    Input s = input(Kind::SparseDouble, 2, 3, {0, kNaN, -0.0, 4, 5});  // cycled over 6 elements
    s.slack = 2;
    c.inputs.push_back(s);
    Input alias;
    alias.kind = Kind::Alias;
    alias.aliasOf = 0;
    c.inputs.push_back(alias);
    c.inputs.push_back(input(Kind::ComplexDouble, 1, 2, {3}));

    const fuzzcase::Arrays a = fuzzcase::build(c);
    ASSERT_EQ(3u, a.handles.size());
    EXPECT_EQ(2u, a.owned.size());
    EXPECT_EQ(a.handles[0], a.handles[1]);

    const mxArray* S = a.handles[0];
    ASSERT_TRUE(mxIsSparse(S));
    // Elements 0, NaN, -0, 4, 5, 0: stored at 1, 3 and 4.
    const mwIndex* jc = mxGetJc(S);
    EXPECT_EQ((std::vector<mwIndex>{0, 1, 2, 3}), std::vector<mwIndex>(jc, jc + 4));
    const mwIndex* ir = mxGetIr(S);
    EXPECT_EQ((std::vector<mwIndex>{1, 1, 0}), std::vector<mwIndex>(ir, ir + 3));
    const std::vector<double> stored = testhost::values(S);
    ASSERT_EQ(3u, stored.size());
    EXPECT_TRUE(std::isnan(stored[0]));
    EXPECT_EQ(4.0, stored[1]);
    EXPECT_EQ(5.0, stored[2]);

    EXPECT_TRUE(mxIsComplex(a.handles[2]));
    EXPECT_EQ(3.0, mxGetPr(a.handles[2])[1]);
}

TEST(FuzzCaseArrays, PartsShareOnePoolAndOverlapWhereTheirOffsetsSay)
{
    // Parts at 3 (1-by-4) and 1 (1-by-4) of one pool of 7 doubles: the
    // second part's values overwrite the first's where they meet.
    Case c;
    Input a = input(Kind::Part, 1, 4, {1, 2, 3, 4});
    a.offset = 3;
    Input b = input(Kind::Part, 1, 4, {9});
    b.offset = 1 + fuzzcase::kPartOffsets;  // the offset is taken modulo 32
    c.inputs = {a, b};
    const fuzzcase::Arrays arrays = fuzzcase::build(c);
    ASSERT_EQ(2u, arrays.handles.size());
    EXPECT_EQ(mxGetPr(arrays.handles[0]), mxGetPr(arrays.handles[1]) + 2);
    EXPECT_EQ((std::vector<double>{9, 9, 3, 4}), testhost::values(arrays.handles[0]));
    EXPECT_EQ((std::vector<double>{9, 9, 9, 9}), testhost::values(arrays.handles[1]));
}
