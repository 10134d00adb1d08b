function nzfill (S, v, L)
%NZFILL overwrite the stored values of a sparse matrix in place
%   nzfill (S, v, L)
%
%   Copies v(1:n), n = fix (L), into the first n stored values of S, in
%   S's storage order (column by column, rows ascending within a column),
%   bit for bit. The pattern of S stays as it is: a value set to 0 stays
%   stored. Returns nothing.
%
%   IN PLACE: nzfill writes into the storage of S itself. Every variable that
%   shares that storage sees the change: after T = S, nzfill (S, v, L)
%   changes T as well, and so does a matrix held by the caller of the
%   function that calls nzfill. Call it on a matrix no other variable
%   shares: build S in the same function, or make a private copy first:
%     S = S * 1;          % a separate sparse copy (S + 0 would make it full)
%     nzfill (S, v, L);
%   A matrix written as a literal in a script or function ([1 2 3]) shares
%   its storage with the code itself: nzfill would change the literal for
%   every later run of that code. Build such an S with a computation
%   ([1 2 3] + 0, zeros (...), sparse (...)).
%
%   In Octave's native form (the toolbox's oct-files) nzfill refuses, with
%   nothing written, an S whose storage is not its own to write: a part of
%   another matrix (A(:,2) shares A's storage), a matrix that shares its
%   storage with another value, a range (1:5), a diagonal or permutation
%   matrix, and the full copy such a matrix or the result of find keeps of
%   itself (F = full (D) is that copy: writing F would change what D shows);
%   and what Octave remembers of S (the type a solver found in it,
%   an index made from it) is forgotten, so that later operations see the
%   new values. Through the MEX interface (the .mex form, and MATLAB)
%   nzfill sees S's data pointer alone and can tell none of this: the write
%   lands wherever that storage is, or, for a range or a diagonal matrix,
%   in a temporary copy that is then lost.
%
%   In MATLAB: MathWorks documents a MEX function's inputs as read-only, and
%   MATLAB, like Octave, shares one array between variables (T = S), between
%   a caller's variable and the function it is passed to, with a constant
%   written in code, and with a reshape of it (S(:), reshape (S, ...)).
%   nzfill writes into all of them, and refuses none. The write reaches S
%   alone when S is a variable the calling function made by a computation
%   (S = sparse (I, J, x, m, n), S = S * 1, zeros (m, n)), has not assigned
%   to another variable, field or cell, nor captured in a function handle,
%   since, and hands over by its name: nzfill (S, v, L). When S arrived as
%   an argument, the caller's variable changes too (make S = S * 1 first to
%   keep it as it was). An expression as S (nzfill (S(:, 1:2), v, L),
%   nzfill (S', v, L)) is written into a temporary array that is then lost,
%   without an error.
%
%   Inputs:
%     S  real double array, sparse (its stored values are replaced) or full
%        (its first n elements in column-major order are replaced).
%     v  real, full double array of at least n values, read column-major.
%     L  count, truncated toward zero: 2.9 copies 2 values, any L between
%        -1 and 1 (exclusive) copies none.
%   With v from OBSPROD at the positions of S's stored entries, nzfill
%   turns S into the sampled matrix without rebuilding it.
%
%   S and v may be parts of one array that overlap: the values are copied
%   as if all of v were read before S is written.
%
%   Errors, S unchanged in every case (identifier nzfill:<reason>):
%     notEnoughInputs, tooManyInputs, tooManyOutputs
%                     not three inputs, or an output requested: the message
%                     is "Usage:  SetSpv ( S, v, L )".
%     notRealDouble   S not a real double array, or v or L not a real, full
%                     one (a sparse v is refused: its stored values are not
%                     its elements).
%     notWritable     (native form) S's storage is not its own to write
%                     (see above).
%     badCount        L empty, NaN, or -1 or less.
%     countTooLarge   fix (L) above the values S stores (its stored entries
%                     if sparse, numel if full) or numel (v).
%     tooLarge        v a value Octave keeps in a form of its own (a range)
%                     whose first fix (L) values cannot be formed as an
%                     array (only those are formed).
%
%   Example:
%     S = sparse ([1 1 2], [1 2 2], [1 2 3]);   % stored values 1 2 3
%     nzfill (S, [7 0 9], 3);
%     full (S)      % [7 0; 0 9]; S keeps its 3 stored entries
%
%   See also OBSPROD, NZFILL_BLAS.
error ('nzfill:notBuilt', 'nzfill: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared variants
%! variants = {@nzfill};
%! if (exist ('nzfill_blas') == 3)
%!   variants{end+1} = @nzfill_blas;   % the BLAS variant shares these tests
%! end

% The worked example: the pattern stays, a value set to 0 stays stored.
%!test
%! for f = variants
%!   S = sparse ([1 1 2], [1 2 2], [1 2 3]);
%!   f{1} (S, [7 0 9], 3);
%!   assert (full (S), [7 0; 0 9]);
%!   [i, j] = find (S);
%!   assert ([i j], [1 1; 1 2; 2 2]);
%! end

% Bit for bit, signed zeros included; only the first fix (L) values; a full
% S takes them in column-major order.
%!test
%! for f = variants
%!   S = sparse ([1 2 3], [1 2 3], [1 2 3]);
%!   f{1} (S, [-0 0.1 5], 2.9);
%!   [~, ~, s] = find (S);
%!   assert (signbit (s(1)) && s(2) == 0.1 && s(3) == 3);
%!   F = zeros (2, 2);
%!   f{1} (F, [1 2 3], 3);
%!   assert (F, [1 3; 2 0]);
%! end

% A range has no storage of its own: the native form refuses it; through
% MEX the write would go to a temporary copy.
%!test
%! for f = variants
%!   name = func2str (f{1});
%!   if (strcmp (which (name)(end-3:end), '.oct'))
%!     try
%!       f{1} (1:5, [9 9], 2);
%!       error ('the range was written');
%!     catch err
%!       assert (err.identifier, [name ':notWritable']);
%!     end
%!   end
%! end

% One of its errors (the error table, plugins.errors, tries every one).
%!error <Usage:  SetSpv> nzfill (sparse (1), 1)
