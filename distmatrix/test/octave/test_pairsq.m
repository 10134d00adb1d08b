function test_pairsq ()
  % Worked examples.
  assert (pairsq ([0 3; 0 4]), [0 25; 25 0]);
  assert (size (pairsq (zeros (3, 0))), [0 0]);
  assert (pairsq (zeros (0, 4)), zeros (4));
  assert (pairsq ([1; 2; 3]), 0);
  assert (pairsq ([0 3; 0 4], 'ignored', {}), [0 25; 25 0]);

  % Against the broadcasting formula on random points (bits may differ from
  % it only through the order of the sum; here d = 1 makes it exact).
  X = randn (1, 30);
  assert (pairsq (X), (X' - X) .^ 2);
  X = randn (5, 40);
  Q = pairsq (X);
  assert (isequal (Q, Q.'));            % exact symmetry
  assert (Q, squeeze (sum ((permute (X, [2 3 1]) - permute (X, [3 2 1])) .^ 2, 3)), 1e-12);

  % The diagonal is computed: NaN for a point with an infinite or NaN
  % coordinate; an infinite coordinate against a finite one gives Inf.
  Q = pairsq ([1 Inf NaN; 2 0 0]);
  assert (Q(1,1), 0);
  assert (isnan (Q(2,2)) && isnan (Q(3,3)));
  assert (Q(1,2), Inf);
  assert (Q(2,1), Inf);

  % The sum runs in coordinate order: 1e16 + 1 + 1 stays 1e16.
  assert (pairsq ([1e8 0; 1 0; 1 0])(1,2) == 1e16);

  % Errors: the fixed message for a non-double X, identifiers for the rest.
  for bad = {single([0 3; 0 4]), int32([0 3; 0 4]), true(2), 'ab'}
    assert_rejected (@() pairsq (bad{1}), '', 'Input of inproper type');
  end
  assert_rejected (@() pairsq (), 'pairsq:noInput');
  assert_rejected (@() pairsq (sparse ([0 3; 0 4])), 'pairsq:notRealFull');
  assert_rejected (@() pairsq ([0 3; 0 4i]), 'pairsq:notRealFull');
  assert_rejected (@() pairsq (zeros (0, 2^32)), 'pairsq:tooLarge');

  % help prints the usage; the compiled plug-in is what runs.
  text = evalc ('help pairsq');
  assert (! isempty (strfind (text, 'Q = pairsq (X)')));
  assert (! isempty (strfind (text, 'Example')));
  assert (! isempty (strfind (text, 'Errors')));
  assert (exist ('pairsq') == 3);
end
