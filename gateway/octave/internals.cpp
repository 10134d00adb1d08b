#include "internals.h"

#include <octave/interpreter.h>
#include <octave/ov-cell.h>
#include <octave/ov-lazy-idx.h>
#include <octave/ov-perm.h>
#include <octave/ov-re-diag.h>
#include <octave/ov-re-mat.h>
#include <octave/ov-scalar.h>
#include <octave/oct-map.h>
#include <octave/pt-eval.h>
#include <octave/stack-frame.h>
#include <octave/syminfo.h>

#include <new>

namespace gw::oct {
namespace {

// ---- Octave's members, reached by name (Octave 7) -------------------------
//
// Protected members are reached through a class derived for the purpose;
// private ones through a pointer to member formed in an explicit template
// instantiation, where C++ does not check access. Each names one member:
//   Sparse<double>::m_rep               the storage, with its count of users
//   octave_base_sparse<...>::matrix     the sparse matrix a value holds
//   octave_base_diag<...>::m_dense_cache   the dense copy of a diagonal matrix
//   octave_perm_matrix::m_dense_cache      the dense copy of a permutation matrix
//   octave_lazy_index::m_value             the array of a lazy index

struct SparseValue : octave_base_sparse<SparseMatrix> {
    static const SparseMatrix& of(const octave_sparse_matrix& v) { return v.*(&SparseValue::matrix); }
};
struct SparseStorage : SparseMatrix {
    static octave_idx_type users(const SparseMatrix& s)
    {
        return (s.*(&SparseStorage::m_rep))->m_count.value();
    }
};

template <class Tag, typename Tag::type Member>
struct Reach {
    friend typename Tag::type member(Tag) { return Member; }
};
struct DiagCache {
    using type = octave_value octave_base_diag<DiagMatrix, Matrix>::*;
    friend type member(DiagCache);
};
struct PermCache {
    using type = octave_value octave_perm_matrix::*;
    friend type member(PermCache);
};
struct LazyCache {
    using type = octave_value octave_lazy_index::*;
    friend type member(LazyCache);
};
template struct Reach<DiagCache, &octave_base_diag<DiagMatrix, Matrix>::m_dense_cache>;
template struct Reach<PermCache, &octave_perm_matrix::m_dense_cache>;
template struct Reach<LazyCache, &octave_lazy_index::m_value>;

// The dense copy a value keeps of itself, or null (none kept, or not a value
// that keeps one). Reading it forms nothing.
const octave_value* denseCopyOf(const octave_base_value& rep)
{
    if (auto* d = dynamic_cast<const octave_diag_matrix*>(&rep))
        return &(d->*member(DiagCache()));
    if (auto* p = dynamic_cast<const octave_perm_matrix*>(&rep))
        return &(p->*member(PermCache()));
    if (auto* l = dynamic_cast<const octave_lazy_index*>(&rep))
        return &(l->*member(LazyCache()));
    return nullptr;
}

// ---- The values the interpreter can reach ----------------------------------

class Search {
public:
    explicit Search(const octave_base_value& target) : target_(target) {}

    // True when `v`, or a value inside it, keeps the target as its dense copy.
    bool in(const octave_value& v, int depth = 0)
    {
        if (!v.is_defined() || ++visited_ > kMaxValues || depth > kMaxDepth)
            return false;
        if (const octave_value* copy = denseCopyOf(v.get_rep()))
            return copy->is_defined() && &copy->get_rep() == &target_;
        if (v.numel() > kMaxElements)
            return false;
        if (v.iscell()) {
            const Cell c = v.cell_value();
            for (octave_idx_type k = 0; k < c.numel(); ++k)
                if (in(c(k), depth + 1))
                    return true;
        } else if (v.isstruct()) {
            const octave_map m = v.map_value();
            for (auto f = m.begin(); f != m.end(); ++f) {
                const Cell c = m.contents(f);
                for (octave_idx_type k = 0; k < c.numel(); ++k)
                    if (in(c(k), depth + 1))
                        return true;
            }
        }
        return false;
    }

private:
    // Bounds on the search, which runs at every call of nzfill: containers
    // nested deeper, or holding more elements, are not looked into.
    static constexpr int kMaxDepth = 8;
    static constexpr octave_idx_type kMaxElements = 1024;
    static constexpr long kMaxValues = 100000;
    const octave_base_value& target_;
    long visited_ = 0;
};

}  // namespace

const SparseMatrix& sparseOf(const octave_sparse_matrix& v) { return SparseValue::of(v); }

octave_idx_type sparseStorageUsers(const SparseMatrix& s) { return SparseStorage::users(s); }

bool keptAsDenseCopy(const octave_base_value& rep)
{
    octave::interpreter* interp = octave::interpreter::the_interpreter();
    if (interp == nullptr)
        return false;
    octave::tree_evaluator& tw = interp->get_evaluator();
    Search search(rep);
    for (auto frame = tw.get_current_stack_frame(); frame; frame = frame->parent_link())
        for (const octave::symbol_info& s : frame->all_variables())
            if (search.in(s.value()))
                return true;
    // The interpreter's own accessors of the globals (Octave 7 and 9 alike;
    // the evaluator's call stack is not public from Octave 9 on).
    for (const std::string& name : interp->global_variable_names())
        if (search.in(interp->global_varval(name)))
            return true;
    return false;
}

const double* firstValues(const octave_value& v, int64_t count, std::vector<NDArray>& formed)
{
    const octave_base_value& rep = v.get_rep();
    if (auto* m = dynamic_cast<const octave_matrix*>(&rep))
        return m->matrix_ref().data();
    if (auto* s = dynamic_cast<const octave_scalar*>(&rep))
        return &s->scalar_ref();
    try {
        const int64_t n = count < v.numel() ? count : v.numel();
        if (n == v.numel()) {
            formed.push_back(v.array_value());
        } else {
            NDArray first(dim_vector(n, 1));
            double* out = first.fortran_vec();
            if (v.is_range()) {
                const octave::range<double> r = v.range_value();
                for (int64_t k = 0; k < n; ++k)
                    out[k] = r.elem(k);
            } else {
                for (int64_t k = 0; k < n; ++k)
                    out[k] = v.fast_elem_extract(k).double_value();
            }
            formed.push_back(first);
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return formed.back().data();
}

}  // namespace gw::oct
