// What every gateway shares, whatever the host.
#include "gateway.h"

#include "threads.h"

namespace gw {

tbx::Exec Call::exec()
{
    const tbx::PathChoice& path = tbx::kernelPath();
    if (!path.problem.empty())
        fail(chk::fail("badEnvironment", "%s", path.problem.c_str()));
    const tbx::ThreadChoice threads = tbx::threadCount();
    if (!threads.problem.empty())
        fail(chk::fail("badEnvironment", "%s", threads.problem.c_str()));
    tbx::Exec ex;
    ex.path = path.path;
    ex.threads = threads.threads;
    return ex;
}

}  // namespace gw
