function [Xt, Y, info] = lrcomplete_rcg (varargin)
%LRCOMPLETE_RCG lrcomplete as it was before its preconditioned rewrite, kept for the benchmark
%   [Xt, Y, info] = lrcomplete_rcg (I, J, vals, m, n, r [, opts])
%   [Xt, Y, info] = lrcomplete_rcg (S, r [, opts])
%
%   Riemannian conjugate gradients on the manifold of rank-r matrices
%   (Polak-Ribiere+, exact step for the quadratic, retraction by a
%   truncated SVD of a 2r-by-2r matrix), started from a truncated SVD of
%   the scaled sampled matrix. The code is the former solver's, unchanged
%   but for its name and its helpers gathered in this one file, so that
%   bench_lrcomplete compares the present solver with it in the same run.
%   Options as a struct: lambda, maxIter, maxTime, tol, seed, X0, Y0, test,
%   verbose; info: residual, testRMSE, iterations, seconds, stop,
%   emptyRows, emptyCols, samples.
%
%   See also LRCOMPLETE, ALS_COMPLETE, BENCH_LRCOMPLETE.
  clock0 = tic ();
  [I, J, vals, m, n, r, opts] = lrinputs (varargin{:});
  o = lroptions (opts, m, n, r);
  p = lrsamples (I, J, vals, m, n, r);
  clear I J vals;

  % The fit runs on the rows and columns that have samples.
  [X0, Y0] = deal ([]);
  if (~ isempty (o.X0))
    X0 = o.X0(:, p.rows);
    Y0 = o.Y0(:, p.cols);
  end
  test = [];
  if (~ isempty (o.test))
    test = o.test;
    [~, test.I] = ismember (test.I, p.rows);
    [~, test.J] = ismember (test.J, p.cols);
    test.unknown = test.I == 0 | test.J == 0;
  end
  [Xs, Ys, info] = lrcg (p, r, o, X0, Y0, test, clock0);

  Xt = NaN (r, m);
  Y = NaN (r, n);
  Xt(:, p.rows) = Xs;
  Y(:, p.cols) = Ys;
  info.emptyRows = p.emptyRows;
  info.emptyCols = p.emptyCols;
  info.samples = p.L;
  info.seconds = toc (clock0);
  if (o.verbose)
    fprintf ('lrcomplete: %s after %d iterations, residual %.3e, %.1f s\n', ...
             info.stop, info.iterations, info.residual(end), info.seconds);
  end
end

function [I, J, vals, m, n, r, opts] = lrinputs (varargin)
%LRINPUTS the two call forms of lrcomplete, brought to one
%   [I, J, vals, m, n, r, opts] = lrinputs (I, J, vals, m, n, r [, opts])
%   [I, J, vals, m, n, r, opts] = lrinputs (S, r [, opts])
%   Returns I, J and vals as columns and opts as a struct (empty if none
%   was given). Checks the sizes m, n, r; the samples are checked by
%   lrsamples.

  usage = 'lrcomplete: call as lrcomplete (I, J, vals, m, n, r [, opts]) or lrcomplete (S, r [, opts])';
  opts = struct ();
  if (nargin >= 1 && nargin <= 3 && issparse (varargin{1}))
    S = varargin{1};
    if (nargin < 2)
      error ('lrcomplete:usage', usage);
    end
    if (~ isreal (S))
      error ('lrcomplete:badValue', 'lrcomplete: the samples must be real');
    end
    [m, n] = size (S);
    [I, J, vals] = find (S);           % stored zeros included
    r = varargin{2};
    if (nargin == 3)
      opts = varargin{3};
    end
  elseif (nargin == 6 || nargin == 7)
    [I, J, vals, m, n, r] = deal (varargin{1:6});
    if (nargin == 7)
      opts = varargin{7};
    end
  else
    error ('lrcomplete:usage', usage);
  end
  if (isempty (opts))
    opts = struct ();
  end
  if (~ isstruct (opts) || numel (opts) ~= 1)
    error ('lrcomplete:badOption', 'lrcomplete: opts must be a struct (or [])');
  end

  is_count = @(x) isnumeric (x) && isreal (x) && isscalar (x) && isfinite (x) ...
                  && x >= 1 && x == fix (x);
  if (~ is_count (m) || ~ is_count (n))
    error ('lrcomplete:badSize', 'lrcomplete: m and n must be positive integers');
  end
  if (~ is_count (r))
    error ('lrcomplete:badSize', 'lrcomplete: the rank r must be a positive integer');
  end
  m = double (m);  n = double (n);  r = double (r);
  if (~ isnumeric (I) || ~ isnumeric (J) || ~ isreal (I) || ~ isreal (J) || issparse (I) || issparse (J))
    error ('lrcomplete:badIndex', 'lrcomplete: I and J must be real numeric arrays');
  end
  if (~ (isnumeric (vals) || islogical (vals)) || issparse (vals))
    error ('lrcomplete:badValue', 'lrcomplete: vals must be a full numeric array');
  end
  if (~ isreal (vals))
    error ('lrcomplete:badValue', 'lrcomplete: the samples must be real');
  end
  I = double (I(:));  J = double (J(:));  vals = double (vals(:));
