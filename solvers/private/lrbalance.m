function [G, H, T, Ti] = lrbalance (G, H)
%LRBALANCE the same product G*H.' from factors of equal weight
%   [G, H, T, Ti] = lrbalance (G, H)
%   With G = Qg*Rg, H = Qh*Rh (thin QR) and Rg*Rh.' = A*S*B.' (SVD), the
%   new factors are G*T = Qg*A*sqrt(S) and H*Ti = Qh*B*sqrt(S): the product
%   is unchanged, each factor's columns are orthogonal with norms the
%   square roots of the singular values, and ||G||^2 + ||H||^2, the ridge
%   term, is the least any pair with that product has. T = Rg \ (A*sqrt(S))
%   and Ti = T.^-T = Rg.' * A / sqrt(S) carry vectors of the old basis to
%   the new one; both are [] when the product has lost rank (a singular
%   value 0, or below 1e-13 of the largest), and the factors are then left
%   as they were.
  r = size (G, 2);
  T = [];
  Ti = [];
  if (r == 0)
    return;
  end
  [Qg, Rg] = qr (G, 0);
  [Qh, Rh] = qr (H, 0);
  [A, S, B] = svd (Rg * Rh.');
  s = diag (S).';
  if (~ (s(end) > 1e-13 * s(1)))
    return;
  end
  root = sqrt (s);
  T = Rg \ (A .* root);
  Ti = (Rg.' * A) ./ root;
  G = Qg * (A .* root);
  H = Qh * (B .* root);
end
