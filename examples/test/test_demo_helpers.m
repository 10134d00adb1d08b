function test_demo_helpers ()
  % The helpers the demos measure with, on problems with known answers.
  addpath (fileparts (fileparts (mfilename ('fullpath'))));

  % superpose: a rotated, reflected and shifted copy fits back exactly.
  randn ('state', 3);
  X = randn (3, 40);
  [Q, ~] = qr (randn (3));
  Q(:, 1) = -Q(:, 1);                        % make sure a reflection is involved
  Y = Q * X + [1; -2; 5];
  [rmsd, fit] = superpose (Y, X);
  assert (rmsd < 1e-12);
  assert (fit, X, 1e-12);
  % ... and a copy with one point moved by 1 has RMSD at most 1/sqrt(40).
  Y(:, 7) += [1; 0; 0];
  assert (superpose (Y, X) <= 1 / sqrt (40) + 1e-12);

  % lowrank_samples: L distinct positions in sparse storage order, the
  % matrix's entries there, the caller's random state untouched.
  rand ('state', 4);  before = rand ('state');
  [I, J, b, U, V] = lowrank_samples (30, 20, 2, 500, 1);
  assert (rand ('state'), before);
  key = (J - 1) * 30 + I;
  assert (numel (key) == 500 && all (diff (key) > 0) && all (I >= 1 & I <= 30 & J >= 1 & J <= 20));
  M = U.' * V;
  assert (b, M(key).', 1e-12);
  [I2, J2] = lowrank_samples (30, 20, 2, 500, 1);
  assert (isequal ([I J], [I2 J2]));

  % lowrank_error: the Frobenius distance relative to U.'*V, accurate at
  % 1e-10 where expanding the square into traces loses every digit.
  E = 1e-10 * randn (2, 30);
  e = lowrank_error (U + E, V, U, V);
  assert (e, norm (E.' * V, 'fro') / norm (M, 'fro'), 1e-3 * e);
  assert (lowrank_error (U, V, U, V) < 1e-14);
  assert (isnan (lowrank_error ([U(:, 1:29), NaN(2, 1)], V, U, V)));
end
