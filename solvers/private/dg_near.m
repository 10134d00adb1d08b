function [I, J, q, total] = dg_near (X, r, cap, exclude, block)
%DG_NEAR the pairs of points closer than r, found through a grid of cells
%   [I, J, q] = dg_near (X, r)
%   [I, J, q] = dg_near (X, r, cap)
%   [I, J, q, total] = dg_near (X, r, cap, exclude)
%   [I, J, q, total] = dg_near (X, r, cap, exclude, block)
%   X is d-by-n; returns every pair I < J (columns) whose squared distance
%   q (the sum over the coordinates, in order, of the squared differences)
%   is below r^2, as columns, in an order fixed by X alone. The points are sorted into cubic cells of side r over
%   their first three coordinates (all of them when d < 3): a pair closer
%   than r lies in one cell or in two that touch, so only those are
%   compared. Work and memory go with n plus the number of pairs compared,
%   never with n^2 unless the points crowd into few cells; the pairs are
%   compared about BLOCK at a time (default 2e6). With CAP (default Inf)
%   at most the CAP closest pairs are returned, so that points crowded
%   together (a collapsed start) cannot fill the memory. EXCLUDE: sorted
%   keys (I-1)*n+J of pairs to leave out. total = [count, sum of
%   (r - sqrt (q))^2, least q] over all the pairs found (not only those
%   returned), leaving out those excluded.
  if (nargin < 3)
    cap = Inf;
  end
  if (nargin < 4)
    exclude = [];
  end
  if (nargin < 5)
    block = 2e6;
  end
  [d, n] = size (X);
  I = zeros (0, 1);  J = I;  q = I;
  total = [0, 0, Inf];
  if (n < 2 || ~(r > 0))
    return;
  end
  k = min (d, 3);
  if (k == 0)
    % No coordinates: every pair is at distance 0, all in one cell.
    X = zeros (1, n);
    k = 1;
  end
  % Cell numbers past 2^50 are lumped together, so that a neighbouring
  % offset never rounds away.
  C = min (floor ((X(1:k, :) - min (X(1:k, :), [], 2)) / r), 2 ^ 50);
  % Each occupied cell gets a number. Cells are found through an array
  % over the grid (with a margin of one cell) when that array is not much
  % larger than the points, else by their coordinates, so that far-flung
  % points cost nothing.
  span = max (C, [], 2)' + 3;
  dense = prod (span) <= 8 * n + 1e5;
  if (dense)
    stride = cumprod ([1, span(1:end - 1)]);
    lin = (C' + 1) * stride' + 1;
    [lin, order] = sort (lin);
    starts = [true; diff(lin) > 0];
    cells = lin(starts);
  else
    [cells, ~, cellOf] = unique (C', 'rows');
    [~, order] = sort (cellOf);
    starts = [true; diff(cellOf(order)) > 0];
  end
  nc = nnz (starts);
  first = find (starts);
  count = diff ([first; n + 1]);
  Xs = X(:, order);
  if (dense)
    grid = zeros (prod (span), 1);
    grid(cells) = 1:nc;
  end
  % Half of the neighbouring offsets (and the cell itself), so that each
  % pair of cells is visited once.
  offsets = dec2base (0:3 ^ k - 1, 3) - '0' - 1;
  offsets = offsets(:, end - k + 1:end);
  keep = false (size (offsets, 1), 1);
  for row = 1:size (offsets, 1)
    nz = find (offsets(row, :), 1);
    keep(row) = isempty (nz) || offsets(row, nz) > 0;
  end
  offsets = offsets(keep, :);
  parts = cell (size (offsets, 1), 1);
  for s = 1:size (offsets, 1)
    o = offsets(s, :);
    if (dense)
      other = grid(cells + o * stride');
      hit = other > 0;
    else
      [hit, other] = ismember (cells + o, cells, 'rows');
    end
    a = find (hit);
    b = other(hit);
    same = ~any (o);
    [parts{s}, t] = cell_pairs (Xs, order, first, count, a, b, same, r, block, cap, exclude);
    total = [total(1) + t(1), total(2) + t(2), min(total(3), t(3))];
  end
  P = closest (cat (1, parts{:}), cap);
  if (isempty (P))
    return;
  end
  I = P(:, 1);  J = P(:, 2);  q = P(:, 3);
end

function [P, total] = cell_pairs (X, order, first, count, a, b, same, r, block, cap, exclude)
  % Rows [i j q] (i < j, the points' own numbers) for the points of cells
  % a(k) against those of cells b(k) (the pairs within a cell once each
  % when SAME), q < r^2 and the pair not excluded. The pairs are formed
  % and compared about BLOCK at a time; past CAP rows only the CAP closest
  % are kept; total as in DG_NEAR.
  P = zeros (0, 3);
  total = [0, 0, Inf];
  if (isempty (a))
    return;
  end
  n = numel (order);
  na = count(a);  nb = count(b);
  % One entry per point of a cell a(k): its place in the sorted order and
  % the number of points it meets in b(k).
  pair = rep ((1:numel (a))', na);
  li = first(a(pair)) + (1:numel (pair))' - rep (cumsum ([0; na(1:end - 1)]), na) - 1;
  reps = nb(pair);
  ends = cumsum (reps);
  out = {};
  kept = 0;
  g0 = 1;
  while (g0 <= numel (li))
    g1 = find (ends <= ends(g0) - reps(g0) + block, 1, 'last');
    if (isempty (g1) || g1 < g0)
      g1 = g0;
    end
    span = (g0:g1)';
    k = reps(span);
    pa = rep (li(span), k);
    pb = first(b(rep (pair(span), k))) + (1:numel (pa))' - rep (cumsum ([0; k(1:end - 1)]), k) - 1;
    if (same)
      m = pa < pb;
      pa = pa(m);  pb = pb(m);
    end
    dq = (X(1, pa) - X(1, pb))' .^ 2;
    for c = 2:size (X, 1)
      dq = dq + (X(c, pa) - X(c, pb))' .^ 2;
    end
    m = dq < r * r;
    i = order(pa(m));  j = order(pb(m));  dq = dq(m);
    lo = min (i, j);  hi = max (i, j);
    if (~isempty (exclude))
      m = ~ismember ((lo - 1) * n + hi, exclude);
      lo = lo(m);  hi = hi(m);  dq = dq(m);
    end
    total = [total(1) + numel(dq), total(2) + sum((r - sqrt (dq)) .^ 2), min([total(3); dq])];
    out{end + 1} = [lo(:), hi(:), dq(:)];
    kept = kept + numel (dq);
    if (kept > 2 * cap)
      out = {closest(cat (1, out{:}), cap)};
      kept = cap;
    end
    g0 = g1 + 1;
  end
  P = closest (cat (1, out{:}), cap);
end

function v = rep (v, k)
  % Each v(i) k(i) times, as a column (k(i) may be 0).
  k = k(:);
  v = v(k > 0);
  k = k(k > 0);
  if (isempty (k))
    v = zeros (0, 1);
    return;
  end
  step = zeros (sum (k), 1);
  step(cumsum ([1; k(1:end - 1)])) = 1;
  v = v(cumsum (step));
  v = v(:);
end

function P = closest (P, cap)
  if (size (P, 1) > cap)
    [~, by] = sort (P(:, 3));
    P = P(by(1:cap), :);
  end
end
