// Built for the ThreadSanitizer run alone, where it must fail: two threads
// of a team add to one variable with nothing to order them. A run that did
// not report this race would make its silence on the kernels worth nothing.
#include <chrono>
#include <thread>

#include "threads.h"

int main()
{
    int shared = 0;
    // The calling thread waits a little before its write, so that the
    // helper has entered and written too.
    tbx::team(2, [&](int h) {
        if (h == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        shared = shared + h + 1;
    });
    return shared > 0 ? 0 : 1;
}
