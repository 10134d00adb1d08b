function test_dgsolve_limits ()
  % dgsolve keeps its limits: maxTime in every phase, memory that follows
  % the problem and not maxIter or starts, work linear in n; the pairs
  % closer than minSeparation are all found (against brute force); a
  % finished start survives the failure of a later one.

  % maxTime, kept within a second or so (2 s here, for a busy machine)
  % with one piece scaled whole and with one solved in patches.
  rand ('state', 3);
  chain = cumsum (randn (3, 200), 2);
  [I, J] = find (triu (true (200), 1));
  near = J - I <= 3;
  Dc = [I(near), J(near), sqrt(sum((chain(:, I(near)) - chain(:, J(near))) .^ 2, 1))'];
  [gx, gy] = meshgrid (0:29, 0:49);
  G = [gx(:)'; gy(:)'];
  Q = pairsq (G);
  [I, J] = find (triu (Q < 2.5 & Q > 0, 1));
  Dg = [I, J, sqrt(Q(sub2ind (size (Q), I, J)))];
  % maxTime 1e-9 at 1500 points: over before the first patch is solved.
  cases = {200, Dc, {'maxTime', 0.1, 'minSeparation', 1}
           1500, Dg, {'maxTime', 0.5, 'dim', 2, 'starts', 3, 'tol', 0}
           1500, Dg, {'maxTime', 1e-9, 'dim', 2}};
  for k = 1:size (cases, 1)
    [n, D, opts] = cases{k, :};
    t0 = tic ();
    [X, info] = dgsolve (n, D, [], [], opts{:});
    seconds = toc (t0);
    assert (seconds < opts{2} + 2, sprintf ('case %d: %.2f s for maxTime %g', k, seconds, opts{2}));
    assert (info.reason, 'maxTime');
    assert (all (isfinite (X(:))) && ~info.converged);
  end

  % Robust: a run whose time runs out, in the robust rounds or before
  % them, says maxTime, and the rows it judged suspect by then are still
  % listed; a run that does not say so judged to the end (a lattice with
  % 6 distances 50% too long; limits from tiny to ample, so that some
  % fall inside the rounds).
  rand ('state', 11);
  [a, b, c] = ndgrid (0:3, 0:3, 0:3);
  L = [a(:)'; b(:)'; c(:)'] + 0.2 * rand (3, 64);
  Q = pairsq (L);
  [I, J] = find (triu (Q < 2.2 ^ 2 & Q > 0, 1));
  Do = [I, J, sqrt(Q(sub2ind (size (Q), I, J)))];
  wrong = [5; 50; 100; 150; 200; 300];
  Do(wrong, 3) = 1.5 * Do(wrong, 3);
  [~, info] = dgsolve (64, Do, [], [], 'robust', true, 'starts', 1);
  full = info.seconds;
  assert (isequal (sort (info.suspect.D), wrong) && info.converged);
  inside = 0;
  for share = [0.02 0.05 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9]
    [X, info] = dgsolve (64, Do, [], [], 'robust', true, 'starts', 1, 'maxTime', share * full);
    assert (all (isfinite (X(:))));
    if (strcmp (info.reason, 'maxTime'))
      inside = inside + ~isempty (info.suspect.D);
    else
      % A run that does not say maxTime finished its judgement.
      assert (sort (info.suspect.D), wrong);
      assert (info.converged);
    end
  end
  assert (inside > 0, 'no limit fell inside the robust rounds');

  % Limits far beyond what the problem needs cost nothing up front.
  P = [0 0 0; 1 0 0; 0 1 0]';
  D3 = [1 2 1; 1 3 1; 2 3 sqrt(2)];
  [~, info] = dgsolve (3, D3, [], [], 'maxIter', 1e12, 'starts', 5e7);
  assert (info.converged && info.start == 1);
  [~, info] = dgsolve (2, [1 2 1], [], [1 2 0.5 0], 'starts', 5e7, 'maxTime', 1);
  assert (info.reason, 'maxTime');

  % One distance among 100,000 points: the other points are pieces of
  % their own, set aside without work per piece that grows with n.
  [X, info] = dgsolve (1e5, [1 2 1], [], [], 'maxIter', 20);
  assert (abs (norm (X(:, 1) - X(:, 2)) - 1) < 1e-6);
  assert (numel (info.pieces), 1e5 - 1);

  % minSeparation: with X0 and no iteration, the pairs no table names
  % that are closer than it are all found, in any dimension and however
  % crowded the points (the count and the largest shortfall against all
  % pairs).
  rand ('state', 5);
  for dim = [1 2 3 4]
    for spreadOut = [0.5 3]
      n = 300;
      X0 = spreadOut * rand (dim, n);
      named = [1 2 0.1; 3 4 0.1; 5 6 0.1];
      s = 0.7;
      [X, info] = dgsolve (n, named, [], [], 'dim', dim, 'X0', X0, 'maxIter', 0, ...
                           'minSeparation', s, 'starts', 1);
      assert (isequal (X, X0));
      Qx = sqrt (pairsq (X0));
      Qx(sub2ind ([n n], named(:, 1), named(:, 2))) = Inf;
      gap = s - Qx(triu (true (n), 1));
      gap = gap(gap > 0);
      assert (info.separation.count, numel (gap));
      assert (info.separation.largest, max ([0; gap]), 1e-12);
    end
  end

  % A start that fails after one has finished: the finished one is kept
  % and the failure reported (here the scaled start cannot compute its
  % eigenvalues, after the caller's X0 has been refined).
  here = tempname ();
  mkdir (here);
  cleanup = onCleanup (@() remove_folder (here));
  fid = fopen (fullfile (here, 'eig.m'), 'w');
  fprintf (fid, 'function varargout = eig (varargin)\n  error (''test:eig'', ''eig failed'');\nend\n');
  fclose (fid);
  X0 = P + 0.01 * [1 -1 0; 0 1 1; 1 0 -1];
  addpath (here);
  lastwarn ('');
  try
    [X, info] = dgsolve (3, D3, [], [], 'X0', X0, 'starts', 2, 'tol', 0, 'maxIter', 50);
  catch err
    rmpath (here);
    rethrow (err);
  end
  rmpath (here);
  [~, id] = lastwarn ();
  assert (id, 'dgsolve:startFailed');
  assert (info.start, 1);
  assert (~isempty (strfind (info.message, 'eig failed')));
  assert (info.penalty < 1e-12);
end

function remove_folder (folder)
  confirm_recursive_rmdir (false, 'local');
  rmdir (folder, 's');
end
