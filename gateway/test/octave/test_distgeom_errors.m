function test_distgeom_errors ()
  X = [0 3 1; 0 4 1];
  D = [1 2 4]; L = [1 2 6 1]; w = [1 1 1 1];

  for name = {'penval', 'penslope'}
    f = str2func (name{1});
    id = @(reason) [name{1} ':' reason];
    assert_rejected (@() f (X, D, L, L, w), id ('notEnoughInputs'));
    assert_rejected (@() f (X), id ('notEnoughInputs'));
    assert_rejected (@() f (single (X), D, L, L, w, w), id ('notRealDouble'), 'X');
    assert_rejected (@() f (X, int32 (D), L, L, w, w), id ('notRealDouble'), 'D');
    assert_rejected (@() f (X, D, sparse (L), L, w, w), id ('notRealDouble'), 'Lb');
    assert_rejected (@() f (X, D, L, L * 1i, w, w), id ('notRealDouble'), 'Ub');
    assert_rejected (@() f (X, D, L, L, 'abcd', w), id ('notRealDouble'), 'w');
    assert_rejected (@() f (X, D, L, L, w, true (1, 4)), id ('notRealDouble'), 't');
    assert_rejected (@() f (X, [1 2], L, L, w, w), id ('tooFewColumns'), 'D');
    assert_rejected (@() f (X, D, [1 2 6], L, w, w), id ('tooFewColumns'), 'Lb');
    assert_rejected (@() f (X, D, L, [1 2 6], w, w), id ('tooFewColumns'), 'Ub');
    assert_rejected (@() f (X, D, L, L, [1 1 1], w), id ('tooFewElements'), 'w');
    assert_rejected (@() f (X, D, L, L, w, []), id ('tooFewElements'), 't');
    for bad = [NaN Inf -Inf 0 -1 0.5 4 3.5 1e300]
      assert_rejected (@() f (X, D, L, [1 2 4 0; 2 bad 4 0], w, w), id ('pointOutside'), ...
                       'row 2 of Ub');
      assert_rejected (@() f (X, [bad 1 1], L, L, w, w), id ('pointOutside'), 'row 1 of D');
    end
  end

  for name = {'linkdev', 'ceilgap', 'floorgap'}
    f = str2func (name{1});
    id = @(reason) [name{1} ':' reason];
    assert_rejected (@() f (X), id ('notEnoughInputs'));
    assert_rejected (@() f (), id ('notEnoughInputs'));
    assert_rejected (@() f (X, single (D)), id ('notRealDouble'));
    assert_rejected (@() f (sparse (X), D), id ('notRealDouble'));
    assert_rejected (@() f (X, [1 2]), id ('tooFewColumns'));
    assert_rejected (@() f (X, zeros (2, 0)), id ('tooFewColumns'));
    assert_rejected (@() f (X, [1 2 4; 1 NaN 4]), id ('pointOutside'), 'row 2 of');
    assert_rejected (@() f (zeros (2, 0), D), id ('pointOutside'));
  end
  % d = 0: nothing is read and nothing is rejected.
  assert (floorgap (zeros (0, 3), [NaN 9 1]), 1);
end
