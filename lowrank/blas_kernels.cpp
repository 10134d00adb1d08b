// obsprod_blas and nzfill_blas: the kernels with the inner loop handed to
// the host's BLAS, one ddot_ per product, dcopy_ for the copy.
#include "blas.h"

namespace lowrank {

void obsprodBlasKernel(DotRoutine dot, const Factors& f, const Samples& s, double* v,
                       const tbx::Exec& ex, int64_t limit)
{
    (void)ex;
    for (int64_t k = 0; k < s.L; ++k) {
        const double* x = f.Xt;
        const double* y = f.Y;
        if (f.r > 0) {
            x += tbx::columnOffset(s.I[k], f.r);
            y += tbx::columnOffset(s.J[k], f.r);
        }
        v[k] = dotInChunks(dot, f.r, x, y, limit);
    }
}

void nzfillBlasKernel(CopyRoutine copy, double* dst, const double* src, int64_t n,
                      const tbx::Exec& ex, int64_t limit)
{
    (void)ex;
    copyInChunks(copy, n, src, dst, limit);
}

}  // namespace lowrank
