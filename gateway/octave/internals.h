// What the Octave forms read of Octave's own internals, beyond its published
// interface: the users of an array's storage, and the dense copies that
// Octave's diagonal, permutation and index values keep of themselves. All
// of it is here (internals.cpp), written against Octave 7; a later Octave
// that renames a member shows here alone.
//
// Also here, on the published interface: an input's first values read
// without forming the rest, for the inputs Octave keeps in a form of its
// own (a range keeps its ends, a diagonal matrix its diagonal).
#pragma once

#include <octave/oct.h>
#include <octave/ov-re-sparse.h>

#include <cstdint>
#include <vector>

namespace gw::oct {

// The sparse matrix an octave_sparse_matrix holds, without a copy, and the
// number of sparse matrices that share its storage.
const SparseMatrix& sparseOf(const octave_sparse_matrix& v);
octave_idx_type sparseStorageUsers(const SparseMatrix& s);

// True when `rep`, a value's representation, is also the dense copy that a
// diagonal matrix, a permutation matrix or a lazy index (the result of
// find) keeps of itself: such a value then shows whatever is written there,
// while its own diagonal, permutation or index stays as it was. The values
// looked at are those the interpreter can reach from every frame of the
// call stack and from the global variables, inside cells and structs of up
// to 1024 elements as well (a value hidden in a larger one, a function
// handle or an object is not seen).
bool keptAsDenseCopy(const octave_base_value& rep);

// The first `count` values of a real double value, as Octave would give
// them in its array of the value (array_value), but formed for those alone
// where Octave keeps the value in a form of its own; the array of a full
// matrix or a scalar is reached without a copy. Formed values are kept in
// `formed`. Null when the values cannot be formed (not enough memory).
const double* firstValues(const octave_value& v, int64_t count, std::vector<NDArray>& formed);

}  // namespace gw::oct
