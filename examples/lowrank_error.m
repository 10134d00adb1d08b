function e = lowrank_error (Xt, Y, U, V)
%LOWRANK_ERROR relative distance of Xt.'*Y from U.'*V, without forming either
%   e = lowrank_error (Xt, Y, U, V)
%
%   Returns ||Xt.'*Y - U.'*V||_F / ||U.'*V||_F for factors Xt, U with m
%   columns and Y, V with n columns (any numbers of rows). The difference
%   is [Xt; -U].' * [Y; V]: with the thin QR factorisations
%   [Xt; -U].' = Qa*Ra and [Y; V].' = Qb*Rb its norm is that of the small
%   matrix Ra*Rb.', which keeps its accuracy near 1e-8 and below where
%   expanding the square of the norm into traces would cancel. A column
%   of NaN in Xt or Y (an entry not claimed) gives NaN.
%
%   Example:
%     U = randn (3, 50);  V = randn (3, 40);
%     lowrank_error (U + 1e-9, V, U, V)      % about 1e-9
%
%   See also LOWRANK_SAMPLES, LRCOMPLETE.

  [~, Ra] = qr ([Xt; -U].', 0);
  [~, Rb] = qr ([Y; V].', 0);
  [~, Ru] = qr (U.', 0);
  [~, Rv] = qr (V.', 0);
  e = norm (Ra * Rb.', 'fro') / norm (Ru * Rv.', 'fro');
end
