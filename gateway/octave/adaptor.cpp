// The native form of every plug-in for Octave (an oct-file): Octave calls
// G<name> to install the function, then the function with its arguments as
// octave_values. Inputs are read where Octave keeps them, the output is
// created as Octave's own array (zero-filled only where the kernel adds into
// it) and handed back without a copy, and errors and printed text are the
// MEX form's, word for word.
#include <octave/oct.h>
#include <octave/ov-re-mat.h>
#include <octave/ov-re-sparse.h>
#include <octave/ov-scalar.h>

#include <string>
#include <vector>

#include "gateway.h"
#include "internals.h"

// The plug-in's help text, made from its help file when it is built.
extern const char* const toolboxHelpText;

namespace gw::oct {
namespace {


class OctCall final : public Call {
public:
    OctCall(const octave_value_list& args, int nargout) : args_in_(args)
    {
        const int nargin = args.length();
        for (int i = 0; i < nargin && i < chk::kMaxInputs; ++i)
            in_[i] = describe(args(i));
        args_.plugin = plugin.name;
        args_.nargin = nargin;
        args_.nargout = nargout;
        args_.in = in_;
        args_.fetch = &OctCall::fetch;
        args_.whyNotWritable = &OctCall::whyNotWritable;
        args_.fetchUint32 = &OctCall::fetchUint32;
        args_.host = this;
    }

    // The output, once the kernel has written it: the value shares the
    // array's storage, without a copy (a 1-by-1 result becomes a scalar).
    octave_value_list result() const
    {
        if (!made_)
            return octave_value_list();
        return octave_value_list(1, octave_value(out_));
    }

    double* output(int64_t rows, int64_t cols, Fill fill) override
    {
        out_ = NDArray(dim_vector(rows, cols));
        if (fill == Fill::zeros)
            out_.fill(0.0);
        made_ = true;
        // The array is its storage's only user: no copy is made here.
        return out_.fortran_vec();
    }

    double* inPlace(int i) override
    {
        const octave_base_value& rep = args_in_(i).get_rep();
        if (auto* m = dynamic_cast<const octave_matrix*>(&rep))
            // matrix_ref forgets what Octave knows of the values (the matrix
            // type, an index made from them), which the write makes stale.
            return const_cast<double*>(const_cast<octave_matrix*>(m)->matrix_ref().data());
        if (auto* s = dynamic_cast<const octave_scalar*>(&rep))
            return &const_cast<octave_scalar*>(s)->scalar_ref();
        if (auto* s = dynamic_cast<const octave_sparse_matrix*>(&rep))
            return const_cast<SparseMatrix&>(sparseOf(*s)).xdata();
        fail(chk::fail("notWritable", "input %d cannot be written in place", i + 1));
    }

    void written(int i) override
    {
        // A sparse value keeps the matrix type a solver found in it.
        if (args_in_(i).issparse())
            args_in_(i).matrix_type(MatrixType());
    }

    void print(const char* text) override { octave_stdout << text; }

    [[noreturn]] void fail(const chk::Failure& f) override
    {
        // Worded as Octave words a MEX error: the function's name first.
        const std::string id = std::string(plugin.name) + ":" + f.reason;
        error_with_id(id.c_str(), "%s: %s", plugin.name, f.message.c_str());
    }

private:
    static chk::Arg describe(const octave_value& v)
    {
        chk::Arg a;
        a.isDouble = v.is_double_type();
        a.complex = v.iscomplex();
        a.sparse = v.issparse();
        const dim_vector dims = v.dims();
        a.ndims = dims.ndims();
        a.rows = dims(0);
        a.cols = 1;
        for (int k = 1; k < dims.ndims(); ++k)
            a.cols *= dims(k);
        a.stored = a.sparse ? static_cast<int64_t>(v.nnz()) : a.numel();
        a.isUint32 = v.is_uint32_type();
        return a;
    }

    // The values are formed only as far as a check reads them: a range's
    // first four from 1:1e9 are four doubles (internals.h).
    static const double* fetch(void* host, int i, int64_t count)
    {
        auto* self = static_cast<OctCall*>(host);
        return firstValues(self->args_in_(i), count, self->formed_);
    }

    // What another value would see of a write into input i's storage.
    static const char* whyNotWritable(void* host, int i)
    {
        const octave_value& v = static_cast<OctCall*>(host)->args_in_(i);
        const octave_base_value& rep = v.get_rep();
        if (auto* m = dynamic_cast<const octave_matrix*>(&rep)) {
            if (const_cast<NDArray&>(m->matrix_ref()).is_shared())
                return "its storage is shared with another array (a part of a matrix, or a "
                       "matrix reshaped or converted without a copy)";
        } else if (auto* s = dynamic_cast<const octave_sparse_matrix*>(&rep)) {
            if (sparseStorageUsers(sparseOf(*s)) > 1)
                return "its storage is shared with another sparse matrix";
            return nullptr;
        } else if (dynamic_cast<const octave_scalar*>(&rep) == nullptr) {
            // A range, a diagonal or permutation matrix, a lazy index: Octave
            // holds no array of these values; one is formed when asked for.
            return "Octave keeps it in a form of its own (a range, a diagonal or permutation "
                   "matrix), not as an array of its values";
        }
        if (keptAsDenseCopy(rep))
            return "it is the full copy that a diagonal matrix, a permutation matrix or the "
                   "result of find keeps of itself (full (D) gives that copy)";
        return nullptr;
    }

    // A uint32 array shares its values with the input (a uint32 scalar is
    // formed as an array of its own).
    static const uint32_t* fetchUint32(void* host, int i)
    {
        auto* self = static_cast<OctCall*>(host);
        self->formed32_.push_back(self->args_in_(i).uint32_array_value());
        return reinterpret_cast<const uint32_t*>(self->formed32_.back().data());
    }

    const octave_value_list& args_in_;
    chk::Arg in_[chk::kMaxInputs];
    std::vector<NDArray> formed_;  // values formed for inputs Octave keeps in other forms
    std::vector<uint32NDArray> formed32_;
    NDArray out_;
    bool made_ = false;
};

octave_value_list entry(const octave_value_list& args, int nargout)
{
    OctCall call(args, nargout);
    plugin.gateway(call);
    return call.result();
}

}  // namespace

void* install(const void* library, bool relative)
{
    octave_dld_function* f = octave_dld_function::create(
        entry, *static_cast<const octave::dynamic_library*>(library), plugin.name,
        toolboxHelpText);
    if (relative)
        f->mark_relative();
    return f;
}

}  // namespace gw::oct
