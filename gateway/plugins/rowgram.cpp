// N = rowgram (Ht, count, col): each row's normal matrix over its samples,
// packed.
#include "checks/checks.h"
#include "gateway.h"

TOOLBOX_GATEWAY(rowgram)
{
    chk::Pass p;
    call.check(chk::rowgram(call.args(), p));
    const tbx::Exec ex = call.exec();
    const int64_t k = p.fit.k;
    // The kernel writes every element of N.
    double* N = call.output(k * (k + 1) / 2, p.samples.m, gw::Fill::none);
    lowrank::rowgramKernel(p.fit.Ht, k, p.samples, N, ex);
}
