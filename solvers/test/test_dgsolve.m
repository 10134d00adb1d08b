function test_dgsolve ()
  % dgsolve on small problems whose answer is known, on problems in
  % several pieces, with a loose point, with bounds that contradict each
  % other, and on every kind of bad input.

  % A rigid tetrahedron from its six distances: recovered up to a rigid
  % motion and a reflection; one piece, nothing loose.
  P = [0 0 0; 2 0 0; 0 3 0; 0 0 4]';
  D = all_pairs (P);
  [X, info] = dgsolve (4, D, [], [], struct ('method', 'embed'));
  assert (size (X), [3 4]);
  assert (superpose (X, P) < 1e-6);
  assert (info.penalty < 1e-12);
  assert (isempty (info.loose));
  assert (numel (info.pieces), 1);
  assert (info.pieces{1}, 1:4);
  assert (info.violations.linkdev.count, 0);
  assert (info.iterations, numel (info.history) - 1);
  assert (isfield (info, 'seconds') && isfield (info, 'reason'));

  % A chain: each point knows the four before it (distances), every other
  % pair is only bounded below. Recovered to the known chain.
  rand ('state', 4);  randn ('state', 4);
  C = cumsum (randn (3, 30), 2);
  Q = sqrt (pairsq (C));
  [I, J] = find (triu (true (30), 1));
  near = J - I <= 4;
  q = Q(sub2ind ([30 30], I, J));
  far = q(~near);
  Dc = [I(near), J(near), q(near)];
  Lc = [I(~near), J(~near), 0.9 * far, ones(numel (far), 1)];
  [X, info] = dgsolve (30, Dc, Lc, []);
  assert (superpose (X, C) < 1e-3, sprintf ('chain RMSD %g', superpose (X, C)));
  assert (info.penalty < 1e-10);

  % A grid in the plane (dim 2), neighbours and diagonals as upper and
  % lower bounds a little either side of their distances (types 0, -1, -2
  % with their weights).
  [gx, gy] = meshgrid (0:5, 0:5);
  G = [gx(:)'; gy(:)'];
  Qg = sqrt (pairsq (G));
  [I, J] = find (triu (Qg < 2.9 & Qg > 0));
  dg = Qg(sub2ind (size (Qg), I, J));
  type = mod ((1:numel (I))', 3) - 2;                 % -2, -1, 0 in turn
  Ub = [I, J, dg + 0.01, type];
  Lb = [I, J, dg - 0.01, ones(numel (I), 1)];
  [X, info] = dgsolve (36, [], Lb, Ub, struct ('dim', 2, 't', [2 3 1 1]));
  assert (size (X), [2 36]);
  assert (superpose (X, G) < 0.05, sprintf ('grid RMSD %g', superpose (X, G)));
  assert (info.violations.ceilgap.count + info.violations.floorgap.count, 0);

  % Two pieces that nothing joins, and a fifth point tied by one distance
  % only: two pieces (the loose point with its tetrahedron), each piece
  % recovered, the loose point named.
  P2 = [P, P + [10; 0; 0]];
  D2 = [all_pairs(P); all_pairs(P) + [4 4 0]];
  D2(end + 1, :) = [1 9 2];
  for method = {'embed', 'buildup'}
    [X, info] = dgsolve (9, D2, [], [], struct ('method', method{1}));
    assert (numel (info.pieces), 2);
    assert (info.pieces{1}, [1:4, 9]);
    assert (info.pieces{2}, 5:8);
    assert (info.loose, 9);
    assert (superpose (X(:, 1:4), P) < 1e-6, method{1});
    assert (superpose (X(:, 5:8), P) < 1e-6, method{1});
    assert (abs (norm (X(:, 9) - X(:, 1)) - 2) < 1e-6, method{1});
  end

  % Bounds that contradict each other: the distance 1 against an upper
  % bound 0.5 meet half way (0.75) at the least penalty 2 * 0.25^2, and
  % both rows are reported violated.
  [X, info] = dgsolve (2, [1 2 1], [], [1 2 0.5 0], struct ('dim', 1));
  assert (abs (abs (X(2) - X(1)) - 0.75) < 1e-6);
  assert (abs (info.penalty - 0.125) < 1e-10);
  assert (info.violations.linkdev.rows, 1);
  assert (info.violations.ceilgap.rows, 1);
  assert (abs (info.violations.ceilgap.largest - 0.25) < 1e-6);

  % A row whose weight is zero takes no part: with t(1) = 0 an upper bound
  % of type -1 does not join its pair, so the pair is two pieces.
  [~, info] = dgsolve (2, [], [], [1 2 1 -1], struct ('t', [0 1 1 1]));
  assert (numel (info.pieces), 2);
  assert (info.loose, [1 2]);

  % minSeparation: a chain of unit steps folds freely, but no two points
  % that no table names come closer than 1.5.
  n = 12;
  Ds = [(1:n-1)', (2:n)', ones(n - 1, 1)];
  [X, info] = dgsolve (n, Ds, [], [], struct ('minSeparation', 1.5));
  Qs = sqrt (pairsq (X));
  [I, J] = find (triu (true (n), 2));
  assert (min (Qs(sub2ind ([n n], I, J))) > 1.5 - 1e-3);
  assert (info.separation.largest < 1e-3);
  assert (info.violations.linkdev.count, 0);

  % The same seed gives the same bits, the caller's random numbers are
  % left as they were, and further starts keep the best.
  rand ('seed', 1);
  before = rand ('state');
  [X1, i1] = dgsolve (30, Dc, Lc, [], struct ('seed', 5, 'starts', 2));
  assert (isequal (rand ('state'), before));
  X2 = dgsolve (30, Dc, Lc, [], struct ('seed', 5, 'starts', 2));
  assert (isequal (X1, X2));
  assert (any (i1.start == [1 2]));

  % A start of the caller's: no iteration leaves it as it is.
  X0 = P + 0.1;
  [X, info] = dgsolve (4, D, [], [], struct ('X0', X0, 'maxIter', 0));
  assert (isequal (X, X0));
  assert (info.iterations, 0);
  assert (info.reason, 'iteration limit');

  % The geometric build-up start on a chain; where it finds no four
  % points to begin with, the scaled start runs in its place.
  [X, info] = dgsolve (30, Dc, Lc, [], struct ('method', 'buildup'));
  assert (superpose (X, C) < 1e-3);
  [X, info] = dgsolve (4, [1 2 1; 2 3 1], [], [], struct ('method', 'buildup', 'starts', 1));
  assert (info.penalty < 1e-12);
  assert (abs (norm (X(:, 1) - X(:, 2)) - 1) < 1e-6);

  % 2100 points on a line, more than the solver scales in one piece, so
  % the start comes from the paths to landmarks: the distances to the
  % points 1, 2, 64 and 128 further on make every shortest path exact, so
  % the start is already the answer (no axis of rounding noise blown up).
  n = 2100;
  Dl = zeros (0, 3);
  for step = [1 2 64 128]
    Dl = [Dl; (1:n-step)', (1+step:n)', repmat(step, n - step, 1)];
  end
  [X, info] = dgsolve (n, Dl, [], [], struct ('dim', 1, 'maxIter', 50, 'starts', 1));
  assert (max (abs (abs (diff (X)) - 1)) < 1e-6);
  assert (info.penalty < 1e-12);
end

function D = all_pairs (P)
  n = size (P, 2);
  [I, J] = find (triu (true (n), 1));
  Q = sqrt (pairsq (P));
  D = [I, J, Q(sub2ind ([n n], I, J))];
end

function r = superpose (X, Xref)
  % The RMSD after the best rotation, reflection and shift.
  A = X - mean (X, 2);  B = Xref - mean (Xref, 2);
  [U, ~, V] = svd (B * A');
  r = sqrt (sum (sum ((U * V' * A - B) .^ 2)) / size (X, 2));
end
