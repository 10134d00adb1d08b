function [X, history, timedOut] = dg_buildup (known, tab, w, t, say, clock, deadline)
%DG_BUILDUP geometric build-up start for dgsolve (3-D only)
%   [X, history, timedOut] = dg_buildup (known, tab, w, t, say, clock, deadline)
%   known: n-by-n best guess of each distance (Inf where none, 0 on the
%   diagonal); tab: the tables (fields D, Lb, Ub: the rows that take
%   part); w, t: penval's weights; say: a function printing progress (as
%   fprintf); clock, deadline: a tic () value and the seconds on it after
%   which the points not yet placed are set beside those placed without
%   refinement (timedOut true).
  % Four points whose six distances are known are placed by classical
  % scaling; then, again and again, the point with the most known distances
  % to points already placed is placed where those distances fit best.
  % Every 25 points the points placed so far are refined with penval and
  % penslope on the table rows among them, so that small errors do not
  % pile up. history: the penalty after each iteration of those descents.
  n = size (known, 1);
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
    if (~isempty (seed))
      break;
    end
  end
  if (isempty (seed))
    error ('dgsolve:noSeed', 'dgsolve: build-up: no four points with all six distances known');
  end
  X(:, seed) = scaling4 (known(seed, seed));
  placed(seed) = true;
  links = sum (K(:, placed), 2)';
  history = zeros (1, 0);
  sincePolish = 0;
  timedOut = false;
  while (~all (placed))
    if (toc (clock) > deadline)
      % Out of time: the rest beside what is placed, in a row.
      rest = find (~placed);
      X(:, rest) = max (X(:, placed), [], 2) + 2 * [1:numel(rest); zeros(2, numel (rest))];
      timedOut = true;
      break;
    end
    links(placed) = -1;
    [best, k] = max (links);
    anchors = find (K(k, :) & placed);
    if (isempty (anchors))
      % Nothing placed knows this point (another piece, or a point no
      % distance reaches): set it beside what is placed.
      X(:, k) = max (X(:, placed), [], 2) + 2;
    else
      X(:, k) = locate (k, anchors, X, placed, known, bounds);
    end
    placed(k) = true;
    links = links + K(k, :);
    sincePolish = sincePolish + 1;
    if (sincePolish == 25 || all (placed))
      [X, info] = polish (X, placed, tab, w, t, clock, deadline);
      if (isempty (history))
        history = info.history;
      else
        history = [history, info.history(2:end)];
      end
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
      if (~K(nb(a), nb(b)))
        continue;
      end
      c = nb(K(nb(a), nb) & K(nb(b), nb));
      c = c(c ~= nb(a) & c ~= nb(b));
      if (~isempty (c))
        seed = [p, nb(a), nb(b), c(1)];
        return;
      end
    end
  end
end

function X = scaling4 (dist)
  % Classical scaling of four points with known distances.
  n = size (dist, 1);
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
  if (size (A, 2) >= 4)
    M = 2 * (A(:, 2:end) - A(:, 1))';
    if (rcond (M' * M) > 1e-10)
      rhs = (sum (A(:, 2:end) .^ 2, 1) - sum (A(:, 1) .^ 2) - r(2:end) .^ 2 + r(1) ^ 2)';
      cand(:, end+1) = M \ rhs;
    end
  end
  if (size (A, 2) >= 3)
    cand = [cand, mirror_pair(A, r)];
  else
    % One or two known distances leave a sphere or a circle of places;
    % try points spread over it and let the bounds choose.
    cand = spread (A, r);
  end
  others = find (placed);
  lo = bounds.lower(k, others);  hi = bounds.upper(k, others);
  best = Inf;
  for c = 1:size (cand, 2)
    y = refine_point (cand(:, c), A, r);
    dist = sqrt (sum ((X(:, others) - y) .^ 2, 1));
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
  if (size (A, 2) == 2)
    e1 = A(:, 2) - A(:, 1);  d = norm (e1);  e1 = e1 / d;
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
  m = min (size (A, 2), 6);
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
  e1 = P(:, 2) - P(:, 1);  d = norm (e1);  e1 = e1 / d;
  v = P(:, 3) - P(:, 1);
  i = e1' * v;
  e2 = v - i * e1;  j = norm (e2);  e2 = e2 / j;
  e3 = cross (e1, e2);
  px = (q(1) ^ 2 - q(2) ^ 2 + d ^ 2) / (2 * d);
  py = (q(1) ^ 2 - q(3) ^ 2 + i ^ 2 + j ^ 2) / (2 * j) - i / j * px;
  pz = sqrt (max (q(1) ^ 2 - px ^ 2 - py ^ 2, 0));
  cand = P(:, 1) + px * e1 + py * e2 + [pz, -pz] .* e3;
end

function x = refine_point (x, A, r)
  % Damped Gauss-Newton (Levenberg-Marquardt) on the misfit of the
  % distances from x to the anchors; a step is taken only when it helps.
  misfit = @(y) sum ((sqrt (sum ((y - A) .^ 2, 1)) - r) .^ 2);
  f = misfit (x);
  mu = 1e-3;
  for it = 1:20
    diff = x - A;
    dist = max (sqrt (sum (diff .^ 2, 1)), eps);
    Jac = (diff ./ dist)';
    res = (dist - r)';
    step = -(Jac' * Jac + mu * eye (3)) \ (Jac' * res);
    fn = misfit (x + step);
    if (fn < f)
      x = x + step;  f = fn;  mu = mu / 10;
    else
      mu = mu * 10;
    end
    if (f < 1e-20 || norm (step) < 1e-12)
      break;
    end
  end
end

function [X, info] = polish (X, placed, tab, w, t, clock, deadline)
  % L-BFGS on penval / penslope over the rows whose points are both placed;
  % the other points take no part (their gradient is zero).
  keep = @(T) T(placed(T(:, 1)) & placed(T(:, 2)), :);
  D = keep (tab.D);  Lb = keep (tab.Lb);  Ub = keep (tab.Ub);
  fg = @(X, aux) deal (penval (X, D, Lb, Ub, w, t), penslope (X, D, Lb, Ub, w, t), aux);
  [X, info] = dg_lbfgs (fg, X, struct ('memory', 10, 'maxIter', 300, 'fTarget', 1e-16, ...
                                        'gTol', 1e-10, 'stall', 30, 'clock', clock, ...
                                        'deadline', deadline, 'report', []), []);
end

