function [gG, gH] = lrgradient (p, e, G, H, lambda)
%LRGRADIENT gradient of lrcomplete's objective with respect to both factors
%   [gG, gH] = lrgradient (p, e, G, H, lambda)
%   With E the sparse matrix of the residual e at the samples, the gradient
%   of 1/2 ||e||^2 + lambda/2 (||G||^2 + ||H||^2) is E*H + lambda*G with
%   respect to G and E.'*G + lambda*H with respect to H. E is written with
%   nzfill into p.R and, in row order, into p.Rt (the pattern of E.'), so
%   that both products take Octave's fast form, a transposed sparse matrix
%   times a full one: E*H = p.Rt.'*H.
  nzfill (p.R, e, p.L);
  nzfill (p.Rt, e(p.byRow), p.L);
  gG = p.Rt.' * H;
  gH = p.R.' * G;
  if (lambda > 0)
    gG = gG + lambda * G;
    gH = gH + lambda * H;
  end
end
