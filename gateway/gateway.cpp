// What every gateway shares, whatever the host.
#include "gateway.h"

namespace gw {

tbx::Exec Call::exec()
{
    const tbx::PathChoice& path = tbx::kernelPath();
    if (!path.problem.empty())
        fail(chk::fail("badEnvironment", "%s", path.problem.c_str()));
    tbx::Exec ex;
    ex.path = path.path;
    return ex;
}

}  // namespace gw
