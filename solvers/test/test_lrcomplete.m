function test_lrcomplete ()
  % lrcomplete recovers small matrices of rank 1 to 5 exactly, from either
  % call form, square or not, and an ill-conditioned one; the start, the
  % limits, held-out tracking, the ridge term, a rank above the data's,
  % rows or columns with too few samples and values near the ends of the
  % double range behave as the help says. (Its help's own examples run in
  % test_solver_self_tests; its steps in test_lrcomplete_steps.)

  % Exact recovery: rank 1 to 5, square and rectangular (both ways), from
  % about three times the degrees of freedom. Every other case goes
  % through a sparse S.
  shapes = [60 60; 80 50; 45 90; 70 70; 100 60];
  for r = 1:5
    m = shapes(r, 1);  n = shapes(r, 2);
    [U, V, I, J, vals] = problem (m, n, r, 3 * r * (m + n - r), r);
    if (mod (r, 2) == 1)
      [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r);
    else
      [Xt, Y, info] = lrcomplete (sparse (I, J, vals, m, n), r);
    end
    M = U.' * V;
    err = norm (Xt.' * Y - M, 'fro') / norm (M, 'fro');
    assert (err < 1e-8, sprintf ('rank %d, %d-by-%d: error %g', r, m, n, err));
    assert (size (Xt), [r m]);
    assert (size (Y), [r n]);
    assert (info.converged && strcmp (info.reason, 'tol') && strcmp (info.stop, 'tol'));
    assert (info.rank, r);
    assert (info.residual(end) <= 1e-10);
    assert (numel (info.residual), info.iterations + 1);
    assert (all (diff (info.residual) <= 0));        % no step raises the residual
    assert (isempty (info.testRMSE) && isempty (info.emptyRows) && isempty (info.emptyCols));
    assert (info.samples, numel (I));
    % The factors predict unsampled entries through obsprod.
    assert (obsprod (Xt, Y, [1 m], [n 1], 2), [M(1, n) M(m, 1)], 1e-8 * norm (M, 'fro'));
  end

  % Ill-conditioned: singular values from 1 to 1e-4, five times as many
  % samples as degrees of freedom.
  [U, V, I, J, vals] = problem (300, 250, 5, 5 * 5 * 545, 4, logspace (0, -4, 5));
  [Xt, Y, info] = lrcomplete (I, J, vals, 300, 250, 5);
  assert (info.converged);
  assert (rel_error (Xt, Y, U, V) < 1e-7);

  % Samples in any order, and integer classes, give the same fit as sorted
  % doubles; the same seed the same bits; the caller's generator is left
  % as it was, whichever it is (randn ('seed') selects Octave's old one).
  [U, V, I, J, vals] = problem (50, 40, 2, 900, 7);
  [Xa, Ya] = lrcomplete (I, J, vals, 50, 40, 2, struct ('maxIter', 5));
  k = numel (I):-1:1;
  randn ('state', 11);  before = randn ('state');
  [Xb, Yb] = lrcomplete (int32 (I(k).'), uint16 (J(k).'), vals(k).', 50, 40, 2, 'maxIter', 5);
  assert (randn ('state'), before);
  assert (isequal (Xa, Xb) && isequal (Ya, Yb));
  randn ('seed', 42);  rand ('seed', 42);
  lrcomplete (I, J, vals, 50, 40, 2, 'maxIter', 2);
  after = [randn(1, 3), rand(1, 3)];
  randn ('seed', 42);  rand ('seed', 42);
  assert (after, [randn(1, 3), rand(1, 3)]);
  [Xc, Yc] = lrcomplete (I, J, vals, 50, 40, 2, struct ('maxIter', 5, 'seed', 2));
  assert (~ isequal (Xa.' * Ya, Xc.' * Yc));

  % Limits and the start: stop reasons, and a start at the answer needs
  % no iteration.
  [~, ~, info] = lrcomplete (I, J, vals, 50, 40, 2, 'MAXITER', 3);
  assert (info.stop, 'maxIter');
  assert (~ info.converged);
  assert (info.iterations, 3);
  [~, ~, info] = lrcomplete (I, J, vals, 50, 40, 2, struct ('maxIter', Inf, 'tol', 1e-6));
  assert (info.stop, 'tol');
  [~, ~, info] = lrcomplete (I, J, vals, 50, 40, 2, struct ('maxTime', 0));
  assert (info.stop, 'maxTime');
  assert (info.iterations, 0);
  [Xt, Y, info] = lrcomplete (I, J, vals, 50, 40, 2, struct ('X0', 2 * U, 'Y0', V / 2));
  assert (info.iterations, 0);
  assert (Xt.' * Y, U.' * V, 1e-10);

  % A stored zero of S is a sample of value 0.
  [U, V, I, J, vals] = problem (40, 40, 1, 500, 3);
  U(1) = 0;                                   % row 1 of the matrix is zero
  vals = sum (U(:, I) .* V(:, J), 1).';
  S = sparse (I, J, vals + 1, 40, 40);
  [~, k] = sort ((J - 1) * 40 + I);           % nzfill writes in storage order
  nzfill (S, vals(k), numel (vals));          % stored values, zeros among them
  [~, ~, stored] = find (S);
  assert (numel (stored) == numel (I) && any (stored == 0));
  [Xt, Y, info] = lrcomplete (S, 1);
  assert (info.samples, numel (I));
  assert (Xt.' * Y, U.' * V, 1e-8);

  % Held-out samples: their RMSE after every iteration, near the noise of
  % the fitted samples; a small ridge term keeps that, a large one
  % shrinks the fit towards zero.
  randn ('state', 5);  rand ('state', 5);
  [U, V, I, J, vals] = problem (120, 100, 3, 6000, 5);
  vals = vals + 0.1 * randn (size (vals));
  held = 1:10:numel (I);
  fit = setdiff (1:numel (I), held);
  test = {I(held), J(held), vals(held)};
  [Xt, Y, info] = lrcomplete (I(fit), J(fit), vals(fit), 120, 100, 3, struct ('test', {test}));
  assert (numel (info.testRMSE), info.iterations + 1);
  assert (info.testRMSE(end) < info.testRMSE(1));
  pred = obsprod (Xt, Y, I(held), J(held), numel (held));
  assert (info.testRMSE(end), sqrt (mean ((pred.' - vals(held)) .^ 2)), 1e-12);
  assert (info.testRMSE(end) > 0.1 && info.testRMSE(end) < 0.13);
  assert (any (strcmp (info.stop, {'stalled', 'tol'})));
  [~, ~, infoS] = lrcomplete (I(fit), J(fit), vals(fit), 120, 100, 3, ...
                              struct ('test', struct ('I', I(held), 'J', J(held), 'vals', vals(held)), ...
                                      'lambda', 0.03));
  assert (abs (infoS.testRMSE(end) - info.testRMSE(end)) < 0.01);
  % A weight w pulls each singular value of the fit down by about w/q, q
  % the fraction of the entries fitted.
  [Xl, Yl, infoL] = lrcomplete (I(fit), J(fit), vals(fit), 120, 100, 3, 'lambda', 0.5);
  q = numel (fit) / 12000;
  drop = svd (Xt.' * Y)(1:3) - svd (Xl.' * Yl)(1:3);
  assert (abs (drop / (infoL.lambda / q) - 1) < 0.1, sprintf ('drop %g', drop));

  % Rows and columns without samples are left out of the fit, reported,
  % and not claimed: NaN in their factor, so in every entry they touch.
  [U, V, I, J, vals] = problem (60, 50, 2, 1500, 9);
  keep = I ~= 7 & I ~= 20 & J ~= 33;
  held = [find(~ keep, 3); find(keep, 1)];    % three in unknown rows or columns, one known
  [Xt, Y, info] = lrcomplete (I(keep), J(keep), vals(keep), 60, 50, 2, ...
                              struct ('test', {{I(held), J(held), vals(held)}}));
  assert (info.emptyRows, [7 20]);
  assert (info.emptyCols, 33);
  assert (strcmp (info.reason, 'tol') && ~ info.converged);
  assert (all (isnan (Xt(:, [7 20])(:))) && all (isnan (Y(:, 33))));
  X = Xt.' * Y;
  M = U.' * V;
  assert (all (isnan (X([7 20], :))(:)) && all (isnan (X(:, 33))));
  known = true (60, 50);  known([7 20], :) = false;  known(:, 33) = false;
  assert (X(known), M(known), 1e-8 * norm (M, 'fro'));
  % The held-out RMSE counts only the samples whose row and column were fitted.
  assert (isfinite (info.testRMSE(end)) && info.testRMSE(end) < 1e-8);

  % A row with fewer samples than r is fitted but not determined: listed,
  % and not converged; a rank above the matrix's is found where the
  % samples fit at a lower one.
  [U, V, I, J, vals] = problem (100, 80, 3, 3000, 2);
  keep = true (size (I));
  k5 = find (I == 5);
  keep(k5(2:end)) = false;                    % row 5 keeps one sample
  [~, ~, info] = lrcomplete (I(keep), J(keep), vals(keep), 100, 80, 3);
  assert (info.fewRows, 5);
  assert (isempty (info.fewCols) && ~ info.converged);
  [Xt, Y, info] = lrcomplete (I, J, vals, 100, 80, 5);
  assert (info.converged && info.rank == 3 && ~ isempty (strfind (info.message, 'rank 3')));
  assert (all (Xt(4:5, :)(:) == 0) && all (Y(4:5, :)(:) == 0));
  assert (rel_error (Xt, Y, U, V) < 1e-8);

  % Values near the top and the bottom of the double range fit as any
  % others; a huge lambda shrinks the fit towards 0 without a NaN.
  for s = [1e150, 1e-290]
    [Xt, Y, info] = lrcomplete (I, J, s * vals, 100, 80, 3);
    assert (info.converged && all (isfinite ([Xt(:); Y(:)])));
    assert (rel_error (Xt, Y, sqrt (s) * U, sqrt (s) * V) < 1e-8);
  end
  [Xt, Y, info] = lrcomplete (sparse ([1 2; 3 4]), 1, struct ('lambda', 1e300));
  assert (all (isfinite ([Xt(:); Y(:)])) && norm (Xt.' * Y) < 1e-10 && ~ info.converged);
end

function [U, V, I, J, vals] = problem (m, n, r, L, seed, sv)
  % A random m-by-n matrix U.'*V of rank r (singular values sv, when
  % given) and L distinct sampled positions, each row and column with at
  % least r of them.
  randn ('state', seed);  rand ('state', seed);
  U = randn (r, m);  V = randn (r, n);
  if (nargin > 5)
    [U, ~] = qr (U.', 0);  [V, ~] = qr (V.', 0);
    U = (U .* sqrt (sv)).';  V = (V .* sqrt (sv)).';
  end
  while (true)
    pos = randperm (m * n, L).';
    I = mod (pos - 1, m) + 1;  J = floor ((pos - 1) / m) + 1;
    if (min (accumarray (I, 1, [m 1])) >= r && min (accumarray (J, 1, [n 1])) >= r)
      break;
    end
  end
  vals = sum (U(:, I) .* V(:, J), 1).';
end

function e = rel_error (Xt, Y, U, V)
  M = U.' * V;
  e = norm (Xt.' * Y - M, 'fro') / norm (M, 'fro');
end
