// e = linkdev (X, D): the deviation of each distance-table row beyond the tolerance.
#include "report.h"

TOOLBOX_GATEWAY(linkdev)
{
    gw::report(call, "Usage: e = linkdev (X, D)", "D", distgeom::linkdevKernel);
}
