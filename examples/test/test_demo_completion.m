function test_demo_completion ()
  % The completion demo at small size recovers every entry, and refuses a
  % sample too thin to determine the factors; the rating-like demo at a
  % tenth of its size predicts held-out samples near the noise level.
  addpath (fileparts (fileparts (mfilename ('fullpath'))));
  r = demo_completion (200, struct ('fraction', 0.3, 'verbose', false));
  assert (r.relError < 1e-6, sprintf ('relative error %g', r.relError));
  assert (r.samples, 12000);
  assert (r.residual < 1e-10);
  assert (rows (r.history), r.iterations + 1);      % the start's residual first
  % No step of lrcomplete lets the sampled residual grow.
  assert (all (diff (r.history) <= 0));

  % Rank 3 from a quarter of the entries of a 150-by-150 matrix.
  r3 = demo_completion (150, struct ('rank', 3, 'fraction', 0.25, 'verbose', false));
  assert (r3.relError < 1e-6, sprintf ('rank 3: relative error %g', r3.relError));

  try
    demo_completion (100, struct ('fraction', 0.02, 'verbose', false));
    error ('a sample with fewer than rank entries in a row was accepted');
  catch err
    assert (err.identifier, 'demo_completion:tooFewSamples');
  end

  % Ratings: 1208-by-741, rank 3, noise 0.5. The held-out RMSE ends close
  % to the estimate for a rank-3 fit and below where it started.
  p = demo_ratings (0.2, struct ('verbose', false, 'rank', 3));
  assert ([p.m p.n p.rank], [1208 741 3]);
  assert (p.samples + p.heldOut, round (1000209 * 1208 * 741 / (6040 * 3706)));
  assert (abs (p.testRMSE / p.expected - 1) < 0.1, sprintf ('RMSE %g, expected %g', p.testRMSE, p.expected));
  assert (p.testRMSE < p.history(1, 1));
  assert (p.fitRMSE < p.noise);
  assert (columns (p.history), 2);
end
