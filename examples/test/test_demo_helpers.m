function test_demo_helpers ()
  % The superposition the demos measure with, on problems with known answers.
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
end
