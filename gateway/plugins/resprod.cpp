// W = resprod (Gt, Ht, count, col, b, Vt): the residual of a fit at samples
// grouped by row, times a thin matrix, row by row.
#include "checks/checks.h"
#include "gateway.h"

TOOLBOX_GATEWAY(resprod)
{
    chk::Pass p;
    call.check(chk::resprod(call.args(), p));
    const tbx::Exec ex = call.exec();
    // The kernel writes every element of W.
    double* W = call.output(p.q, p.samples.m, gw::Fill::none);
    lowrank::resprodKernel(p.fit, p.samples, p.Vt, p.q, W, ex);
}
