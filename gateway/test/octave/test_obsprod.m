function test_obsprod ()
  Xt = [1 2; 3 4];  Y = [5 6 7; 8 9 10];
  A = randn (4, 30);  B = randn (4, 25);  I = randi (30, 1, 200);  J = randi (25, 1, 200);
  P = A' * B;
  for name = {'obsprod', 'obsprod_blas'}
    f = str2func (name{1});
    % Worked examples.
    assert (f (Xt, Y, [1 2], [3 1], 2), [37 42]);
    assert (f (Xt, Y, [1; 2; 2], [3 1 1], 2.9), [37 42]);
    assert (size (f (Xt, Y, [1 2], [3 1], -0.5)), [1 0]);
    assert (size (f (Xt, Y, [], [], NaN)), [1 0]);
    assert (f (zeros (0, 2), zeros (0, 3), [1 2 9], [3 1 9], 3), [0 0 0]);
    assert (f (Xt, Y, 1, 2.5, 1), 1 * 9 + 3 * 7);
    assert (f (A, B, I, J, 200), P(sub2ind ([30 25], I, J)), 1e-12);
  end
end
