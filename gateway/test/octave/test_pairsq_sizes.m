function test_pairsq_sizes ()
  % Sizes that take every path of the compiled kernel: points in groups of
  % eight, tiles of four columns with one to three left over, coordinates
  % known when compiling (1 to 4), staged (up to 32) and gathered (more),
  % and a result past 8 MB (streamed to memory, n a multiple of 4) or not.
  % Each result must be the sum in coordinate order, bit for bit: the
  % broadcasting formula adds the same squares in the same order (its lower
  % half squares point j minus point i, the same value for finite points).
  rand ('seed', 41);
  for d = [1 2 3 4 5 32 33]
    for n = [16 21 64 67 130]
      X = 10 * rand (d, n) - 5;
      check (X);
    end
  end
  check (rand (3, 1100));   % 9.7 MB, streamed
  check (rand (3, 1101));   % not a multiple of 4: ordinary stores
end

function check (X)
  Q = pairsq (X);
  E = zeros (columns (X));
  for k = 1:rows (X)
    E = E + (X(k,:)' - X(k,:)) .^ 2;
  end
  assert (isequal (Q, E), sprintf ('d = %d, n = %d', rows (X), columns (X)));
  assert (isequal (Q, Q.'));
end
