function [Xt, Y, info] = lrcomplete (varargin)
%LRCOMPLETE complete a low-rank matrix from samples of its entries
%   [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r)
%   [Xt, Y, info] = lrcomplete (I, J, vals, m, n, r, opts)
%   [Xt, Y, info] = lrcomplete (S, r)
%   [Xt, Y, info] = lrcomplete (S, r, opts)
%
%   Finds an m-by-n matrix X of rank r that agrees with the samples
%   X(I(k), J(k)) = vals(k), and returns it through its factors: X is
%   Xt.' * Y, Xt r-by-m and Y r-by-n, laid out as OBSPROD takes them, so
%     obsprod (Xt, Y, I2, J2, numel (I2))
%   predicts the entries at any other positions (I2, J2) without forming X.
%   With a sparse S, its stored entries are the samples (a stored zero is a
%   sample of value 0) and [m, n] = size (S).
%
%   Method: Riemannian conjugate gradients on the manifold of m-by-n
%   matrices of rank r, minimising
%     f(X) = 1/2 * sum_k (X(I(k), J(k)) - vals(k))^2 + lambda/2 * ||X||_F^2
%   Each iteration evaluates the iterate at the samples with OBSPROD,
%   writes the residual with NZFILL into one sparse matrix whose pattern is
%   built once (the samples sorted into its storage order), multiplies it
%   by two thin factors, and takes the step that minimises f along the
%   search direction (one more OBSPROD), followed by a truncated SVD of a
%   2r-by-2r matrix. The start is a truncated SVD of the sampled matrix
%   scaled by the sampling fraction, from a few subspace iterations with
%   a seeded random start: the same input and seed give the same result.
%
%   Exact recovery needs enough samples: at least r(m + n - r) in all and
%   at least r in every row and column; two to three times that many is
%   usual. A row or column without any sample cannot be recovered: it is
%   left out of the fit, its column of Xt (or of Y) is NaN, so every entry
%   of X it touches is NaN, and info.emptyRows / info.emptyCols list it.
%
%   Inputs:
%     I, J  row numbers (1 to m) and column numbers (1 to n) of the
%           samples, real integer values, no position twice.
%     vals  the sampled values, finite, as many as I and J.
%     m, n  size of the matrix, positive integers.
%     r     rank, a positive integer, at most min (m, n) (and at most the
%           number of rows and columns that have samples).
%   Options (fields of opts; names are case-sensitive):
%     lambda   weight of the ridge term above, >= 0 (0), for noisy data.
%              With a fraction q = L/(m*n) of the entries sampled, it
%              shrinks the fit by about q/(q + lambda): useful values are
%              small multiples of q (demo_ratings takes 0.03*q).
%     maxIter  iteration limit (1000; Inf for none).
%     maxTime  time limit in seconds (Inf), checked after each iteration.
%     tol      stop when the residual at the samples, relative to
%              ||vals||, falls below this (1e-10).
%     seed     seed of the random start (1).
%     X0, Y0   a start instead: X0 r-by-m and Y0 r-by-n, X0.' * Y0 of
%              rank r (both or neither).
%     test     held-out samples {It, Jt, vt} (or a struct with fields
%              I, J, vals): their RMSE is recorded after every iteration,
%              over those whose row and column have fitted samples.
%     verbose  print progress about every two seconds (false).
%
%   info (struct):
%     residual    relative residual at the samples after each iteration
%                 (info.residual(1) is that of the start, so it has
%                 iterations + 1 elements).
%     testRMSE    RMSE at the held-out samples, same length ([] without
%                 test).
%     iterations  iterations done.
%     seconds     time taken, checks and start included.
%     stop        why it stopped: 'tol' (residual below tol), 'maxIter',
%                 'maxTime', 'stalled' (the objective went down by less
%                 than a part in 1e8 over the last 10 iterations, or no
%                 step along the gradient lowers it: the fit is as good as
%                 it gets, as on noisy data).
%     emptyRows, emptyCols  rows and columns without samples (NaN in X).
%     samples     number of samples.
%
%   Errors (identifier lrcomplete:<reason>), raised before any work:
%     usage            wrong number of inputs.
%     badSize          m, n or r not a positive integer.
%     badIndex         I or J not real numbers with integer values.
%     badLength        I, J and vals of different lengths, or no sample.
%     indexOutside     a position outside m-by-n (the message names it).
%     repeatedPosition a position sampled twice (the message names it).
%     badValue         vals not real, or a value NaN or infinite.
%     rankTooLarge     r above min (m, n), or above the number of rows
%                      or columns with samples.
%     badOption        an option of the wrong type or value.
%     unknownOption    a field of opts that is no option.
%
%   Example:
%     U = randn (3, 200);  V = randn (3, 150);         % X = U.' * V, rank 3
%     S = sprand (200, 150, 0.3) ~= 0;
%     [I, J] = find (S);
%     vals = obsprod (U, V, I, J, numel (I)).';
%     [Xt, Y, info] = lrcomplete (I, J, vals, 200, 150, 3);
%     norm (Xt.' * Y - U.' * V, 'fro') / norm (U.' * V, 'fro')   % about 1e-11
%
%   See also OBSPROD, NZFILL.

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
  o.lambda = o.lambda * root * root;     % in the units of p.b

  % The fit runs on the rows and columns that have samples, on values
  % scaled by root^2.
  [G, H] = deal ([]);
  if (~ isempty (o.X0))
    G = o.X0(:, p.rows).' * root;
    H = o.Y0(:, p.cols).' * root;
    if (rank_of (G, H) < r)
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
  p = lrpattern (p);
  [G, H, info] = lrfit (p, r, o, G, H, test, clock0);

  % The answer in obsprod's layout, in the caller's units; rows and
  % columns without samples NaN, components beyond the rank fitted 0.
  k = size (G, 2);
  Xt = NaN (r, m);
  Y = NaN (r, n);
  Xt(:, p.rows) = [G.' / root; zeros(r - k, p.m)];
  Y(:, p.cols) = [H.' / root; zeros(r - k, p.n)];
  info.testRMSE = info.testRMSE / root / root;
  info.rank = k;
  info.emptyRows = p.emptyRows;
  info.emptyCols = p.emptyCols;
  info.fewRows = p.fewRows;
  info.fewCols = p.fewCols;
  info.samples = p.L;
  [info.converged, info.message] = verdict (info, r, o.tol);
  info.stop = info.reason;
  info.seconds = toc (clock0);
  info = orderfields (info, {'converged', 'reason', 'message', 'iterations', 'seconds', ...
                             'residual', 'testRMSE', 'rank', 'rankHistory', 'emptyRows', ...
                             'emptyCols', 'fewRows', 'fewCols', 'samples', 'stop'});
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
%! U = [1 2 0 1 -1 3; 0 1 1 -2 1 1];          % rank 2, 6-by-5
%! V = [2 -1 1 0 1; 1 1 -1 2 0];
%! [I, J] = find (ones (6, 5) - eye (6, 5));   % all but the diagonal
%! vals = sum (U(:, I) .* V(:, J), 1).';

%!test
%! [Xt, Y, info] = lrcomplete (I, J, vals, 6, 5, 2);
%! assert (Xt.' * Y, U.' * V, 1e-8);
%! assert (info.stop, 'tol');
%! assert (numel (info.residual), info.iterations + 1);

%!test
%! S = sparse (I, J, vals, 6, 5);
%! [Xt, Y] = lrcomplete (S, 2, struct ('seed', 3));
%! assert (Xt.' * Y, U.' * V, 1e-8);

%!error id=lrcomplete:rankTooLarge lrcomplete (I, J, vals, 6, 5, 6)
%!error id=lrcomplete:repeatedPosition lrcomplete ([I; 1], [J; 2], [vals; 0], 6, 5, 2)
%!error id=lrcomplete:indexOutside lrcomplete (I, J, vals, 5, 5, 2)
%!error id=lrcomplete:badValue lrcomplete (I, J, [NaN; vals(2:end)], 6, 5, 2)
%!error id=lrcomplete:unknownOption lrcomplete (I, J, vals, 6, 5, 2, struct ('tolerance', 1))
