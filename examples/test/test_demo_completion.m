function test_demo_completion ()
  % The completion demo at small size recovers every entry, and refuses a
  % sample too thin to determine the factors.
  addpath (fileparts (fileparts (mfilename ('fullpath'))));
  r = demo_completion (200, struct ('fraction', 0.3, 'verbose', false));
  assert (r.relError < 1e-6, sprintf ('relative error %g', r.relError));
  assert (r.samples, 12000);
  assert (r.residual < 1e-10);
  assert (rows (r.history), r.iterations);
  % Alternating least squares never lets the sampled residual grow.
  assert (all (diff (r.history(:, 1)) <= 0));

  % Rank 3 from a quarter of the entries of a 150-by-150 matrix.
  r3 = demo_completion (150, struct ('rank', 3, 'fraction', 0.25, 'verbose', false));
  assert (r3.relError < 1e-6, sprintf ('rank 3: relative error %g', r3.relError));

  try
    demo_completion (100, struct ('fraction', 0.02, 'verbose', false));
    error ('a sample with fewer than rank entries in a row was accepted');
  catch err
    assert (err.identifier, 'demo_completion:tooFewSamples');
  end
end
