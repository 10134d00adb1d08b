// The contract check on made-up calls: each way a plug-in can misbehave is
// caught, and the documented behaviour passes.
#include <gtest/gtest.h>

#include <limits>

#include "contract.h"

using testhost::Array;
using testhost::Call;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Inputs {
    std::vector<Array> arrays;
    std::vector<Array> before;
    std::vector<const mxArray*> handles;

    void add(Array a)
    {
        handles.push_back(a.get());
        before.push_back(testhost::copy(a.get()));
        arrays.push_back(std::move(a));
    }
};

Inputs penaltyInputs()
{
    Inputs in;
    in.add(testhost::dense(2, 3));
    for (int i = 0; i < 3; ++i)
        in.add(testhost::dense(0, 0));
    in.add(testhost::dense(1, 4));
    in.add(testhost::dense(1, 4));
    return in;
}

Call failure(const std::string& id, const std::string& message)
{
    Call c;
    c.failed = true;
    c.id = id;
    c.message = message;
    c.outputs.emplace_back();
    return c;
}

Call success(Array out, int slots = 1)
{
    Call c;
    c.created = out ? 1 : 0;
    c.outputs.push_back(std::move(out));
    for (int i = 1; i < slots; ++i)
        c.outputs.emplace_back();
    return c;
}

std::string check(const std::string& plugin, const Inputs& in, const Call& c, int nlhs = 1)
{
    return fuzzcase::checkCall(plugin, nlhs, in.handles, in.before, c);
}

}  // namespace

TEST(Contract, FailureMustLeaveNothingBehind)
{
    const Inputs in = penaltyInputs();
    EXPECT_EQ("", check("penval", in, failure("penval:pointOutside", "row 1")));
    EXPECT_EQ("", check("penval", in, failure("testhost:outOfMemory", "Out of memory")));

    Call created = failure("penval:x", "m");
    created.created = 1;
    EXPECT_NE("", check("penval", in, created));
    Call wrote = failure("penval:x", "m");
    wrote.inputsChanged = true;
    EXPECT_NE("", check("penval", in, wrote));
    Call printed = failure("penval:x", "m");
    printed.printed = "hello";
    EXPECT_NE("", check("penval", in, printed));
}

TEST(Contract, ErrorsCarryTheirPluginsIdentifier)
{
    const Inputs in = penaltyInputs();
    EXPECT_NE("", check("penval", in, failure("penslope:pointOutside", "m")));
    EXPECT_NE("", check("penval", in, failure("penval:", "m")));
    EXPECT_NE("", check("penval", in, failure("penval:bad reason", "m")));
    EXPECT_NE("", check("penval", in, failure("", "anything")));
    EXPECT_NE("", check("penval", in, failure("penval:empty", "")));

    Inputs one;
    one.add(testhost::ofClass(testhost::Class::Single, 2, 2));
    EXPECT_EQ("", check("pairsq", one, failure("pairsq:notDouble", "Input of inproper type")));
    EXPECT_NE("", check("pairsq", one, failure("", "Input of inproper type")));
    // A documented message must be exactly the documented one.
    EXPECT_NE("", check("pairsq", one, failure("pairsq:notRealDouble", "X must be double")));
    EXPECT_NE("", check("pairsq", one, failure("pairsq:notDouble", "Input of improper type")));
}

TEST(Contract, DocumentedErrorsMustNotSucceed)
{
    Inputs four;
    for (int i = 0; i < 4; ++i)
        four.add(testhost::dense(1, 1));
    EXPECT_EQ("", check("obsprod", four,
                        failure("obsprod:notEnoughInputs", "Usage: v = obsprod (Xt, Y, I, J, L)")));
    EXPECT_NE("", check("obsprod", four, failure("obsprod:rankTooLarge", "rank must be r <= min(m,n)")));
    EXPECT_NE("", check("obsprod_blas", four, success(testhost::dense(1, 1))));

    // Y with 3 rows against Xt with 2: rejected, whatever the message.
    Inputs rows;
    rows.add(testhost::dense(2, 4));
    rows.add(testhost::dense(3, 4));
    rows.add(testhost::dense(1, 1, {1}));
    rows.add(testhost::dense(1, 1, {1}));
    rows.add(testhost::scalar(1));
    EXPECT_NE("", check("obsprod", rows, success(testhost::dense(1, 1))));
    EXPECT_EQ("", check("obsprod", rows,
                        failure("obsprod:rowsDiffer", "rows of Xt must be equal to rows of Y")));
    EXPECT_EQ("", check("obsprod", rows, failure("obsprod:notRealDouble", "I")));

    Inputs three;
    for (int i = 0; i < 3; ++i)
        three.add(testhost::dense(1, 1));
    EXPECT_NE("", check("nzfill", three, success(Array()), 1));
    EXPECT_EQ("", check("nzfill", three, failure("nzfill:tooManyOutputs", "Usage:  SetSpv ( S, v, L )"), 1));
    EXPECT_NE("", check("nzfill", three, failure("nzfill:tooManyOutputs", "Usage: SetSpv ( S, v, L )"), 1));
    EXPECT_NE("", check("nzfill", three, failure("", "Usage:  SetSpv ( S, v, L )"), 1));
}

