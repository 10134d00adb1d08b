function test_pairsq ()
  % Worked examples.
  assert (pairsq ([0 3; 0 4]), [0 25; 25 0]);
  assert (size (pairsq (zeros (3, 0))), [0 0]);
  assert (pairsq (zeros (0, 4)), zeros (4));
  assert (pairsq ([1; 2; 3]), 0);
  assert (pairsq ([0 3; 0 4], 'ignored'), [0 25; 25 0]);
  X = randn (1, 30);
  assert (pairsq (X), (X' - X) .^ 2);   % exact for d = 1
  Q = pairsq ([1 Inf NaN; 2 0 0]);      % the diagonal is computed
  assert (Q, [0 Inf NaN; Inf NaN NaN; NaN NaN NaN]);

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
  assert (! isempty (strfind (text, 'Q = pairsq (X)')) && ! isempty (strfind (text, 'Example')));
  assert (exist ('pairsq') == 3);
end
