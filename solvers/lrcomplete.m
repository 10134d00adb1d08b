function [Xt, Y, info] = lrcomplete (varargin)
%LRCOMPLETE complete a low-rank matrix from samples of its entries
%   [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r)
%   [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r, opts)
%   [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r, 'name', value, ...)
%   [Xt, Y, info] = lrcomplete (S, r)
%   [Xt, Y, info] = lrcomplete (S, r, opts)
%   [Xt, Y, info] = lrcomplete (S, r, 'name', value, ...)
%
%   Finds an m-by-n matrix X of rank r that agrees with the samples
%   X(I(k), J(k)) = vals(k), and returns it through its factors: X is
%   Xt.' * Y, Xt r-by-m and Y r-by-n, laid out as OBSPROD takes them, so
%     obsprod (Xt, Y, I2, J2, numel (I2))
%   predicts the entries at any other positions (I2, J2) without forming X.
%
%   With a sparse S, its stored entries are the samples and [m, n] =
%   size (S). A sparse matrix does not store zeros: sparse (I, J, vals)
%   drops every sample of value 0, and so would this form. Give samples
%   that may be 0 as I, J, vals (or make S with a stored zero, as nzfill
%   leaves one; a stored zero is a sample of value 0).
%
%   Method: minimises over factors G (m-by-k) and H (n-by-k), X = G*H.',
%     f = 1/2 * sum_k (X(I(k), J(k)) - vals(k))^2 + w/2 * (||G||^2 + ||H||^2)
%   (w from the option lambda, below; at the minimum the second term is w
%   times the sum of the singular values of X) by conjugate gradients in
%   the metric of each row's and column's normal matrix (the blocks that
%   alternating least squares solves with): a step treats every row and
%   column as well as the others, so the rate depends neither on the
%   condition number of X nor on how unevenly rows and columns are
%   sampled. The step along each direction is the exact minimiser of f (a
%   quartic). The fit grows from rank 0: the leading singular vectors of
%   the residual give new components, the largest first (several at once
%   when their singular values are close, one at a time when they fall
%   off), fitted before the next are looked for, up to rank r. The
%   samples are held once grouped by row and once by column (uint32
%   counts and column numbers beside the values, 24 bytes a sample), and
%   each iteration passes over them with the plug-ins RESPROD (the
%   gradient), RESSTEP (the step) and ROWGRAM (the blocks, every few
%   iterations), so nothing of the length of the samples is formed. The
%   random blocks of the singular vectors come from a generator of its
%   own, seeded by the option seed: the same input and seed give the same
%   answer (at any number of threads, and whatever the order of the
%   samples), and the caller's rand and randn are never touched.
%
%   Choosing r: the rank the matrix has, or the rank to approximate it
%   with. Exact recovery needs at least r(m + n - r) samples, two to five
%   times that in practice (more when the singular values spread over
%   decades), and at least r in every row and column. A rank above what
%   the samples support is seen where it can be: when the samples are
%   fitted to tol at a lower rank k, the answer has rank k (its last r - k
%   components 0) and info says so. On noisy or only approximately
%   low-rank data, hold some samples out (option test) and compare ranks
%   by their RMSE there.
%
%   A row or column without any sample cannot be recovered: it is left out
%   of the fit, its column of Xt (or of Y) is NaN, so every entry of X it
%   touches is NaN, and info.emptyRows / info.emptyCols list it. One with
%   fewer than r samples is fitted but not determined by them (with lambda
%   0 any of many values fit); info.fewRows / info.fewCols list it. Either
%   makes info.converged false.
%
%   Inputs:
%     I, J  row numbers (1 to m) and column numbers (1 to n) of the
%           samples, real integer values (an integer class is kept as it
%           is), no position twice.
%     vals  the sampled values, finite, as many as I and J.
%     m, n  size of the matrix, positive integers.
%     r     rank, a positive integer, at most min (m, n) (and at most the
%           number of rows and columns that have samples).
%   Options, as a struct opts or as name-value pairs (or both, the pairs
%   last); names in any case:
%     lambda   weight of the ridge term, relative (0): w = lambda * rms
%              (vals) * (sqrt (L/m) + sqrt (L/n)) for L samples, the
%              largest singular value that noise as large as the samples
%              themselves would give the sampled matrix. Each singular
%              value of the fit is pulled down by about w over the
%              sampling fraction. 0 for exact data; for noisy or only
%              approximately low-rank data 0.01 to 0.05 (0.03 is a good
%              first choice: demo_ratings and a photograph both do best
%              near it); compare values by the RMSE of held-out samples.
%     maxIter  iteration limit (1000; Inf for none).
%     maxTime  time limit in seconds (Inf), checked after each iteration.
%     tol      stop when the residual at the samples, relative to
%              ||vals||, falls below this (1e-10).
%     seed     seed of the random blocks (1), 0 to 2^32 - 1.
%     X0, Y0   a start instead: X0 r-by-m and Y0 r-by-n, X0.' * Y0 of
%              rank r (both or neither); the rank is r throughout.
%     test     held-out samples {It, Jt, vt} (or a struct with fields
%              I, J, vals): their RMSE is recorded after every iteration,
%              over those whose row and column have fitted samples.
%     verbose  print progress about every two seconds (false).
%
%   info (struct):
%     converged   true when the residual of the answer is within tol and
%                 every row and column has at least r samples.
%     reason      why it stopped: 'tol' (residual within tol), 'maxIter',
%                 'maxTime', 'stalled' (the objective fell by less than a
%                 part in 1e8 over the last 5 iterations, or no step
%                 lowers it: the fit is as good as it gets, as on noisy
%                 data). info.stop is the same.
%     message     a sentence saying so, and what is not determined.
%     iterations  iterations done (over all ranks).
%     seconds     time taken, checks and start included.
%     residual    relative residual at the samples after each iteration
%                 (info.residual(1) is that of the start, so it has
%                 iterations + 1 elements).
%     testRMSE    RMSE at the held-out samples, same length ([] without
%                 test).
%     rank        rank of the answer; rankHistory its rank per iteration.
%     emptyRows, emptyCols  rows and columns without samples (NaN in X).
%     fewRows, fewCols      rows and columns with 1 to r - 1 samples.
%     samples     number of samples.
%     lambda      the weight w used, in the units of vals.
%
%   Errors (identifier lrcomplete:<reason>); all but the last two raised
%   before any work:
%     usage            wrong number or kind of inputs.
%     badSize          m, n or r not a positive integer, or m*n past 2^53.
%     tooLarge         2^32 samples or more, or m or n of 2^32 or more.
%     badIndex         I or J not real numbers with integer values.
%     badLength        I, J and vals of different lengths, or no sample.
%     indexOutside     a position outside m-by-n (the message names it).
%     repeatedPosition a position sampled twice (the message names it).
%     badValue         vals not real, or a value NaN or infinite.
%     rankTooLarge     r above min (m, n), or above the number of rows
%                      or columns with samples.
%     badOption        an option of the wrong type or value.
%     unknownOption    a name that is no option (the message lists them).
%     outOfMemory      memory ran out during the fit.
%     failed           anything else that failed inside (its message kept).
%
%   Example:
%     U = randn (3, 200);  V = randn (3, 150);         % X = U.' * V, rank 3
%     S = sprand (200, 150, 0.3) ~= 0;
%     [I, J] = find (S);
%     vals = obsprod (U, V, I, J, numel (I)).';
%     [Xt, Y, info] = lrcomplete (I, J, vals, 200, 150, 3);
%     norm (Xt.' * Y - U.' * V, 'fro') / norm (U.' * V, 'fro')   % about 1e-11
%     [Xt, Y] = lrcomplete (I, J, vals + 0.1 * randn (size (vals)), 200, 150, 3, ...
%                           'lambda', 0.03, 'maxTime', 10);       % noisy samples
%
%   See also OBSPROD, RESPROD, RESSTEP, ROWGRAM.

  clock0 = tic ();
  try
    [Xt, Y, info] = complete (clock0, varargin{:});
  catch err
    if (strncmp (err.identifier, 'lrcomplete:', 11))
      rethrow (err);
    end
    % Whatever failed inside (memory, a host function) is reported as the
    % solver's own failure, its message kept.
    reason = 'failed';
    if (~ isempty (strfind (lower (err.message), 'out of memory')))
      reason = 'outOfMemory';
    end
    error (['lrcomplete:' reason], 'lrcomplete: %s', err.message);
  end
end

function [Xt, Y, info] = complete (clock0, varargin)
  [I, J, vals, m, n, r, args] = lrinputs (varargin{:});
  o = lroptions (args, m, n, r);
  p = lrsamples (I, J, vals, m, n, r);
  clear I J vals;
  root = p.root;
  % lambda is relative to the largest singular value that noise of the
  % samples' own size would give the sampled matrix.
  % Past 1e10 times the norm of the samples it would only shrink the fit
  % to 0 all the same.
  o.lambda = min (o.lambda * norm (p.b) / sqrt (p.L) * (sqrt (p.L / p.m) + sqrt (p.L / p.n)), ...
                  1e10 * norm (p.b));

  % The fit runs on the rows and columns that have samples, on values
  % scaled by root^2.
  [Gt, Ht] = deal ([]);
  if (~ isempty (o.X0))
    Gt = o.X0(:, p.rows) * root;
    Ht = o.Y0(:, p.cols) * root;
    if (rank_of (Gt.', Ht.') < r)
      error ('lrcomplete:badOption', 'lrcomplete: the start X0.'' * Y0 must have rank r');
    end
  end
  test = [];
  if (~ isempty (o.test))
    test = o.test;
    [~, test.I] = ismember (test.I, p.rows);
    [~, test.J] = ismember (test.J, p.cols);
    test.known = test.I > 0 & test.J > 0;
    test.vals = (test.vals * root) * root;
  end
  [Gt, Ht, info] = lrfit (p, r, o, Gt, Ht, test, clock0);

  % The answer in obsprod's layout, in the caller's units; rows and
  % columns without samples NaN, components beyond the rank fitted 0.
  k = size (Gt, 1);
  Xt = NaN (r, m);
  Y = NaN (r, n);
  Xt(:, p.rows) = [Gt / root; zeros(r - k, p.m)];
  Y(:, p.cols) = [Ht / root; zeros(r - k, p.n)];
  info.testRMSE = info.testRMSE / root / root;
  info.rank = k;
  info.emptyRows = p.emptyRows;
  info.emptyCols = p.emptyCols;
  info.fewRows = p.fewRows;
  info.fewCols = p.fewCols;
  info.samples = p.L;
  info.lambda = o.lambda / root / root;
  [info.converged, info.message] = verdict (info, r, o.tol);
  info.stop = info.reason;
  info.seconds = toc (clock0);
  info = orderfields (info, {'converged', 'reason', 'message', 'iterations', 'seconds', ...
                             'residual', 'testRMSE', 'rank', 'rankHistory', 'emptyRows', ...
                             'emptyCols', 'fewRows', 'fewCols', 'samples', 'lambda', 'stop'});
  if (o.verbose)
    fprintf ('lrcomplete: %s\n', info.message);
  end
end

function k = rank_of (G, H)
  % The rank of G*H.' from the small core of a joint QR of the factors.
  [~, Rg] = qr (G, 0);
  [~, Rh] = qr (H, 0);
  s = svd (Rg * Rh.');
  k = sum (s > max (size (G, 1), size (H, 1)) * eps (max (s)));
end

function [ok, message] = verdict (info, r, tol)
  % Whether the answer is to be trusted, and why (not).
  res = info.residual(end);
  switch (info.reason)
    case 'tol'
      message = sprintf ('the residual at the samples, %.3g of their norm, is within tol after %d iterations', ...
                         res, info.iterations);
    case 'maxIter'
      message = sprintf ('stopped at the iteration limit (%d iterations), residual %.3g', ...
                         info.iterations, res);
    case 'maxTime'
      message = sprintf ('stopped at the time limit after %d iterations, residual %.3g', ...
                         info.iterations, res);
    otherwise
      message = sprintf ('no step lowers the objective any more (%d iterations, residual %.3g): the best fit of rank %d, not within tol', ...
                         info.iterations, res, info.rank);
  end
  ok = strcmp (info.reason, 'tol') && res <= tol;
  if (ok && info.rank < r)
    message = sprintf ('%s; the samples are fitted at rank %d, so rank %d is more than they determine: the answer has rank %d (its last %d components are 0)', ...
                       message, info.rank, r, info.rank, r - info.rank);
  end
  few = [numel(info.emptyRows), numel(info.emptyCols), numel(info.fewRows), numel(info.fewCols)];
  if (any (few))
    ok = false;
    message = sprintf (['%s; not converged: %d rows and %d columns have no sample (NaN in ' ...
                        'the answer), %d rows and %d columns fewer than r = %d (their ' ...
                        'entries are not determined by the samples; see info.fewRows, ' ...
                        'info.fewCols)'], message, few, r);
  end
end

%!shared U, V, I, J, vals
%! U = [1 2 1 1 3 2; 1 1 2 1 1 2];             % rank 2, 6-by-5, no zero entry
%! V = [2 1 1 1 3; 1 1 2 2 1];
%! [I, J] = find (ones (6, 5) - eye (6, 5));   % all but the diagonal
%! vals = sum (U(:, I) .* V(:, J), 1).';

%!test
%! [Xt, Y, info] = lrcomplete (I, J, vals, 6, 5, 2);
%! assert (Xt.' * Y, U.' * V, 1e-8);
%! assert (info.converged && strcmp (info.reason, 'tol') && strcmp (info.stop, 'tol'));
%! assert (numel (info.residual), info.iterations + 1);

%!test
%! [Xt, Y, info] = lrcomplete (sparse (I, J, vals, 6, 5), 2, 'Seed', 3, 'maxIter', 500);
%! assert (Xt.' * Y, U.' * V, 1e-8);
%! assert (info.samples, 25);

%!error id=lrcomplete:rankTooLarge lrcomplete (I, J, vals, 6, 5, 6)
%!error id=lrcomplete:repeatedPosition lrcomplete ([I; 1], [J; 2], [vals; 0], 6, 5, 2)
%!error id=lrcomplete:indexOutside lrcomplete (I, J, vals, 5, 5, 2)
%!error id=lrcomplete:badValue lrcomplete (I, J, [NaN; vals(2:end)], 6, 5, 2)
%!error id=lrcomplete:unknownOption lrcomplete (I, J, vals, 6, 5, 2, 'tolerance', 1)
%!error id=lrcomplete:badOption lrcomplete (I, J, vals, 6, 5, 2, 'verbose', NaN)

%!demo
%! % A 60-by-40 matrix of rank 3 from 40% of its entries. Every entry comes
%! % back, the 60% never seen among them.
%! rand ('state', 1);  randn ('state', 1);
%! A = randn (60, 3) * randn (3, 40);
%! k = randperm (numel (A), 960)';
%! [I, J] = ind2sub (size (A), k);
%! [Xt, Y] = lrcomplete (I, J, A(k), 60, 40, 3);
%! fprintf ('relative error of all 2400 entries: %.1e\n', ...
%!          norm (Xt.' * Y - A, 'fro') / norm (A, 'fro'));
