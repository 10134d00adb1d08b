function rows = bench_lrcomplete (which, alsTime)
%BENCH_LRCOMPLETE lrcomplete beside the former ALS of demo_completion
%   rows = bench_lrcomplete (which)
%   rows = bench_lrcomplete (which, alsTime)
%
%   which: '10k'     10,000-by-10,000, rank 10, oversampling 3, no noise;
%          '100k'    100,000-by-100,000, rank 10, oversampling 3 (about 6
%                    million samples), no noise;
%          'ratings' 6040-by-3706, rank 10 plus noise of standard
%                    deviation 0.5, 1,000,209 samples, 90% fitted and 10%
%                    held out (the problem of demo_ratings).
%   Each problem is solved by lrcomplete and by ALS_COMPLETE (the
%   alternating least squares demo_completion had before lrcomplete), in
%   this run, on the same samples; ALS stops after alsTime seconds
%   (default 300) or at the tolerance. Prints one line per method: size,
%   rank, samples, relative error of the whole matrix (from the factors,
%   not by forming it) or held-out RMSE, iterations, time, and the
%   process's peak memory so far (VmHWM; run each case in a process of
%   its own, as bench/solvers/bench_lrcomplete.sh does, for a figure of that case).
%
%   Needs the toolbox, solvers/, examples/ and this folder on the path.

  if (nargin < 2)
    alsTime = 300;
  end
  switch (which)
    case '10k'
      [m, n, r] = deal (10000, 10000, 10);
      L = 3 * r * (m + n - r);
      noise = 0;
    case '100k'
      [m, n, r] = deal (100000, 100000, 10);
      L = 3 * r * (m + n - r);
      noise = 0;
    case 'ratings'
      [m, n, r] = deal (6040, 3706, 10);
      L = 1000209;
      noise = 0.5;
    otherwise
      error ('bench_lrcomplete:badCase', 'bench_lrcomplete: unknown case %s', which);
  end
  t0 = tic ();
  if (noise == 0)
    [I, J, b, U, V] = lowrank_samples (m, n, r, L, 1);
    test = [];
    lropts = struct ('verbose', true);
  else
    p = rating_samples (m, n, r, L, noise, 1);
    [I, J, b, U, V, test] = deal (p.I, p.J, p.b, p.U, p.V, p.test);
    clear p;
    % As demo_ratings: a ridge of 0.03 times the fraction of entries fitted.
    lropts = struct ('verbose', true, 'lambda', 0.03 * numel (b) / (m * n), 'test', {test});
  end
  fprintf ('%s: problem made in %.1f s, peak memory so far %s\n', which, toc (t0), peak_memory ());
  [Xt, Y, info] = lrcomplete (I, J, b, m, n, r, lropts);
  rows(1) = summary ('lrcomplete', info.iterations, info.seconds, Xt, Y);
  clear Xt Y info;
  alsOpts = struct ('maxTime', alsTime, 'tol', 1e-10, 'verbose', true);
  if (noise > 0)
    alsOpts.test = test;
  end
  [Xt, Y, info] = als_complete (I, J, b, m, n, r, alsOpts);
  rows(2) = summary ('ALS (former demo)', info.iterations, info.seconds, Xt, Y);

  fprintf ('\n%-18s %-17s %4s %9s %-22s %6s %8s %10s\n', 'method', 'size', 'rank', ...
           'samples', 'result', 'iters', 'seconds', 'peak mem');
  for k = 1:numel (rows)
    fprintf ('%-18s %-17s %4d %9d %-22s %6d %8.1f %10s\n', rows(k).method, ...
             sprintf ('%d x %d', m, n), r, numel (b), rows(k).result, rows(k).iterations, ...
             rows(k).seconds, rows(k).peak);
  end

  function row = summary (method, iterations, seconds, Xt, Y)
    if (noise == 0)
      result = sprintf ('error %.2e', lowrank_error (Xt, Y, U, V));
    else
      pred = obsprod (Xt, Y, test{1}, test{2}, numel (test{1}));
      rmse = sqrt (mean ((pred - test{3}(:).') .^ 2));
      result = sprintf ('RMSE %.4f (%+.1f%%)', rmse, 100 * (rmse / noise - 1));
    end
    row = struct ('method', method, 'result', result, 'iterations', iterations, ...
                  'seconds', seconds, 'peak', peak_memory ());
    fprintf ('%s: %s, %d iterations, %.1f s, peak memory so far %s\n', method, result, ...
             iterations, seconds, row.peak);
  end
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
  if (! isempty (tok))
    s = sprintf ('%.2f GB', str2double (tok{1}) / 2^20);
  end
end
