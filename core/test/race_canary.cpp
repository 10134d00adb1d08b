// Built for the ThreadSanitizer run alone, where it must fail: two threads
// of a team add to one variable with nothing to order them. A run that did
// not report this race would make its silence on the kernels worth nothing.
#include "threads.h"

int main()
{
    int shared = 0;
    tbx::parallel(2, [&](int t, int) { shared = shared + t + 1; });
    return shared > 0 ? 0 : 1;
}
