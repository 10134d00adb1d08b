function v = obsprod (Xt, Y, I, J, L)
%OBSPROD products of two factors at sampled positions
%   v = obsprod (Xt, Y, I, J, L)
%
%   Inputs (real, full double arrays):
%     Xt  r-by-m left factor, transposed: column p of Xt is row p of Xt.'.
%     Y   r-by-n right factor.
%     I   row numbers (1 to m) of the sampled positions; any shape, read as
%         a flat list; only the first L elements are used.
%     J   column numbers (1 to n), likewise.
%     L   number of positions, truncated toward zero (2.9 gives 2).
%
%   Output: v, 1-by-L: v(k) = (Xt.' * Y)(I(k), J(k)), the dot product of
%   column I(k) of Xt with column J(k) of Y, summed from 0 term by term in
%   row order. L of 0 or less, or NaN, gives a 1-by-0 v; r = 0 gives zeros.
%   Column numbers are multiplied before they are truncated: with r = 2 an
%   index of 2.5 reads from offset 3, i.e. the second value of column 2
%   and the first of column 3; such an index is accepted while the values
%   it reads lie inside the factor.
%
%   Errors (identifier obsprod:<reason>), first those with fixed messages,
%   in this order:
%     notEnoughInputs, tooManyInputs, tooManyOutputs
%                    not five inputs, or more than one output requested:
%                    "Usage: v = obsprod (Xt, Y, I, J, L)".
%     rowsDiffer     "rows of Xt must be equal to rows of Y".
%     rankTooLarge   more rows than columns in Xt or Y:
%                    "rank must be r <= min(m,n)".
%   then:
%     notRealDouble  an input that is not a real, full double array.
%     notMatrix      Xt or Y with more than two dimensions.
%     badCount       L is empty.
%     indexTooShort  I or J has fewer than L elements.
%     columnOutside  an I(k) or J(k) that names no whole column of its
%                    factor (NaN, infinite, below 1, beyond m or n); the
%                    message names k.
%     tooLarge       an input Octave keeps in a form of its own (a range)
%                    too large to form as an array of doubles; of I and J
%                    only the first L values are formed.
%
%   Example:
%     Xt = [1 2; 3 4]; Y = [5 6 7; 8 9 10];
%     v = obsprod (Xt, Y, [1 2], [3 1], 2)     % [37 42]
%
%   See also OBSPROD_BLAS, NZFILL.
error ('obsprod:notBuilt', 'obsprod: the compiled plug-in is missing; build the toolbox first (see README)');
end

%!shared Xt, Y, variants
%! Xt = [1 2; 3 4];
%! Y = [5 6 7; 8 9 10];
%! variants = {@obsprod};
%! if (exist ('obsprod_blas') == 3)
%!   variants{end+1} = @obsprod_blas;   % the BLAS variant shares these tests
%! end

% The worked example: v(k) is column I(k) of Xt times column J(k) of Y;
% the count truncated; r = 0 gives zeros.
%!test
%! for f = variants
%!   assert (f{1} (Xt, Y, [1 2], [3 1], 2), [37 42]);
%!   assert (f{1} (Xt, Y, [1 2], [3 1], 1.9), 37);
%!   assert (f{1} (Xt, Y, [1 2], [3 1], 0), zeros (1, 0));
%!   assert (f{1} (zeros (0, 2), zeros (0, 3), [1 2], [3 1], 2), [0 0]);
%! end

% Summed from 0 term by term in row order: 2^53, then + 1 (rounds back to
% 2^53), then - 1. Any other order gives 2^53.
%!assert (obsprod ([2^53 0 0; 1 0 0; 1 0 0], [1 0 0; 1 0 0; -1 0 0], 1, 1, 1), 2^53 - 1)

% One of its errors (the error table, plugins.errors, tries every one).
%!error <Usage: v = obsprod> obsprod (Xt, Y, 1, 1)
