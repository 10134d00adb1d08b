function [Xt, Y, info] = als_complete (I, J, b, m, n, r, opts)
%ALS_COMPLETE the alternating least squares of demo_completion before lrcomplete
%   [Xt, Y, info] = als_complete (I, J, b, m, n, r, opts)
%
%   Kept for the benchmark, to compare lrcomplete with the method the
%   completion demo used before it, on the same problems and in the same
%   run. The algorithm is the demo's, unchanged: start from the leading
%   singular vectors of the sampled matrix scaled by the sampling fraction
%   (svds), then alternate least-squares fits of the columns of Xt and of
%   Y, with the small normal matrices summed through a second sparse
%   matrix of the same pattern. Only the problem setup moved out (the
%   samples come in, in sparse storage order) and a time limit was added.
%
%   I, J: sampled positions (columns) in sparse storage order; b: the
%   samples, 1-by-L. opts: lambda (0: a ridge term lambda/2 (||Xt||^2 +
%   ||Y||^2) added to the objective, each least-squares fit solving with
%   its normal matrix plus lambda*I), maxIter (100), tol (1e-10), maxTime (Inf; it
%   stops after the first iteration that ends past it; it also stops when
%   an iteration lowers the residual by less than a part in a million),
%   test ({It, Jt, vt}: RMSE after each iteration), verbose (true).
%   info: residual (relative, per iteration), testRMSE, iterations,
%   seconds.

  o = struct ('lambda', 0, 'maxIter', 100, 'tol', 1e-10, 'maxTime', Inf, 'test', [], 'verbose', true);
  if (nargin > 6)
    for f = fieldnames (opts)'
      o.(f{1}) = opts.(f{1});
    end
  end
  clock0 = tic ();
  L = numel (I);
  R = sparse (I, J, ones (L, 1), m, n);   % residual at the samples
  W = sparse (I, J, ones (L, 1), m, n);   % work: products that form normal matrices
  nzfill (R, b, L);
  [Us, Ss, Vs] = svds (R, r);
  scale = sqrt (diag (Ss)' * (m * n / L));
  Xt = (Us .* scale)';
  Y = (Vs .* scale)';
  normb = norm (b);
  residual = [];  testRMSE = [];
  for iter = 1:o.maxIter
    res = obsprod (Xt, Y, I, J, L) - b;
    nzfill (R, res, L);
    Xt -= solve_each (ridge (normal_matrices (W, Y, J, L, 2), o.lambda), (R * Y.').' + o.lambda * Xt);
    res = obsprod (Xt, Y, I, J, L) - b;
    nzfill (R, res, L);
    Y -= solve_each (ridge (normal_matrices (W, Xt, I, L, 1), o.lambda), Xt * R + o.lambda * Y);
    residual(end+1) = norm (obsprod (Xt, Y, I, J, L) - b) / normb;
    if (! isempty (o.test))
      t = o.test;
      testRMSE(end+1) = sqrt (mean ((obsprod (Xt, Y, t{1}, t{2}, numel (t{1})) - t{3}(:).') .^ 2));
    end
    if (o.verbose)
      printf ('  ALS iteration %3d   residual %.3e   %6.1f s\n', iter, residual(end), toc (clock0));
    end
    if (residual(end) < o.tol || toc (clock0) >= o.maxTime)
      break;
    end
    % On noisy samples the residual levels off above tol: stop when an
    % iteration lowers it by less than a part in a million.
    if (iter > 1 && residual(end - 1) - residual(end) < 1e-6 * residual(end))
      break;
    end
  end
  info = struct ('residual', residual, 'testRMSE', testRMSE, 'iterations', iter, ...
                 'seconds', toc (clock0));
end

function G = normal_matrices (W, F, idx, L, dim)
  % G(:,:,p) = sum of F(:,q) * F(:,q).' over the samples q of row p
  % (dim 2) or column p (dim 1) of the pattern. Each of the r*(r+1)/2
  % distinct entries: the products at every sample written into W in place,
  % then summed along the pattern's rows or columns.
  r = rows (F);
  G = zeros (r, r, size (W, 3 - dim));
  Fs = F(:, idx);                      % the factor's column at each sample
  for a = 1:r
    for c = a:r
      nzfill (W, Fs(a, :) .* Fs(c, :), L);
      s = full (sum (W, dim));
      G(a, c, :) = s;
      G(c, a, :) = s;
    end
  end
end

function G = ridge (G, lambda)
  % lambda added to the diagonal of every normal matrix.
  for a = 1:rows (G)
    G(a, a, :) += lambda;
  end
end

function X = solve_each (G, B)
  % X(:,p) = G(:,:,p) \ B(:,p) for every p at once, by Cholesky
  % factorisations done side by side (each G(:,:,p) symmetric positive
  % definite).
  [r, ~, m] = size (G);
  C = zeros (r, r, m);
  for j = 1:r
    s = G(j, j, :) - sum (C(j, 1:j-1, :) .^ 2, 2);
    C(j, j, :) = sqrt (s);
    for i = j+1:r
      C(i, j, :) = (G(i, j, :) - sum (C(i, 1:j-1, :) .* C(j, 1:j-1, :), 2)) ./ C(j, j, :);
    end
  end
  y = zeros (r, 1, m);
  B = reshape (B, r, 1, m);
  for i = 1:r                          % C * y = B
    y(i, 1, :) = (B(i, 1, :) - sum (C(i, 1:i-1, :) .* permute (y(1:i-1, 1, :), [2 1 3]), 2)) ./ C(i, i, :);
  end
  x = zeros (r, 1, m);
  for i = r:-1:1                       % C.' * x = y
    x(i, 1, :) = (y(i, 1, :) - sum (C(i+1:r, i, :) .* x(i+1:r, 1, :), 1)) ./ C(i, i, :);
  end
  X = reshape (x, r, m);
end

