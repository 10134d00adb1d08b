// nzfill (S, v, L): overwrites the first L stored values of S with v, in place.
#include "lowrank.h"

TOOLBOX_GATEWAY(nzfill)
{
    gw::fill(call, lowrank::nzfillKernel);
}
