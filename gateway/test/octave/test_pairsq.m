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
end
