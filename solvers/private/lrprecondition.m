function [dG, dH] = lrprecondition (P, gG, gH)
%LRPRECONDITION the preconditioned gradient: each column of gG and gH times its block's inverse
%   [dG, dH] = lrprecondition (P, gG, gH)
%   (dG, dH) is the gradient in the metric of lrprecond's blocks, which
%   is what a Riemannian method on the factors calls the gradient. Blocks
%   built before a change of basis Gt -> T.'*Gt (Ht -> T^-1*Ht) are carried
%   to the new basis: block N becomes T^-1 N T^-T, so its inverse applied
%   to a column g is T.' * N^-1 * (T * g).
  dG = P.TG.' * solve_columns (P.CG, P.TG * gG);
  dH = P.TH.' * solve_columns (P.CH, P.TH * gH);
end

function X = solve_columns (C, B)
  % X(:, i) = (C_i * C_i.') \ B(:, i) for the packed lower factors C_i in
  % the columns of C: forward then backward substitution, all columns at
  % once, a few thousand at a time (every intermediate row in the caches).
  idx = lrpacked (size (B, 1));
  X = zeros (size (B));
  piece = 4096;
  for a = 1:piece:size (B, 2)
    z = min (a + piece - 1, size (B, 2));
    X(:, a:z) = substitute (C(:, a:z), B(:, a:z), idx);
  end
end

function X = substitute (C, B, idx)
  r = size (B, 1);
  Y = zeros (size (B));
  for i = 1:r
    s = B(i, :);
    for k = 1:i - 1
      s = s - C(idx(i, k), :) .* Y(k, :);
    end
    Y(i, :) = s ./ C(idx(i, i), :);
  end
  X = zeros (size (B));
  for i = r:-1:1
    s = Y(i, :);
    for k = i + 1:r
      s = s - C(idx(k, i), :) .* X(k, :);
    end
    X(i, :) = s ./ C(idx(i, i), :);
  end
end