end


function o = lroptions (opts, m, n, r)
%LROPTIONS lrcomplete's options: defaults, merged with OPTS, checked
%   o = lroptions (opts, m, n, r)
%   Every field of OPTS must name an option; each value is checked here,
%   so that a wrong option fails before any work. o.test comes back as a
%   struct with columns I, J, vals (or [] for none).

  o = struct ('lambda', 0, 'maxIter', 1000, 'maxTime', Inf, 'tol', 1e-10, ...
              'seed', 1, 'X0', [], 'Y0', [], 'test', [], 'verbose', false);
  names = fieldnames (opts);
  for k = 1:numel (names)
    if (~ isfield (o, names{k}))
      error ('lrcomplete:unknownOption', ...
             'lrcomplete: unknown option "%s" (options: lambda, maxIter, maxTime, tol, seed, X0, Y0, test, verbose)', ...
             names{k});
    end
    o.(names{k}) = opts.(names{k});
  end

  scalar = @(x) isnumeric (x) && isreal (x) && isscalar (x) && ~ isnan (x);
  if (~ scalar (o.lambda) || o.lambda < 0 || ~ isfinite (o.lambda))
    bad ('lambda must be a finite number >= 0');
  end
  if (~ scalar (o.maxIter) || o.maxIter < 0 || o.maxIter ~= fix (o.maxIter))
    bad ('maxIter must be an integer >= 0 (or Inf)');
  end
  if (~ scalar (o.maxTime) || o.maxTime < 0)
    bad ('maxTime must be a number of seconds >= 0');
  end
  if (~ scalar (o.tol) || o.tol < 0)
    bad ('tol must be a number >= 0');
  end
  if (~ scalar (o.seed) || ~ isfinite (o.seed) || o.seed < 0 || o.seed ~= fix (o.seed) || o.seed >= 2^32)
    bad ('seed must be an integer from 0 to 2^32 - 1');
  end
  if (~ ((islogical (o.verbose) || isnumeric (o.verbose)) && isscalar (o.verbose)))
    bad ('verbose must be true or false');
  end
  o.lambda = double (o.lambda);  o.maxIter = double (o.maxIter);
  o.maxTime = double (o.maxTime);  o.tol = double (o.tol);  o.seed = double (o.seed);
  o.verbose = logical (o.verbose);

  if (isempty (o.X0) ~= isempty (o.Y0))
    bad ('X0 and Y0 go together: give both or neither');
  end
  if (~ isempty (o.X0))
    full_real = @(x) isnumeric (x) && isreal (x) && ~ issparse (x) && all (isfinite (x(:)));
    if (~ full_real (o.X0) || ~ full_real (o.Y0))
      bad ('X0 and Y0 must be real, full and finite');
    end
    if (~ isequal (size (o.X0), [r m]) || ~ isequal (size (o.Y0), [r n]))
      bad (sprintf ('X0 must be %d-by-%d and Y0 %d-by-%d (r-by-m, r-by-n)', r, m, r, n));
    end
    o.X0 = double (o.X0);  o.Y0 = double (o.Y0);
  end

  if (~ isempty (o.test))
    t = o.test;
    if (iscell (t) && numel (t) == 3)
      t = struct ('I', t{1}, 'J', t{2}, 'vals', t{3});
    elseif (~ (isstruct (t) && isscalar (t) && all (isfield (t, {'I', 'J', 'vals'}))))
      bad ('test must be {It, Jt, vt} or a struct with fields I, J, vals');
    end
    num = @(x) isnumeric (x) && isreal (x) && ~ issparse (x);
    if (~ num (t.I) || ~ num (t.J) || ~ num (t.vals))
      bad ('the test samples must be real, full numeric arrays');
    end
    t = struct ('I', double (t.I(:)), 'J', double (t.J(:)), 'vals', double (t.vals(:)));
    if (numel (t.I) ~= numel (t.J) || numel (t.I) ~= numel (t.vals) || isempty (t.I))
      bad ('the test samples It, Jt, vt must have the same number of elements, at least one');
    end
    if (any (t.I < 1 | t.I > m | t.I ~= fix (t.I)) || any (t.J < 1 | t.J > n | t.J ~= fix (t.J)))
      bad (sprintf ('the test positions must lie inside the %d-by-%d matrix', m, n));
    end
    if (~ all (isfinite (t.vals)))
      bad ('the test values must be finite');
    end
    o.test = t;
  end
