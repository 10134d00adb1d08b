function [Gt, Ht, T, Ti] = lrbalance (Gt, Ht)
%LRBALANCE the same product Gt.'*Ht from factors of equal weight
%   [Gt, Ht, T, Ti] = lrbalance (Gt, Ht)
%   With G = Gt.' = Qg*Rg, H = Ht.' = Qh*Rh (thin QR) and Rg*Rh.' = A*S*B.'
%   (SVD), the new factors are G*T = Qg*A*sqrt(S) and H*Ti = Qh*B*sqrt(S)
%   (returned transposed, as the old): the product is unchanged, each
%   factor's columns are orthogonal with norms the square roots of the
%   singular values, and ||G||^2 + ||H||^2, the ridge term, is the least
%   any pair with that product has. T = Rg \ (A*sqrt(S)) and Ti = T.^-T =
%   Rg.' * A / sqrt(S) carry vectors of the old basis to the new one (a
%   k-by-m array X of the old basis is T.'*X in the new); both are [] when
%   the product has lost rank (a singular value 0, or below 1e-13 of the
%   largest), and the factors are then left as they were.
  r = size (Gt, 1);
  T = [];
  Ti = [];
  if (r == 0)
    return;
  end
  [Qg, Rg] = qr (Gt.', 0);
  [Qh, Rh] = qr (Ht.', 0);
  [A, S, B] = svd (Rg * Rh.');
  s = diag (S).';
  if (~ (s(end) > 1e-13 * s(1)))
    return;
  end
  root = sqrt (s);
  T = Rg \ (A .* root);
  Ti = (Rg.' * A) ./ root;
  Mg = (A .* root).';
  Mh = (B .* root).';
  Gt = Mg * Qg.';                       % without forming Qg.'
  Ht = Mh * Qh.';
end
