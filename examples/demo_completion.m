function result = demo_completion (n, opts)
%DEMO_COMPLETION complete a low-rank matrix from a few of its entries
%   result = demo_completion (n)
%   result = demo_completion (n, opts)
%
%   Makes an n-by-n matrix M = U.' * V of rank 5 (U, V with normal random
%   entries), keeps 5% of its entries, chosen at random, and recovers all
%   of M from them by alternating least squares over the two factors:
%   with Y fixed, each column of Xt is the least-squares fit of its row's
%   samples, and then the same for Y with Xt fixed.
%
%   The factors' values at the sampled positions come from obsprod, and
%   every sparse matrix keeps the pattern of the samples, built once:
%   nzfill writes the residual (or the products that form the small normal
%   matrices) into it in place, and sparse products with it give what the
%   updates need. No sparse matrix is built inside the loop.
%
%   Options (fields of opts, all optional):
%     rank      rank of M (5)
%     fraction  fraction of the entries that are sampled (0.05)
%     seed      random seed (1)
%     maxIter   iteration limit (100)
%     tol       stop when the residual at the samples, relative to the
%               samples, falls below this (1e-10)
%     verbose   print progress (true)
%     png       file name for the figure ('' for none)
%
%   result: n, rank, samples, relError (of all entries, ||Xt.'*Y - M|| /
%   ||M|| in the Frobenius norm), residual (at the samples, relative),
%   iterations, seconds, history (per iteration: residual and relError),
%   png (the file written, or '').
%
%   Example:
%     addpath build/toolbox examples
%     r = demo_completion (200, struct ('fraction', 0.3));
%     r.relError        % below 1e-6
%
%   See also DEMO_CHAIN, RUN_DEMOS, OBSPROD, NZFILL.

  if (nargin < 1 || isempty (n))
    n = 2000;
  end
  o = struct ('rank', 5, 'fraction', 0.05, 'seed', 1, 'maxIter', 100, ...
              'tol', 1e-10, 'verbose', true, 'png', '');
  if (nargin > 1)
    for f = fieldnames (opts)'
      o.(f{1}) = opts.(f{1});
    end
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});
  clock0 = tic ();
  m = n;  r = o.rank;

  % The unknown matrix, through its factors, and the sampled positions in
  % the storage order of a sparse matrix (column by column, rows ascending).
  randn ('state', o.seed);  rand ('state', o.seed);
  U = randn (r, m);  V = randn (r, n);
  L = round (o.fraction * m * n);
  pos = sort (randperm (m * n, L))';
  I = mod (pos - 1, m) + 1;
  J = floor ((pos - 1) / m) + 1;
  clear pos;
  b = obsprod (U, V, I, J, L);          % the samples, 1-by-L
  perRow = accumarray (I, 1, [m 1]);  perCol = accumarray (J, 1, [n 1]);
  say ('matrix %d-by-%d of rank %d; %d samples (%.1f%%), %d to %d per row, %d to %d per column\n', ...
       m, n, r, L, 100 * L / (m * n), min (perRow), max (perRow), min (perCol), max (perCol));
  if (min ([perRow; perCol]) < r)
    error ('demo_completion:tooFewSamples', ...
           'demo_completion: a row or column has fewer than %d samples; sample more', r);
  end

  % The two sparse matrices of the samples' pattern. Each is built on its
  % own, so that no other variable shares its storage: nzfill writes into
  % it in place.
  R = sparse (I, J, ones (L, 1), m, n);   % residual at the samples
  W = sparse (I, J, ones (L, 1), m, n);   % work: products that form normal matrices

  % Start: the leading singular vectors of the sampled matrix, scaled up by
  % the sampling fraction.
  nzfill (R, b, L);
  [Us, Ss, Vs] = svds (R, r);
  scale = sqrt (diag (Ss)' * (m * n / L));
  Xt = (Us .* scale)';
  Y = (Vs .* scale)';

  normb = norm (b);
  normM = sqrt (sum (sum ((U * U') .* (V * V'))));   % ||U.'*V|| without forming it
  history = zeros (0, 2);
  say ('alternating least squares; residual at the samples and error of all entries, both relative\n');
  for iter = 1:o.maxIter
    % Xt with Y fixed: column p of Xt moves by the solution of
    % G_p * dx = (residual of row p) * Y.', G_p the normal matrix of row p.
    res = obsprod (Xt, Y, I, J, L) - b;
    nzfill (R, res, L);
    Xt -= solve_each (normal_matrices (W, Y, J, L, 2), (R * Y.').');
    % Y with Xt fixed, the same way along the columns.
    res = obsprod (Xt, Y, I, J, L) - b;
    nzfill (R, res, L);
    Y -= solve_each (normal_matrices (W, Xt, I, L, 1), Xt * R);

    residual = norm (obsprod (Xt, Y, I, J, L) - b) / normb;
    relError = norm (Xt.' * Y - U.' * V, 'fro') / normM;
    history(end+1, :) = [residual, relError];
    say ('  iteration %3d   residual %.3e   error %.3e   %5.1f s\n', ...
         iter, residual, relError, toc (clock0));
    if (residual < o.tol)
      break;
    end
  end
  seconds = toc (clock0);
  say ('relative error of all %d entries: %.2e after %d iterations, %.1f s\n', ...
       m * n, relError, iter, seconds);

  png = '';
  if (! isempty (o.png))
    png = draw (o.png, history, m, n, r, L, say);
  end
  result = struct ('n', n, 'rank', r, 'samples', L, 'relError', relError, ...
                   'residual', residual, 'iterations', iter, 'seconds', seconds, ...
                   'history', history, 'png', png);
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

function png = draw (file, history, m, n, r, L, say)
  png = '';
  [ok, why] = graphics_ready ();
  if (! ok)
    say ('no figure: no graphics toolkit works without a display here (%s)\n', why);
    return;
  end
  restore = quiet_warnings ();
  h = figure ('visible', 'off', 'position', [0 0 700 480]);
  cleanup = onCleanup (@() close (h));
  k = 1:rows (history);
  semilogy (k, history(:, 1), 'o-', k, history(:, 2), 's-');
  grid on;
  xlabel ('iteration');  ylabel ('relative to the samples / to M');
  legend ('residual at the samples', 'error of all entries', 'location', 'northeast');
  title (sprintf ('%d-by-%d, rank %d, %d samples (%.0f%%)', m, n, r, L, 100 * L / (m * n)));
  dir = fileparts (file);
  if (! isempty (dir) && ! exist (dir, 'dir'))
    mkdir (dir);
  end
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
