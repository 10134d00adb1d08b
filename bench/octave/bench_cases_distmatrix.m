function cases = bench_cases_distmatrix (quick)
%BENCH_CASES_DISTMATRIX pairsq against the broadcasting formula an Octave user writes
%   d = 3 and n = 4000 points, the same points as toolbox_bench and
%   pairsq_scipy.py. The n-by-n result (128 MB) is the host's to create and
%   to free: ones (n) is the host's floor.
  n = 4000;
  if (quick)
    n = 203;
  end
  d = 3;
  [k, i] = ndgrid (0:d-1, 0:n-1);
  X = mod (7919 * i + 104729 * k + 13, 10007) * 0.001;

  cases = bench_case ('pairsq', sprintf ('d=%d n=%d', d, n), @() pairsq (X), ...
                      @() pairsq_octave (X), {@() ones (n), sprintf('ones (%d)', n)}, 0);
end

% Summed over the coordinates in order, each term an n-by-n matrix.
function Q = pairsq_octave (X)
  n = columns (X);
  Q = zeros (n);
  for k = 1:rows (X)
    Q = Q + (X(k,:)' - X(k,:)) .^ 2;
  end
end
