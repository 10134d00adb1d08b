function test_lowrank_sizes ()
  % obsprod sums four products side by side; every rank and a count that
  % leaves products after the last four must give Octave's own column sums
  % bit for bit (sum adds a column's products from 0 in row order, as
  % obsprod does), fractional indices included.
  randn ('seed', 42);
  rand ('seed', 42);
  for r = 1:13
    m = r + 7;
    n = r + 2;
    Xt = randn (r, m);
    Y = randn (r, n);
    L = 1001;
    I = randi (m, 1, L);
    J = randi (n, 1, L);
    J(1:7:end) = n - 1 + 0.5 / (r + 1);   % reads column n-1 whole
    Jc = fix ((J - 1) * r) / r + 1;        % the column it reads, for the check
    expected = sum (Xt(:,I) .* Y(:,Jc), 1);
    assert (isequal (obsprod (Xt, Y, I, J, L), expected), sprintf ('r = %d', r));
  end

  % nzfill of more than 8 MB (streamed to memory) into a sparse matrix:
  % every value arrives bit for bit, the pattern stays, a 0 stays stored.
  n = 1200;
  [t, c] = ndgrid (0:999, 0:n-1);
  S = sparse (mod (7 * c(:) + t(:), n) + 1, c(:) + 1, 1, n, n);
  [i, j] = find (S);
  v = randn (nnz (S), 1);
  v(5) = 0;
  v(6) = -0;
  nzfill (S, v, numel (v));
  [i2, j2, s2] = find (S);
  assert (isequal ([i2 j2], [i j]));
  assert (isequal (s2, v));
  assert (1 / s2(6) == -Inf);
end
