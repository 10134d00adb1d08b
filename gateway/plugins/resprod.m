function W = resprod (Gt, Ht, count, col, b, Vt)
%RESPROD residual of a fit at samples grouped by row, times a thin matrix
%   W = resprod (Gt, Ht, count, col, b, Vt)
%
%   The samples of an m-by-n matrix, grouped by row: row i has count(i)
%   samples, stored after those of rows 1 to i-1; sample s lies in column
%   col(s) and has the value b(s). The fit is Gt.' * Ht, and its residual
%   at sample s of row i is
%     e(s) = Gt(:, i).' * Ht(:, col(s)) - b(s)
%   (the dot product summed from 0 term by term, as OBSPROD sums it).
%   Column i of W is the sum of e(s) * Vt(:, col(s)) over the samples of
%   row i, in their order: with E the sparse m-by-n matrix of the residual,
%   W = (E * Vt.').'. With Vt = Ht that is the gradient of 1/2 sum (e.^2)
%   with respect to Gt; the same samples grouped by column (the pattern of
%   the transposed matrix), with the factors swapped and Vt = Gt, give the
%   gradient with respect to Ht. Nothing of the length of the samples is
%   formed, and each pass reads count, col and b once.
%
%   Inputs:
%     Gt     k-by-m factor of the rows (real, full double).
%     Ht     k-by-n factor of the columns (real, full double).
%     count  uint32, m elements: the number of samples of each row.
%     col    uint32, L elements: the column (1 to n) of each sample.
%     b      the L values (real, full double), in the order of col.
%     Vt     q-by-n (real, full double).
%   Output: W, q-by-m; a row without samples gives a column of zeros.
%   Each row's q sums run from 0 over its samples in order, on whichever
%   thread takes the row: the result does not depend on the number of
%   threads.
%
%   Errors (identifier resprod:<reason>):
%     tooManyOutputs, notEnoughInputs, tooManyInputs   not 6 inputs, or more
%                     than one output requested.
%     notRealDouble   Gt, Ht, b or Vt not a real, full double array.
%     notUint32       count or col not of class uint32.
%     sizeMismatch    Vt without one column per column of Ht, count without
%                     one element per column of Gt, b without one value per
%                     sample.
%     rankMismatch    Gt and Ht of different numbers of rows.
%     countMismatch   the counts do not add up to the number of samples.
%     columnOutside   a col(s) outside 1 to n (the message names s).
%     tooLarge        a q-by-m result that cannot exist.
%
%   Example:
%     % 2-by-3, rank 1: samples (1,1) = 1, (1,3) = 2, (2,2) = 3
%     Gt = [1 2];  Ht = [3 4 5];
%     W = resprod (Gt, Ht, uint32 ([2 1]), uint32 ([1 3 2]), [1 2 3], Ht)  % [21 20]
%
%   See also RESSTEP, ROWGRAM, OBSPROD, LRCOMPLETE.
error ('resprod:notBuilt', 'resprod: the compiled plug-in is missing; build the toolbox first (see README)');
end

% The worked example against the sparse residual times Vt; the other
% grouping (by column) with the factors swapped gives E.' * Gt.'.
%!test
%! Gt = [1 2; -1 0.5];  Ht = [3 4 5; 1 -2 0.25];
%! I = [1 1 2];  J = [1 3 2];  b = [1 2 3];
%! E = sparse (I, J, sum (Gt(:, I) .* Ht(:, J), 1) - b, 2, 3);
%! Vt = [1 2 3; 0 1 -1; 2 0 0];
%! assert (resprod (Gt, Ht, uint32 ([2 1]), uint32 ([1 3 2]), b, Vt), full (E * Vt.').', 1e-14);
%! % by column: column 1 holds (1,1), column 2 (2,2), column 3 (1,3)
%! W = resprod (Ht, Gt, uint32 ([1 1 1]), uint32 ([1 2 1]), b([1 3 2]), Gt);
%! assert (W, full (E.' * Gt.').', 1e-14);

% A row without samples, rank 0 (the residual is -b), q = 0.
%!assert (resprod (zeros (0, 3), zeros (0, 2), uint32 ([0 2 0]), uint32 ([2 1]), [1 2], [1 2]), [0 -4 0])
%!assert (size (resprod ([1 2], [3 4 5], uint32 ([2 1]), uint32 ([1 3 2]), [1 2 3], zeros (0, 3))), [0 2])

% Each row's sum from 0 in sample order: 2^53, + 1 (lost), - 1.
%!assert (resprod (0, 1, uint32 (3), uint32 ([1 1 1]), -[2^53 1 -1], 1), 2^53 - 1)

%!error <col\(2\) = 4 names no column of Ht> resprod ([1 2], [3 4 5], uint32 ([2 1]), uint32 ([1 4 2]), [1 2 3], [3 4 5])
%!error <count must be a uint32 array> resprod ([1 2], [3 4 5], [2 1], uint32 ([1 3 2]), [1 2 3], [3 4 5])
