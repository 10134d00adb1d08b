function result = demo_completion (n, opts)
%DEMO_COMPLETION complete a low-rank matrix from a few of its entries
%   result = demo_completion (n)
%   result = demo_completion (n, opts)
%
%   Makes an n-by-n matrix M = U.' * V of rank 5 (U, V with normal random
%   entries), keeps 5% of its entries, chosen at random, and recovers all
%   of M from them with LRCOMPLETE (Riemannian conjugate gradients on the
%   matrices of rank 5). Each iteration evaluates the factors at the
%   sampled positions with obsprod and writes the residual with nzfill
%   into a sparse matrix whose pattern is built once.
%
%   Options (fields of opts, all optional):
%     rank      rank of M (5)
%     fraction  fraction of the entries that are sampled (0.05)
%     seed      random seed (1)
%     maxIter   iteration limit (1000)
%     tol       stop when the residual at the samples, relative to the
%               samples, falls below this (1e-10)
%     verbose   print progress (true)
%     png       file name for the figure ('' for none)
%
%   result: n, rank, samples, relError (of all entries, ||Xt.'*Y - M|| /
%   ||M|| in the Frobenius norm, from the factors without forming M),
%   residual (at the samples, relative), iterations, seconds, history (the
%   residual per iteration, the start's first), png (the file written, or
%   '').
%
%   Example:
%     addpath build/toolbox solvers examples
%     r = demo_completion (200, struct ('fraction', 0.3));
%     r.relError        % below 1e-6
%
%   See also LRCOMPLETE, DEMO_RATINGS, DEMO_CHAIN, RUN_DEMOS, OBSPROD, NZFILL.

  if (nargin < 1 || isempty (n))
    n = 2000;
  end
  o = struct ('rank', 5, 'fraction', 0.05, 'seed', 1, 'maxIter', 1000, ...
              'tol', 1e-10, 'verbose', true, 'png', '');
  if (nargin > 1)
    o = demo_options (o, opts);
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});
  clock0 = tic ();
  m = n;  r = o.rank;

  % The unknown matrix, through its factors, and the sampled positions in
  % the storage order of a sparse matrix (column by column, rows ascending).
  L = round (o.fraction * m * n);
  [I, J, b, U, V] = lowrank_samples (m, n, r, L, o.seed);   % b 1-by-L
  perRow = accumarray (I, 1, [m 1]);  perCol = accumarray (J, 1, [n 1]);
  say ('matrix %d-by-%d of rank %d; %d samples (%.1f%%), %d to %d per row, %d to %d per column\n', ...
       m, n, r, L, 100 * L / (m * n), min (perRow), max (perRow), min (perCol), max (perCol));
  if (min ([perRow; perCol]) < r)
    error ('demo_completion:tooFewSamples', ...
           'demo_completion: a row or column has fewer than %d samples; sample more', r);
  end

  [Xt, Y, info] = lrcomplete (I, J, b, m, n, r, struct ('maxIter', o.maxIter, 'tol', o.tol, ...
                                                        'seed', o.seed, 'verbose', o.verbose));
  relError = lowrank_error (Xt, Y, U, V);
  history = info.residual(:);
  residual = history(end);
  iter = info.iterations;
  seconds = toc (clock0);
  say ('relative error of all %d entries: %.2e after %d iterations (%s), %.1f s\n', ...
       m * n, relError, iter, info.stop, seconds);

  png = '';
  if (~isempty (o.png))
    png = draw (o.png, history, relError, m, n, r, L, say);
  end
  result = struct ('n', n, 'rank', r, 'samples', L, 'relError', relError, ...
                   'residual', residual, 'iterations', iter, 'seconds', seconds, ...
                   'history', history, 'png', png);
end

function png = draw (file, history, relError, m, n, r, L, say)
  png = '';
  [h, cleanup] = demo_figure (700, say);
  if (isempty (h))
    return;
  end
  k = 0:numel (history) - 1;
  semilogy (k, history, 'o-', k(end), relError, 's');
  grid on;
  xlabel ('iteration');  ylabel ('relative to the samples / to M');
  legend ('residual at the samples', 'error of all entries, at the end', 'location', 'northeast');
  title (sprintf ('%d-by-%d, rank %d, %d samples (%.0f%%)', m, n, r, L, 100 * L / (m * n)));
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
