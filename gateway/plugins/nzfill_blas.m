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
%   Errors, S unchanged in every case:
%     "Usage:  SetSpv ( S, v, L )" (no identifier): not three inputs, or an
%       output requested;
%   then (identifier nzfill_blas:<reason>): notRealDouble, notWritable
%   (native form: S's storage not its own to write), badCount (L empty,
%   NaN, or -1 or less), countTooLarge (fix (L) above the stored values of
%   S or numel (v)).
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
%!test
%! S = sparse ([1 1 2], [1 2 2], [1 2 3]);
%! nzfill_blas (S, [7 0 9], 3);
%! assert (full (S), [7 0; 0 9]);
%! [i, j] = find (S);
%! assert ([i j], [1 1; 1 2; 2 2]);

% Bit for bit, signed zeros included; only the first fix (L) values; a full
% S takes them in column-major order.
%!test
%! S = sparse ([1 2 3], [1 2 3], [1 2 3]);
%! nzfill_blas (S, [-0 0.1 5], 2.9);
%! [~, ~, s] = find (S);
%! assert (signbit (s(1)) && s(2) == 0.1 && s(3) == 3);
%! F = zeros (2, 2);
%! nzfill_blas (F, [1 2 3], 3);
%! assert (F, [1 3; 2 0]);

% A range has no storage of its own: the native form refuses it; through
% MEX the write would go to a temporary copy.
%!test
%! if (strcmp (which ('nzfill_blas')(end-3:end), '.oct'))
%!   try
%!     nzfill_blas (1:5, [9 9], 2);
%!     error ('the range was written');
%!   catch err
%!     assert (err.identifier, 'nzfill_blas:notWritable');
%!   end
%! end

%!error <Usage:  SetSpv> nzfill_blas (sparse (1), 1)
%!error <Usage:  SetSpv> a = nzfill_blas (sparse (1), 1, 1)
%!error id=nzfill_blas:notRealDouble nzfill_blas (single (1), 1, 1)
%!error id=nzfill_blas:notRealDouble nzfill_blas (sparse (1), sparse (1), 1)
%!error id=nzfill_blas:badCount nzfill_blas (sparse (1), 1, NaN)
%!error id=nzfill_blas:badCount nzfill_blas (sparse (1), 1, -1)
%!error id=nzfill_blas:countTooLarge nzfill_blas (sparse ([1 2], [1 2], [1 2]), [1 2 3], 3)
%!error id=nzfill_blas:countTooLarge nzfill_blas (sparse ([1 2], [1 2], [1 2]), 1, 2)
