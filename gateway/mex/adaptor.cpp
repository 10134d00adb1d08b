// The MEX form of every plug-in: MATLAB, Octave's mex and the test host call
// mexFunction, which hands the call to the plug-in's gateway through this
// adaptor.
#include <cstdlib>
#include <string>

#include "gateway.h"
#include "mex.h"

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
    if (v.isDouble)
        v.data = mxGetPr(a);
    // Every other class is described by its kind alone; a uint32 array's
    // values are read where a plug-in takes them.
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
        if (f.reason.empty()) {
            mexErrMsgTxt(f.message.c_str());
        } else {
            const std::string id = std::string(args_.plugin) + ":" + f.reason;
            // The message is an argument, never the format: a '%' in it is
            // printed as it stands.
            mexErrMsgIdAndTxt(id.c_str(), "%s", f.message.c_str());
        }
        std::abort();  // the host's error operation does not return
    }

private:
    mxArray** plhs_;
    const mxArray** prhs_;
    chk::Arg in_[chk::kMaxInputs];
};

}  // namespace
}  // namespace gw::mex

// The one symbol a MEX file exports (the version script hides every other).
TOOLBOX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[])
{
    gw::mex::MexCall call(gw::plugin.name, nlhs, plhs, nrhs, prhs);
    gw::plugin.gateway(call);
}
