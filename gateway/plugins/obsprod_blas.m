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
%   Errors, first the fixed messages of OBSPROD (no identifier):
%     "Usage: v = obsprod (Xt, Y, I, J, L)", "rows of Xt must be equal to
%     rows of Y", "rank must be r <= min(m,n)";
%   then (identifier obsprod_blas:<reason>): notRealDouble, badCount (L
%   empty), indexTooShort (I or J with fewer than L elements),
%   columnOutside (an index naming no whole column of its factor).
%
%   Example:
%     v = obsprod_blas ([1 2; 3 4], [5 6 7; 8 9 10], [1 2], [3 1], 2)   % [37 42]
%
%   See also OBSPROD, NZFILL_BLAS.
error ('obsprod_blas:notBuilt', 'obsprod_blas: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared Xt, Y
%! Xt = [1 2; 3 4];
%! Y = [5 6 7; 8 9 10];

% The worked example: v(k) is column I(k) of Xt times column J(k) of Y.
%!assert (obsprod_blas (Xt, Y, [1 2], [3 1], 2), [37 42])
%!assert (obsprod_blas (Xt, Y, [1 2], [3 1], 1.9), 37)
%!assert (obsprod_blas (Xt, Y, [1 2], [3 1], 0), zeros (1, 0))
%!assert (obsprod_blas (zeros (0, 2), zeros (0, 3), [1 2], [3 1], 2), [0 0])

% Summed from 0 term by term in row order (as OBSPROD sums): 2^53, then + 1
% (rounds back to 2^53), then - 1, giving 2^53 - 1; a BLAS that sums the
% ones first gives 2^53. Either is a correctly rounded sum in some order.
%!assert (any (obsprod_blas ([2^53 0 0; 1 0 0; 1 0 0], [1 0 0; 1 0 0; -1 0 0], 1, 1, 1) == [2^53 - 1, 2^53]))

%!error <Usage: v = obsprod> obsprod_blas (Xt, Y, 1, 1)
%!error <Usage: v = obsprod> [a, b] = obsprod_blas (Xt, Y, 1, 1, 1)
%!error <rows of Xt must be equal to rows of Y> obsprod_blas (Xt, [Y; Y], 1, 1, 1)
%!error <rank must be r> obsprod_blas ([1 2 3; 4 5 6; 7 8 9], ones (3, 2), 1, 1, 1)
%!error id=obsprod_blas:notRealDouble obsprod_blas (Xt, Y, int32 (1), 1, 1)
%!error id=obsprod_blas:badCount obsprod_blas (Xt, Y, 1, 1, [])
%!error id=obsprod_blas:indexTooShort obsprod_blas (Xt, Y, [1 2], 1, 2)
%!error id=obsprod_blas:columnOutside obsprod_blas (Xt, Y, [1 3], [1 1], 2)
%!error id=obsprod_blas:columnOutside obsprod_blas (Xt, Y, 1, NaN, 1)