end

function bad (what)
  error ('lrcomplete:badOption', 'lrcomplete: %s', what);
end

function p = lrsamples (I, J, vals, m, n, r)
%LRSAMPLES check the samples and put them in the storage order of a sparse matrix
%   p = lrsamples (I, J, vals, m, n, r)
%   Checks every sample (integer positions inside m-by-n, no position
%   twice, finite values) and the rank against the rows and columns that
%   have samples. Returns, for the fit on those rows and columns alone:
%     p.I, p.J   positions renumbered among the rows and columns with
%                samples, sorted column by column, rows ascending (the
%                order in which a sparse matrix stores them);
%     p.b        the values in that order, 1-by-L (as obsprod returns);
%     p.m, p.n   the numbers of rows and columns with samples;
%     p.rows, p.cols          those rows and columns of the whole matrix;
%     p.emptyRows, p.emptyCols  the others (as rows);
%     p.L        the number of samples.

  L = numel (I);
  if (numel (J) ~= L || numel (vals) ~= L)
    error ('lrcomplete:badLength', ...
           'lrcomplete: I, J and vals must have the same number of elements (%d, %d, %d)', ...
           numel (I), numel (J), numel (vals));
  end
  if (L == 0)
    error ('lrcomplete:badLength', 'lrcomplete: no samples');
  end
  k = find (~ isfinite (I) | ~ isfinite (J) | I ~= fix (I) | J ~= fix (J), 1);
  if (~ isempty (k))
    error ('lrcomplete:badIndex', 'lrcomplete: position %d, (%g, %g), is not a pair of integers', ...
           k, I(k), J(k));
  end
  k = find (I < 1 | I > m | J < 1 | J > n, 1);
  if (~ isempty (k))
    error ('lrcomplete:indexOutside', 'lrcomplete: position %d, (%d, %d), lies outside the %d-by-%d matrix', ...
           k, I(k), J(k), m, n);
  end
  k = find (~ isfinite (vals), 1);
  if (~ isempty (k))
    error ('lrcomplete:badValue', 'lrcomplete: value %d is %g; the samples must be finite', k, vals(k));
  end
  if (r > min (m, n))
    error ('lrcomplete:rankTooLarge', 'lrcomplete: rank %d is above min (m, n) = %d', r, min (m, n));
  end

  % Column-major order; m*n < 2^53 keeps every key exact.
  if (m * n >= 2^53)
    error ('lrcomplete:badSize', 'lrcomplete: m*n must be below 2^53');
  end
  [key, order] = sort ((J - 1) * m + I);
  k = find (key(2:end) == key(1:end-1), 1);
  if (~ isempty (k))
    first = min (order(k), order(k + 1));
    second = max (order(k), order(k + 1));
    error ('lrcomplete:repeatedPosition', 'lrcomplete: position (%d, %d) is sampled twice (samples %d and %d)', ...
           I(order(k)), J(order(k)), first, second);
  end
  clear key;

  hasRow = false (m, 1);  hasRow(I) = true;
  hasCol = false (n, 1);  hasCol(J) = true;
  rows = find (hasRow).';  cols = find (hasCol).';
  if (r > min (numel (rows), numel (cols)))
    error ('lrcomplete:rankTooLarge', ...
           'lrcomplete: rank %d is above the number of rows (%d) or columns (%d) that have samples', ...
           r, numel (rows), numel (cols));
  end
  newRow = zeros (m, 1);  newRow(rows) = 1:numel (rows);
  newCol = zeros (n, 1);  newCol(cols) = 1:numel (cols);
  p.I = newRow(I(order));
  p.J = newCol(J(order));
  p.b = vals(order).';
  p.m = numel (rows);
  p.n = numel (cols);
  p.rows = rows;
  p.cols = cols;
  p.emptyRows = find (~ hasRow).';
  p.emptyCols = find (~ hasCol).';
  p.L = L;
