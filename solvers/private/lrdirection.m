function [A, B, gd] = lrdirection (gG, gH, dG, dH, prev)
%LRDIRECTION search direction: preconditioned Polak-Ribiere+ conjugate gradients
%   [A, B, gd] = lrdirection (gG, gH, dG, dH, prev)
%   g = (gG, gH) is the gradient, d = (dG, dH) the preconditioned one;
%   gd = <g, d>. PREV (or [] for none) holds the previous step's d and
%   direction (fields dG, dH, A, B, in the present basis) and its gd. The
%   direction is -d + beta * (previous direction) with
%     beta = max (0, <g, d - d_prev> / gd_prev),
%   and -d alone when there is no previous one, or when the sum would not
%   go downhill.
  gd = gG(:).' * dG(:) + gH(:).' * dH(:);
  A = -dG;
  B = -dH;
  if (isempty (prev) || ~ (prev.gd > 0))
    return;
  end
  beta = (gd - (gG(:).' * prev.dG(:) + gH(:).' * prev.dH(:))) / prev.gd;
  if (beta > 0)
    A2 = A + beta * prev.A;
    B2 = B + beta * prev.B;
    if (gG(:).' * A2(:) + gH(:).' * B2(:) < 0)
      A = A2;
      B = B2;
    end
  end
end
