// The one gateway of linkdev, ceilgap and floorgap: X and a table in, one
// entry per row out, zero where the row is not violated.
#pragma once

#include "checks/checks.h"
#include "distgeom/kernels.h"
#include "gateway.h"

namespace gw {

using ReportKernel = void (*)(const distgeom::Points&, const distgeom::Table&, double*,
                              const tbx::Exec&);

inline void report(Call& call, const char* usage, const char* table, ReportKernel kernel)
{
    const tbx::Exec ex = call.exec();
    distgeom::Points X;
    distgeom::Table T;
    call.check(chk::report(call.args(), usage, table, X, T, ex));
    double* e = call.output(T.m, 1, Fill::zeros);
    kernel(X, T, e, ex);
}

}  // namespace gw
