function [gG, gH] = lrgradient (p, G, H, lambda)
%LRGRADIENT gradient of lrcomplete's objective with respect to both factors
%   [gG, gH] = lrgradient (p, G, H, lambda)
%   With E the sparse matrix of the residual of the fit G*H.' at the
%   samples, the gradient of 1/2 ||E||^2 + lambda/2 (||G||^2 + ||H||^2) is
%   E*H + lambda*G with respect to G and E.'*G + lambda*H with respect to
%   H: one pass of RESPROD over the samples grouped by row, one over them
%   grouped by column. E is never formed.
  Gt = G.';  Ht = H.';
  gG = resprod (Gt, Ht, p.cnt, p.col, p.b, Ht).';
  gH = resprod (Ht, Gt, p.cntT, p.colT, p.bT, Gt).';
  if (lambda > 0)
    gG = gG + lambda * G;
    gH = gH + lambda * H;
  end
end
