function Y = dg_embed (m, e, dimE, randomise, denseMax, nLandmarks)
%DG_EMBED a start for one piece: shortest paths over the bounds, then scaling
%   Y = dg_embed (m, e, dimE, randomise, denseMax, nLandmarks)
%   m points joined by the pairs e = [a b lower upper] (a, b from 1 to m).
%   Each pair's length is its upper bound, or with RANDOMISE a random value
%   between its lower and upper bounds (random metrization). Shortest paths
%   over those lengths bound every distance from above by the triangle
%   inequality (bound smoothing); classical scaling of them gives a
%   dimE-by-m start. Up to denseMax points the paths between all pairs are
%   found (Floyd-Warshall) and all are scaled; above, the paths from
%   nLandmarks random points only, and the other points are placed from
%   their distances to those (landmark scaling).
  len = e(:, 4);
  if (randomise)
    len = e(:, 3) + (e(:, 4) - e(:, 3)) .* rand (size (e, 1), 1);
  end
  if (m == 1)
    Y = zeros (dimE, 1);
    return;
  end
  if (m <= denseMax)
    % Lengths as a matrix, the least of duplicates kept: the rows are
    % written longest first, so the shortest is written last.
    U = inf (m);
    [~, order] = sort (len, 'descend');
    U(sub2ind ([m m], e(order, 1), e(order, 2))) = len(order);
    U = min (U, U');
    U(1:m + 1:end) = 0;
    for k = 1:m
      U = min (U, U(:, k) + U(k, :));
    end
    [V, lambda] = scaling (U .^ 2, dimE);
    Y = (V .* sqrt (lambda)')';
  else
    L = min (m, nLandmarks);
    marks = randperm (m, L);
    P = paths_from (m, [e(:, 1); e(:, 2)], [e(:, 2); e(:, 1)], [len; len], marks);
    Q = P .^ 2;                                  % L-by-m squared lengths
    [V, lambda] = scaling (Q(:, marks), dimE);
    % A point's place from its squared distances to the landmarks. An
    % axis whose eigenvalue is only rounding noise would divide that noise
    % by almost nothing: such axes get no coordinate.
    Y = -0.5 * (V ./ sqrt (lambda)')' * (Q - mean (Q(:, marks), 2));
    Y(lambda <= 1e-9 * max (lambda), :) = 0;
  end
  Y = Y - mean (Y, 2);
end

function [V, lambda] = scaling (S, k)
  % Classical scaling of the squared distances S: the k largest eigenpairs
  % of the doubly centred -S/2 (eigenvalues at least a tiny positive number,
  % so that an embedding of fewer dimensions still divides safely).
  m = size (S, 1);
  B = S - mean (S, 1);
  B = B - mean (B, 2);
  B = -0.25 * (B + B');
  want = k;
  k = min (k, m);
  if (m <= 200)
    [V, E] = eig (B);
    [lambda, order] = sort (diag (E), 'descend');
    V = V(:, order(1:k));
    lambda = lambda(1:k);
  else
    [V, E] = eigs (B, k, 'la');
    lambda = diag (E);
  end
  lambda = max (lambda, 1e-12 * max ([abs(lambda); 1]));
  % Fewer points than dimensions: the missing axes get no coordinate.
  if (size (V, 2) < want)
    V(:, end + 1:want) = 0;
    lambda(end + 1:want) = 1;
  end
end

function P = paths_from (m, src, dst, len, marks)
  % Shortest path lengths from the points MARKS to all m points
  % (Bellman-Ford, all sources at once): each sweep relaxes every pair in
  % both directions; it stops when a sweep changes nothing.
  L = numel (marks);
  deg = accumarray (dst, 1, [m, 1]);
  width = max (deg);
  % The pairs arriving at each point, padded with a pair of infinite length.
  [dst, order] = sort (dst);
  src = src(order);  len = len(order);
  first = cumsum ([1; deg(1:end - 1)]);
  slot = (1:numel (dst))' - first(dst) + 1;
  S = ones (width, m);                    % source of each arriving pair
  W = inf (width, m);                     % and its length
  S(sub2ind ([width m], slot, dst)) = src;
  W(sub2ind ([width m], slot, dst)) = len;
  P = inf (L, m);
  P(sub2ind ([L m], 1:L, marks)) = 0;
  for sweep = 1:m
    best = P;
    for k = 1:width
      best = min (best, P(:, S(k, :)) + W(k, :));
    end
    if (isequal (best, P))
      break;
    end
    P = best;
  end
end
