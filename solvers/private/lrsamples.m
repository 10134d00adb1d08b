function p = lrsamples (I, J, vals, m, n, r)
%LRSAMPLES check the samples and group them by row and by column
%   p = lrsamples (I, J, vals, m, n, r)
%   Checks every sample (integer positions inside m-by-n, no position
%   twice, finite values) and the rank against the rows and columns that
%   have samples. Returns, for the fit on those rows and columns alone,
%   renumbered among themselves:
%     p.cnt, p.col, p.b     the samples grouped by row, as RESPROD, RESSTEP
%                           and ROWGRAM take them: row i has p.cnt(i)
%                           samples, in ascending order of their columns
%                           p.col (both uint32), with the values p.b
%                           (1-by-L) times p.root^2;
%     p.cntT, p.colT, p.bT  the same grouped by column (each column's
%                           samples in ascending order of their rows);
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
%   Both groupings are canonical (they do not depend on the order of the
%   samples), and nothing else of the length of the samples is kept: 24
%   bytes a sample. They are made by two sorts, the samples' positions
%   formed a piece at a time.

  L = numel (I);
  if (numel (J) ~= L || numel (vals) ~= L)
    error ('lrcomplete:badLength', ...
           'lrcomplete: I, J and vals must have the same number of elements (%d, %d, %d)', ...
           numel (I), numel (J), numel (vals));
  end
  if (L == 0)
    error ('lrcomplete:badLength', 'lrcomplete: no samples');
  end
  if (L >= 2^32 || m >= 2^32 || n >= 2^32)
    error ('lrcomplete:tooLarge', ...
           'lrcomplete: %d samples of a %d-by-%d matrix; at most 2^32 - 1 samples, rows and columns are taken', ...
           L, m, n);
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
  % Column-major positions; m*n < 2^53 keeps every one exact.
  if (m * n >= 2^53)
    error ('lrcomplete:badSize', 'lrcomplete: m*n must be below 2^53');
  end

  piece = 2^22;                         % samples converted at a time
  perRow = zeros (m, 1);
  perCol = zeros (n, 1);
  for a = 1:piece:L
    z = min (a + piece - 1, L);
    perRow = perRow + accumarray (double (I(a:z)), 1, [m 1]);
    perCol = perCol + accumarray (double (J(a:z)), 1, [n 1]);
  end
  hasRow = perRow > 0;
  hasCol = perCol > 0;
  rows = find (hasRow).';  cols = find (hasCol).';
  if (r > min (numel (rows), numel (cols)))
    error ('lrcomplete:rankTooLarge', ...
           'lrcomplete: rank %d is above the number of rows (%d) or columns (%d) that have samples', ...
           r, numel (rows), numel (cols));
  end
  newRow = zeros (m, 1, 'uint32');  newRow(rows) = 1:numel (rows);
  newCol = zeros (n, 1, 'uint32');  newCol(cols) = 1:numel (cols);
  top = max (abs (vals));
  root = 1;
  if (top > 0)
    root = 2 ^ -(floor (log2 (top) / 2) + 1);
  end

  % By column: the positions sorted (each column's rows ascending), two
  % equal ones next to each other.
  key = zeros (L, 1);
  for a = 1:piece:L
    z = min (a + piece - 1, L);
    key(a:z) = (double (J(a:z)) - 1) * m + double (I(a:z));
  end
  [key, order] = sort (key);
  k = first_repeat (key, piece);
  if (~ isempty (k))
    error ('lrcomplete:repeatedPosition', 'lrcomplete: position (%d, %d) is sampled twice (samples %d and %d)', ...
           double (I(order(k))), double (J(order(k))), min (order(k - 1), order(k)), ...
           max (order(k - 1), order(k)));
  end
  clear key;
  order = uint32 (order);               % 4 bytes a sample instead of 8
  p.colT = newRow(I(order));
  colOf = newCol(J(order));             % each sample's column, in this order
  p.bT = zeros (1, L);
  for a = 1:piece:L
    z = min (a + piece - 1, L);
    p.bT(a:z) = (vals(order(a:z)).' * root) * root;
  end
  clear order;
  % By row: a stable sort of the rows of the samples grouped by column
  % keeps each row's samples in ascending order of their columns.
  [~, order] = sort (p.colT);
  p.col = colOf(order);
  clear colOf;
  p.b = zeros (1, L);
  for a = 1:piece:L
    z = min (a + piece - 1, L);
    p.b(a:z) = p.bT(order(a:z));
  end
  clear order;
  p.cnt = uint32 (perRow(rows));
  p.cntT = uint32 (perCol(cols));

  p.root = root;
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

function k = first_repeat (key, piece)
  % The first k with key(k) == key(k - 1) of a sorted key, or []: a piece
  % at a time, so that no difference of all of them is formed.
  k = [];
  L = numel (key);
  for a = 2:piece:L
    z = min (a + piece - 1, L);
    k = find (key(a:z) == key(a - 1:z - 1), 1);
    if (~ isempty (k))
      k = k + a - 1;
      return;
    end
  end
end
