function [U, s, V] = lrstart (R, b, L, r, seed)
%LRSTART start of lrcomplete: truncated SVD of the scaled sampled matrix
%   [U, s, V] = lrstart (R, b, L, r, seed)
%   R: sparse m-by-n matrix of the samples' pattern (its values are
%   overwritten here); b: the samples in its storage order. Returns the
%   leading r singular triplets of (m*n/L) * (the sampled matrix), from
%   subspace iteration on a seeded random start: U m-by-r, s r-by-1,
%   V n-by-r.

  [m, n] = size (R);
  nzfill (R, b * (m * n / L), L);
  k = min ([r + 5, m, n]);              % a few more vectors than r
  Q = orth_cols (R * lrrandn (seed, n, k));
  for sweep = 1:3
    Q = orth_cols (R * orth_cols (R.' * Q));
  end
  % R = Q*B on Q's range; B.' = P*T, so B = T.'*P.'.
  [P, T] = qr ((Q.' * R).', 0);
  [A, S, C] = svd (T.');
  U = Q * A(:, 1:r);
  V = P * C(:, 1:r);
  s = diag (S);
  s = s(1:r);
end

function Q = orth_cols (A)
  [Q, ~] = qr (A, 0);
end
