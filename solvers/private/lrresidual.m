function [e, f] = lrresidual (p, G, H, lambda)
%LRRESIDUAL residual of the fit G*H.' at the samples, and the objective
%   [e, f] = lrresidual (p, G, H, lambda)
%   e (1-by-L, in the order of p.b) is (G*H.')(p.I(k), p.J(k)) - p.b(k),
%   from obsprod; f = 1/2 ||e||^2 + lambda/2 (||G||_F^2 + ||H||_F^2).
  e = obsprod (G.', H.', p.I, p.J, p.L) - p.b;
  f = 0.5 * (e * e.') + 0.5 * lambda * (G(:).' * G(:) + H(:).' * H(:));
end
