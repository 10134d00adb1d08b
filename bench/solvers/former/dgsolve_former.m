function [X, info] = dgsolve_former (n, D, Lb, Ub, opts)
%DGSOLVE_FORMER dgsolve as it was before the large-structure rework, kept for the benchmark
%   Kept unchanged (but for its name and this paragraph) so that
%   bench_dgsolve can time it beside dgsolve on the same tables in the
%   same run; its private helpers are copies of dgsolve's as they were.
%
%   X = dgsolve_former (n, D, Lb, Ub)
%   [X, info] = dgsolve_former (n, D, Lb, Ub, opts)
%
%   Finds n points whose pair distances fit the tables as well as it can:
%   it minimises penval (X, D, Lb, Ub, w, t), with penslope as gradient.
%   The tables are exactly those penval takes ([] for a table with no rows):
%     D   distance table, one row per pair: [i j target];
%     Lb  lower bounds [i j bound type]: type 1 weighs with t(4), -2 with t(3);
%     Ub  upper bounds [i j bound type]: type >= 0 weighs with w(3) alone,
%         -1 with t(1), -2 with t(2).
%   Point numbers run from 1 to n. A row whose weight is zero takes no part.
%
%   Method: the upper bounds are smoothed by the triangle inequality
%   (shortest paths over the distances and upper bounds), classical scaling
%   of those lengths gives a start in dim+1 dimensions (up to 2000 points in
%   a piece from all pair paths, above that from the paths to 200
%   landmarks), an L-BFGS descent of the penalty refines it while a
%   growing penalty on the extra coordinate squeezes it out, then a descent
%   in dim dimensions; these run on centred tables (each pair bounded on
%   both sides drawn to the middle 30% of its bounds, where its distance
%   most likely is). A last descent runs on the tables as given. While the
%   penalty stays above 1e-6 per table row (or fTarget, if larger) and
%   starts allow, further starts follow: the other method (the geometric
%   build-up, or the scaled start after it), then random metrizations
%   (random lengths between each pair's bounds before the shortest
%   paths). The answer of least penalty is kept. Pieces that no distance
%   or upper bound joins are started apart from each other.
%
%   Options (fields of opts, all optional):
%     dim            dimension of the points (3)
%     w, t           the weights handed to penval ([1 1 1 0], [1 1 1 1])
%     minSeparation  keep every pair that no table names at least this far
%                    apart (0: no such rule). The pairs are not listed: the
%                    solver finds those that come closer than this (plus a
%                    margin) as it runs, every 50 iterations, and adds them
%                    as lower bounds of weight 1 (uses pairsq: n-by-n memory).
%     seed           seed of the random numbers (1); the same seed gives the
%                    same answer
%     X0             a dim-by-n start (then no start is built)
%     starts         largest number of starts (2)
%     maxTime        seconds after which the descent stops (Inf)
%     maxIter        iteration limit of the descents of one start (5000)
%     fTarget        a descent stops when the penalty falls to this (1e-20);
%                    with noisy bounds, 1e-4 (no row off by more than 0.01)
%                    saves the long tail of tiny improvements
%     verbose        print progress about every two seconds (false)
%     method         the first start: 'embed' (the scaled start above),
%                    'buildup' (3-D only: points placed one by one from
%                    those already placed, refined every 25 points, then a
%                    last descent) or 'auto' (the default: the build-up in
%                    3-D for up to 2000 points when most pairs bounded on
%                    both sides have bounds narrower than a tenth of their
%                    distance, where it is quicker; else the scaled start)
%
%   X: dim-by-n coordinates. They are determined up to a rotation, a shift
%   and a reflection: distances cannot tell a configuration from its mirror
%   image.
%   info, a struct:
%     penalty     penval of X against the tables (with o.w, o.t)
%     separation  for minSeparation > 0: count and largest shortfall of
%                 unnamed pairs closer than minSeparation, and its penalty
%     violations  for each report (linkdev on D, ceilgap on Ub, floorgap on
%                 Lb): rows (violated row numbers), count, largest
%     loose       points with fewer than dim partners by distance or upper
%                 bound: the tables cannot fix them
%     pieces      cell of point lists: the separate pieces of the problem
%                 (points joined by distances or upper bounds), largest first
%     iterations, seconds, history (for the start kept: the value each
%     descent minimised, at the start and after each iteration; before
%     the last descent that is the centred tables' penalty with the
%     squeeze term), reason (why the last descent stopped), start (the
%     number of the start kept)
%
%   Errors (identifier dgsolve:<reason>), raised before any work:
%   notEnoughInputs, badPointCount, notRealDouble, tooFewColumns,
%   notFinite (a table entry that is NaN or Inf), pointOutside (a point
%   number that is not a whole number from 1 to n; the message names the
%   table and the row), badOption.
%
%   Example:
%     addpath build/toolbox solvers
%     P = [0 0 0; 1 0 0; 0 1 0; 0 0 1]';            % a tetrahedron
%     [I, J] = find (triu (ones (4), 1));
%     D = [I, J, sqrt(sum((P(:, I) - P(:, J)) .^ 2, 1))'];
%     [X, info] = dgsolve (4, D, [], []);
%     info.penalty                                   % about 0
%
%   See also PENVAL, PENSLOPE, LINKDEV, CEILGAP, FLOORGAP, PAIRSQ.

  clock0 = tic ();
  if (nargin < 4)
    error ('dgsolve:notEnoughInputs', 'dgsolve: needs n, D, Lb and Ub (opts is optional)');
  end
  if (nargin < 5)
    opts = struct ();
  end
  [D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, opts);
  n = double (n);
  say = @(varargin) o.verbose && fprintf (varargin{:});
  g = dg_graph (n, D, Lb, Ub, o);
  say ('dgsolve: %d points, %d distances, %d lower and %d upper bounds; %d piece(s), %d loose point(s)\n', ...
       n, size (D, 1), size (Lb, 1), size (Ub, 1), numel (g.pieces), numel (g.loose));

  % The random numbers are the solver's own, and the caller's are restored.
  saved = rng ();
  restore = onCleanup (@() rng (saved));
  rng (o.seed);

  tab = struct ('D', D, 'Lb', Lb, 'Ub', Ub);
  tab.centred = centred (tab, g, n, 0.3);
  % The starts, in turn, until one is good enough (a penalty below 1e-6
  % per table row): the caller's X0, then the method asked for, then the
  % other method (the build-up is 3-D only), then random metrizations.
  kinds = {o.method};
  if (strcmp (o.method, 'auto'))
    kinds = {auto_method(g, n, o)};
  end
  if (o.dim == 3)
    kinds = unique ([kinds, {'embed', 'buildup'}], 'stable');
  end
  if (~isempty (o.X0))
    kinds = [{'given'}, kinds];
  end
  kinds = [kinds, repmat({'random'}, 1, o.starts)];
  enough = max (o.fTarget, 1e-6 * max (1, size (D, 1) + size (Lb, 1) + size (Ub, 1)));
  best = [];
  s = 0;
  while (s < o.starts)
    s = s + 1;
    if (toc (clock0) > o.maxTime && s > 1)
      break;
    end
    try
      [Xs, run] = one_start (kinds{s}, n, tab, g, o, clock0, say);
    catch err
      % A build-up that finds no four points to begin with gives way to
      % the next kind of start, which then runs in its place.
      if (strcmp (err.identifier, 'dgsolve:noSeed'))
        say ('  start %d (build-up) skipped: %s\n', s, err.message);
        kinds(s) = [];
        s = s - 1;
        continue;
      end
      rethrow (err);
    end
    if (isempty (best) || run.total < best.total)
      best = run;  best.start = s;  X = Xs;
    end
    say ('  start %d (%s): penalty %.3e (%s)\n', s, kinds{s}, run.total, run.reason);
    if (best.total <= enough)
      break;
    end
  end

  info = struct ();
  info.penalty = penval (X, D, Lb, Ub, o.w, o.t);
  if (o.minSeparation > 0)
    gap = separation_gaps (X, g.named, n, o.minSeparation, 0);
    info.separation = struct ('count', size (gap, 1), 'largest', max ([0; gap(:, 3)]), ...
                              'penalty', sum (gap(:, 3) .^ 2));
  end
  info.violations = struct ('linkdev', report (linkdev (X, D)), ...
                            'ceilgap', report (ceilgap (X, Ub)), ...
                            'floorgap', report (floorgap (X, Lb)));
  info.loose = g.loose;
  info.pieces = g.pieces;
  info.iterations = numel (best.history) - 1;
  info.seconds = toc (clock0);
  info.history = best.history;
  info.reason = best.reason;
  info.start = best.start;
  say ('dgsolve: penalty %.3e after %d iterations, %.1f s (%s)\n', ...
       info.penalty, info.iterations, info.seconds, info.reason);
end

function [X, run] = one_start (kind, n, tab, g, o, clock0, say)
  % One start of the given kind and its descents. run: total (the penalty
  % with the separation term), history, reason.
  history = zeros (1, 0);
  budget = o.maxIter;
  if (strcmp (kind, 'given'))
    X = o.X0;
  elseif (strcmp (kind, 'buildup'))
    say ('  build-up: placing the points one by one\n');
    [X, history] = dg_buildup (known_distances (n, g), tab, o.w, o.t, say);
  else
    X = start (n, g, o, strcmp (kind, 'random'));
    % Descents in one more dimension, the extra coordinate squeezed out by
    % a growing penalty, then one in dim dimensions: all on the centred
    % tables, which steer each pair bounded on both sides towards the
    % middle of its bounds, where its distance most likely is.
    for lambda = [0 0.01 0.1 1 NaN]
      if (isnan (lambda))
        X = X(1:o.dim, :);
        lambda = 0;
      end
      [X, h, reason] = descend (X, tab.centred, g, o, lambda, min (300, budget), 50, clock0, say);
      history = follow (history, h);
      budget = budget - (numel (h) - 1);
      if (strcmp (reason, 'time limit'))
        break;
      end
    end
    X = X(1:o.dim, :);
  end
  [X, h, reason] = descend (X, tab, g, o, 0, budget, 100, clock0, say);
  history = follow (history, h);
  total = penval (X, tab.D, tab.Lb, tab.Ub, o.w, o.t);
  if (o.minSeparation > 0)
    gap = separation_gaps (X, g.named, n, o.minSeparation, 0);
    total = total + sum (gap(:, 3) .^ 2);
  end
  run = struct ('total', total, 'history', history, 'reason', reason);
end

function kind = auto_method (g, n, o)
  % The build-up places each point where the middles of its bounds to the
  % points already placed fit best: the right start when those middles are
  % close to the distances (bounds narrower than a tenth of the distance
  % for most pairs), in 3-D, and for up to 2000 points (it keeps an n-by-n
  % table and refines every 25 points). Otherwise the scaled start.
  kind = 'embed';
  e = g.edges(g.edges(:, 3) > 0, :);
  if (o.dim == 3 && n <= 2000 && ~isempty (e))
    width = (e(:, 4) - e(:, 3)) ./ max ((e(:, 3) + e(:, 4)) / 2, realmin);
    if (median (width) < 0.1)
      kind = 'buildup';
    end
  end
end

function history = follow (history, h)
  % The history of one descent after the one before: its start value is
  % where the one before ended (or, for the first, the start's value).
  if (isempty (history))
    history = h;
  else
    history = [history, h(2:end)];
  end
end

function c = centred (tab, g, n, q)
  % The tables with the bounds of each pair bounded on both sides drawn
  % towards the middle of its bounds, to q times their half width.
  c = struct ('D', tab.D, 'Lb', tab.Lb, 'Ub', tab.Ub);
  e = g.edges(g.edges(:, 3) > 0, :);
  if (isempty (e))
    return;
  end
  mid = (e(:, 3) + e(:, 4)) / 2;
  half = max (e(:, 4) - e(:, 3), 0) / 2;
  keys = (e(:, 1) - 1) * n + e(:, 2);
  key = @(T) (min (T(:, 1), T(:, 2)) - 1) * n + max (T(:, 1), T(:, 2));
  [hit, at] = ismember (key (c.Lb), keys);
  c.Lb(hit, 3) = max (c.Lb(hit, 3), mid(at(hit)) - q * half(at(hit)));
  [hit, at] = ismember (key (c.Ub), keys);
  c.Ub(hit, 3) = min (c.Ub(hit, 3), mid(at(hit)) + q * half(at(hit)));
end

function X = start (n, g, o, randomise)
  % Each piece scaled on its own, the pieces then set side by side along
  % the first axis, a gap of 2 (or minSeparation) apart.
  dimE = o.dim + 1;
  X = zeros (dimE, n);
  edge = 0;
  gap = max (2, o.minSeparation);
  for k = 1:numel (g.pieces)
    members = g.pieces{k};
    m = numel (members);
    local = zeros (1, n);
    local(members) = 1:m;
    e = g.edges(g.label(g.edges(:, 1)) == k, :);
    e(:, 1:2) = local(e(:, 1:2));
    if (m == 1)
      Y = zeros (dimE, 1);
    else
      Y = dg_embed (m, e, dimE, randomise, 2000, 200);
    end
    Y(1, :) = Y(1, :) - min (Y(1, :)) + edge;
    edge = max (Y(1, :)) + gap;
    X(:, members) = Y;
  end
  X = X - mean (X, 2);
end

function [X, history, reason] = descend (X, tab, g, o, lambda, maxIter, stall, clock0, say)
  % L-BFGS on the penalty (plus lambda times the sum of squares of the
  % coordinates past dim, and the separation rows). With minSeparation the
  % descent runs in rounds of 50 iterations; each round hands penval the
  % unnamed pairs closer than 1.5 minSeparation, found again from the
  % points where the round starts. It ends when a round ends early (or the
  % budget is spent) and no unnamed pair is too close.
  history = zeros (1, 0);
  reason = 'iteration limit';
  n = size (X, 2);
  rounds = o.minSeparation > 0;
  left = maxIter;
  lo = struct ('memory', 10, 'fTarget', o.fTarget, 'gTol', 1e-12, 'stall', stall, ...
               'deadline', [], 'report', @(f, gmax) progress (o.verbose, f, gmax));
  if (isfinite (o.maxTime))
    lo.deadline = {clock0, o.maxTime};
  end
  while (true)
    Sep = zeros (0, 4);
    if (rounds)
      Sep = separation_gaps (X, g.named, n, o.minSeparation, 0.5 * o.minSeparation);
      Sep(:, 3) = o.minSeparation;
    end
    fg = @(Z) value_slope (Z, tab, Sep, o, lambda);
    if (rounds)
      lo.maxIter = min (50, left);
    else
      lo.maxIter = left;
    end
    [X, info] = dg_lbfgs (fg, X, lo);
    history = follow (history, info.history);
    left = left - info.iterations;
    reason = info.reason;
    if (~rounds || left <= 0 || strcmp (reason, 'time limit'))
      break;
    end
    if (info.iterations == 50)
      continue;
    end
    % The round ended early: over, unless pairs came too close since the
    % round began.
    missed = ~isempty (separation_gaps (X, g.named, n, o.minSeparation, 0));
    if (~missed || info.iterations == 0)
      break;
    end
  end
end

function [f, G] = value_slope (X, tab, Sep, o, lambda)
  % The penalty and its gradient: the tables, the separation rows (lower
  % bounds of weight 1) and the squeeze of the coordinates past dim.
  f = penval (X, tab.D, tab.Lb, tab.Ub, o.w, o.t);
  G = penslope (X, tab.D, tab.Lb, tab.Ub, o.w, o.t);
  if (~isempty (Sep))
    f = f + penval (X, [], Sep, [], [0 1 0 0], [1 1 1 1]);
    G = G + penslope (X, [], Sep, [], [0 1 0 0], [1 1 1 1]);
  end
  if (size (X, 1) > o.dim)
    extra = X(o.dim + 1:end, :);
    f = f + lambda * sum (extra(:) .^ 2);
    G(o.dim + 1:end, :) = G(o.dim + 1:end, :) + 2 * lambda * extra;
  end
end

function gap = separation_gaps (X, named, n, s, margin)
  % Rows [i j shortfall 1] (i < j) for the pairs that no table names and
  % that are closer than s + margin; shortfall = s - distance (negative
  % within the margin). The squared distances come from pairsq; the close
  % pairs are picked out one block of columns at a time.
  gap = zeros (0, 4);
  reach = (s + margin) ^ 2;
  block = max (1, floor (2e7 / n));
  Q = pairsq (X);
  for c0 = 1:block:n
    cols = c0:min (n, c0 + block - 1);
    [I, J] = find (Q(:, cols) < reach);
    J = cols(J)';
    keep = I < J;
    I = I(keep);  J = J(keep);
    if (isempty (I))
      continue;
    end
    keys = (I - 1) * n + J;
    fresh = ~ismember (keys, named);
    I = I(fresh);  J = J(fresh);
    d = sqrt (Q(sub2ind ([n n], I, J)));
    gap = [gap; I, J, s - d, ones(numel (I), 1)];
  end
  if (margin == 0)
    gap = gap(gap(:, 3) > 0, :);
  end
end

function known = known_distances (n, g)
  % The best guess of each pair's distance for the build-up: the middle
  % of its bounds where it has both (the distance itself for a distance
  % row), Inf where it has no upper bound.
  e = g.edges(g.edges(:, 3) > 0, :);
  known = inf (n);
  known(1:n + 1:end) = 0;
  mid = (e(:, 3) + e(:, 4)) / 2;
  known(sub2ind ([n n], e(:, 1), e(:, 2))) = mid;
  known(sub2ind ([n n], e(:, 2), e(:, 1))) = mid;
end

function s = report (e)
  rowsHit = find (e > 0);
  s = struct ('rows', rowsHit, 'count', numel (rowsHit), 'largest', max ([0; e(:)]));
end

function progress (verbose, f, gmax)
  % One line about every two seconds.
  persistent last
  if (~verbose)
    return;
  end
  if (isempty (last))
    last = tic ();
  end
  if (toc (last) > 2)
    fprintf ('  penalty %.3e   max |gradient| %.2e\n', f, gmax);
    last = tic ();
  end
end
