// e = floorgap (X, Lb): by how much each row of a lower-bound table falls short.
#include "report.h"

TOOLBOX_GATEWAY(floorgap)
{
    gw::report(call, "Usage: e = floorgap (X, Lb)", "Lb", distgeom::floorgapKernel);
}