TEST(Contract, SuccessNeedsTheDocumentedShape)
{
    const Inputs in = penaltyInputs();
    EXPECT_EQ("", check("penval", in, success(testhost::dense(1, 1))));
    EXPECT_NE("", check("penval", in, success(testhost::dense(2, 1))));
    EXPECT_NE("", check("penval", in, success(Array())));
    EXPECT_NE("", check("penval", in, success(testhost::complexDense(1, 1))));
    EXPECT_EQ("", check("penslope", in, success(testhost::dense(2, 3))));
    EXPECT_NE("", check("penslope", in, success(testhost::dense(3, 2))));

    Call extra = success(testhost::dense(1, 1), 2);
    extra.outputs[1] = testhost::dense(1, 1);
    EXPECT_NE("", check("penval", in, extra, 2));
    Call wrote = success(testhost::dense(1, 1));
    wrote.inputsChanged = true;
    EXPECT_NE("", check("penval", in, wrote));
    Call stray = success(testhost::dense(1, 1));
    stray.strayOutput = true;
    EXPECT_NE("", check("penval", in, stray));

    Inputs report;
    report.add(testhost::dense(2, 2));
    report.add(testhost::dense(5, 3));
    EXPECT_EQ("", check("ceilgap", report, success(testhost::dense(5, 1))));
    EXPECT_NE("", check("ceilgap", report, success(testhost::dense(1, 5))));
}

TEST(Contract, SuccessOnAnInputOfTheWrongClassIsASilentWrongAnswer)
{
    Inputs in = penaltyInputs();
    in.handles[4] = in.arrays[0].get();  // w replaced by X: fine, a double
    EXPECT_EQ("", check("penval", in, success(testhost::dense(1, 1))));
    Array single = testhost::ofClass(testhost::Class::Single, 1, 4);
    in.handles[5] = single.get();
    in.before[5] = testhost::copy(single.get());
    EXPECT_NE("", check("penval", in, success(testhost::dense(1, 1))));

    Inputs sparseX;
    sparseX.add(testhost::sparse(2, 2, {0}, {0, 1, 1}, {1.0}));
    EXPECT_NE("", check("pairsq", sparseX, success(testhost::dense(2, 2))));
}

TEST(Contract, PenslopeMayPrintItsDiagnosticsAloneAndOthersNothing)
{
    const Inputs in = penaltyInputs();
    Call c = success(testhost::dense(2, 3));
    c.printed = "Error! Unkonw Lower bound!\nError! Unkonw Upper bound!\nError! Unkonw Lower bound!\n";
    EXPECT_EQ("", check("penslope", in, c));
    EXPECT_NE("", check("penval", in, c));
    c.printed += "Error! Unkonw";
    EXPECT_NE("", check("penslope", in, c));
}

TEST(Contract, PairsqMustBeExactlySymmetric)
{
    Inputs in;
    in.add(testhost::dense(1, 2, {0, 3}));
    EXPECT_EQ("", check("pairsq", in, success(testhost::dense(2, 2, {0, 9, 9, 0}))));
    EXPECT_EQ("", check("pairsq", in, success(testhost::dense(2, 2, {kNaN, 9, 9, kNaN}))));
    EXPECT_NE("", check("pairsq", in, success(testhost::dense(2, 2, {0, 9, 9.000000000000002, 0}))));
    EXPECT_NE("", check("pairsq", in, success(testhost::dense(3, 3))));
}

TEST(Contract, ObsprodReturnsTruncatedCountColumns)
{
    auto inputs = [](double L) {
        Inputs in;
        in.add(testhost::dense(1, 2, {1, 2}));
        in.add(testhost::dense(1, 2, {1, 2}));
        in.add(testhost::dense(1, 3, {1, 2, 2}));
        in.add(testhost::dense(1, 3, {1, 2, 2}));
        in.add(testhost::scalar(L));
        return in;
    };
    EXPECT_EQ("", check("obsprod", inputs(2.9), success(testhost::dense(1, 2))));
    EXPECT_NE("", check("obsprod", inputs(2.9), success(testhost::dense(1, 3))));
    EXPECT_EQ("", check("obsprod", inputs(kNaN), success(testhost::dense(1, 0))));
    EXPECT_EQ("", check("obsprod", inputs(-7), success(testhost::dense(1, 0))));
    EXPECT_EQ("", check("obsprod", inputs(2), success(testhost::dense(1, 2)), 0));
    // More positions than I holds cannot have been computed.
    EXPECT_NE("", check("obsprod", inputs(4), success(testhost::dense(1, 4))));
}

