// G = penslope (X, D, Lb, Ub, w, t): the gradient of penval with respect to X.
#include <cstdio>

#include "checks/checks.h"
#include "distgeom/kernels.h"
#include "gateway.h"

namespace {

// The kernel's diagnostics go to the host's print operation as they stand,
// in their order, up to kMaxLines lines; the lines past them are counted,
// and one line at the end says how many there were.
class Diagnostics {
public:
    static constexpr int64_t kMaxLines = 100;

    explicit Diagnostics(gw::Call& call) : call_(call) {}

    distgeom::PrintSink sink() { return distgeom::PrintSink{print, this}; }

    void finish()
    {
        if (suppressed_ == 0)
            return;
        char line[128];
        std::snprintf(line, sizeof line, "penslope: %lld more lines like these not printed\n",
                      static_cast<long long>(suppressed_));
        call_.print(line);
    }

private:
    static void print(void* self, const char* text, int64_t times)
    {
        auto* d = static_cast<Diagnostics*>(self);
        for (; times > 0 && d->printed_ < kMaxLines; --times, ++d->printed_)
            d->call_.print(text);
        d->suppressed_ += times;
    }

    gw::Call& call_;
    int64_t printed_ = 0;
    int64_t suppressed_ = 0;
};

}  // namespace

TOOLBOX_GATEWAY(penslope)
{
    const tbx::Exec ex = call.exec();
    distgeom::Penalty p;
    call.check(chk::penalty(call.args(), "Usage: G = penslope (X, D, Lb, Ub, w, t)", p, ex));
    double* G = call.output(p.X.d, p.X.n, gw::Fill::zeros);
    Diagnostics lines(call);
    distgeom::penslopeKernel(p, G, lines.sink(), ex);
    lines.finish();
}
