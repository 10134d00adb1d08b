function bench_lrcomplete (action, which, method, folder)
%BENCH_LRCOMPLETE one case of the completion benchmark: make its problem, or solve it by one method
%   bench_lrcomplete ('make', which, [], folder)
%   bench_lrcomplete ('run', which, method, folder)
%
%   'make' draws the problem of case WHICH and saves it in FOLDER (positions
%   as uint32, values as doubles: 16 bytes a sample), so that each method
%   runs in an Octave process of its own whose peak memory (VmHWM) is the
%   problem's and its own. 'run' loads it, solves it by METHOD and prints
%   one line for bench_lrcomplete.sh's table:
%     ROW|case|method|result|iterations|seconds|peak memory
%   Methods: 'lrcomplete' (the solver), 'ALS' (ALS_COMPLETE, alternating
%   least squares, with the same ridge weight as lrcomplete where there is
%   one), 'previous' (LRCOMPLETE_RCG, the solver before its preconditioned
%   rewrite). ALS and the previous solver get the case's time limit (ALS
%   stops after the first iteration that ends past it).
%
%   Cases (exact samples of U*diag(s)*V.', U and V with orthonormal
%   columns, at L distinct random positions, unless said otherwise):
%     '10k'       10,000 x 10,000, rank 10, s all equal, L = 3 r (m + n - r)
%     'cond5'     5,000 x 5,000, rank 10, s from 1 to 1e-4 (equal ratios),
%                 L = 5 r (m + n - r)
%     'cond3'     the same with L = 3 r (m + n - r)
%     'tall'      200,000 x 200, rank 10, s all equal, L = 3 r (m + n - r)
%     'photo'     a 512 x 512 photograph (SciPy's "ascent", written by
%                 bench_lrcomplete.sh to FOLDER/ascent.u8), half its pixels
%                 sampled at random; rank 40, lambda 0.03; PSNR at the
%                 other half
%     'ratings'   the problem of demo_ratings (6040 x 3706, rank 10, noise
%                 0.5, 90% of 1,000,209 samples fitted, RMSE at the rest)
%     'big2e7'    480,189 x 17,770, rank 10, s all equal, 2e7 samples;
%                 tol 1e-8
%     'big1e8'    the same with 1e8 samples; tol 1e-6
%   The relative error of the whole matrix comes from the factors
%   (LOWRANK_ERROR), without forming it.

  file = fullfile (folder, [which '.mat']);
  c = case_of (which);
  if (strcmp (action, 'make'))
    t0 = tic ();
    if (strcmp (which, 'photo'))
      fid = fopen (fullfile (folder, 'ascent.u8'), 'r');
      A = reshape (fread (fid, Inf, 'uint8=>double'), 512, 512).';
      fclose (fid);
      keep = false (512);
      keep(bench_positions (512, 512, 512 * 256, 1)) = true;
      [I, J] = find (keep);
      b = A(keep).';
      [It, Jt] = find (~ keep);
      test = {It, Jt, A(~ keep)};
      U = [];  V = [];
    elseif (strcmp (which, 'ratings'))
      p = rating_samples (6040, 3706, 10, 1000209, 0.5, 1);
      [I, J, b, U, V, test] = deal (p.I, p.J, p.b, p.U, p.V, p.test);
    else
      pos = bench_positions (c.m, c.n, c.L, 1);
      I = uint32 (mod (pos - 1, c.m) + 1);
      J = uint32 (floor ((pos - 1) / c.m) + 1);
      clear pos;
      [U, V] = factors (c.m, c.n, c.r, c.s);
      b = zeros (1, c.L);
      step = 1e7;                       % obsprod wants doubles: in pieces
      for k = 1:step:c.L
        k2 = min (k + step - 1, c.L);
        b(k:k2) = obsprod (U, V, double (I(k:k2)), double (J(k:k2)), k2 - k + 1);
      end
      test = [];
    end
    I = uint32 (I);  J = uint32 (J);
    save ('-binary', file, 'I', 'J', 'b', 'U', 'V', 'test');
    fprintf ('%s: %d samples drawn in %.1f s\n', which, numel (b), toc (t0));
    return;
  end

  load (file);
  fprintf ('%s by %s: problem loaded, peak memory so far %s\n', which, method, peak_memory ());
  t0 = tic ();
  switch (method)
    case 'lrcomplete'
      [Xt, Y, info] = lrcomplete (I, J, b, c.m, c.n, c.r, 'lambda', c.lambda, 'tol', c.tol, ...
                                  'maxTime', c.time, 'test', test, 'verbose', true);
      iterations = info.iterations;
      fprintf ('%s\n', info.message);
    case 'ALS'
      I = double (I);  J = double (J);
      lambda = ridge_weight (b, c);
      [Xt, Y, info] = als_complete (I, J, b, c.m, c.n, c.r, struct ('lambda', lambda, ...
                                    'tol', c.tol, 'maxTime', c.time, 'maxIter', 1e6));
      iterations = info.iterations;
    case 'previous'
      I = double (I);  J = double (J);
      % Its own ridge weight: on ||X||^2, in units of the fraction of the
      % entries sampled (demo_ratings took 0.03 of it).
      lam = 0;
      if (c.lambda > 0)
        lam = 0.03 * numel (b) / (c.m * c.n);
      end
      [Xt, Y, info] = lrcomplete_rcg (I, J, b, c.m, c.n, c.r, struct ('lambda', lam, ...
                                      'tol', c.tol, 'maxTime', c.time, 'verbose', true));
      iterations = info.iterations;
  end
  seconds = toc (t0);
  switch (which)
    case 'photo'
      pred = obsprod (Xt, Y, test{1}, test{2}, numel (test{1}));
      result = sprintf ('PSNR %.2f dB', 10 * log10 (255 ^ 2 / mean ((pred(:) - test{3}(:)) .^ 2)));
    case 'ratings'
      pred = obsprod (Xt, Y, test{1}, test{2}, numel (test{1}));
      rmse = sqrt (mean ((pred(:) - test{3}(:)) .^ 2));
      result = sprintf ('RMSE %.4f (%+.1f%%)', rmse, 100 * (rmse / 0.5 - 1));
    otherwise
      result = sprintf ('error %.2e', lowrank_error (Xt, Y, U, V));
      if (any (strcmp (which, {'big2e7', 'big1e8'})))
        res = 0;                        % the residual too, in pieces
        for k = 1:1e7:numel (b)
          k2 = min (k + 1e7 - 1, numel (b));
          d = obsprod (Xt, Y, double (I(k:k2)), double (J(k:k2)), k2 - k + 1) - b(k:k2);
          res = res + d * d.';
        end
        result = sprintf ('%s, residual %.2e', result, sqrt (res) / norm (b));
      end
  end
  fprintf ('ROW|%s|%s|%s|%d|%.1f|%s\n', which, method, result, iterations, seconds, peak_memory ());
