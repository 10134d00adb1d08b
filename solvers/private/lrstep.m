function [t, drop, ee] = lrstep (p, Gt, Ht, A, B, lambda)
%LRSTEP the step along a direction that minimises the objective exactly
%   [t, drop, ee] = lrstep (p, Gt, Ht, A, B, lambda)
%   Along (Gt + t*A).' * (Ht + t*B) the residual at the samples is
%   e + t*p1 + t^2*p2 with p1 = A.'*Ht + Gt.'*B and p2 = A.'*B there, so
%   the objective is the quartic
%     f(t) = f(0) + c1 t + c2 t^2 + c3 t^3 + c4 t^4,
%   whose coefficients come from the six sums of RESSTEP (one pass over
%   the samples grouped by row). t is its smallest-valued minimiser above
%   0 (a root of the cubic f'), drop = f(0) - f(t) > 0; t = 0, drop = 0
%   when f does not decrease along the direction. ee = ||e||^2, the
%   squared residual of the fit Gt.'*Ht itself.
  sums = resstep (Gt, Ht, p.cnt, p.col, p.b, A, B);
  ee = sums(1);
  c1 = sums(2) + lambda * (Gt(:).' * A(:) + Ht(:).' * B(:));
  c2 = 0.5 * sums(3) + sums(4) + 0.5 * lambda * (A(:).' * A(:) + B(:).' * B(:));
  c3 = sums(5);
  c4 = 0.5 * sums(6);
  t = 0;
  drop = 0;
  if (~ (c1 < 0))
    return;
  end
  cand = roots ([4 * c4, 3 * c3, 2 * c2, c1]);
  cand = real (cand(abs (imag (cand)) <= 1e-8 * abs (cand) & real (cand) > 0));
  if (isempty (cand))
    return;
  end
  decrease = -(c1 * cand + c2 * cand .^ 2 + c3 * cand .^ 3 + c4 * cand .^ 4);
  [drop, k] = max (decrease);
  if (drop > 0)
    t = cand(k);
  else
    drop = 0;
  end
end
