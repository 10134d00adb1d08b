// The gateways of obsprod and nzfill, shared with their BLAS variants, which
// differ only in the kernel they run.
#pragma once

#include "checks/checks.h"
#include "gateway.h"

namespace gw {

// v = obsprod (Xt, Y, I, J, L): kernel(f, s, v, exec) writes every product.
template <class Kernel>
void products(Call& call, Kernel kernel)
{
    const tbx::Exec ex = call.exec();
    lowrank::Factors f;
    lowrank::Samples s;
    call.check(chk::obsprod(call.args(), f, s, ex));
    kernel(f, s, call.output(1, s.L, Fill::none), ex);
}

// nzfill (S, v, L): kernel(S, v, n, exec) copies into S's own storage.
template <class Kernel>
void fill(Call& call, Kernel kernel)
{
    const tbx::Exec ex = call.exec();
    chk::Copy c;
    call.check(chk::nzfill(call.args(), c));
    kernel(call.inPlace(0), c.v, c.n, ex);
    call.written(0);
}

}  // namespace gw
