// s = resstep (Gt, Ht, count, col, b, At, Bt): the six sums of the exact
// step of a fit along a direction, over samples grouped by row.
#include "checks/checks.h"
#include "gateway.h"

TOOLBOX_GATEWAY(resstep)
{
    chk::Pass p;
    call.check(chk::resstep(call.args(), p));
    const tbx::Exec ex = call.exec();
    double* sums = call.output(1, 6, gw::Fill::none);
    lowrank::resstepKernel(p.fit, p.samples, p.At, p.Bt, sums, ex);
}
