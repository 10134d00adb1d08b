// e = ceilgap (X, Ub): by how much each row of an upper-bound table is exceeded.
#include "report.h"

TOOLBOX_GATEWAY(ceilgap)
{
    gw::report(call, "Usage: e = ceilgap (X, Ub)", "Ub", distgeom::ceilgapKernel);
}
