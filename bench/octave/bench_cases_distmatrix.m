function cases = bench_cases_distmatrix (quick)
%BENCH_CASES_DISTMATRIX pairsq against the broadcasting formula an Octave user writes
%   d = 3 and n = 4000 points, the same points as toolbox_bench and
%   pairsq_scipy.py. The n-by-n result is the host's to create (128 MB,
%   zero-filled) and to free; the note gives the time Octave takes for
%   zeros (n) alone, which bounds what any plug-in can gain here.
  n = 4000;
  if (quick)
    n = 203;
  end
  d = 3;
  [k, i] = ndgrid (0:d-1, 0:n-1);
  X = mod (7919 * i + 104729 * k + 13, 10007) * 0.001;

  host = Inf;
  for r = 1:3
    tic;
    Z = zeros (n);
    Z(1) = 1;  % touch it, as a result would be
    host = min (host, toc);
    clear Z
  end

  cases = struct ('name', 'pairsq', 'size', sprintf ('d=%d n=%d', d, n), ...
                  'plugin', @() pairsq (X), 'octave', @() pairsq_octave (X), ...
                  'target', 0, ...
                  'note', sprintf (['no target: zeros (%d) alone takes %.1f ms in Octave, ' ...
                                    'the host''s share of every pairsq call'], n, 1e3 * host));
end

% Summed over the coordinates in order, each term an n-by-n matrix.
function Q = pairsq_octave (X)
  n = columns (X);
  Q = zeros (n);
  for k = 1:rows (X)
    Q = Q + (X(k,:)' - X(k,:)) .^ 2;
  end
end
