function result = demo_chain (n, opts)
%DEMO_CHAIN recover a 3-D chain from distances and bounds
%   result = demo_chain (n)
%   result = demo_chain (n, opts)
%
%   Builds a known chain of N points in 3-D (a random walk with fixed step
%   3.8, no two points closer than 3, kept within a sphere so that the chain
%   folds onto itself), and from it the constraint tables a user would have:
%     D   the distance of each pair of consecutive points;
%     Lb  a lower bound (type 1) for every non-neighbouring pair: for pairs
%         closer than 8, their distance less a random amount up to the
%         margin; for the others 8 itself;
%     Ub  an upper bound for every non-neighbouring pair closer than 8: its
%         distance plus a random amount up to the margin, with type codes 0,
%         -1 and -2 in turn.
%   It then forgets the coordinates and recovers them from the tables: a
%   geometric build-up places the points one by one where the middles of
%   their bounds fit best, and every 25 points an L-BFGS descent of penval,
%   with penslope as its gradient, refines all points placed so far against
%   the table rows among them; a last descent runs over all rows. At the end
%   it reports the penalty, the violations that linkdev, ceilgap and
%   floorgap find, and the RMSD to the known chain after the best
%   superposition (translation, rotation and reflection).
%
%   Options (fields of opts, all optional):
%     seed     random seed (1)
%     margin   largest distance between a pair's distance and its bounds (0.15)
%     maxIter  iteration limit of the descent (20000)
%     verbose  print progress (true)
%     png      file name for the figure ('' for none)
%
%   A point with fewer than four known distances (a loose chain end, say)
%   is not fixed by the tables; the demo lists such points (none for the
%   default seed).
%
%   result: n, loose (the points just named), penalty, violations (struct with count and largest per
%   report), rmsd, maxDistError (largest error of any pair distance),
%   iterations (of all descents), seconds, history (penalty after each
%   iteration of each descent, in order), X (recovered),
%   Xtrue, png (the file written, or '').
%
%   Example:
%     addpath build/toolbox examples
%     r = demo_chain (60);
%     r.rmsd            % well below 0.5
%
%   See also DEMO_COMPLETION, RUN_DEMOS, PENVAL, PENSLOPE.

  if (nargin < 1 || isempty (n))
    n = 500;
  end
  o = struct ('seed', 1, 'margin', 0.15, 'maxIter', 20000, 'verbose', true, 'png', '');
  if (nargin > 1)
    for f = fieldnames (opts)'
      o.(f{1}) = opts.(f{1});
    end
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});
  step = 3.8;  closest = 3;  cutoff = 8;
  clock0 = tic ();

  % The known chain, and every pair distance from pairsq.
  Xtrue = chain (n, step, closest, o.seed);
  dist = sqrt (pairsq (Xtrue));
  [tab, known] = tables (dist, cutoff, o.margin);
  say ('chain: %d points; %d distances, %d lower bounds, %d upper bounds\n', ...
       n, rows (tab.D), rows (tab.Lb), rows (tab.Ub));
  % A point with fewer than four neighbours closer than the cutoff (a
  % loose chain end, say) can turn or flip about them within its bounds: the
  % tables do not fix it.
  loose = find (sum (isfinite (known), 2)' - 1 < 4);
  if (! isempty (loose))
    say ('  %d point(s) with fewer than 4 known distances, not fixed by the tables: %s\n', ...
         numel (loose), mat2str (loose));
  end

  % Start, from the tables alone: a geometric build-up, refined as it grows.
  w = [1 1 1 0];  t = [2 0.5 1 1];
  say ('geometric build-up, refined with penval/penslope (L-BFGS) every 25 points\n');
  [X0, history] = build_up (known, tab, w, t, say);
  say ('  all points placed: penalty %.3e, RMSD %.2e\n', ...
       penval (X0, tab.D, tab.Lb, tab.Ub, w, t), superpose (X0, Xtrue));

  D = tab.D;  Lb = tab.Lb;  Ub = tab.Ub;
  fg = @(X) deal (penval (X, D, Lb, Ub, w, t), penslope (X, D, Lb, Ub, w, t));
  say ('minimising penval with penslope as gradient (L-BFGS) over all %d points\n', n);
  [X, info] = lbfgs_minimise (fg, X0, struct ('maxIter', o.maxIter, ...
                  'fTarget', 1e-20, 'gTol', 1e-12, 'stall', 50, ...
                  'report', @(it, f, g) progress (o.verbose, it, f, g)));
  history = [history, info.history];
  iterations = numel (history) - 1;
  f = penval (X, D, Lb, Ub, w, t);
  say ('  stopped after %d iterations (%s)\n', info.iterations, info.reason);

  % Report.
  v = struct ();
  v.linkdev = violations (linkdev (X, tab.D));
  v.ceilgap = violations (ceilgap (X, tab.Ub));
  v.floorgap = violations (floorgap (X, tab.Lb));
  [rmsd, Xfit] = superpose (X, Xtrue);
  maxDistError = max (max (abs (sqrt (pairsq (X)) - dist)));
  seconds = toc (clock0);
  say ('penalty %.3e after %d L-BFGS iterations in all, %.1f s\n', f, iterations, seconds);
  for name = {'linkdev', 'ceilgap', 'floorgap'}
    s = v.(name{1});
    say ('  %-8s %6d rows violated, largest %.3g\n', name{1}, s.count, s.largest);
  end
  say ('RMSD to the known chain after superposition: %.2e\n', rmsd);
  say ('largest error of any of the %d pair distances: %.2e\n', n * (n - 1) / 2, maxDistError);

  png = '';
  if (! isempty (o.png))
    png = draw (o.png, history, Xtrue, Xfit, rmsd, say);
  end
  result = struct ('n', n, 'loose', loose, 'penalty', f, 'violations', v, 'rmsd', rmsd, ...
                   'maxDistError', maxDistError, 'iterations', iterations, ...
                   'seconds', seconds, 'history', history, 'X', X, ...
                   'Xtrue', Xtrue, 'png', png);
end

function progress (verbose, iter, f, gmax)
  % One line of progress about every two seconds.
  persistent last
  if (iter == 1 || isempty (last))
    last = tic ();
  end
  if (verbose && (iter == 1 || toc (last) > 2))
    fprintf ('  iteration %5d   penalty %.3e   max |gradient| %.2e\n', iter, f, gmax);
    last = tic ();
  end
end

function X = chain (n, step, closest, seed)
  % A random walk with fixed step, kept inside a sphere that holds about
  % one point per 150 cubic units, with no point closer than `closest` to
  % an earlier one. A walk that finds no room backs up a few points.
  randn ('state', seed);
  rand ('state', seed);
  radius = (150 * n * 3 / (4 * pi)) ^ (1 / 3);
  X = zeros (3, n);
  k = 1;
  stuck = 0;
  while (k < n)
    u = randn (3, 64);
    u = u ./ sqrt (sumsq (u, 1));
    cand = X(:, k) + step * u;
    ok = sumsq (cand, 1) <= radius ^ 2;
    if (k > 1)
      near = min (sumsq (permute (cand(:, ok), [1 3 2]) - X(:, 1:k-1), 1), [], 2);
      idx = find (ok);
      ok(idx(squeeze (near) < closest ^ 2)) = false;
    end
    pick = find (ok, 1);
    if (isempty (pick))
      stuck++;
      k = max (1, k - min (5, stuck));     % back up further each time
      continue;
    end
    stuck = 0;
    k++;
    X(:, k) = cand(:, pick);
  end
  X -= mean (X, 2);
end

function [tab, known] = tables (dist, cutoff, margin)
  % The constraint tables, and the best guess of each distance that they
  % give (Inf where they give none): the distance itself for consecutive
  % points, the middle of the two bounds for the other pairs closer than
  % the cutoff. The bounds of such a pair lie below and above its distance
  % by random amounts up to `margin`.
  n = rows (dist);
  i = (1:n-1)';
  tab.D = [i, i + 1, dist(sub2ind ([n n], i, i + 1))];
  [I, J] = find (triu (true (n), 2));
  d = dist(sub2ind ([n n], I, J));
  close = d < cutoff;
  lower = repmat (cutoff, size (d));
  lower(close) = d(close) - margin * rand (nnz (close), 1);
  upper = d(close) + margin * rand (nnz (close), 1);
  tab.Lb = [I, J, lower, ones(size (I))];
  types = repmat ([0; -1; -2], ceil (nnz (close) / 3), 1);
  tab.Ub = [I(close), J(close), upper, types(1:nnz (close))];
  guess = [tab.D(:, 1:3); I(close), J(close), (lower(close) + upper) / 2];
  known = inf (n);
  known(1:n+1:end) = 0;
  known(sub2ind ([n n], guess(:, 1), guess(:, 2))) = guess(:, 3);
  known(sub2ind ([n n], guess(:, 2), guess(:, 1))) = guess(:, 3);
end

function [X, history] = build_up (known, tab, w, t, say)
  % Four points whose six distances are known are placed by classical
  % scaling; then, again and again, the point with the most known distances
  % to points already placed is placed where those distances fit best.
  % Every 25 points the points placed so far are refined with penval and
  % penslope on the table rows among them, so that small errors do not
  % pile up. history: the penalty after each iteration of those descents.
  n = rows (known);
  % The bounds as matrices, for the placement of single points.
  bounds.lower = zeros (n);
  bounds.upper = inf (n);
  for T = {tab.D, tab.Lb}
    idx = sub2ind ([n n], T{1}(:, 1), T{1}(:, 2));
    bounds.lower(idx) = T{1}(:, 3);
  end
  for T = {tab.D, tab.Ub}
    idx = sub2ind ([n n], T{1}(:, 1), T{1}(:, 2));
    bounds.upper(idx) = T{1}(:, 3);
  end
  bounds.lower = max (bounds.lower, bounds.lower');
  bounds.upper = min (bounds.upper, bounds.upper');
  K = isfinite (known);
  K(1:n+1:end) = false;
  X = zeros (3, n);
  placed = false (1, n);

  % Four points with all six distances known: the best connected point and
  % three of its neighbours that know each other.
  [~, order] = sort (sum (K, 2), 'descend');
  seed = [];
  for p = order'
    seed = clique4 (K, p);
    if (! isempty (seed))
      break;
    end
  end
  if (isempty (seed))
    error ('demo_chain:noSeed', 'demo_chain: no four points with all distances known');
  end
  X(:, seed) = scaling4 (known(seed, seed));
  placed(seed) = true;
  links = sum (K(:, placed), 2)';
  history = zeros (1, 0);
  sincePolish = 0;
  while (! all (placed))
    links(placed) = -1;
    [best, k] = max (links);
    anchors = find (K(k, :) & placed);
    X(:, k) = locate (k, anchors, X, placed, known, bounds);
    placed(k) = true;
    links += K(k, :);
    sincePolish++;
    if (sincePolish == 25 || all (placed))
      [X, info] = polish (X, placed, tab, w, t);
      history = [history, info.history];
      sincePolish = 0;
      say ('  %4d of %d points placed, %3d iterations, penalty %.3e\n', ...
           nnz (placed), n, info.iterations, info.value);
    end
  end
end

function seed = clique4 (K, p)
  % p and three of its neighbours, all six pairs known; [] if none.
  seed = [];
  nb = find (K(p, :));
  for a = 1:numel (nb)
    for b = a+1:numel (nb)
      if (! K(nb(a), nb(b)))
        continue;
      end
      c = nb(K(nb(a), nb) & K(nb(b), nb));
      c = c(c != nb(a) & c != nb(b));
      if (! isempty (c))
        seed = [p, nb(a), nb(b), c(1)];
        return;
      end
    end
  end
end

function X = scaling4 (dist)
  % Classical scaling of four points with known distances.
  n = rows (dist);
  J = eye (n) - ones (n) / n;
  B = -0.5 * J * (dist .^ 2) * J;
  [V, L] = eig ((B + B') / 2);
  [l, order] = sort (diag (L), 'descend');
  X = (V(:, order(1:3)) .* sqrt (max (l(1:3), 0))')';
end

function x = locate (k, anchors, X, placed, known, bounds)
  % Where point k fits best. Candidates: the linear least-squares estimate
  % from all anchors (when they span space), and the two mirror images
  % that fit the three anchors spanning the largest triangle; each is
  % refined by Gauss-Newton steps on the distances to all anchors. The
  % candidate that breaks the bounds to the placed points least wins.
  A = X(:, anchors);
  r = known(k, anchors);
  cand = zeros (3, 0);
  if (columns (A) >= 4)
    M = 2 * (A(:, 2:end) - A(:, 1))';
    if (rcond (M' * M) > 1e-10)
      rhs = (sumsq (A(:, 2:end), 1) - sumsq (A(:, 1)) - r(2:end) .^ 2 + r(1) ^ 2)';
      cand(:, end+1) = M \ rhs;
    end
  end
  if (columns (A) >= 3)
    cand = [cand, mirror_pair(A, r)];
  else
    % One or two known distances leave a sphere or a circle of places;
    % try points spread over it and let the bounds choose.
    cand = spread (A, r);
  end
  others = find (placed);
  lo = bounds.lower(k, others);  hi = bounds.upper(k, others);
  best = Inf;
  for c = 1:columns (cand)
    y = refine_point (cand(:, c), A, r);
    dist = sqrt (sumsq (X(:, others) - y, 1));
    score = sum (max (lo - dist, 0) .^ 2) + sum (max (dist - hi, 0) .^ 2) ...
            + sum ((dist(ismember (others, anchors)) - r) .^ 2);
    if (score < best)
      best = score;  x = y;
    end
  end
end

function cand = spread (A, r)
  % 24 points on the circle at distances r from two anchors, or 50 points
  % on the sphere of radius r around one anchor.
  if (columns (A) == 2)
    e1 = A(:, 2) - A(:, 1);  d = norm (e1);  e1 /= d;
    px = (r(1) ^ 2 - r(2) ^ 2 + d ^ 2) / (2 * d);
    rho = sqrt (max (r(1) ^ 2 - px ^ 2, 0));
    B = null (e1');
    a = (0:23) * (2 * pi / 24);
    cand = A(:, 1) + px * e1 + rho * (B(:, 1) * cos (a) + B(:, 2) * sin (a));
  else
    k = (0:49) + 0.5;                  % a golden-angle spiral over the sphere
    z = 1 - 2 * k / 50;
    a = pi * (1 + sqrt (5)) * k;
    cand = A + r(1) * [sqrt(1 - z .^ 2) .* cos(a); sqrt(1 - z .^ 2) .* sin(a); z];
  end
end

function cand = mirror_pair (A, r)
  % The two points at distances r(1:3) from three of the anchors: those
  % among the first six that span the largest triangle.
  m = min (columns (A), 6);
  area = -1;
  for a = 1:m
    for b = a+1:m
      for c = b+1:m
        s = norm (cross (A(:, b) - A(:, a), A(:, c) - A(:, a)));
        if (s > area)
          area = s;  pick = [a b c];
        end
      end
    end
  end
  P = A(:, pick);  q = r(pick);
  e1 = P(:, 2) - P(:, 1);  d = norm (e1);  e1 /= d;
  v = P(:, 3) - P(:, 1);
  i = e1' * v;
  e2 = v - i * e1;  j = norm (e2);  e2 /= j;
  e3 = cross (e1, e2);
  px = (q(1) ^ 2 - q(2) ^ 2 + d ^ 2) / (2 * d);
  py = (q(1) ^ 2 - q(3) ^ 2 + i ^ 2 + j ^ 2) / (2 * j) - i / j * px;
  pz = sqrt (max (q(1) ^ 2 - px ^ 2 - py ^ 2, 0));
  cand = P(:, 1) + px * e1 + py * e2 + [pz, -pz] .* e3;
end

function x = refine_point (x, A, r)
  % Damped Gauss-Newton (Levenberg-Marquardt) on the misfit of the
  % distances from x to the anchors; a step is taken only when it helps.
  misfit = @(y) sumsq (sqrt (sumsq (y - A, 1)) - r);
  f = misfit (x);
  mu = 1e-3;
  for it = 1:20
    diff = x - A;
    dist = max (sqrt (sumsq (diff, 1)), eps);
    Jac = (diff ./ dist)';
    res = (dist - r)';
    step = -(Jac' * Jac + mu * eye (3)) \ (Jac' * res);
    fn = misfit (x + step);
    if (fn < f)
      x += step;  f = fn;  mu /= 10;
    else
      mu *= 10;
    end
    if (f < 1e-20 || norm (step) < 1e-12)
      break;
    end
  end
end

function [X, info] = polish (X, placed, tab, w, t)
  % L-BFGS on penval / penslope over the rows whose points are both placed;
  % the other points take no part (their gradient is zero).
  keep = @(T) T(placed(T(:, 1)) & placed(T(:, 2)), :);
  D = keep (tab.D);  Lb = keep (tab.Lb);  Ub = keep (tab.Ub);
  fg = @(X) deal (penval (X, D, Lb, Ub, w, t), penslope (X, D, Lb, Ub, w, t));
  [X, info] = lbfgs_minimise (fg, X, struct ('maxIter', 300, 'fTarget', 1e-16, ...
                                              'gTol', 1e-10, 'stall', 30));
end

function s = violations (e)
  s = struct ('count', nnz (e), 'largest', max ([0; e(:)]));
end

function png = draw (file, history, Xtrue, Xfit, rmsd, say)
  png = '';
  [ok, why] = graphics_ready ();
  if (! ok)
    say ('no figure: no graphics toolkit works without a display here (%s)\n', why);
    return;
  end
  restore = quiet_warnings ();
  h = figure ('visible', 'off', 'position', [0 0 1100 480]);
  cleanup = onCleanup (@() close (h));
  subplot (1, 2, 1);
  semilogy (0:numel (history) - 1, max (history, 1e-30));
  set (gca, 'ytick', 10 .^ (-30:5:5));
  grid on;
  xlabel ('L-BFGS iteration (build-up refinements, then all points)');
  ylabel ('penalty (penval)');
  title ('descent of penval with penslope as gradient');
  subplot (1, 2, 2);
  plot3 (Xtrue(1, :), Xtrue(2, :), Xtrue(3, :), '-', 'color', [0.6 0.6 0.6], 'linewidth', 2);
  hold on;
  plot3 (Xfit(1, :), Xfit(2, :), Xfit(3, :), '.', 'color', [0.85 0.2 0.1], 'markersize', 8);
  hold off;
  grid on;  axis equal;  view (35, 25);
  legend ('known chain', 'recovered (superposed)', 'location', 'southoutside');
  title (sprintf ('%d points, RMSD %.1e', columns (Xtrue), rmsd));
  dir = fileparts (file);
  if (! isempty (dir) && ! exist (dir, 'dir'))
    mkdir (dir);
  end
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
