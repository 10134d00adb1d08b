function test_dgsolve ()
  % dgsolve on small problems whose answer is known, on problems in
  % several pieces, with a loose point, with bounds that contradict each
  % other, with outliers, and on a piece large enough to be solved in
  % patches; what it reports about its answer.

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
  assert (info.converged && any (strcmp (info.reason, {'tol', 'stalled'})));
  assert (ischar (info.message) && info.seconds >= 0);

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
  assert (~info.converged && ~isempty (strfind (info.message, '2 row(s) violated')));

  % Rows that take no part: with t(1) = 0 an upper bound of type -1 does
  % not join its pair, so the pair is two pieces; a lower bound of type 0
  % weighs nothing however far it is violated; a row naming one point
  % twice cannot change. Each is said once, before the work, never
  % printed by penslope, and the answer does not count as converged when
  % they are violated.
  lastwarn ('');
  [~, info] = dgsolve (2, [], [], [1 2 1 -1], struct ('t', [0 1 1 1]));
  [~, id] = lastwarn ();
  assert (id, 'dgsolve:unusedRows');
  assert (numel (info.pieces), 2);
  assert (info.loose, [1 2]);
  assert (info.weightless.Ub, 1);
  Lz = [D(:, 1:2), D(:, 3) + 5, zeros(6, 1)];
  state = warning ('off', 'dgsolve:unusedRows');
  printed = evalc ('[~, info] = dgsolve (4, D, Lz, [1 1 1 0]);');
  warning (state);
  assert (isempty (strfind (printed, 'Unkonw')));
  assert (info.weightless.Lb, (1:6)');
  assert (info.samePoint.Ub, 1);
  assert (info.penalty < 1e-12 && info.violations.floorgap.count == 6);
  assert (~info.converged);

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

  % The same seed gives the same bits, and the caller's random numbers go
  % on as if dgsolve had not run, whichever way they were seeded (the
  % 'seed' form selects Octave's old generator).
  [X1, i1] = dgsolve (30, Dc, Lc, [], struct ('seed', 5, 'starts', 3, 'tol', 0));
  X2 = dgsolve (30, Dc, Lc, [], struct ('seed', 5, 'starts', 3, 'tol', 0));
  assert (isequal (X1, X2));
  assert (any (i1.start == [1 2 3]));
  seeding = {@() rand ('seed', 42), @() rand (1, 3)
             @() rand ('state', 42), @() rand (1, 3)
             @() randn ('state', 7), @() randn (1, 3)
             @() rng (3), @() rand (1, 3)};
  for k = 1:size (seeding, 1)
    seeding{k, 1} ();
    expected = seeding{k, 2} ();
    seeding{k, 1} ();
    dgsolve (30, Dc, Lc, [], struct ('starts', 3, 'tol', 0, 'maxIter', 20));
    assert (isequal (seeding{k, 2} (), expected), sprintf ('seeding %d', k));
  end

  % A start of the caller's: no iteration leaves it as it is.
  X0 = P + 0.1;
  [X, info] = dgsolve (4, D, [], [], struct ('X0', X0, 'maxIter', 0));
  assert (isequal (X, X0));
  assert (info.iterations, 0);
  assert (info.reason, 'maxIter');

  % The geometric build-up start on a chain; where it finds no four
  % points to begin with, the scaled start runs in its place.
  [X, info] = dgsolve (30, Dc, Lc, [], struct ('method', 'buildup'));
  assert (superpose (X, C) < 1e-3);
  [X, info] = dgsolve (4, [1 2 1; 2 3 1], [], [], struct ('method', 'buildup', 'starts', 1));
  assert (info.penalty < 1e-12);
  assert (abs (norm (X(:, 1) - X(:, 2)) - 1) < 1e-6);

  % 1500 points of a grid in the plane, more than the solver scales in
  % one piece: solved in overlapping patches fitted together (each patch
  % may come out mirrored), then refined; every pair of neighbours and
  % diagonal neighbours is known.
  [gx, gy] = meshgrid (0:29, 0:49);
  G = [gx(:)'; gy(:)'];
  n = size (G, 2);
  [I, J] = find_near (G, 1.5);
  Dg = [I, J, sqrt(sum((G(:, I) - G(:, J)) .^ 2, 1))'];
  [X, info] = dgsolve (n, Dg, [], [], struct ('dim', 2, 'fTarget', 1e-12, 'starts', 1));
  assert (superpose (X, G) < 1e-3, sprintf ('patched grid RMSD %g', superpose (X, G)));
  assert (info.converged);

  % Outliers: a jittered lattice with every distance below 2.2 known, 6
  % of them 50% too long. With robust the answer keeps its shape and the
  % 6 rows are the suspects; without, the reports find them among many.
  rand ('state', 11);
  [a, b, c] = ndgrid (0:3, 0:3, 0:3);
  C = [a(:)'; b(:)'; c(:)'] + 0.2 * rand (3, 64);
  [I, J] = find_near (C, 2.2);
  Do = [I, J, sqrt(sum((C(:, I) - C(:, J)) .^ 2, 1))'];
  wrong = [5; 50; 100; 150; 200; 300];
  Do(wrong, 3) = 1.5 * Do(wrong, 3);
  [X, info] = dgsolve (64, Do, [], [], struct ('robust', true, 'starts', 1));
  assert (sort (info.suspect.D), wrong);
  assert (superpose (X, C) < 1e-3, sprintf ('robust RMSD %g', superpose (X, C)));
  assert (info.converged);
  % The lattice holds every point firmly once the suspects are left out
  % (with them, the spring-back test moved every point).
  assert (isempty (info.undetermined), sprintf ('%d point(s) undetermined', numel (info.undetermined)));
  [X, info] = dgsolve (64, Do, [], [], struct ('starts', 1));
  assert (isempty (info.suspect.D) && ~info.converged);
  assert (all (ismember (wrong, info.violations.linkdev.rows)));
  assert (info.violations.linkdev.count > 10 * numel (wrong));
  % robust false is the default: the same bits, nothing suspect.
  [Xf, infof] = dgsolve (64, Do, [], [], struct ('starts', 1, 'robust', false));
  assert (isequal (Xf, X) && isequal (infof.violations, info.violations));
  assert (isempty (infof.suspect.D) && isempty (infof.suspect.Lb) && isempty (infof.suspect.Ub));
  % Every suspect is violated by more than 5% of the rows' median length,
  % and every other row is met (the answer is called converged).
  [X, info] = dgsolve (64, Do, [], [], struct ('robust', true, 'starts', 1));
  r = abs (linkdev (X, Do));
  assert (all (r(info.suspect.D) > 0.05 * median (Do(:, 3))));
  assert (max (r(setdiff (1:end, info.suspect.D))) <= 0.01);

  % Rows set aside keep the half they meet: a row too long is kept as an
  % upper bound at its target, one too short as a lower bound. Half the
  % wrong rows of the lattice made too short instead: the same answer, the
  % same suspects, each met on the side the true distance lies (a half
  % kept on the wrong side would pull the lattice out of shape).
  Ds = Do;
  short = wrong(1:2:end);
  Ds(short, 3) = Ds(short, 3) / 1.5 / 2;
  [X, info] = dgsolve (64, Ds, [], [], struct ('robust', true, 'starts', 1));
  assert (sort (info.suspect.D), wrong);
  assert (superpose (X, C) < 1e-3, sprintf ('robust RMSD, rows too short %g', superpose (X, C)));
  d = sqrt (sum ((X(:, Ds(:, 1)) - X(:, Ds(:, 2))) .^ 2, 1))' - Ds(:, 3);
  long = setdiff (wrong, short);
  assert (all (d(short) > 0) && all (d(long) < 0));
  assert (info.converged);

  % Two pieces, the lattice twice with its wrong rows: the robust runs
  % compare fresh starts and the mean of the answers, superposed as a
  % whole; the pieces are free to lie anywhere relative to each other,
  % so the mean can be no better than the answers, and each piece still
  % comes back with its wrong rows the suspects.
  D2 = [Do; Do(:, 1:2) + 64, Do(:, 3)];
  [X, info] = dgsolve (128, D2, [], [], struct ('robust', true, 'starts', 1));
  assert (sort (info.suspect.D), [wrong; wrong + size(Do, 1)]);
  assert (superpose (X(:, 1:64), C) < 1e-3 && superpose (X(:, 65:128), C) < 1e-3, ...
          sprintf ('robust RMSD, two pieces %g, %g', superpose (X(:, 1:64), C), ...
                   superpose (X(:, 65:128), C)));
  assert (info.converged && numel (info.pieces) == 2);

  % An outlier that a plain fit takes in by bending: a chain whose points
  % know the four before them, one distance two apart made 50% too long.
  % The plain fit meets it (the chain bends there, and the other rows
  % give a little); robust names it alone and finds the chain.
  rand ('state', 4);  randn ('state', 4);
  C = cumsum (randn (3, 40), 2);
  [I, J] = find (triu (true (40), 1) & ~triu (true (40), 5));
  Dch = [I, J, sqrt(sum((C(:, I) - C(:, J)) .^ 2, 1))'];
  bent = 57;
  assert (Dch(bent, 2) - Dch(bent, 1), 2);
  Dch(bent, 3) = 1.5 * Dch(bent, 3);
  [X, info] = dgsolve (40, Dch, [], [], struct ('starts', 1));
  assert (abs (linkdev (X, Dch(bent, :))) < 0.1 * Dch(bent, 3) / 3);
  assert (~info.converged);
  [X, info] = dgsolve (40, Dch, [], [], struct ('starts', 1, 'robust', true));
  assert (info.suspect.D, bent);
  assert (superpose (X, C) < 1e-3, sprintf ('robust chain RMSD %g', superpose (X, C)));
  assert (info.converged);

  % Points held by one upper bound each are loose and free to move: the
  % spread test finds most of them (each is moved at random), and the
  % lattice held.
  free = (65:76)';
  [X, info] = dgsolve (76, Do(setdiff (1:end, wrong), :), [], ...
                       [ones(12, 1), free, repmat(5, 12, 1), zeros(12, 1)], 'starts', 1);
  assert (info.loose, free');
  assert (~any (ismember (1:64, info.undetermined)));
  assert (nnz (ismember (free, info.undetermined)) >= 8);
  assert (size (info.spread), [1 76]);
end

function [I, J] = find_near (P, r)
  % The pairs i < j of the columns of P closer than r.
  Q = pairsq (P);
  [I, J] = find (triu (Q < r ^ 2 & Q > 0, 1));
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
