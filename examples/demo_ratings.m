function result = demo_ratings (scale, opts)
%DEMO_RATINGS predict held-out entries of a noisy rating-like matrix
%   result = demo_ratings ()
%   result = demo_ratings (scale)
%   result = demo_ratings (scale, opts)
%
%   A 6040-by-3706 matrix (the shape of a well-known public rating set)
%   of rank 10, its entries of variance 1 like ratings on a five-point
%   scale, observed at 1,000,209 random positions with normal noise of
%   standard deviation 0.5. 90% of the samples are fitted by LRCOMPLETE
%   (rank 10, a small ridge term), the other 10% are held out, and the
%   RMSE of the prediction at them is followed after every iteration. No
%   method can predict the held-out samples better than the noise level;
%   a rank-10 fit from N samples is expected near
%     noise * sqrt (1 + d / (N - d)),  d = 10 * (m + n - 10),
%   the noise carried into the d numbers that make up the fit.
%   SCALE (default 1) shrinks the problem: the matrix is
%   round (scale*6040)-by-round (scale*3706) with the same share of the
%   entries sampled.
%
%   Options (fields of opts, all optional):
%     noise    standard deviation of the noise (0.5)
%     rank     rank (10)
%     seed     random seed (1)
%     lambda   lrcomplete's (relative) ridge weight (0.03)
%     verbose  print progress (true)
%     png      file name for the figure ('' for none)
%
%   result: m, n, rank, samples (fitted), heldOut, noise, testRMSE (final),
%   fitRMSE (at the fitted samples), expected (the estimate above),
%   relError (of the whole noise-free matrix), iterations, seconds,
%   history (testRMSE and fitRMSE per iteration, the start's first),
%   png (the file written, or '').
%
%   Example:
%     addpath build/toolbox solvers examples
%     r = demo_ratings (0.25);
%     r.testRMSE / r.noise       % a few percent above 1
%
%   See also LRCOMPLETE, DEMO_COMPLETION, RUN_DEMOS.

  if (nargin < 1 || isempty (scale))
    scale = 1;
  end
  o = struct ('noise', 0.5, 'rank', 10, 'seed', 1, 'lambda', 0.03, 'verbose', true, 'png', '');
  if (nargin > 1)
    o = demo_options (o, opts);
  end
  say = @(varargin) o.verbose && fprintf (varargin{:});
  clock0 = tic ();
  m = round (scale * 6040);  n = round (scale * 3706);  r = o.rank;
  L = round (1000209 * (m * n) / (6040 * 3706));
  p = rating_samples (m, n, r, L, o.noise, o.seed);
  N = numel (p.b);
  say ('matrix %d-by-%d of rank %d plus noise %.2f; %d samples: %d fitted, %d held out\n', ...
       m, n, r, o.noise, L, N, numel (p.test{1}));

  [Xt, Y, info] = lrcomplete (p.I, p.J, p.b, m, n, r, struct ('lambda', o.lambda, ...
                              'test', {p.test}, 'seed', o.seed, 'verbose', o.verbose));
  normb = norm (p.b);
  fitRMSE = info.residual(:) * normb / sqrt (N);
  history = [info.testRMSE(:), fitRMSE];
  d = r * (m + n - r);
  expected = Inf;                      % fewer samples than numbers to fit
  if (d < N)
    expected = o.noise * sqrt (1 + d / (N - d));
  end
  relError = lowrank_error (Xt, Y, p.U, p.V);
  seconds = toc (clock0);
  testRMSE = history(end, 1);
  say ('held-out RMSE %.4f: %.1f%% above the noise level %.2f (expected near %.4f, %+.1f%%); ', ...
       testRMSE, 100 * (testRMSE / o.noise - 1), o.noise, expected, 100 * (expected / o.noise - 1));
  say ('fitted %.4f; %d iterations (%s), %.1f s\n', fitRMSE(end), info.iterations, info.stop, seconds);

  png = '';
  if (~isempty (o.png))
    png = draw (o.png, history, o.noise, expected, m, n, r, N, say);
  end
  result = struct ('m', m, 'n', n, 'rank', r, 'samples', N, 'heldOut', numel (p.test{1}), ...
                   'noise', o.noise, 'testRMSE', testRMSE, 'fitRMSE', fitRMSE(end), ...
                   'expected', expected, 'relError', relError, 'iterations', info.iterations, ...
                   'seconds', seconds, 'history', history, 'png', png);
end

function png = draw (file, history, noise, expected, m, n, r, N, say)
  png = '';
  [h, cleanup] = demo_figure (700, say);
  if (isempty (h))
    return;
  end
  k = 0:size (history, 1) - 1;
  plot (k, history(:, 1), 'o-', k, history(:, 2), 's-', ...
        k([1 end]), [noise noise], 'k--', k([1 end]), [expected expected], 'k:');
  grid on;
  top = min (max (history(:)), 2 * noise);
  ylim ([0.8 * noise, max(top, 1.1 * expected)]);
  xlabel ('iteration');  ylabel ('RMSE');
  legend ('held-out samples', 'fitted samples', 'noise level', 'expected for a rank-r fit', ...
          'location', 'northeast');
  title (sprintf ('%d-by-%d, rank %d plus noise %.2f, %d samples fitted', m, n, r, noise, N));
  save_png (h, file);
  png = file;
  say ('figure written to %s\n', file);
end
