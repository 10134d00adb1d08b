function [gG, gH] = lrgradient (p, Gt, Ht, lambda)
%LRGRADIENT gradient of lrcomplete's objective with respect to both factors
%   [gG, gH] = lrgradient (p, Gt, Ht, lambda)
%   The factors are held as RESPROD takes them, Gt k-by-m and Ht k-by-n
%   (the fit is Gt.' * Ht), and so is the gradient. With E the sparse
%   matrix of the residual of the fit at the samples, the gradient of
%   1/2 ||E||^2 + lambda/2 (||Gt||^2 + ||Ht||^2) is (E*Ht.').' + lambda*Gt
%   with respect to Gt and (E.'*Gt.').' + lambda*Ht with respect to Ht:
%   one pass of RESPROD over the samples grouped by row, one over them
%   grouped by column. E is never formed.
  gG = resprod (Gt, Ht, p.cnt, p.col, p.b, Ht);
  gH = resprod (Ht, Gt, p.cntT, p.colT, p.bT, Gt);
  if (lambda > 0)
    gG = gG + lambda * Gt;
    gH = gH + lambda * Ht;
  end
end
