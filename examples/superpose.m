function [rmsd, Xfit] = superpose (X, Xref)
%SUPERPOSE least-squares superposition of X onto Xref, reflection allowed
%   [rmsd, Xfit] = superpose (X, Xref)
%   X and Xref are d-by-n point matrices. Xfit is X translated, rotated and
%   possibly reflected to lie as close as possible to Xref; rmsd is the root
%   mean square distance between corresponding points after the fit.
  n = size (X, 2);
  cx = mean (X, 2);  cr = mean (Xref, 2);
  A = X - cx;  B = Xref - cr;
  [U, ~, V] = svd (B * A');
  R = U * V';                  % orthogonal: a rotation or a reflection
  Xfit = R * A + cr;
  E = Xfit - Xref;
  rmsd = sqrt (sum (sum (E .* E)) / n);
end
