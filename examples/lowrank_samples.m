function [I, J, b, U, V] = lowrank_samples (m, n, r, L, seed, scale)
%LOWRANK_SAMPLES a random m-by-n matrix of rank r and L of its entries
%   [I, J, b, U, V] = lowrank_samples (m, n, r, L, seed)
%   [I, J, b, U, V] = lowrank_samples (m, n, r, L, seed, scale)
%
%   The matrix is U.' * V, U r-by-m and V r-by-n with independent normal
%   entries of standard deviation SCALE (1). L distinct positions are
%   drawn uniformly at random; I, J (columns) list them in the storage
%   order of a sparse matrix (column by column, rows ascending) and b
%   (1-by-L) holds the matrix's entries there, from obsprod. The draw
%   depends on SEED alone, and randn and rand are left as they were.
%   Works for m*n far above memory: the positions are drawn as numbers
%   below m*n, not as a permutation of all of them.
%
%   Example:
%     [I, J, b, U, V] = lowrank_samples (100, 80, 3, 2000, 1);
%
%   See also DEMO_COMPLETION, DEMO_RATINGS, LOWRANK_ERROR.

  if (nargin < 6)
    scale = 1;
  end
  if (L > m * n)
    error ('lowrank_samples:tooMany', 'lowrank_samples: %d samples of a %d-by-%d matrix', L, m, n);
  end
  saved = rng ();
  restore = onCleanup (@() rng (saved));
  rng (seed);
  U = scale * randn (r, m);
  V = scale * randn (r, n);
  % Draw positions until L distinct ones are in hand, then keep a random L
  % of them (so the result does not favour small positions).
  pos = zeros (0, 1);
  while (numel (pos) < L)
    more = ceil (1.05 * (L - numel (pos))) + 100;
    pos = unique ([pos; floor(rand (more, 1) * (m * n))]);
  end
  pos = sort (pos(randperm (numel (pos), L)));
  I = mod (pos, m) + 1;
  J = floor (pos / m) + 1;
  clear pos;
  b = obsprod (U, V, I, J, L);
end
