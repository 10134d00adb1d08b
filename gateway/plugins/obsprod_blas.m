function v = obsprod_blas (Xt, Y, I, J, L)
%OBSPROD_BLAS products of two factors at sampled positions, through the BLAS
%   v = obsprod_blas (Xt, Y, I, J, L)
%
%   The same call, output and checks as OBSPROD, with each dot product
%   computed by the BLAS routine ddot of the BLAS the host uses. The BLAS
%   chooses its own order of summation, so v can differ from OBSPROD's in
%   the last bits.
%
%   Inputs (real, full double arrays): Xt r-by-m, Y r-by-n, I and J the row
%   and column numbers (first L elements used), L the number of positions.
%
%   Output: v, 1-by-L, v(k) = (Xt.' * Y)(I(k), J(k)).
%
%   Errors (identifier obsprod_blas:<reason>), as for OBSPROD, with its
%   messages: first notEnoughInputs, tooManyInputs, tooManyOutputs ("Usage:
%   v = obsprod (Xt, Y, I, J, L)"), rowsDiffer ("rows of Xt must be equal to
%   rows of Y"), rankTooLarge ("rank must be r <= min(m,n)"); then
%   notRealDouble, notMatrix (Xt or Y with more than two dimensions),
%   badCount (L empty), indexTooShort (I or J with fewer than L elements),
%   columnOutside (an index naming no whole column of its factor), tooLarge
%   (an input too large to form as an array).
%
%   Example:
%     v = obsprod_blas ([1 2; 3 4], [5 6 7; 8 9 10], [1 2], [3 1], 2)   % [37 42]
%
%   See also OBSPROD, NZFILL_BLAS.
error ('obsprod_blas:notBuilt', 'obsprod_blas: the compiled plug-in is missing; build the toolbox first (see README)');
end

% The worked example. (The self-tests of OBSPROD run on obsprod_blas too.)
%!assert (obsprod_blas ([1 2; 3 4], [5 6 7; 8 9 10], [1 2], [3 1], 2), [37 42])

% Summed from 0 term by term in row order (as OBSPROD sums): 2^53, then + 1
% (rounds back to 2^53), then - 1, giving 2^53 - 1; a BLAS that sums the
% ones first gives 2^53. Either is a correctly rounded sum in some order.
%!assert (any (obsprod_blas ([2^53 0 0; 1 0 0; 1 0 0], [1 0 0; 1 0 0; -1 0 0], 1, 1, 1) == [2^53 - 1, 2^53]))
