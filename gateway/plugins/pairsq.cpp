// Q = pairsq (X): the squared distances between all points of X.
#include "checks/checks.h"
#include "distmatrix/kernels.h"
#include "gateway.h"

TOOLBOX_GATEWAY(pairsq)
{
    const tbx::Exec ex = call.exec();
    distgeom::Points X;
    call.check(chk::pairsq(call.args(), X));
    // The kernel writes every element of Q.
    double* Q = call.output(X.n, X.n, gw::Fill::none);
    distmatrix::pairsqKernel(X.X, X.d, X.n, Q, ex);
}
