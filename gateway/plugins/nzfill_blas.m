function nzfill_blas (S, v, L)
%NZFILL_BLAS overwrite the stored values of a sparse matrix in place, through the BLAS
%   nzfill_blas (S, v, L)
%
%   The same call, effect and checks as NZFILL, with the copy done by the
%   BLAS routine dcopy of the BLAS the host uses. Copies v(1:n), n = fix (L),
%   into the first n stored values of S; the pattern of S stays as it is.
%
%   IN PLACE: nzfill_blas writes into the storage of S itself, and every
%   variable sharing that storage sees the change. Call it on a matrix no
%   other variable shares: build S in the same function, or first make a
%   private copy with S = S * 1 (S + 0 would make it full). What each host
%   form can see of S's storage, and refuses, and what is safe in MATLAB, is
%   as for NZFILL; S and v that overlap are copied as if v were read first.
%
%   Inputs: S real double (sparse or full), v real full double with at least
%   n values, L the count (any L between -1 and 1 exclusive copies nothing).
%
%   Output: none; the values stored in S change in place.
%
%   Errors, S unchanged in every case (identifier nzfill_blas:<reason>), as
%   for NZFILL: notEnoughInputs, tooManyInputs, tooManyOutputs (not three
%   inputs, or an output requested: "Usage:  SetSpv ( S, v, L )"),
%   notRealDouble, notWritable (native form: S's storage not its own to
%   write), badCount (L empty, NaN, or -1 or less), countTooLarge (fix (L)
%   above the stored values of S or numel (v)), tooLarge (v's first values
%   too many to form).
%
%   Example:
%     S = sparse ([1 1 2], [1 2 2], [1 2 3]);
%     nzfill_blas (S, [7 0 9], 3);
%     full (S)      % [7 0; 0 9]; S keeps its 3 stored entries
%
%   See also NZFILL, OBSPROD_BLAS.
error ('nzfill_blas:notBuilt', 'nzfill_blas: the compiled plug-in is missing; build the toolbox first (see README)');
end

% The worked example: the pattern stays, a value set to 0 stays stored.
% (The self-tests of NZFILL run on nzfill_blas too.)
%!test
%! S = sparse ([1 1 2], [1 2 2], [1 2 3]);
%! nzfill_blas (S, [7 0 9], 3);
%! assert (full (S), [7 0; 0 9]);
%! [i, j] = find (S);
%! assert ([i j], [1 1; 1 2; 2 2]);