end

function [Xt, Y, info] = lrcg (p, r, o, X0, Y0, test, clock0)
%LRCG Riemannian conjugate gradients for lrcomplete
%   [Xt, Y, info] = lrcg (p, r, o, X0, Y0, test, clock0)
%   p: the samples from lrsamples; o: the options from lroptions; X0, Y0:
%   a start or []; test: held-out samples renumbered like p (or []).
%
%   The iterate is X = U * diag (s) * V.', U and V with orthonormal
%   columns. A tangent vector at X is held as (M, Up, Vp), meaning
%   U*M*V.' + Up*V.' + U*Vp.' with U.'*Up = 0 and V.'*Vp = 0; the inner
%   product of two is the sum of the products of their three parts.

  m = p.m;  n = p.n;  L = p.L;  I = p.I;  J = p.J;  b = p.b;  lambda = o.lambda;
  % The residual at the samples lives in R, whose pattern (the samples, in
  % the order of p) is built once: nzfill overwrites its values in place.
  % R is built here and shared with no other variable.
  R = sparse (I, J, ones (L, 1), m, n);
  % The same residual in the pattern of R.' (samples in row order), so
  % that both thin products take the fast form Octave has for a
  % transposed sparse matrix times a full one: R*V = Rt.'*V, and
  % R.'*U. byRow puts the samples in Rt's storage order.
  [~, byRow] = sort ((I - 1) * n + J);
  Rt = sparse (J, I, ones (L, 1), n, m);
  normb = norm (b);
  if (normb == 0)
    normb = 1;                          % all samples 0: report absolute residuals
  end
  wide = 2 * r <= min (m, n);           % one obsprod of rank 2r for a direction

  if (isempty (X0))
    [U, s, V] = lrstart (R, b, L, r, o.seed);
  else
    [U, s, V] = factor_start (X0, Y0);
  end
  % Scale the start to fit the samples best along itself.
  q = at_samples (U, s, V);
  if (q * q.' > 0)
    s = s * ((q * b.') / (q * q.'));
  end
  res = at_samples (U, s, V) - b;
  f = objective (res, s);

  % Histories: room for up to 1000 iterations, grown past that (maxIter
  % may be Inf).
  room = min (o.maxIter + 1, 1001);
  residual = zeros (1, room);
  testRMSE = zeros (1, room * ~ isempty (test));
  residual(1) = norm (res) / normb;
  if (~ isempty (test))
    testRMSE(1) = test_rmse (U, s, V);
  end
  history_f = zeros (1, room);
  history_f(1) = f;
  stop = 'maxIter';
  lastSay = toc (clock0);
  if (o.verbose)
    fprintf ('lrcomplete: %d-by-%d, rank %d, %d samples; start residual %.3e\n', ...
             m, n, r, L, residual(1));
  end
  iter = 0;
  g = [];  eta = [];
  while (true)
    if (residual(iter + 1) <= o.tol)
      stop = 'tol';
      break;
    end
    if (iter >= o.maxIter)
      stop = 'maxIter';
      break;
    end
    if (toc (clock0) >= o.maxTime)
      stop = 'maxTime';
      break;
    end

    % Riemannian gradient: the Euclidean one, R + lambda*X, projected.
    nzfill (R, res, L);
    nzfill (Rt, res(byRow), L);
    GV = Rt.' * V + bsxfun (@times, U, lambda * s.');
    GtU = R.' * U + bsxfun (@times, V, lambda * s.');
    gNew.M = U.' * GV;
    gNew.Up = GV - U * gNew.M;
    gNew.Vp = GtU - V * gNew.M.';

    % Search direction: Polak-Ribiere+ over the previous one carried to
    % this point, restarted along the gradient when successive gradients
    % are far from orthogonal or the result is no descent direction.
    if (isempty (eta))
      etaNew = scale (gNew, -1);
    else
      gT = transport (g, Uold, Vold, U, V);
      eT = transport (eta, Uold, Vold, U, V);
      gg = inner (gNew, gNew);
      beta = max (0, (gg - inner (gNew, gT)) / inner (g, g));
      if (abs (inner (gNew, gT)) >= 0.1 * gg)
        beta = 0;
      end
      etaNew = combine (-1, gNew, beta, eT);
      if (inner (etaNew, gNew) >= 0)
        etaNew = scale (gNew, -1);
      end
    end
    g = gNew;  eta = etaNew;

    % The step that minimises f along the straight line X + t*eta (exact
    % for the quadratic), then back onto the manifold; halved while the
    % objective does not decrease.
    pe = direction_at_samples (U, V, eta);
    xe = sum (s .* diag (eta.M));      % <X, eta>
    num = pe * res.' + lambda * xe;
    den = pe * pe.' + lambda * inner (eta, eta);
    if (~ (den > 0) || ~ (num < 0))
      stop = 'stalled';
      break;
    end
    t = -num / den;
    accepted = false;
    for halving = 0:20
      [U2, s2, V2] = retract (U, s, V, eta, t);
      res2 = at_samples (U2, s2, V2) - b;
      f2 = objective (res2, s2);
      if (f2 <= f)
        accepted = true;
        break;
      end
      t = t / 2;
    end
    if (~ accepted)
      if (inner (eta, g) + inner (g, g) == 0)
        stop = 'stalled';               % already along the gradient
        break;
      end
      eta = [];                         % restart along the gradient
      continue;
    end
    Uold = U;  Vold = V;
    U = U2;  s = s2;  V = V2;  res = res2;  f = f2;
    iter = iter + 1;
    residual(iter + 1) = norm (res) / normb;
    if (~ isempty (test))
      testRMSE(iter + 1) = test_rmse (U, s, V);
    end
    history_f(iter + 1) = f;
    if (o.verbose && toc (clock0) - lastSay >= 2)
      lastSay = toc (clock0);
      if (isempty (test))
        fprintf ('  iteration %5d   residual %.3e   %6.1f s\n', iter, residual(iter + 1), lastSay);
      else
        fprintf ('  iteration %5d   residual %.3e   test RMSE %.5g   %6.1f s\n', ...
                 iter, residual(iter + 1), testRMSE(iter + 1), lastSay);
      end
    end
    % Stalled: the objective has gone down by less than a part in 1e8 over
    % the last 10 iterations (a noisy fit at its minimum).
    if (iter >= 10 && history_f(iter - 9) - f <= 1e-8 * history_f(iter - 9))
      stop = 'stalled';
      break;
    end
  end

  % Factors in obsprod's layout, the singular values split evenly.
  root = sqrt (s.');
  Xt = bsxfun (@times, U, root).';
  Y = bsxfun (@times, V, root).';
  info = struct ('residual', residual(1:iter + 1), ...
                 'testRMSE', testRMSE(1:min (end, iter + 1)), ...
                 'iterations', iter, 'seconds', toc (clock0), 'stop', stop);

  % ---- helpers sharing the problem's variables ----

  function v = at_samples (U, s, V)
    % X at the samples, 1-by-L, in the order of the pattern.
    v = obsprod (bsxfun (@times, U, s.').', V.', I, J, L);
  end

  function v = direction_at_samples (U, V, eta)
    % eta = (U*M + Up)*V.' + U*Vp.' at the samples.
    A = (U * eta.M + eta.Up).';
    if (wide)
      v = obsprod ([A; U.'], [V.'; eta.Vp.'], I, J, L);
    else
      v = obsprod (A, V.', I, J, L) + obsprod (U.', eta.Vp.', I, J, L);
    end
  end

  function v = objective (res, s)
    v = 0.5 * (res * res.') + 0.5 * lambda * (s.' * s);
  end

  function e = test_rmse (U, s, V)
    known = ~ test.unknown;
    pred = obsprod (bsxfun (@times, U, s.').', V.', test.I(known), test.J(known), sum (known));
    e = sqrt (mean ((pred.' - test.vals(known)) .^ 2));
  end
end

function [U, s, V] = factor_start (X0, Y0)
  % X0.' * Y0 as U*diag(s)*V.'.
  [Qx, Rx] = qr (X0.', 0);
  [Qy, Ry] = qr (Y0.', 0);
  [A, S, B] = svd (Rx * Ry.');
  s = diag (S);
  if (s(end) <= eps (s(1)) * numel (s) || s(1) == 0)
    error ('lrcomplete:badOption', 'lrcomplete: the start X0.'' * Y0 must have rank r');
  end
  U = Qx * A;
  V = Qy * B;
end

function [U2, s2, V2] = retract (U, s, V, eta, t)
  % The rank-r matrix nearest to X + t*eta: X + t*eta is
  % [U Qu] * K * [V Qv].' with K 2r-by-2r; a truncated SVD of K gives it.
  r = numel (s);
  cu = U.' * eta.Up;  cv = V.' * eta.Vp;      % rounding left in Up, Vp
  [Qu, Ru] = qr (eta.Up - U * cu, 0);
  [Qv, Rv] = qr (eta.Vp - V * cv, 0);
  K = [diag(s) + t * (eta.M + cu + cv.'), t * Rv.'; t * Ru, zeros(r)];
  [A, S, B] = svd (K);
  U2 = [U Qu] * A(:, 1:r);
  V2 = [V Qv] * B(:, 1:r);
  s2 = diag (S);
  s2 = s2(1:r);
end

function z = transport (x, U0, V0, U, V)
  % Tangent vector x at U0*S0*V0.' projected onto the tangent space at
  % the new point U*S*V.': Z*V and Z.'*U of the matrix Z it stands for,
  % without forming Z.
  AV = V0.' * V;  AU = U0.' * U;
  ZV = U0 * (x.M * AV + x.Vp.' * V) + x.Up * AV;
  ZtU = V0 * (x.M.' * AU + x.Up.' * U) + x.Vp * AU;
  z.M = U.' * ZV;
  z.Up = ZV - U * z.M;
  z.Vp = ZtU - V * z.M.';
end

function v = inner (x, y)
  v = sum (x.M(:) .* y.M(:)) + sum (x.Up(:) .* y.Up(:)) + sum (x.Vp(:) .* y.Vp(:));
end

function z = scale (x, a)
  z.M = a * x.M;  z.Up = a * x.Up;  z.Vp = a * x.Vp;
end

function z = combine (a, x, c, y)
  z.M = a * x.M + c * y.M;
  z.Up = a * x.Up + c * y.Up;
  z.Vp = a * x.Vp + c * y.Vp;
end

function [U, s, V] = lrstart (R, b, L, r, seed)
%LRSTART start of lrcomplete: truncated SVD of the scaled sampled matrix
%   [U, s, V] = lrstart (R, b, L, r, seed)
%   R: sparse m-by-n matrix of the samples' pattern (its values are
%   overwritten here); b: the samples in its storage order. Returns the
%   leading r singular triplets of (m*n/L) * (the sampled matrix), from
%   subspace iteration on a seeded random start: U m-by-r, s r-by-1,
%   V n-by-r.

  [m, n] = size (R);
  nzfill (R, b * (m * n / L), L);
  k = min ([r + 5, m, n]);              % a few more vectors than r
  Q = orth_cols (R * lrrandn (seed, n, k));
  for sweep = 1:3
    Q = orth_cols (R * orth_cols (R.' * Q));
  end
  % R = Q*B on Q's range; B.' = P*T, so B = T.'*P.'.
  [P, T] = qr ((Q.' * R).', 0);
  [A, S, C] = svd (T.');
  U = Q * A(:, 1:r);
  V = P * C(:, 1:r);
  s = diag (S);
  s = s(1:r);
end

function Q = orth_cols (A)
  [Q, ~] = qr (A, 0);
end

function G = lrrandn (seed, m, n)
%LRRANDN m-by-n normal random numbers from SEED, the caller's generator left alone
%   G = lrrandn (seed, m, n)
%   The same seed gives the same numbers on every run of one host. In
%   Octave the state of randn is saved and restored around the draw; in
%   MATLAB a stream of its own draws them.
  if (exist ('OCTAVE_VERSION', 'builtin'))
    saved = randn ('state');
    randn ('state', seed);
    G = randn (m, n);
    randn ('state', saved);
  else
    stream = RandStream ('mt19937ar', 'Seed', seed);
    G = randn (stream, m, n);
  end
end
