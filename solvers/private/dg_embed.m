function [Y, rs] = dg_embed (m, e, dimE, randomise, rs)
%DG_EMBED a start for a few hundred points: shortest paths over the bounds, then scaling
%   [Y, rs] = dg_embed (m, e, dimE, randomise, rs)
%   m points joined by the pairs e = [a b lower upper] (a, b from 1 to m).
%   Each pair's length is its upper bound, or with RANDOMISE a random value
%   between its lower and upper bounds (random metrization; rs is the
%   stream of DG_RANDOM, returned moved on). Shortest paths over those
%   lengths bound every distance from above by the triangle inequality
%   (bound smoothing, Floyd-Warshall: m^2 memory, m^3 work, so m stays
%   small); classical scaling of them gives a dimE-by-m start.
  len = e(:, 4);
  if (randomise)
    [u, rs] = dg_random (rs, size (e, 1));
    len = e(:, 3) + (e(:, 4) - e(:, 3)) .* u;
  end
  if (m == 1)
    Y = zeros (dimE, 1);
    return;
  end
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
  % Points that no path joins (another piece) are put at the largest
  % length found, so that the scaling sees finite numbers.
  U(isinf (U)) = max ([U(isfinite (U)); 1]);
  [V, lambda, rs] = scaling (U .^ 2, dimE, rs);
  Y = (V .* sqrt (lambda)')';
  Y = Y - mean (Y, 2);
end

function [V, lambda, rs] = scaling (S, k, rs)
  % Classical scaling of the squared distances S: the k largest eigenpairs
  % of the doubly centred -S/2 (eigenvalues at least a tiny positive number,
  % so that an embedding of fewer dimensions still divides safely). eigs
  % starts from a vector of the solver's own stream (left to itself, it
  % would draw one from rand).
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
    [v0, rs] = dg_random (rs, m);
    [V, E] = eigs (B, k, 'la', struct ('v0', v0 - 0.5));
    lambda = diag (E);
  end
  lambda = max (lambda, 1e-12 * max ([abs(lambda); 1]));
  % Fewer points than dimensions: the missing axes get no coordinate.
  if (size (V, 2) < want)
    V(:, end + 1:want) = 0;
    lambda(end + 1:want) = 1;
  end
end
