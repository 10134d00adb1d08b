function p = lrsamples (I, J, vals, m, n, r)
%LRSAMPLES check the samples and put them in the storage order of a sparse matrix
%   p = lrsamples (I, J, vals, m, n, r)
%   Checks every sample (integer positions inside m-by-n, no position
%   twice, finite values) and the rank against the rows and columns that
%   have samples. Returns, for the fit on those rows and columns alone:
%     p.I, p.J   positions renumbered among the rows and columns with
%                samples, sorted column by column, rows ascending (the
%                order in which a sparse matrix stores them);
%     p.b        the values in that order, 1-by-L (as obsprod returns),
%                times p.root^2;
%     p.root     a power of 2 whose square brings the largest |value|
%                into [1/4, 1): the fit works on values of that size
%                whatever their units (no sum of squares overflows or
%                underflows), and its factors are the answer's times
%                p.root, exactly;
%     p.m, p.n   the numbers of rows and columns with samples;
%     p.rows, p.cols          those rows and columns of the whole matrix;
%     p.emptyRows, p.emptyCols  the others (as rows);
%     p.fewRows, p.fewCols    rows and columns with samples, but fewer
%                than r of them (as rows, numbered in the whole matrix);
%     p.L        the number of samples.

  L = numel (I);
  if (numel (J) ~= L || numel (vals) ~= L)
    error ('lrcomplete:badLength', ...
           'lrcomplete: I, J and vals must have the same number of elements (%d, %d, %d)', ...
           numel (I), numel (J), numel (vals));
  end
  if (L == 0)
    error ('lrcomplete:badLength', 'lrcomplete: no samples');
  end
  if (~ isinteger (I) || ~ isinteger (J))
    k = find (~ isfinite (I) | ~ isfinite (J) | I ~= fix (I) | J ~= fix (J), 1);
  else
    k = [];
  end
  if (~ isempty (k))
    error ('lrcomplete:badIndex', 'lrcomplete: position %d, (%g, %g), is not a pair of integers', ...
           k, double (I(k)), double (J(k)));
  end
  k = find (I < 1 | I > m | J < 1 | J > n, 1);
  if (~ isempty (k))
    error ('lrcomplete:indexOutside', 'lrcomplete: position %d, (%d, %d), lies outside the %d-by-%d matrix', ...
           k, double (I(k)), double (J(k)), m, n);
  end
  k = find (~ isfinite (vals), 1);
  if (~ isempty (k))
    error ('lrcomplete:badValue', 'lrcomplete: value %d is %g; the samples must be finite', k, vals(k));
  end
  if (r > min (m, n))
    error ('lrcomplete:rankTooLarge', 'lrcomplete: rank %d is above min (m, n) = %d', r, min (m, n));
  end

  % Column-major order; m*n < 2^53 keeps every key exact.
  if (m * n >= 2^53)
    error ('lrcomplete:badSize', 'lrcomplete: m*n must be below 2^53');
  end
  [key, order] = sort ((double (J) - 1) * m + double (I));
  if (L < 2^32)
    order = uint32 (order);             % 4 bytes a sample instead of 8
  end
  k = find (diff (key) == 0, 1);
  if (~ isempty (k))
    first = double (min (order(k), order(k + 1)));
    second = double (max (order(k), order(k + 1)));
    error ('lrcomplete:repeatedPosition', 'lrcomplete: position (%d, %d) is sampled twice (samples %d and %d)', ...
           double (I(order(k))), double (J(order(k))), first, second);
  end
  clear key;

  perRow = accumarray (double (I), 1, [m 1]);
  perCol = accumarray (double (J), 1, [n 1]);
  hasRow = perRow > 0;
  hasCol = perCol > 0;
  rows = find (hasRow).';  cols = find (hasCol).';
  if (r > min (numel (rows), numel (cols)))
    error ('lrcomplete:rankTooLarge', ...
           'lrcomplete: rank %d is above the number of rows (%d) or columns (%d) that have samples', ...
           r, numel (rows), numel (cols));
  end
  newRow = zeros (m, 1);  newRow(rows) = 1:numel (rows);
  newCol = zeros (n, 1);  newCol(cols) = 1:numel (cols);
  p.I = newRow(I(order));
  p.J = newCol(J(order));
  top = max (abs (vals));
  p.root = 1;
  if (top > 0)
    p.root = 2 ^ -(floor (log2 (top) / 2) + 1);
  end
  p.b = (vals(order).' * p.root) * p.root;
  p.m = numel (rows);
  p.n = numel (cols);
  p.rows = rows;
  p.cols = cols;
  p.emptyRows = find (~ hasRow).';
  p.emptyCols = find (~ hasCol).';
  p.fewRows = find (hasRow & perRow < r).';
  p.fewCols = find (hasCol & perCol < r).';
  p.L = L;
end
