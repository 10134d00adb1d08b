// The MEX form of every plug-in: MATLAB, Octave's mex and the test host call
// mexFunction, which hands the call to the plug-in's gateway through this
// adaptor.
//
// Built for Octave's mex (TOOLBOX_OCTAVE_MEX), it reads an input that Octave
// keeps in a form of its own (a range, a diagonal matrix) as Octave's native
// form does, its first values alone, where mxGetPr would form all of them.
#include <cstdlib>
#include <string>
#include <vector>

#include "gateway.h"
#include "mex.h"
#if defined(TOOLBOX_OCTAVE_MEX)
#include <memory>

#include "octave_inputs.h"
#endif

namespace gw::mex {
namespace {

chk::Arg describe(const mxArray* a)
{
    chk::Arg v;
    v.isDouble = mxIsDouble(a);
    v.complex = mxIsComplex(a);
    v.sparse = mxIsSparse(a);
    v.ndims = static_cast<int>(mxGetNumberOfDimensions(a));
    v.rows = static_cast<int64_t>(mxGetM(a));
    v.cols = static_cast<int64_t>(mxGetN(a));
    v.stored = v.sparse ? static_cast<int64_t>(mxGetJc(a)[mxGetN(a)]) : v.numel();
    // A uint32 array's values are where mxGetData points; every other class
    // but double is described by its kind alone.
    v.isUint32 = mxIsUint32(a);
    if (v.isUint32)
        v.u32 = static_cast<const uint32_t*>(mxGetData(a));
    return v;
}

class MexCall final : public Call {
public:
    MexCall(const char* name, int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
        : plhs_(plhs), prhs_(prhs)
    {
        for (int i = 0; i < nrhs && i < chk::kMaxInputs; ++i)
            in_[i] = describe(prhs[i]);
        args_.plugin = name;
        args_.nargin = nrhs;
        args_.nargout = nlhs;
        args_.in = in_;
        args_.fetch = &MexCall::fetch;
        args_.host = this;
    }

    double* output(int64_t rows, int64_t cols, Fill fill) override
    {
        const auto m = static_cast<mwSize>(rows), n = static_cast<mwSize>(cols);
        plhs_[0] = fill == Fill::zeros ? mxCreateDoubleMatrix(m, n, mxREAL)
                                       : mxCreateUninitNumericMatrix(m, n, mxDOUBLE_CLASS, mxREAL);
        return mxGetPr(plhs_[0]);
    }

    // Through the MEX interface a plug-in sees the data pointer of S and no
    // more: whatever shares that storage sees the write.
    double* inPlace(int i) override { return mxGetPr(prhs_[i]); }

    void print(const char* text) override { mexPrintf("%s", text); }

    [[noreturn]] void fail(const chk::Failure& f) override
    {
        const std::string id = std::string(args_.plugin) + ":" + f.reason;
        // The message is an argument, never the format: a '%' in it is
        // printed as it stands.
        mexErrMsgIdAndTxt(id.c_str(), "%s", f.message.c_str());
        std::abort();  // the host's error operation does not return
    }

private:
    // The values of input i, when a check first reads them.
    static const double* fetch(void* host, int i, int64_t count)
    {
        auto* self = static_cast<MexCall*>(host);
#if defined(TOOLBOX_OCTAVE_MEX)
        return octaveFirstValues(self->prhs_[i], count, self->formed_);
#else
        (void)count;
        return mxGetPr(self->prhs_[i]);
#endif
    }

    mxArray** plhs_;
    const mxArray** prhs_;
    chk::Arg in_[chk::kMaxInputs];
#if defined(TOOLBOX_OCTAVE_MEX)
    std::vector<std::shared_ptr<void>> formed_;  // values formed for inputs Octave keeps in other forms
#endif
};

}  // namespace
}  // namespace gw::mex

// The one symbol a MEX file exports (the version script hides every other).
TOOLBOX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    gw::mex::MexCall call(gw::plugin.name, nlhs, plhs, nrhs, prhs);
    gw::plugin.gateway(call);
}
