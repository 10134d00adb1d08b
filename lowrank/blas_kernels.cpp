// obsprod_blas and nzfill_blas: the kernels with the inner loop handed to
// the host's BLAS, one ddot_ per product, dcopy_ for the copy.
#include "blas.h"

#include <cstring>

#include "threads.h"

namespace lowrank {

namespace {
// Fewer BLAS calls (obsprod_blas) or values (nzfill_blas) than these a
// thread are not worth asking for one; a team claims them in pieces of at
// most kProductPiece products or kValuePiece values.
constexpr int64_t kMinProductsPerThread = 2048;
constexpr int64_t kMinValuesPerThread = 32768;
constexpr int64_t kProductPiece = 2048;
constexpr int64_t kValuePiece = 32768;
}  // namespace

// Each piece's ddot_ calls are made by the thread that claimed it, each call
// as it is made on one thread.
void obsprodBlasKernel(DotRoutine dot, const Factors& f, const Samples& s, double* v,
                       const tbx::Exec& ex, int64_t limit)
{
    tbx::ranges(tbx::threadsFor(ex, s.L, kMinProductsPerThread), s.L, 1, kProductPiece,
                [&](int64_t k0, int64_t k1) {
        for (int64_t k = k0; k < k1; ++k) {
            const double* x = f.Xt;
            const double* y = f.Y;
            if (f.r > 0) {
                x += tbx::columnOffset(s.I[k], f.r);
                y += tbx::columnOffset(s.J[k], f.r);
            }
            v[k] = dotInChunks(dot, f.r, x, y, limit);
        }
    });
}

// Where src and dst overlap (two parts of one array), one dcopy_ would
// read values it has already overwritten. The copy then goes in pieces no
// longer than the distance between the two, each piece disjoint from what
// it reads, in the order that reads every value before it is overwritten:
// from the end when dst lies after src, from the start otherwise. The result
// is the same as if all of src were read first.
void nzfillBlasKernel(CopyRoutine copy, double* dst, const double* src, int64_t n,
                      const tbx::Exec& ex, int64_t limit)
{
    const uintptr_t d = reinterpret_cast<uintptr_t>(dst), s = reinterpret_cast<uintptr_t>(src);
    const uintptr_t bytes = static_cast<uintptr_t>(n > 0 ? n : 0) * sizeof(double);
    const bool overlap = n > 0 && d != s && !(d + bytes <= s || s + bytes <= d);
    if (!overlap) {
        // Each piece of the values goes to dcopy_ from the thread that
        // claimed it. (n <= 0: one call, which copies nothing.)
        const int threads = n > 0 ? tbx::threadsFor(ex, n, kMinValuesPerThread) : 1;
        tbx::ranges(threads, n > 0 ? n : 0, 512, kValuePiece, [&](int64_t i0, int64_t i1) {
            copyInChunks(copy, i1 - i0, src + i0, dst + i0, limit);
        });
        return;
    }
    const uintptr_t apart = d > s ? d - s : s - d;
    if (apart % sizeof(double) != 0) {  // not two parts of one array of doubles
        std::memmove(dst, src, bytes);
        return;
    }
    const int64_t step = static_cast<int64_t>(apart / sizeof(double));
    if (d > s) {
        for (int64_t end = n; end > 0;) {
            const int64_t len = end < step ? end : step;
            end -= len;
            copyInChunks(copy, len, src + end, dst + end, limit);
        }
    } else {
        for (int64_t start = 0; start < n; start += step) {
            const int64_t len = n - start < step ? n - start : step;
            copyInChunks(copy, len, src + start, dst + start, limit);
        }
    }
}

}  // namespace lowrank
