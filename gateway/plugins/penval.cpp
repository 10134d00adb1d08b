// f = penval (X, D, Lb, Ub, w, t): the penalty value of a point configuration.
#include "checks/checks.h"
#include "distgeom/kernels.h"
#include "gateway.h"

TOOLBOX_GATEWAY(penval)
{
    const tbx::Exec ex = call.exec();
    distgeom::Penalty p;
    call.check(chk::penalty(call.args(), "Usage: f = penval (X, D, Lb, Ub, w, t)", p, ex));
    double* f = call.output(1, 1, gw::Fill::zeros);
    distgeom::penvalKernel(p, f, ex);
}