namespace {

// nzfill's inputs: a 2-by-2 sparse S with 3 stored values and a spare slot,
// v = [7 8 9 10], and L.
Inputs nzfillInputs(double L)
{
    Inputs in;
    in.add(testhost::sparse(2, 2, {0, 1, 1}, {0, 2, 3}, {1, 2, 3}, 4));
    in.add(testhost::dense(1, 4, {7, 8, 9, 10}));
    in.add(testhost::scalar(L));
    return in;
}

Call nzfillSuccess()
{
    Call c;
    c.outputs.emplace_back();
    return c;
}

}  // namespace

TEST(Contract, NzfillChangesTheFirstStoredValuesAlone)
{
    Inputs in = nzfillInputs(2.9);
    EXPECT_NE("", check("nzfill", in, nzfillSuccess(), 0));  // nothing written yet
    mxGetPr(in.handles[0])[0] = 7;
    mxGetPr(in.handles[0])[1] = 8;
    EXPECT_EQ("", check("nzfill", in, nzfillSuccess(), 0));
    mxGetPr(in.handles[0])[3] = 9;  // the spare slot, past the stored values
    EXPECT_NE("", check("nzfill", in, nzfillSuccess(), 0));

    Inputs zero = nzfillInputs(-0.5);
    EXPECT_EQ("", check("nzfill_blas", zero, nzfillSuccess(), 0));
    Call created = nzfillSuccess();
    created.created = 1;
    EXPECT_NE("", check("nzfill_blas", zero, created, 0));
    mxGetPr(zero.handles[1])[0] = 0;  // v written
    EXPECT_NE("", check("nzfill_blas", zero, nzfillSuccess(), 0));
}

TEST(Contract, NzfillMustRejectCountsBeyondTheStorage)
{
    for (double L : {4.0, 1e300, kNaN, -1.0}) {
        Inputs in = nzfillInputs(L);
        EXPECT_NE("", check("nzfill", in, nzfillSuccess(), 0)) << L;
        EXPECT_EQ("", check("nzfill", in, failure("nzfill:badCount", "count"), 0)) << L;
    }
}

TEST(Contract, OneOutputAtMostWhereAPlugInReturnsOne)
{
    const Inputs in = penaltyInputs();
    for (const char* p : {"penval", "penslope"}) {
        EXPECT_NE("", check(p, in, success(testhost::dense(1, 1), 2), 2)) << p;
        EXPECT_EQ("", check(p, in, failure(std::string(p) + ":tooManyOutputs", "2 outputs"), 2)) << p;
    }
    Inputs X;
    X.add(testhost::dense(2, 2));
    EXPECT_NE("", check("pairsq", X, success(testhost::dense(2, 2), 3), 3));
}

TEST(Contract, PenslopePrintsAHundredLinesAndCountsTheRest)
{
    const Inputs in = penaltyInputs();
    std::string lines;
    for (int k = 0; k < 100; ++k)
        lines += k % 3 ? "Error! Unkonw Upper bound!\n" : "Error! Unkonw Lower bound!\n";
    Call c = success(testhost::dense(2, 3));
    c.printed = lines + "penslope: 12 more lines like these not printed\n";
    EXPECT_EQ("", check("penslope", in, c));
    c.printed = lines + "Error! Unkonw Lower bound!\n";  // a 101st line
    EXPECT_NE("", check("penslope", in, c));
    c.printed = lines + "penslope: many more lines like these not printed\n";
    EXPECT_NE("", check("penslope", in, c));
    c.printed = "penslope: 3 more lines like these not printed\n";  // before 100 lines
    EXPECT_NE("", check("penslope", in, c));
}

TEST(Contract, NzfillOverlappingPartsActAsIfVWereReadFirst)
{
    // S is the pool's doubles 3 .. 8 and v its doubles 1 .. 6: after
    // nzfill (S, v, 6) S holds v as it was, [1 2 3 4 5 6], and v (which
    // shares S's storage from its third double on) holds [1 2 1 2 3 4].
    Array pool = testhost::dense(1, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    Inputs in;
    in.add(testhost::view(pool.get(), 3, 1, 6));
    in.add(testhost::view(pool.get(), 1, 1, 6));
    in.add(testhost::scalar(6));
    double* p = mxGetPr(pool.get());
    const double right[] = {0, 1, 2, 1, 2, 3, 4, 5, 6, 9};
    const double smeared[] = {0, 1, 2, 1, 2, 1, 2, 1, 2, 9};  // a forward loop's
    std::copy(std::begin(smeared), std::end(smeared), p);
    EXPECT_NE("", check("nzfill", in, nzfillSuccess(), 0));
    std::copy(std::begin(right), std::end(right), p);
    EXPECT_EQ("", check("nzfill", in, nzfillSuccess(), 0));
    p[0] = -1;  // outside both: untouched, but no part of an input either
    EXPECT_EQ("", check("nzfill", in, nzfillSuccess(), 0));
    p[2] = -1;  // v's own double, not S's
    EXPECT_NE("", check("nzfill", in, nzfillSuccess(), 0));
}
