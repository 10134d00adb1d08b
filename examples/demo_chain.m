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
%   It then forgets the coordinates and recovers them from the tables with
%   DGSOLVE, whose geometric build-up start places the points one by one
%   where the middles of their bounds fit best, an L-BFGS descent of
%   penval, with penslope as its gradient, refining all points placed so
%   far every 25 points; a last descent runs over all rows. At the end it
%   reports the penalty, the violations that linkdev, ceilgap and floorgap
%   find, and the RMSD to the known chain after the best superposition
%   (translation, rotation and
%   reflection: distances cannot tell a chain from its mirror image).
%
%   Options (fields of opts, all optional):
%     seed     random seed (1)
%     margin   largest distance between a pair's distance and its bounds (0.15)
%     maxIter  iteration limit of dgsolve's descents (20000)
%     verbose  print progress (true)
%     png      file name for the figure ('' for none)
%
%   A point with fewer than four known distances (a loose chain end, say)
%   is not fixed by the tables; the demo lists such points (none for the
%   default seed).
%
%   result: n, loose (the points just named), penalty, violations (struct with count and largest per
%   report), rmsd, maxDistError (largest error of any pair distance),
%   iterations (of all descents), seconds, history (penalty at the start
%   and after each iteration, descents in order: dgsolve's info.history),
%   X (recovered),
%   Xtrue, png (the file written, or '').
%
%   Example:
%     addpath build/toolbox solvers examples
%     r = demo_chain (60);
%     r.rmsd            % well below 0.5
%
%   See also DGSOLVE, DEMO_PROTEIN, DEMO_COMPLETION, RUN_DEMOS, PENVAL, PENSLOPE.

  if (nargin < 1 || isempty (n))
    n = 500;
  end
  o = struct ('seed', 1, 'margin', 0.15, 'maxIter', 20000, 'verbose', true, 'png', '');
  if (nargin > 1)
    o = demo_options (o, opts);
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});
  step = 3.8;  closest = 3;  cutoff = 8;
  clock0 = tic ();

  % The known chain, and every pair distance from pairsq.
  Xtrue = chain (n, step, closest, o.seed);
  dist = sqrt (pairsq (Xtrue));
  [tab, known] = tables (dist, cutoff, o.margin);
  say ('chain: %d points; %d distances, %d lower bounds, %d upper bounds\n', ...
       n, size (tab.D, 1), size (tab.Lb, 1), size (tab.Ub, 1));
  % A point with fewer than four neighbours closer than the cutoff (a
  % loose chain end, say) can turn or flip about them within its bounds: the
  % tables do not fix it.
  loose = find (sum (isfinite (known), 2)' - 1 < 4);
  if (~isempty (loose))
    say ('  %d point(s) with fewer than 4 known distances, not fixed by the tables: %s\n', ...
         numel (loose), mat2str (loose));
  end

  % From the tables alone, with dgsolve. Each point of the chain is fixed
  % by its distances to those before it, so the geometric build-up start
  % suits these tables best (dgsolve falls back on its scaled start if the
  % build-up does not fit).
  w = [1 1 1 0];  t = [2 0.5 1 1];
  D = tab.D;  Lb = tab.Lb;  Ub = tab.Ub;
  say ('dgsolve: geometric build-up, refined with penval/penslope (L-BFGS) every 25 points\n');
  [X, info] = dgsolve (n, D, Lb, Ub, struct ('w', w, 't', t, 'seed', o.seed, ...
                       'maxIter', o.maxIter, 'verbose', o.verbose, 'method', 'buildup'));
  history = info.history;
  iterations = info.iterations;
  f = info.penalty;
  say ('  stopped after %d iterations (%s)\n', iterations, info.reason);

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
  if (~isempty (o.png))
    png = draw (o.png, history, Xtrue, Xfit, rmsd, say);
  end
  result = struct ('n', n, 'loose', loose, 'penalty', f, 'violations', v, 'rmsd', rmsd, ...
                   'maxDistError', maxDistError, 'iterations', iterations, ...
                   'seconds', seconds, 'history', history, 'X', X, ...
                   'Xtrue', Xtrue, 'png', png);
end

function X = chain (n, step, closest, seed)
  % A random walk with fixed step, kept inside a sphere that holds about
  % one point per 150 cubic units, with no point closer than `closest` to
  % an earlier one. A walk that finds no room backs up a few points.
  rng (seed);
  radius = (150 * n * 3 / (4 * pi)) ^ (1 / 3);
  X = zeros (3, n);
  k = 1;
  stuck = 0;
  while (k < n)
    u = randn (3, 64);
    u = u ./ sqrt (sum (u .* u, 1));
    cand = X(:, k) + step * u;
    ok = sum (cand .* cand, 1) <= radius ^ 2;
    if (k > 1)
      gap = permute (cand(:, ok), [1 3 2]) - X(:, 1:k-1);
      near = min (sum (gap .* gap, 1), [], 2);
      idx = find (ok);
      ok(idx(squeeze (near) < closest ^ 2)) = false;
    end
    pick = find (ok, 1);
    if (isempty (pick))
      stuck = stuck + 1;
      k = max (1, k - min (5, stuck));     % back up further each time
      continue;
    end
    stuck = 0;
    k = k + 1;
    X(:, k) = cand(:, pick);
  end
  X = X - mean (X, 2);
end

function [tab, known] = tables (dist, cutoff, margin)
  % The constraint tables, and the best guess of each distance that they
  % give (Inf where they give none): the distance itself for consecutive
  % points, the middle of the two bounds for the other pairs closer than
  % the cutoff. The bounds of such a pair lie below and above its distance
  % by random amounts up to `margin`.
  n = size (dist, 1);
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

function s = violations (e)
  s = struct ('count', nnz (e), 'largest', max ([0; e(:)]));
end

function png = draw (file, history, Xtrue, Xfit, rmsd, say)
  png = '';
  [h, cleanup] = demo_figure (1100, say);
  if (isempty (h))
    return;
  end
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
  title (sprintf ('%d points, RMSD %.1e', size (Xtrue, 2), rmsd));
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
