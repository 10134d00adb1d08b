function [X, info] = dgsolve (n, D, Lb, Ub, varargin)
%DGSOLVE point coordinates from tables of distances and distance bounds
%   X = dgsolve (n, D, Lb, Ub)
%   [X, info] = dgsolve (n, D, Lb, Ub, opts)
%   [X, info] = dgsolve (n, D, Lb, Ub, 'name', value, ...)
%
%   Finds n points whose pair distances fit the tables as well as it can:
%   it minimises penval (X, D, Lb, Ub, w, t), with penslope as gradient.
%   The tables are exactly those penval takes ([] for a table with no rows):
%     D   distance table, one row per pair: [i j target];
%     Lb  lower bounds [i j bound type];
%     Ub  upper bounds [i j bound type].
%   Point numbers run from 1 to n. Type codes, as penval weighs them (with
%   the default t = [1 1 1 1] every listed code weighs 1):
%     Lb  type 1 (weight w(2)*t(4)) or -2 (w(2)*t(3)); any other code
%         weighs nothing;
%     Ub  type 0 or above (w(3)), -1 (w(3)*t(1)) or -2 (w(3)*t(2)); -3
%         and below weigh nothing.
%   Use Lb type 1 and Ub type 0 unless two classes of bounds need
%   weights of their own. A code that is NaN or out of the 32-bit range
%   weighs nothing. Which rows weigh something is asked of penval itself.
%   Rows that weigh nothing, and rows that name one point twice, take no
%   part: they are counted before any work, listed in info.weightless and
%   info.samePoint, and said once in a warning (dgsolve:unusedRows).
%
%   Method: the pieces of the problem (points joined by distances or
%   upper bounds) are solved apart and set side by side. A piece of up to
%   1000 points: the upper bounds are smoothed by the triangle inequality
%   (shortest paths over the distances and upper bounds), classical
%   scaling gives a start in dim+1 dimensions, L-BFGS descents of the
%   penalty refine it while a growing penalty on the extra coordinate
%   squeezes it out, then a descent in dim dimensions; these run on
%   centred tables (each pair bounded on both sides drawn to the middle
%   30% of its bounds, where its distance most likely is). A larger piece
%   is cut into overlapping balls of about 600 points of the pair graph,
%   each solved so on its own rows (a ball whose penalty stays far above
%   that of the others is tried again from random metrizations), and the
%   balls are fitted together by rotations, reflections and shifts, all
%   at once (a ball that disagrees with the balls around it loses its say
%   where it does); a descent on the centred tables follows. Then a descent on the tables
%   as given, until it stops (see info.reason). Above 1000 points, if
%   rows are still violated by more than tol, the ball around the point
%   whose rows are violated most is solved anew and put in place where
%   that lowers the penalty (up to ten balls). While the answer still
%   violates a row by more than tol and starts allow, further starts
%   follow: the geometric build-up (3-D, up to 2000 points: the points
%   placed one by one from those already placed), then random
%   metrizations (random lengths between each pair's bounds before the
%   shortest paths); above 1000 points, a further start begins only if
%   the time left before maxTime is at least what the longest start so
%   far took. The start of least penalty is kept. Work and memory
%   grow with n and the number of rows (no n-by-n matrix above 2000
%   points); the same seed gives the same answer.
%
%   Options, as a struct opts or as name-value pairs (names in any case):
%     dim            dimension of the points (3)
%     w, t           the weights handed to penval ([1 1 1 0], [1 1 1 1])
%     minSeparation  keep every pair that no table names at least this far
%                    apart (0: no such rule). The pairs are not listed:
%                    those closer than 1.5 minSeparation are found as the
%                    points move (a grid of cells, work linear in n) and
%                    weigh 1 as lower bounds while they are that close.
%     seed           seed of the solver's own random numbers (1); the
%                    caller's generators (rand, randn, rng) are not used
%     X0             a dim-by-n start of the caller's, tried first
%     starts         largest number of starts (2)
%     maxTime        seconds after which the run stops, the setup and
%                    every phase counted (Inf); the answer so far is
%                    returned
%     maxIter        iteration limit of the descents over the whole
%                    problem, per start (Inf)
%     fTarget        a descent stops when the penalty falls to this
%                    (1e-20); tol^2 (1e-4 for the default tol) stops as
%                    soon as no row of weight 1 can be off by more than
%                    tol, which saves the long tail of tiny improvements
%     tol            a row is met when it is violated by at most this
%                    (0.01, in the tables' unit of length); info.converged
%                    says whether every row is
%     robust         (false) true limits the pull of rows that no
%                    configuration meets along with the others (outliers,
%                    as in real restraint lists): the start's descents
%                    weigh each row down by its violation (on a scale
%                    falling to 3% of the rows' median length); then the
%                    rows violated beyond a robust limit (three robust
%                    deviations of the violations, at least 5% of that
%                    length) are set aside and the rest solved again
%                    (centred tables, then as given), in rounds (a
%                    distance row set aside keeps the half the answer
%                    meets: its target stays an upper bound where the
%                    answer is shorter, a lower bound where longer); a
%                    jackknife (the rows left out in 16 groups in
%                    turn) finds rows the answer bent to meet; while the
%                    time left allows, fresh robust starts without the
%                    rows set aside (three at most), judged the same
%                    way, and, with three answers or more, their mean
%                    (superposed) settled and judged so too; the answer
%                    of least trimmed misfit is kept (these take the
%                    place of further starts). The rows set aside and still
%                    violated by more than 5% of that length are listed
%                    in info.suspect and left out of info.converged;
%                    when maxTime cuts the rounds short (or the start),
%                    the rows are judged at the answer so far and
%                    info.reason is 'maxTime'
%     verbose        print progress about every two seconds (false)
%     method         the first start: 'embed' (the scaled start above),
%                    'buildup' (3-D, up to 2000 points) or 'auto' (the
%                    default: the build-up in 3-D for up to 2000 points
%                    when most pairs bounded on both sides have bounds
%                    narrower than a tenth of their distance; else the
%                    scaled start)
%
%   X: dim-by-n coordinates. They are determined up to a rotation, a shift
%   and a reflection: distances cannot tell a configuration from its mirror
%   image.
%   info, a struct:
%     penalty      penval of X against the tables as given (with w, t)
%     converged    true when no row (of any weight, suspects aside) and no
%                  separation is violated by more than tol
%     reason       why the last descent stopped:
%                    'tol'      the penalty fell to fTarget
%                    'stalled'  no step lowers the penalty any more (over
%                               the last iterations it fell by less than
%                               a part in 10^4): the tables' floor, or a
%                               wrong fold
%                    'maxIter'  the iteration limit maxIter
%                    'maxTime'  the time limit maxTime
%     message      the same in words, with the count of rows violated
%     iterations   iterations of the descents of the start kept (over the
%                  whole problem; the length of history less one)
%     seconds      the time taken, all of it
%     violations   for each report (linkdev on D, ceilgap on Ub, floorgap
%                  on Lb): rows (violated row numbers), count, largest
%     separation   for minSeparation > 0: count and largest shortfall of
%                  unnamed pairs closer than minSeparation, and its penalty
%     weightless, samePoint, suspect
%                  row numbers (fields D, Lb, Ub) of the rows that weigh
%                  nothing, that name one point twice, and (robust) that
%                  were judged outliers
%     loose        points with fewer than dim partners by distance or
%                  upper bound: the tables cannot fix them
%     spread       for each point, how far it stays moved when the answer
%                  is bent by a smooth random field of RMS a tenth of the
%                  rows' median length and left to spring back for 200
%                  iterations (NaN where the test could not run); with
%                  robust, on the rows kept (the suspects left out)
%     undetermined points whose spread exceeds half that RMS: the tables
%                  hold them loosely (more where bounds are few or wide)
%     pieces       cell of point lists: the separate pieces of the problem
%                  (points joined by distances or upper bounds), largest
%                  first; their places relative to each other are free
%     history      the value each descent over the whole problem
%                  minimised, at its start and after each iteration
%     start        the number of the start kept
%
%   When a run does not converge:
%     - 'maxTime' or 'maxIter': allow more time or iterations, or pass
%       the answer back as X0;
%     - 'stalled' with few rows violated by much: the tables may contradict
%       each other there (look at info.violations; robust = true sets such
%       rows aside); with many rows violated: a wrong fold, try starts = 4
%       or another seed;
%     - many points in info.undetermined or info.loose: the tables do not
%       fix the structure; add distances or bounds;
%     - rows in info.weightless: check their type codes and w, t.
%
%   Errors (identifier dgsolve:<reason>), raised before any work:
%   notEnoughInputs, badPointCount, notRealDouble, tooFewColumns,
%   notFinite (a point number, distance or bound that is NaN or Inf),
%   pointOutside (a point number that is not a whole number from 1 to n;
%   the message names the table and the row), tooLarge (lengths or weights
%   whose squares would overflow the penalty), badOption, unknownOption
%   (a name that is no option; the message lists them). Warnings:
%   dgsolve:unusedRows (before the work), dgsolve:startFailed (a start
%   after the first failed; the best earlier one is kept).
%
%   Example:
%     addpath build/toolbox solvers
%     P = [0 0 0; 1 0 0; 0 1 0; 0 0 1]';            % a tetrahedron
%     [I, J] = find (triu (ones (4), 1));
%     D = [I, J, sqrt(sum((P(:, I) - P(:, J)) .^ 2, 1))'];
%     [X, info] = dgsolve (4, D, [], [], 'maxTime', 10);
%     info.converged                                 % true
%
%   See also PENVAL, PENSLOPE, LINKDEV, CEILGAP, FLOORGAP, PAIRSQ.

  clock0 = tic ();
  if (nargin < 4)
    error ('dgsolve:notEnoughInputs', 'dgsolve: needs n, D, Lb and Ub (opts is optional)');
  end
  [n, D, Lb, Ub, o] = dg_inputs (n, D, Lb, Ub, varargin);
  o.clock = clock0;
  say = @(varargin) o.verbose && fprintf (varargin{:});
  p = problem (n, D, Lb, Ub, o);
  unused_rows_warning (p);
  say ('dgsolve: %d points, %d distances, %d lower and %d upper bounds; %d piece(s), %d loose point(s)\n', ...
       n, size (D, 1), size (Lb, 1), size (Ub, 1), numel (p.g.pieces), numel (p.g.loose));

  % The starts, in turn, until one meets the tables within tol: the
  % caller's X0, then the kind asked for, then the other kind (the
  % build-up is 3-D only and keeps n-by-n tables), then random
  % metrizations. A start that fails leaves those before it standing.
  rs = dg_random (o.seed);
  kinds = start_kinds (p, o);
  best = [];
  failure = '';
  last = '';
  s = 0;
  longest = 0;                       % seconds of the longest start so far
  while (s < o.starts)
    if (s > 0 && (best.largest <= o.tol || o.robust))
      break;                         % robust rounds start afresh anyway
    end
    if (s > 0 && toc (clock0) > o.maxTime)
      last = 'maxTime';              % starts were left when time ran out
      break;
    end
    if (s > 0 && p.n > 1000 && toc (clock0) + longest > o.maxTime)
      % Above 1000 points a start takes minutes: one that cannot end
      % before maxTime would only be cut short and lost.
      say ('  no further start: %.0f s left, a start took %.0f s\n', ...
           o.maxTime - toc (clock0), longest);
      break;
    end
    s = s + 1;
    began = toc (clock0);
    try
      if (s > numel (kinds))
        kinds{s} = 'random';
      end
      [Xs, run, rs] = one_start (kinds{s}, p, o, rs, say);
    catch err
      % A build-up that finds no four points to begin with gives way to
      % the next kind of start, which then runs in its place.
      if (strcmp (err.identifier, 'dgsolve:noSeed'))
        say ('  start %d (build-up) skipped: %s\n', s, err.message);
        kinds(s) = [];
        s = s - 1;
        continue;
      end
      if (isempty (best))
        rethrow (err);
      end
      failure = sprintf ('start %d (%s) failed: %s', s, kinds{s}, err.message);
      warning ('dgsolve:startFailed', 'dgsolve: %s; the best earlier start is kept', failure);
      break;
    end
    last = run.reason;
    longest = max (longest, toc (clock0) - began);
    say ('  start %d (%s): penalty %.3e, largest violation %.3g (%s), %.0f s, at %.1f s\n', ...
         s, kinds{s}, run.total, run.largest, run.reason, toc (clock0) - began, toc (clock0));
    if (isempty (best) || run.total < best.total)
      best = run;  best.start = s;  best.kind = kinds{s};  X = Xs;
    end
  end

  suspect = struct ('D', zeros (0, 1), 'Lb', zeros (0, 1), 'Ub', zeros (0, 1));
  kept = p;
  if (o.robust && best.largest > o.tol)
    % Also when the time ran out in the start: the rounds then only
    % judge the rows at the answer so far, and say maxTime.
    [X, suspect, h, last, rs, out] = robust_rounds (X, p, o, rs, say, last);
    best.history = follow (best.history, h);
    % How firmly the rows hold each point is asked of the rows the answer
    % keeps: sprung back with the suspects too, every point would follow
    % their pull and seem free.
    kept = keep_rows (p, ~out, X, out);
  end
  [spread, scale, rs] = spread_test (X, kept, o, rs);
  info = answer (X, p, o, best, suspect, last, failure);
  info.spread = spread;
  info.undetermined = find (spread > scale / 2);
  say ('dgsolve: penalty %.3e after %d iterations, %.1f s (%s)\n', ...
       info.penalty, info.iterations, info.seconds, info.reason);
end

%% The problem

function p = problem (n, D, Lb, Ub, o)
  % The rows that take part in the descents (a weight above zero, as
  % penval itself weighs them, and two different points), those that
  % do not, the pairs any row names and the graph of the pairs.
  [wD, wLb, wUb] = dg_weights (D, Lb, Ub, o.w, o.t);
  same = @(T) T(:, 1) == T(:, 2);
  p.n = n;
  p.dim = o.dim;
  p.s = o.minSeparation;
  p.weightless = struct ('D', find (wD == 0), 'Lb', find (wLb == 0), 'Ub', find (wUb == 0));
  p.samePoint = struct ('D', find (wD > 0 & same (D)), 'Lb', find (wLb > 0 & same (Lb)), ...
                        'Ub', find (wUb > 0 & same (Ub)));
  p.rows = struct ('D', find (wD > 0 & ~same (D)), 'Lb', find (wLb > 0 & ~same (Lb)), ...
                   'Ub', find (wUb > 0 & ~same (Ub)));
  p.all = struct ('D', D, 'Lb', Lb, 'Ub', Ub);
  p.D = D(p.rows.D, :);  p.Lb = Lb(p.rows.Lb, :);  p.Ub = Ub(p.rows.Ub, :);
  p.w = o.w;  p.t = o.t;
  key = @(T) (min (T(:, 1), T(:, 2)) - 1) * n + max (T(:, 1), T(:, 2));
  named = unique ([key(D); key(Lb); key(Ub)]);
  p.g = dg_graph (n, p.D, p.Lb, p.Ub, named, o.dim);
  p.centred = centred (p, 0.3);
end

function unused_rows_warning (p)
  % Said once, before any work: rows that cannot take part.
  count = @(s) numel (s.D) + numel (s.Lb) + numel (s.Ub);
  text = {};
  if (count (p.weightless) > 0)
    text{end + 1} = sprintf (['%d row(s) weigh nothing (D %d, Lb %d, Ub %d): the weights w and t ', ...
                              'and their type codes give them no weight (info.weightless)'], ...
                             count (p.weightless), numel (p.weightless.D), ...
                             numel (p.weightless.Lb), numel (p.weightless.Ub));
  end
  if (count (p.samePoint) > 0)
    text{end + 1} = sprintf (['%d row(s) name one point twice (D %d, Lb %d, Ub %d): no ', ...
                              'configuration changes them (info.samePoint)'], ...
                             count (p.samePoint), numel (p.samePoint.D), ...
                             numel (p.samePoint.Lb), numel (p.samePoint.Ub));
  end
  if (~isempty (text))
    warning ('dgsolve:unusedRows', 'dgsolve: %s; they take no part in the solve', ...
             strjoin (text, '; '));
  end
end

function c = centred (p, q)
  % The tables with the bounds of each pair bounded on both sides drawn
  % towards the middle of its bounds, to q times their half width.
  c = struct ('D', p.D, 'Lb', p.Lb, 'Ub', p.Ub);
  e = p.g.edges(p.g.edges(:, 3) > 0, :);
  if (isempty (e))
    return;
  end
  n = p.n;
  mid = (e(:, 3) + e(:, 4)) / 2;
  half = max (e(:, 4) - e(:, 3), 0) / 2;
  keys = (e(:, 1) - 1) * n + e(:, 2);
  key = @(T) (min (T(:, 1), T(:, 2)) - 1) * n + max (T(:, 1), T(:, 2));
  [hit, at] = ismember (key (c.Lb), keys);
  c.Lb(hit, 3) = max (c.Lb(hit, 3), mid(at(hit)) - q * half(at(hit)));
  [hit, at] = ismember (key (c.Ub), keys);
  c.Ub(hit, 3) = min (c.Ub(hit, 3), mid(at(hit)) + q * half(at(hit)));
end

function P = sub (p, members)
  % The problem restricted to the points MEMBERS, numbered 1 to m in
  % their order: the rows among them, their pairs and named pairs.
  m = numel (members);
  local = zeros (p.n, 1);
  local(members) = 1:m;
  inside = @(T) local(T(:, 1)) > 0 & local(T(:, 2)) > 0;
  move = @(T) [local(T(:, 1)), local(T(:, 2)), T(:, 3:end)];
  P.n = m;
  P.dim = p.dim;
  P.s = p.s;
  P.w = p.w;  P.t = p.t;
  P.D = move (p.D(inside (p.D), :));
  P.Lb = move (p.Lb(inside (p.Lb), :));
  P.Ub = move (p.Ub(inside (p.Ub), :));
  C = p.centred;
  P.centred = struct ('D', move (C.D(inside (C.D), :)), 'Lb', move (C.Lb(inside (C.Lb), :)), ...
                      'Ub', move (C.Ub(inside (C.Ub), :)));
  e = p.g.edges(inside (p.g.edges), :);
  P.g.edges = move (e);
  i = floor ((p.g.named - 1) / p.n) + 1;
  j = p.g.named - (i - 1) * p.n;
  in = local(i) > 0 & local(j) > 0;
  a = local(i(in));  b = local(j(in));
  P.g.named = sort ((min (a, b) - 1) * m + max (a, b));
  P.g.label = p.g.label(members);
  [~, ~, P.g.label] = unique (P.g.label);
  P.g.label = P.g.label';
end

%% The starts

function kinds = start_kinds (p, o)
  % The order in which starts are tried; the build-up only where its
  % n-by-n tables fit (3-D, at most BUILDUP_MAX points).
  buildupMax = 2000;
  if (strcmp (o.method, 'auto'))
    first = 'embed';
    e = p.g.edges(p.g.edges(:, 3) > 0, :);
    if (o.dim == 3 && p.n <= buildupMax && ~isempty (e))
      width = (e(:, 4) - e(:, 3)) ./ max ((e(:, 3) + e(:, 4)) / 2, realmin);
      if (median (width) < 0.1)
        first = 'buildup';
      end
    end
  else
    first = o.method;
  end
  kinds = {first};
  if (o.dim == 3 && p.n <= buildupMax)
    kinds = unique ([kinds, {'embed', 'buildup'}], 'stable');
  elseif (~strcmp (first, 'embed'))
    kinds = [kinds, {'embed'}];
  end
  if (~isempty (o.X0))
    kinds = [{'given'}, kinds];
  end
  % Random metrizations follow, as many as starts allow.
end

function [X, run, rs] = one_start (kind, p, o, rs, say)
  % One start of the given kind and its descents. run: total (the penalty
  % with the separation term), largest (violation of any row), history
  % (of the descents over the whole problem), iterations, reason.
  history = zeros (1, 0);
  left = o.maxIter;
  reason = '';
  switch (kind)
    case 'given'
      X = o.X0;
    case 'buildup'
      say ('  build-up: placing the points one by one\n');
      [X, history, timedOut] = dg_buildup (known_distances (p), p, p.w, p.t, say, ...
                                           o.clock, o.maxTime);
      left = left - (numel (history) - 1);
      if (timedOut)
        reason = 'maxTime';
      end
    otherwise
      [X, history, left, reason, rs] = scaled_start (p, o, strcmp (kind, 'random'), rs, left, say);
  end
  if (~strcmp (reason, 'maxTime'))
    if (o.robust)
      [X, h, reason] = robust_descent (X, p, o, robust_unit (p) * [0.06 0.03], say);
    else
      [X, h, reason] = descend (X, p, table_groups (p, p), o, 0, left, 100, say);
    end
    history = follow (history, h);
    left = left - (numel (h) - 1);
  end
  [total, largest] = score (X, p, o);
  % (Not in robust runs: the repair's descents weigh every row fully, so
  % they would bend the answer to the outliers; the robust rounds that
  % follow judge the rows instead.)
  if (p.n > 1000 && largest > o.tol && ~o.robust && ~any (strcmp (reason, {'maxTime', 'maxIter'})))
    [X, h, reason, rs] = repair (X, p, o, rs, left, reason, say);
    history = follow (history, h);
    [total, largest] = score (X, p, o);
  end
  run = struct ('total', total, 'largest', largest, 'history', history, 'reason', reason);
end

function [X, history, reason, rs] = repair (X, p, o, rs, left, reason, say)
  % Wrong folds, found where the violations gather: around the point
  % whose rows are violated most, a ball of about 600 points is solved
  % anew (SOLVE_PATCH, from a random metrization), fitted onto the answer
  % by the ball's better placed half, and put in place of the ball's
  % inner points; a descent follows, and the change is kept only if the
  % penalty fell. Up to ten balls, each region once; then a descent until
  % it stops. REASON: why the descent before stopped (kept if no change
  % is kept).
  history = zeros (1, 0);
  tried = false (p.n, 1);
  f = score (X, p, o);
  ends = [p.D(:, 1:2); p.Lb(:, 1:2); p.Ub(:, 1:2)];
  for round = 1:10
    if (toc (o.clock) > o.maxTime || left <= 0)
      break;
    end
    [rD, rLb, rUb] = row_violations (X, p.D, p.Lb, p.Ub);
    r2 = [rD; rLb; rUb] .^ 2;
    bad = accumarray ([ends(:, 1); ends(:, 2)], [r2; r2], [p.n, 1]);
    bad(tried) = 0;
    [worst, k] = max (bad);
    if (worst <= o.tol ^ 2)
      break;
    end
    [ball, core] = dg_patches (p.n, p.g.edges, 600, k);
    ball = ball{1};  core = core{1};
    tried(ball(core)) = true;
    [Y, ~, rs] = solve_patch (sub (p, ball), o, true, rs);
    Z = fit_onto (Y, X(:, ball), bad(ball) <= median (bad(ball)));
    Xn = X;
    Xn(:, ball(core)) = Z(:, core);
    [Xn, h, reasonN] = descend (Xn, p, table_groups (p, p), o, 0, min (300, left), 100, say);
    fn = score (Xn, p, o);
    say ('  repair round %d around point %d: penalty %.3e -> %.3e (%.0f s)\n', round, k, f, fn, ...
         toc (o.clock));
    if (fn < f)
      X = Xn;  f = fn;
      history = follow (history, h);
      left = left - (numel (h) - 1);
      reason = reasonN;
    end
  end
  if (~isempty (history) && ~strcmp (reason, 'maxTime') && toc (o.clock) <= o.maxTime)
    [X, h, reason] = descend (X, p, table_groups (p, p), o, 0, left, 100, say);
    history = follow (history, h);
  end
end

function Z = fit_onto (Y, T, use)
  % Y moved by the orthogonal map (reflection allowed) and shift that
  % bring Y(:, use) closest to T(:, use).
  cy = mean (Y(:, use), 2);  ct = mean (T(:, use), 2);
  [U, ~, V] = svd ((T(:, use) - ct) * (Y(:, use) - cy)');
  Z = U * V' * (Y - cy) + ct;
end

function [X, history, left, reason, rs] = scaled_start (p, o, randomise, rs, left, say)
  % Each piece of the problem on its own: the small ones (up to DENSE_MAX
  % points) scaled whole from their smoothed bounds, the large ones in
  % overlapping patches that are scaled and refined apart and then fitted
  % together. The pieces are set side by side along the first axis, a
  % gap of 2 (or minSeparation) apart; the small ones are then refined
  % together in one more dimension (see SOLVE_SMALL).
  denseMax = 1000;
  sizes = cellfun (@numel, p.g.pieces);
  X = zeros (p.dim, p.n);
  history = zeros (1, 0);
  reason = '';
  small = [p.g.pieces{sizes <= denseMax}];
  if (numel (small) == p.n)
    [X, history, left, reason, rs] = solve_small (p, o, randomise, rs, left, say, true);
  elseif (~isempty (small))
    [X(:, small), history, left, reason, rs] = solve_small (sub (p, small), o, randomise, rs, ...
                                                            left, say, true);
  end
  for k = find (sizes > denseMax)
    members = p.g.pieces{k};
    say ('  piece of %d points: in patches\n', numel (members));
    [Y, rs] = piecewise (sub (p, members), o, randomise, rs, say);
    X(:, members) = Y;
  end
  if (any (sizes > denseMax))
    X = side_by_side (X, p.g.pieces, max (2, p.s));
    if (~strcmp (reason, 'maxTime'))
      [X, h, reason] = descend (X, p, table_groups (p, p.centred), o, 0, min (1000, left), 50, say);
      history = follow (history, h);
      left = left - (numel (h) - 1);
    end
  end
end

function [X, history, left, reason, rs] = solve_small (P, o, randomise, rs, left, say, whole)
  % A start for pieces small enough to scale whole: each scaled from its
  % smoothed bounds in one more dimension than asked, set side by side,
  % then descents of the penalty on the centred tables (each pair bounded
  % on both sides drawn to the middle of its bounds) while a growing
  % penalty on the extra coordinate squeezes it out, so that parts can
  % pass each other on the way; then a descent in dim dimensions. WHOLE:
  % P is (a part of) the problem itself, not a patch.
  dimE = P.dim + 1;
  X = zeros (dimE, P.n);
  members = pieces_of (P);
  sizes = cellfun (@numel, members);
  [pe, pk] = piece_edges (P, members);
  for k = find (sizes > 1)
    [X(:, members{k}), rs] = dg_embed (sizes(k), pe(pk(k):pk(k + 1) - 1, :), dimE, randomise, rs);
  end
  X = side_by_side (X, members, max (2, P.s));
  history = zeros (1, 0);
  reason = '';
  % Robust: each stage's rows weighed by their violations at its start
  % (see ROBUST_DESCENT), on a scale falling stage by stage from none.
  scales = [Inf 0.5 0.25 0.12 0.06];
  stage = 1;
  for lambda = [0 0.01 0.1 1 NaN]
    if (isnan (lambda))
      X = X(1:P.dim, :);
      lambda = 0;
    end
    if (o.robust)
      G = robust_groups (X, P, P.centred, robust_unit (P) * scales(stage));
    else
      G = table_groups (P, P.centred);
    end
    stage = stage + 1;
    [X, h, reason] = descend (X, P, G, o, lambda, min (300, left), 50, ...
                              say, whole);
    history = follow (history, h);
    left = left - (numel (h) - 1);
    if (strcmp (reason, 'maxTime'))
      break;
    end
  end
  X = X(1:P.dim, :);
end

function [Y, rs] = piecewise (P, o, randomise, rs, say)
  % A large piece in overlapping patches of about BALL_SIZE points each
  % (DG_PATCHES): each patch solved on its own (SOLVE_PATCH, on the rows
  % among its points), the patches then moved into one frame (DG_STITCH).
  % Patches not reached before maxTime leave their points to be placed
  % beside the points they are paired with.
  ballSize = 600;
  [patches, cores] = dg_patches (P.n, P.g.edges, ballSize);
  K = numel (patches);
  Ys = cell (1, K);
  perRow = inf (1, K);
  solved = false (1, K);
  for k = 1:K
    if (toc (o.clock) > o.maxTime)
      break;
    end
    [Ys{k}, perRow(k), rs] = solve_patch (sub (P, patches{k}), o, randomise, rs);
    solved(k) = true;
  end
  if (~any (solved))
    % maxTime passed before the first patch: the points in a row, for
    % the descents that follow to stop at once and report it.
    Y = zeros (P.dim, P.n);
    Y(1, :) = max (2, P.s) * (0:P.n - 1);
    return;
  end
  % A patch whose penalty per row stays far above that of the others is
  % caught in a wrong fold: tried again from random metrizations, the
  % best of the tries kept. Not one whose rows are off by less than a
  % third of tol on the whole: where the others fit to 1e-8 a row, 30
  % times that is still a fit (on 1S40 two such patches, at 5e-7 and
  % 3e-6 a row, were tried again for 8 of a start's 46 s).
  bar = max (30 * median (perRow(solved)), (0.3 * o.tol) ^ 2);
  for k = find (solved & perRow > bar)
    for again = 1:2
      if (toc (o.clock) > o.maxTime)
        break;
      end
      [Yk, fk, rs] = solve_patch (sub (P, patches{k}), o, true, rs);
      if (fk < perRow(k))
        Ys{k} = Yk;  perRow(k) = fk;
      end
      if (perRow(k) <= bar)
        break;
      end
    end
  end
  [Y, fit] = dg_stitch (P.n, patches(solved), cores(solved), Ys(solved));
  say ('  %d of %d patches solved at %.1f s; their misfit in the frame: median %.2g, largest %.2g\n', ...
       nnz (solved), K, toc (o.clock), median (fit), max (fit));
  placed = false (1, P.n);
  placed([patches{solved}]) = true;
  if (~all (placed))
    Y = fill_in (Y, placed, P.g.edges);
  end
end

function [Y, perRow, rs] = solve_patch (Q, o, randomise, rs)
  % One patch: SOLVE_SMALL, then a descent on the patch's own rows as
  % given; perRow: the penalty it ends with, per row.
  [Y, ~, ~, ~, rs] = solve_small (Q, o, randomise, rs, Inf, @(varargin) false, false);
  [Y, h] = descend (Y, Q, table_groups (Q, Q), o, 0, 500, 50, [], false);
  perRow = h(end) / max (1, size (Q.D, 1) + size (Q.Lb, 1) + size (Q.Ub, 1));
end

function X = fill_in (X, placed, e)
  % Points not placed yet, each at the middle of its placed partners
  % (sweep after sweep), plus a small offset so that none coincide; those
  % that no placed point reaches go in a row beside the rest.
  n = size (X, 2);
  A = sparse ([e(:, 1); e(:, 2)], [e(:, 2); e(:, 1)], 1, n, n);
  while (~all (placed))
    near = A(:, placed) * X(:, placed)';
    count = full (A(:, placed) * ones (nnz (placed), 1));
    now = ~placed' & count > 0;
    if (~any (now))
      rest = find (~placed);
      X(:, rest) = max (X(:, placed), [], 2) + [2 * (1:numel (rest)); zeros(size (X, 1) - 1, numel (rest))];
      break;
    end
    k = find (now);
    offset = zeros (size (X, 1), numel (k));
    offset(1, :) = 0.5 * cos (k');
    if (size (X, 1) > 1)
      offset(2, :) = 0.5 * sin (k');
    end
    X(:, k) = (full (near(k, :)) ./ count(k))' + offset;
    placed(k) = true;
  end
end

function members = pieces_of (P)
  % The pieces of P as cells of point numbers (local ones).
  [~, order] = sort (P.g.label);
  counts = accumarray (P.g.label(:), 1)';
  members = mat2cell (order, 1, counts);
end

function [pe, first] = piece_edges (P, members)
  % The edges of P grouped by piece: those of piece k are rows
  % first(k):first(k+1)-1 of pe, renumbered within the piece.
  counts = cellfun (@numel, members);
  starts = cumsum ([1, counts(1:end - 1)]);
  [label, order] = sort (P.g.label);
  within = zeros (P.n, 1);
  within(order) = (1:P.n) - starts(label) + 1;
  e = P.g.edges;
  piece = P.g.label(e(:, 1));
  [piece, order] = sort (piece(:));
  pe = [within(e(order, 1)), within(e(order, 2)), e(order, 3:4)];
  first = cumsum ([1; accumarray(piece, 1, [numel(members), 1])]);
end

function X = side_by_side (X, members, gap)
  % The pieces in a row along the first axis, GAP apart, the whole centred.
  edge = 0;
  for k = 1:numel (members)
    m = members{k};
    if (numel (m) == 1)
      continue;
    end
    X(1, m) = X(1, m) - min (X(1, m)) + edge;
    edge = max (X(1, m)) + gap;
  end
  single = [members{cellfun (@numel, members) == 1}];
  X(:, single) = 0;
  X(1, single) = edge + gap * (0:numel (single) - 1);
  X = X - mean (X, 2);
end

function known = known_distances (p)
  % The best guess of each pair's distance for the build-up: the middle
  % of its bounds where it has both (the distance itself for a distance
  % row), Inf where it has no upper bound.
  n = p.n;
  e = p.g.edges(p.g.edges(:, 3) > 0, :);
  known = inf (n);
  known(1:n + 1:end) = 0;
  mid = (e(:, 3) + e(:, 4)) / 2;
  known(sub2ind ([n n], e(:, 1), e(:, 2))) = mid;
  known(sub2ind ([n n], e(:, 2), e(:, 1))) = mid;
end

%% The descents

function G = table_groups (P, T, wD, wLb, wUb)
  % The tables as groups of rows that penval and penslope take in one
  % call each: one group with the weights o.w, o.t, or (robust rounds)
  % one per factor by which rows are weighed down.
  if (nargin < 3)
    G = struct ('D', T.D, 'Lb', T.Lb, 'Ub', T.Ub, 'w', P.w);
    return;
  end
  levels = unique ([wD; wLb; wUb]);
  levels = sort (levels(levels > 0), 'descend');
  G = struct ('D', {}, 'Lb', {}, 'Ub', {}, 'w', {});
  for k = 1:numel (levels)
    f = levels(k);
    G(end + 1) = struct ('D', T.D(wD == f, :), 'Lb', T.Lb(wLb == f, :), 'Ub', T.Ub(wUb == f, :), ...
                         'w', [f * P.w(1:3), P.w(4) * (k == 1)]);
  end
  if (isempty (G))
    G = struct ('D', zeros (0, 3), 'Lb', zeros (0, 4), 'Ub', zeros (0, 4), 'w', [0 0 0 P.w(4)]);
  end
end

function [X, history, reason] = descend (X, P, G, o, lambda, maxIter, stall, say, whole)
  % L-BFGS on the penalty of the row groups G (plus lambda times the sum
  % of squares of the coordinates past dim, and the separation rows).
  % WHOLE (default true): P is the problem or a part of it, and the
  % descent reports progress.
  if (nargin < 9)
    whole = true;
  end
  report = [];
  if (whole && o.verbose)
    report = @(f, gmax) progress (f, gmax);
  end
  lo = struct ('memory', 10, 'maxIter', maxIter, 'fTarget', o.fTarget, 'gTol', 1e-12, ...
               'stall', stall, 'clock', o.clock, 'deadline', o.maxTime, 'report', report);
  sep = struct ('s', P.s, 'skin', 0.5 * P.s, 'ref', [], 'rows', zeros (0, 4), ...
                'named', P.g.named, 'n', P.n);
  fg = @(Z, aux) value_slope (Z, G, aux, P, lambda);
  [X, info] = dg_lbfgs (fg, X, lo, sep);
  history = info.history;
  reason = info.reason;
end

function [f, G, sep] = value_slope (X, groups, sep, P, lambda)
  % The penalty and its gradient: the row groups, the separation rows
  % (lower bounds of weight 1) and the squeeze of the coordinates past dim.
  f = 0;
  G = zeros (size (X));
  for k = 1:numel (groups)
    g = groups(k);
    f = f + penval (X, g.D, g.Lb, g.Ub, g.w, P.t);
    G = G + penslope (X, g.D, g.Lb, g.Ub, g.w, P.t);
  end
  if (sep.s > 0)
    sep = separation_rows (X, sep);
    if (~isempty (sep.rows))
      f = f + penval (X, [], sep.rows, [], [0 1 0 0], [1 1 1 1]);
      G = G + penslope (X, [], sep.rows, [], [0 1 0 0], [1 1 1 1]);
    end
  end
  if (size (X, 1) > P.dim)
    extra = X(P.dim + 1:end, :);
    f = f + lambda * sum (extra(:) .^ 2);
    G(P.dim + 1:end, :) = G(P.dim + 1:end, :) + 2 * lambda * extra;
  end
end

function sep = separation_rows (X, sep)
  % The unnamed pairs closer than s + skin, as lower bounds [i j s 1]:
  % found again only when some point has moved more than skin/2 since they
  % were last found, so that no pair closer than s is ever missed.
  if (~isempty (sep.ref) && isequal (size (sep.ref), size (X)))
    moved = max (sum ((X - sep.ref) .^ 2, 1));
    if (moved <= (sep.skin / 2) ^ 2)
      return;
    end
  end
  [I, J] = separation_pairs (X, sep.named, sep.s + sep.skin);
  sep.rows = [I, J, repmat(sep.s, numel (I), 1), ones(numel (I), 1)];
  sep.ref = X;
end

function [I, J, q, total] = separation_pairs (X, named, r)
  % The pairs closer than r that no table names (the closest 100 per
  % point at most, should the points crowd together; total counts them
  % all, see DG_NEAR).
  n = size (X, 2);
  [I, J, q, total] = dg_near (X, r, 100 * n + 1000, named);
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

function progress (f, gmax)
  % One line about every two seconds.
  persistent last
  if (isempty (last))
    last = tic ();
  end
  if (toc (last) > 2)
    fprintf ('  penalty %.3e   max |gradient| %.2e\n', f, gmax);
    last = tic ();
  end
end

%% Robust rounds

function [X, suspect, history, reason, rs, out] = robust_rounds (X, p, o, rs, say, reason)
  % Rows that no configuration meets along with the others. X comes from
  % a robust start (see SOLVE_SMALL and ONE_START: every row weighed down
  % by its violation as the descents go), so the outliers have pulled it
  % little out of shape. Then, in turn:
  %   - the rows violated beyond LIMIT are set aside and the rest descended
  %     on (SETTLE: centred tables, then as given), warm from X, until the
  %     set hardly changes (a row set aside comes back when the answer
  %     meets it within the limit; a distance row set aside keeps its met
  %     half as a bound, see KEEP_ROWS);
  %   - a jackknife finds the outliers the answer has taken in by bending
  %     around them: the kept rows are dealt into 16 groups, and each group
  %     is judged at the answer that the kept rows outside it give (warm
  %     from X): a row whose points spring away from it once it is left
  %     out is held only by itself (twice at most);
  %   - fresh robust starts on the rows kept (scaled, then random
  %     metrizations; three at most, while the time left allows), each
  %     judged the same way; the answer of least trimmed misfit (TRIMMED)
  %     is kept: an outlier the first answer took in by bending is seldom
  %     taken in the same way from another start, and a start in a wrong
  %     fold shows as more misfit;
  %   - with three answers or more, their mean (each superposed on the
  %     best) settled and judged the same way, kept if its trimmed misfit
  %     is less;
  %   - a last descent on the rows kept, as given.
  % The rows set aside and still violated by more than 5% of the rows'
  % median length at the end are the suspects (OUT: a logical column
  % over the rows D, Lb, Ub in turn). REASON: why the start's
  % last descent stopped; 'maxTime' whenever the time cut the rounds
  % short.
  unit = robust_unit (p);
  m = [size(p.D, 1), size(p.Lb, 1), size(p.Ub, 1)];
  [rD, rLb, rUb] = row_violations (X, p.D, p.Lb, p.Ub);
  r = [rD; rLb; rUb];
  out = r > limit (r, false (sum (m), 1), unit);
  history = zeros (1, 0);
  [X, out, history, reason] = set_aside (X, p, o, out, unit, history, reason, say);
  [X, out, history, reason, rs] = jackknife_passes (X, p, o, out, unit, history, reason, rs, say);
  % Fresh starts, the first scaled, then random metrizations, three at
  % most, each while the time left is at least 1.2 times what the first
  % answer took (or the last fresh one, if longer).
  t = limit (row_misfits (X, p), out, unit);
  fX = trimmed (X, p, t);
  took = toc (o.clock);
  kinds = {'embed', 'random', 'random'};
  answers = {X};                     % those not cut short, for their mean
  for k = 1:numel (kinds)
    if (stop_now (reason, o) || o.maxTime - toc (o.clock) < 1.2 * took)
      break;
    end
    t0 = toc (o.clock);
    q = keep_rows (p, ~out, X, out);
    [Y, run, rs] = one_start (kinds{k}, q, o, rs, say);
    outY = out;
    reasonY = run.reason;
    historyY = follow (history, run.history);
    [Y, outY, historyY, reasonY] = set_aside (Y, p, o, outY, unit, historyY, reasonY, say);
    [Y, outY, historyY, reasonY, rs] = jackknife_passes (Y, p, o, outY, unit, historyY, reasonY, ...
                                                         rs, say);
    took = max (took, toc (o.clock) - t0);
    if (stop_now (reasonY, o))
      break;                         % an answer cut short is not compared
    end
    fY = trimmed (Y, p, t);
    answers{end + 1} = Y;
    say ('  robust: trimmed misfit %.4g (best so far, %d aside), %.4g (fresh start %d, %d aside)\n', ...
         fX, nnz (out), fY, k, nnz (outY));
    if (fY < fX)
      X = Y;  out = outY;  history = historyY;  reason = reasonY;  fX = fY;
    end
  end
  if (numel (answers) >= 3 && ~stop_now (reason, o))
    % The answers differ most where the rows hold the points loosely, each
    % placing such points its own way; their mean, superposed on the best
    % (reflection allowed), lies nearer the places the rows agree on. It
    % is settled and judged as a start is, and kept if its trimmed misfit
    % is less.
    A = zeros (size (X));
    for k = 1:numel (answers)
      A = A + fit_onto (answers{k}, X, true (1, p.n)) / numel (answers);
    end
    [A, outA, historyA, reasonA] = set_aside (A, p, o, out, unit, history, reason, say);
    fA = trimmed (A, p, t);
    say ('  robust: trimmed misfit %.4g (best so far), %.4g (mean of %d answers, %d aside)\n', ...
         fX, fA, numel (answers), nnz (outA));
    if (fA < fX && ~stop_now (reasonA, o))
      X = A;  out = outA;  history = historyA;  reason = reasonA;  fX = fA;
    end
  end
  if (~stop_now (reason, o))
    % The rounds' descents were held to 1000 iterations: a last one on
    % the rows kept runs until it stops as any descent does.
    q = keep_rows (p, ~out, X, out);
    [X, h, reason] = descend (X, q, table_groups (q, q), o, 0, o.maxIter, 100, say);
    history = follow (history, h);
  end
  if (isempty (reason) || stop_now (reason, o))
    reason = 'maxTime';              % the time cut the rounds short
  end
  r = row_misfits (X, p);
  out = out & r > 0.05 * unit;
  suspect = struct ('D', p.rows.D(out(1:m(1))), 'Lb', p.rows.Lb(out(m(1) + (1:m(2)))), ...
                    'Ub', p.rows.Ub(out(m(1) + m(2) + 1:end)));
end

function [X, out, history, reason, rs] = jackknife_passes (X, p, o, out, unit, history, reason, ...
                                                           rs, say)
  % Up to two jackknives (JACKKNIFE), each followed by the rounds of
  % SET_ASIDE when it sets rows aside.
  for pass = 1:2
    if (stop_now (reason, o))
      break;
    end
    [add, rs] = jackknife (X, p, o, out, unit, rs);
    say ('  robust: jackknife sets %d more row(s) aside\n', nnz (add));
    if (~any (add))
      break;
    end
    out = out | add;
    [X, out, history, reason] = set_aside (X, p, o, out, unit, history, reason, say);
  end
end

function r = row_misfits (X, p)
  % The violations of all the rows that take part, D, Lb, Ub in turn.
  [rD, rLb, rUb] = row_violations (X, p.D, p.Lb, p.Ub);
  r = [rD; rLb; rUb];
end

function f = trimmed (X, p, t)
  % The trimmed misfit: each row's violation squared, at most t^2 (a row
  % set aside counts t^2 however far it is off), and the separation.
  f = sum (min (row_misfits (X, p), t) .^ 2);
  if (p.s > 0)
    [~, ~, ~, total] = separation_pairs (X, p.g.named, p.s);
    f = f + total(2);
  end
end

function yes = stop_now (reason, o)
  yes = strcmp (reason, 'maxTime') || toc (o.clock) > o.maxTime;
end

function t = limit (r, out, unit)
  % The violation beyond which a row is set aside: three robust standard
  % deviations of the kept rows' violations (1.4826 times their median
  % absolute value, the violations being zero where a row is met), and
  % never less than 5% of the rows' median length, so that the small
  % misfits of an answer that fits well do not count.
  t = max (0.05 * unit, 3 * 1.4826 * median ([r(~out); 0]));
end

function [X, out, history, reason] = set_aside (X, p, o, out, unit, history, reason, say)
  % Rounds of descending on the rows kept (all but OUT) and judging every
  % row at the answer (those set aside too, so that a row the answer meets
  % comes back), until the rows set aside change by no more than 1% (at
  % least 2 rows; ten rounds at most); a last descent then follows on
  % the rows so set aside. Each round's descents are held to 1000
  % iterations each: the rows change little from one round to the next.
  for round = 1:10
    if (stop_now (reason, o))
      break;
    end
    [X, history, reason] = settle (X, keep_rows (p, ~out, X, out), o, history, say);
    now = row_misfits (X, p) > limit (row_misfits (X, p), out, unit);
    changed = nnz (now ~= out);
    say ('  robust: %d row(s) set aside, %d after judging again\n', nnz (out), nnz (now));
    out = now;
    if (changed <= max (2, 0.01 * nnz (out)))
      if (changed > 0 && ~stop_now (reason, o))
        [X, history, reason] = settle (X, keep_rows (p, ~out, X, out), o, history, say);
      end
      break;
    end
  end
end

function [X, history, reason] = settle (X, q, o, history, say)
  % Descents on the rows of q: on the centred tables first, then as
  % given (1000 iterations each at most). The descent on the tables as
  % given stops anywhere in the region they allow; the one on the
  % centred tables near its middle, where the true places most likely
  % lie, and the one after it then moves little.
  [X, h, reason] = descend (X, q, table_groups (q, q.centred), o, 0, min (1000, o.maxIter), 100, say);
  history = follow (history, h);
  if (~stop_now (reason, o))
    [X, h, reason] = descend (X, q, table_groups (q, q), o, 0, min (1000, o.maxIter), 100, say);
    history = follow (history, h);
  end
end

function [add, rs] = jackknife (X, p, o, out, unit, rs)
  % The kept rows violated beyond LIMIT at the answer that the other kept
  % rows give: the kept rows dealt at random into K groups, each group
  % left out in turn and the rest descended on from X, on their centred
  % tables: drawn to the middle of their bounds, points that were bent
  % to the edge of them to meet an outlier spring back (as given, they
  % may stay where they are, the bounds met). 16 groups rather than 8:
  % fewer rows lose their hold at once; on 1ADZ (seeds 1-5, maxTime
  % 150 s) the answers came out 0.50 A from the true ones on average
  % against 0.56 A, though not better on every seed.
  K = 16;
  total = numel (out);
  [u, rs] = dg_random (rs, total);
  group = min (K, floor (u * K) + 1);
  r = zeros (total, 1);
  for g = 1:K
    if (toc (o.clock) > o.maxTime)
      add = false (total, 1);
      return;
    end
    q = keep_rows (p, ~out & group ~= g, X, out);
    Y = descend (X, q, table_groups (q, q.centred), o, 0, 300, 100, [], false);
    [rD, rLb, rUb] = row_violations (Y, p.D, p.Lb, p.Ub);
    rg = [rD; rLb; rUb];
    r(group == g) = rg(group == g);
  end
  add = ~out & r > limit (r, out, unit);
end

function q = keep_rows (p, keep, X, out)
  % TRIM with one logical column over the rows D, Lb, Ub in turn. With X
  % and OUT (the rows set aside, same layout): a distance row set aside
  % still says which side of its target the answer must not cross, the
  % side it meets: its target stays as an upper bound (type 0) where X
  % is shorter than the target and as a lower bound (type 1) where X is
  % longer, weighed as the tables' bounds of those types. Only the
  % violated half of such a row is left out.
  m = [size(p.D, 1), size(p.Lb, 1), size(p.Ub, 1)];
  kD = keep(1:m(1));  kLb = keep(m(1) + (1:m(2)));  kUb = keep(m(1) + m(2) + 1:end);
  if (nargin < 4)
    q = trim (p, kD, kLb, kUb);
    return;
  end
  half = find (out(1:m(1)) & ~kD);
  H = p.D(half, :);
  shorter = sqrt (sum ((X(:, H(:, 1)) - X(:, H(:, 2))) .^ 2, 1))' < H(:, 3);
  extra.Lb = [H(~shorter, 1:3), ones(nnz (~shorter), 1)];
  extra.Ub = [H(shorter, 1:3), zeros(nnz (shorter), 1)];
  extra.rowsLb = p.rows.D(half(~shorter));
  extra.rowsUb = p.rows.D(half(shorter));
  q = trim (p, kD, kLb, kUb, extra);
end

function [X, history, reason] = robust_descent (X, p, o, scales, say)
  % Descents with every row weighed anew before each by (1 + (r/c)^2)^-2
  % of its violation r (rounded down to a power of 2; rows below 2^-10
  % are left out), c running through SCALES (falling): a row violated by
  % much more than c loses its pull. 200 iterations each, the last
  % running on until it stops as any descent does.
  history = zeros (1, 0);
  reason = '';
  for k = 1:numel (scales)
    [rD, rLb, rUb] = row_violations (X, p.D, p.Lb, p.Ub);
    c = scales(k);
    G = table_groups (p, p, factor (rD, c), factor (rLb, c), factor (rUb, c));
    budget = 200;
    if (k == numel (scales))
      budget = o.maxIter;
    end
    [X, h, reason] = descend (X, p, G, o, 0, budget, 100, say);
    history = follow (history, h);
    say ('  robust descent: scale %.3g, %d row(s) violated by more\n', c, ...
         nnz (rD > c) + nnz (rLb > c) + nnz (rUb > c));
    if (strcmp (reason, 'maxTime'))
      break;
    end
  end
end

function q = trim (p, kD, kLb, kUb, extra)
  % The problem with only the rows kept (those set aside still count in
  % the reports, through p.all), and EXTRA bounds if given (fields Lb,
  % Ub and the row numbers rowsLb, rowsUb they come from).
  q = p;
  q.D = p.D(kD, :);  q.Lb = p.Lb(kLb, :);  q.Ub = p.Ub(kUb, :);
  q.rows = struct ('D', p.rows.D(kD), 'Lb', p.rows.Lb(kLb), 'Ub', p.rows.Ub(kUb));
  if (nargin > 4)
    q.Lb = [q.Lb; extra.Lb];  q.Ub = [q.Ub; extra.Ub];
    q.rows.Lb = [q.rows.Lb; extra.rowsLb];  q.rows.Ub = [q.rows.Ub; extra.rowsUb];
  end
  q.g = dg_graph (p.n, q.D, q.Lb, q.Ub, p.g.named, p.dim);
  q.centred = centred (q, 0.3);
end

function u = robust_unit (P)
  % The rows' median length: the unit of the robust scales.
  % Without rows of any length (Inf) every row keeps its weight.
  u = median (abs ([P.D(:, 3); P.Lb(:, 3); P.Ub(:, 3)]));
  if (~(u > 0))
    u = Inf;
  end
end

function G = robust_groups (X, P, T, c)
  % The rows of the tables T in groups by their weights (FACTOR of their
  % violations at X, on the scale c; c = Inf weighs every row 1).
  [rD, rLb, rUb] = row_violations (X(1:P.dim, :), T.D, T.Lb, T.Ub);
  G = table_groups (P, T, factor (rD, c), factor (rLb, c), factor (rUb, c));
end

function f = factor (r, c)
  f = 1 ./ (1 + (r / c) .^ 2) .^ 2;
  f = 2 .^ floor (log2 (f));
  f(f < 2 ^ -10) = 0;
end

%% The answer and its evidence

function [rD, rLb, rUb] = row_violations (X, D, Lb, Ub)
  % How far each row is from being met (0 if it is), from the reports:
  % a distance row's deviation either way, a bound's shortfall or excess.
  rD = ceilgap (X, D) + floorgap (X, D);
  rLb = floorgap (X, Lb);
  rUb = ceilgap (X, Ub);
end

function [total, largest, sep] = score (X, p, o)
  % The penalty with the separation term, and the largest violation of
  % any row (all rows, also those that take no part) or separation. sep:
  % count, largest shortfall and penalty of the unnamed pairs closer than
  % minSeparation.
  total = penval (X, p.all.D, p.all.Lb, p.all.Ub, p.w, p.t);
  sep = struct ('count', 0, 'largest', 0, 'penalty', 0);
  if (p.s > 0)
    [~, ~, ~, t] = separation_pairs (X, p.g.named, p.s);
    sep = struct ('count', t(1), 'largest', max (0, p.s - sqrt (t(3))), 'penalty', t(2));
    total = total + sep.penalty;
  end
  [rD, rLb, rUb] = row_violations (X, p.all.D, p.all.Lb, p.all.Ub);
  largest = max ([0; rD; rLb; rUb; sep.largest]);
end

function info = answer (X, p, o, best, suspect, reason, failure)
  info = struct ();
  info.penalty = penval (X, p.all.D, p.all.Lb, p.all.Ub, p.w, p.t);
  [~, ~, sep] = score (X, p, o);
  if (p.s > 0)
    info.separation = sep;
  end
  info.violations = struct ('linkdev', report (linkdev (X, p.all.D)), ...
                            'ceilgap', report (ceilgap (X, p.all.Ub)), ...
                            'floorgap', report (floorgap (X, p.all.Lb)));
  [rD, rLb, rUb] = row_violations (X, p.all.D, p.all.Lb, p.all.Ub);
  rD(suspect.D) = 0;  rLb(suspect.Lb) = 0;  rUb(suspect.Ub) = 0;
  largest = max ([0; rD; rLb; rUb; sep.largest]);
  over = nnz (rD > o.tol) + nnz (rLb > o.tol) + nnz (rUb > o.tol) + (sep.largest > o.tol);
  info.converged = largest <= o.tol;
  info.reason = reason;
  info.message = message (info.converged, reason, over, largest, o, p, suspect, failure);
  info.iterations = numel (best.history) - 1;
  info.seconds = toc (o.clock);
  info.weightless = p.weightless;
  info.samePoint = p.samePoint;
  info.suspect = suspect;
  info.loose = p.g.loose;
  info.pieces = p.g.pieces;
  info.history = best.history;
  info.start = best.start;
end

function [spread, sigma, rs] = spread_test (X, p, o, rs)
  % How firmly the tables hold each point: the answer is bent by a random
  % field, half smooth (eight random centres, each moving the points
  % within about three typical lengths of it) and half point by point,
  % of RMS sigma = a tenth of the rows' median length, and a descent of
  % 200 iterations on the tables as given lets it spring back: points
  % the tables hold return, those they leave free stay moved.
  spread = nan (1, p.n);
  lengths = abs ([p.D(:, 3); p.Ub(:, 3)]);
  sigma = 0;
  if (isempty (lengths) || p.n < 2 || toc (o.clock) > o.maxTime)
    return;
  end
  sigma = 0.1 * median (lengths);
  if (~(sigma > 0))
    return;
  end
  K = min (8, p.n);
  [u, rs] = dg_random (rs, K + K * p.dim + p.dim * p.n);
  centre = X(:, max (1, ceil (u(1:K)' * p.n)));
  v = reshape (u(K + 1:K + K * p.dim) - 0.5, p.dim, K);
  reach = 3 * median (lengths);
  smooth = zeros (size (X));
  for k = 1:K
    smooth = smooth + v(:, k) .* exp (-sum ((X - centre(:, k)) .^ 2, 1) / (2 * reach ^ 2));
  end
  single = reshape (u(K + K * p.dim + 1:end) - 0.5, p.dim, p.n);
  rms = @(F) max (sqrt (mean (sum (F .^ 2, 1))), realmin);
  field = smooth / rms (smooth) + single / rms (single);
  field = field * (sigma / rms (field));
  quiet = o;
  quiet.verbose = false;
  [Y, ~, reason] = descend (X + field, p, table_groups (p, p), quiet, 0, 200, 200, [], false);
  if (strcmp (reason, 'maxTime'))
    spread = nan (1, p.n);
    return;
  end
  % The points whose distances to their partners (by distance or upper
  % bound) came back best, half of them, give the rigid fit of the
  % sprung-back answer onto the answer; spread is each point's distance
  % from its place after that fit.
  e = p.g.edges;
  change = (sqrt (sum ((Y(:, e(:, 1)) - Y(:, e(:, 2))) .^ 2, 1)) ...
            - sqrt (sum ((X(:, e(:, 1)) - X(:, e(:, 2))) .^ 2, 1))) .^ 2;
  total = accumarray ([e(:, 1); e(:, 2)], [change'; change'], [p.n, 1]);
  partners = accumarray ([e(:, 1); e(:, 2)], 1, [p.n, 1]);
  local = sqrt (total ./ max (partners, 1))';
  local(partners == 0) = Inf;
  use = local <= median (local);
  if (nnz (use) < p.dim + 1)
    use = true (1, p.n);
  end
  spread = rigid_misfit (Y, X, use);
end

function r = rigid_misfit (Y, X, use)
  % Distance of each point of Y from X after the rotation and shift
  % (no reflection) that best fit Y(:, use) onto X(:, use).
  cy = mean (Y(:, use), 2);  cx = mean (X(:, use), 2);
  [U, ~, V] = svd ((X(:, use) - cx) * (Y(:, use) - cy)');
  if (det (U * V') < 0)
    U(:, end) = -U(:, end);
  end
  r = sqrt (sum ((U * V' * (Y - cy) + cx - X) .^ 2, 1));
end

function s = report (e)
  rowsHit = find (e > 0);
  s = struct ('rows', rowsHit, 'count', numel (rowsHit), 'largest', max ([0; e(:)]));
end

function text = message (converged, reason, over, largest, o, p, suspect, failure)
  why = struct ('tol', 'the penalty fell to fTarget', ...
                'maxIter', sprintf ('the iteration limit (maxIter %g) was reached', o.maxIter), ...
                'maxTime', sprintf ('the time limit (maxTime %g s) was reached', o.maxTime), ...
                'stalled', 'the descent stalled (no step lowers the penalty any more)');
  if (isfield (why, reason))
    text = why.(reason);
  else
    text = 'no descent ran';
  end
  if (converged)
    text = sprintf ('%s; every row is met within tol (%g)', text, o.tol);
  else
    text = sprintf ('%s; %d row(s) violated by more than tol (%g), the largest by %.3g', ...
                    text, over, o.tol, largest);
  end
  nSuspect = numel (suspect.D) + numel (suspect.Lb) + numel (suspect.Ub);
  if (nSuspect > 0)
    text = sprintf ('%s, leaving out %d suspect row(s) (info.suspect)', text, nSuspect);
  end
  if (~isempty (failure))
    text = sprintf ('%s; %s', text, failure);
  end
  text = [text, '.'];
end

%!test
%! % A tetrahedron from its six distances, up to a rigid motion.
%! P = [0 0 0; 2 0 0; 0 3 0; 0 0 4]';
%! [I, J] = find (triu (ones (4), 1));
%! D = [I, J, sqrt(sum((P(:, I) - P(:, J)) .^ 2, 1))'];
%! [X, info] = dgsolve (4, D, [], [], 'maxTime', 10);
%! Q = sqrt (sum ((X(:, I) - X(:, J)) .^ 2, 1))';
%! assert (Q, D(:, 3), 1e-6);
%! assert (info.penalty < 1e-12 && info.converged);

%!test
%! % Contradicting rows meet half way, are both reported, and the answer
%! % is not called converged.
%! [X, info] = dgsolve (2, [1 2 1], [], [1 2 0.5 0], struct ('dim', 1));
%! assert (abs (X(2) - X(1)), 0.75, 1e-6);
%! assert (info.violations.linkdev.rows, 1);
%! assert (info.violations.ceilgap.rows, 1);
%! assert (~info.converged);

%!error <needs n, D, Lb and Ub> dgsolve (2, [], [])
%!error <Lb row 1 names a point> dgsolve (2, [], [1 3 1 1], [])
%!error <the options are: dim> dgsolve (2, [], [], [], struct ('dimension', 3))
%!error <too large> dgsolve (2, [1 2 1e200], [], [])

%!demo
%! % Twelve points of a helix from the distances of the pairs at most four
%! % apart along it. The tables fix the points up to a rotation, a shift
%! % and a mirror image, so every pair's distance comes back, the pairs
%! % no table names among them.
%! k = 0:11;
%! P = [cos(k); sin(k); 0.4 * k];
%! [I, J] = find (triu (ones (12), 1) - triu (ones (12), 5));
%! D = [I, J, sqrt(sum ((P(:, I) - P(:, J)) .^ 2, 1))'];
%! X = dgsolve (12, D, [], []);
%! fprintf ('%d of the 66 distances given; largest miss over all 66: %.1e\n', ...
%!          size (D, 1), max (max (abs (sqrt (pairsq (X)) - sqrt (pairsq (P))))));
