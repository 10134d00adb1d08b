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
