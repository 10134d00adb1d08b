function N = rowgram (Ht, count, col)
%ROWGRAM each row's normal matrix over its samples, packed
%   N = rowgram (Ht, count, col)
%
%   The samples (count, col) are grouped by row as for RESPROD. Column i of
%   N is the lower triangle of
%     sum of Ht(:, col(s)) * Ht(:, col(s)).' over the samples s of row i,
%   packed column by column: (1,1), (2,1), ..., (k,1), (2,2), ..., (k,k)
%   (the layout of RESPROD's W: one column a row), so that a row of N
%   holds one entry of every row's matrix.
%   These are the normal matrices of the rows' least-squares problems for a
%   fit Gt.' * Ht at the samples (the blocks of the Gauss-Newton matrix of
%   Gt). Each entry is summed from 0 over the row's samples in order, on
%   whichever thread takes the row.
%
%   Inputs:
%     Ht     k-by-n (real, full double).
%     count  uint32, m elements: the number of samples of each row.
%     col    uint32, the column (1 to n) of each sample.
%   Output: N, k(k+1)/2-by-m; a row without samples gives zeros.
%
%   Errors (identifier rowgram:<reason>): tooManyOutputs, notEnoughInputs,
%   tooManyInputs, notRealDouble (Ht), notUint32 (count, col),
%   sizeMismatch, countMismatch, columnOutside, tooLarge, as for RESPROD.
%
%   Example:
%     N = rowgram ([1 2 3; 0 1 1], uint32 ([2 1]), uint32 ([1 3 2]))
%     % [10 4; 3 2; 1 1]: rows 1 and 2 have [10 3; 3 1] and [4 2; 2 1]
%
%   See also RESPROD, RESSTEP, LRCOMPLETE.
error ('rowgram:notBuilt', 'rowgram: the compiled plug-in is missing; build the toolbox first (see README)');
end

% Against the blocks formed sample by sample, k = 3.
%!test
%! randn ('state', 4);
%! Ht = randn (3, 6);
%! count = uint32 ([3 0 2]);  col = uint32 ([6 1 2 5 5]);
%! N = rowgram (Ht, count, col);
%! low = tril (true (3));
%! rows = {[6 1 2], [], [5 5]};
%! for i = 1:3
%!   B = Ht(:, rows{i}) * Ht(:, rows{i}).';
%!   assert (N(:, i), B(low), 1e-13);
%! end

%!assert (size (rowgram (zeros (0, 2), uint32 ([1 0 0]), uint32 (2))), [0 3])
%!error <the counts add up to 1 samples, but col holds 2> rowgram ([1 2], uint32 ([1 0]), uint32 ([1 2]))
