function G = lrrandn (seed, m, n)
%LRRANDN m-by-n normal random numbers from SEED, the caller's generator left alone
%   G = lrrandn (seed, m, n)
%   The same seed gives the same numbers on every run of one host. In
%   Octave the state of randn is saved and restored around the draw; in
%   MATLAB a stream of its own draws them.
  if (exist ('OCTAVE_VERSION', 'builtin'))
    saved = randn ('state');
    randn ('state', seed);
    G = randn (m, n);
    randn ('state', saved);
  else
    stream = RandStream ('mt19937ar', 'Seed', seed);
    G = randn (stream, m, n);
  end
end