end

function c = case_of (which)
  c = struct ('m', 0, 'n', 0, 'r', 10, 's', [], 'L', 0, 'lambda', 0, 'tol', 1e-10, 'time', 300);
  dof = @(c) c.r * (c.m + c.n - c.r);
  switch (which)
    case '10k'
      [c.m, c.n] = deal (10000, 10000);  c.L = 3 * dof (c);
    case {'cond5', 'cond3'}
      [c.m, c.n] = deal (5000, 5000);  c.s = logspace (0, -4, 10);  c.time = 120;
      c.L = (5 - 2 * strcmp (which, 'cond3')) * dof (c);
    case 'tall'
      [c.m, c.n] = deal (200000, 200);  c.L = 3 * dof (c);
    case 'photo'
      [c.m, c.n, c.r, c.L] = deal (512, 512, 40, 512 * 256);
      c.lambda = 0.03;  c.time = 20;
    case 'ratings'
      [c.m, c.n, c.L] = deal (6040, 3706, 1000209);  c.lambda = 0.03;  c.time = 60;
    case 'big2e7'
      [c.m, c.n, c.L] = deal (480189, 17770, 2e7);  c.tol = 1e-8;  c.time = 600;
    case 'big1e8'
      [c.m, c.n, c.L] = deal (480189, 17770, 1e8);  c.tol = 1e-6;  c.time = 1800;
    otherwise
      error ('bench_lrcomplete:badCase', 'bench_lrcomplete: unknown case %s', which);
  end
  if (isempty (c.s))
    c.s = ones (1, c.r);
  end
end

function [U, V] = factors (m, n, r, s)
  % r-by-m and r-by-n factors of U.'*V = Qu*diag(s)*Qv.' (orthonormal
  % Qu, Qv), seeded, the caller's generator restored.
  saved = randn ('state');
  randn ('state', 2);
  [Qu, ~] = qr (randn (m, r), 0);
  [Qv, ~] = qr (randn (n, r), 0);
  randn ('state', saved);
  U = (Qu .* sqrt (s(:).')).';
  V = (Qv .* sqrt (s(:).')).';
end

function pos = bench_positions (m, n, L, seed)
  % L distinct linear positions (1-based, sorted) of an m-by-n matrix,
  % drawn uniformly without forming all m*n.
  saved = rand ('state');
  rand ('state', seed);
  pos = zeros (0, 1);
  while (numel (pos) < L)
    more = ceil (1.02 * (L - numel (pos))) + 100;
    pos = unique ([pos; floor(rand (more, 1) * (m * n)) + 1]);
  end
  pos = sort (pos(randperm (numel (pos), L)));
  rand ('state', saved);
end

function w = ridge_weight (b, c)
  % lrcomplete's weight for relative lambda c.lambda, in the units of b.
  L = numel (b);
  w = c.lambda * norm (b) / sqrt (L) * (sqrt (L / c.m) + sqrt (L / c.n));
end

function s = peak_memory ()
  s = 'n/a';
  fid = fopen ('/proc/self/status', 'r');
  if (fid < 0)
    return;
  end
  text = fread (fid, Inf, 'char=>char').';
  fclose (fid);
  tok = regexp (text, 'VmHWM:\s*(\d+)\s*kB', 'tokens', 'once');
  if (~ isempty (tok))
    s = sprintf ('%.2f GB', str2double (tok{1}) / 2^20);
  end
end
