// v = obsprod (Xt, Y, I, J, L): the products of two factors at sampled positions.
#include "lowrank.h"

TOOLBOX_GATEWAY(obsprod)
{
    gw::products(call, lowrank::obsprodKernel);
}
