function [dG, dH] = lrprecondition (P, gG, gH)
%LRPRECONDITION the preconditioned gradient: each row of gG and gH times its block's inverse
%   [dG, dH] = lrprecondition (P, gG, gH)
%   (dG, dH) is the gradient in the metric of lrprecond's blocks, which
%   is what a Riemannian method on the factors calls the gradient. Blocks
%   built before a change of basis G -> G*T (H -> H*T.^-T) are carried to
%   the new basis: block N becomes T^-1 N T^-T, so its inverse applied to
%   a row g is (g * T.') N^-1 * T.
  dG = solve_rows (P.CG, gG * P.TG.') * P.TG;
  dH = solve_rows (P.CH, gH * P.TH.') * P.TH;
end

function X = solve_rows (C, B)
  % X(i, :) = B(i, :) / (C_i * C_i.') for the packed lower factors C_i in
  % the rows of C: forward then backward substitution, all rows at once.
  r = size (B, 2);
  idx = lrpacked (r);
  Y = zeros (size (B));
  for i = 1:r
    s = B(:, i);
    for k = 1:i - 1
      s = s - C(:, idx(i, k)) .* Y(:, k);
    end
    Y(:, i) = s ./ C(:, idx(i, i));
  end
  X = zeros (size (B));
  for i = r:-1:1
    s = Y(:, i);
    for k = i + 1:r
      s = s - C(:, idx(k, i)) .* X(:, k);
    end
    X(:, i) = s ./ C(:, idx(i, i));
  end
end
