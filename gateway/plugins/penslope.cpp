// G = penslope (X, D, Lb, Ub, w, t): the gradient of penval with respect to X.
#include "checks/checks.h"
#include "distgeom/kernels.h"
#include "gateway.h"

namespace {
// The kernel's diagnostics, each a fixed text, go to the host's print
// operation as they stand.
void hostPrint(void* call, const char* text, int64_t times)
{
    for (int64_t i = 0; i < times; ++i)
        static_cast<gw::Call*>(call)->print(text);
}
}  // namespace

TOOLBOX_GATEWAY(penslope)
{
    distgeom::Penalty p;
    call.check(chk::penalty(call.args(), "Usage: G = penslope (X, D, Lb, Ub, w, t)", p));
    const tbx::Exec ex = call.exec();
    double* G = call.output(p.X.d, p.X.n, gw::Fill::zeros);
    distgeom::penslopeKernel(p, G, distgeom::PrintSink{hostPrint, &call}, ex);
}
