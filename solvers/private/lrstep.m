function [t, drop] = lrstep (p, e, G, H, A, B, lambda)
%LRSTEP the step along a direction that minimises the objective exactly
%   [t, drop] = lrstep (p, e, G, H, A, B, lambda)
%   Along (G + t*A) * (H + t*B).' the residual at the samples is
%   e + t*p1 + t^2*p2 with p1 = A*H.' + G*B.' and p2 = A*B.' there (two
%   obsprod calls, of rank 2r and r), so the objective is the quartic
%     f(t) = f(0) + c1 t + c2 t^2 + c3 t^3 + c4 t^4.
%   t is its smallest-valued minimiser above 0 (a root of the cubic f'),
%   drop = f(0) - f(t) > 0. t = 0, drop = 0 when f does not decrease along
%   the direction. The sums run over pieces of 2^22 samples, so that p1
%   and p2 never take memory in proportion to all of them.
  Xt2 = [A, G].';  Y2 = [H, B].';  At = A.';  Bt = B.';
  sums = zeros (1, 5);                  % e.p1, p1.p1, e.p2, p1.p2, p2.p2
  piece = 2^22;
  for k = 1:piece:p.L
    k2 = min (k + piece - 1, p.L);
    Ik = p.I(k:k2);  Jk = p.J(k:k2);  ek = e(k:k2);
    p1 = obsprod (Xt2, Y2, Ik, Jk, k2 - k + 1);
    p2 = obsprod (At, Bt, Ik, Jk, k2 - k + 1);
    sums = sums + [ek * p1.', p1 * p1.', ek * p2.', p1 * p2.', p2 * p2.'];
  end
  c1 = sums(1) + lambda * (G(:).' * A(:) + H(:).' * B(:));
  c2 = 0.5 * sums(2) + sums(3) + 0.5 * lambda * (A(:).' * A(:) + B(:).' * B(:));
  c3 = sums(4);
  c4 = 0.5 * sums(5);
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
