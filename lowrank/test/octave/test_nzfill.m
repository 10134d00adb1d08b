function test_nzfill ()
  for name = {'nzfill', 'nzfill_blas'}
    f = str2func (name{1});
    id = @(reason) [name{1} ':' reason];

    % A sparse S in place: the pattern is kept, the values replaced, and a
    % value set to 0 stays a stored entry.
    S = sparse ([1 3 2 3], [1 1 2 3], [1 2 3 4], 3, 3);
    [i, j] = find (S);
    f (S, [7 0 -5 9], 4);
    [i2, j2, s2] = find (S);        % find lists the stored entries
    assert (issparse (S));
    assert ([i2 j2], [i j]);
    assert (s2', [7 0 -5 9]);
    assert (nnz (S), 4);
    assert (full (S), [7 0 0; 0 -5 0; 0 0 9]);

    % The count is truncated; only the first n values of v are used.
    S = sparse ([1 0; 2 3]);                    % stored values 1 2 3
    f (S, [7 8 9 10], 2.9);
    assert (nonzeros (S)', [7 8 3]);
    for none = [0 0.5 -0.5 -0.999]
      f (S, [1 1 1], none);
      assert (nonzeros (S)', [7 8 3]);
    end

    % A full S: its first n elements, column-major.
    F = [1 3; 2 4];
    f (F, [-1 -2; -3 -4], 3);
    assert (F, [-1 -2; -3 4]);      % v is read column-major: -1 -3 -2

    % Bit for bit: negative zero and NaN arrive unchanged.
    S = sparse ([1 2], [1 2], [5 6]);
    f (S, [-0 NaN], 2);
    v = nonzeros (S);
    assert (numel (v), 2);
    assert (v(1) == 0 && 1 / v(1) == -Inf);
    assert (isnan (v(2)));

    % S and v the same array: nothing changes.
    S = sparse ([1 0; 2 3]);
    f (S, S, 3);
    assert (S, sparse ([1 0; 2 3]));

    % In place: every variable sharing S's storage sees the change, in this
    % function and in a caller; S * 1 makes a private copy first.
    S = sparse ([1 0; 2 3]);
    T = S;
    f (S, [4 5 6], 3);
    assert (nonzeros (T)', [4 5 6]);
    S = sparse ([1 0; 2 3]);
    T = S;
    S = S * 1;
    f (S, [4 5 6], 3);
    assert (nonzeros (S)', [4 5 6]);
    assert (nonzeros (T)', [1 2 3]);
    S = sparse ([1 0; 2 3]);
    fill_inside (f, S);
    assert (nonzeros (S)', [9 9 9]);

    % Feeding obsprod's output back: S becomes the sampled product.
    A = randn (2, 6); B = randn (2, 5);
    P = sparse ([1 4 6 2 5], [1 1 2 4 5], 1, 6, 5);
    [I, J] = find (P);
    v = obsprod (A, B, I, J, numel (I));
    f (P, v, numel (v));
    AB = A' * B;
    assert (full (P(sub2ind (size (P), I, J))), AB(sub2ind (size (P), I, J)), 1e-14);

    % Errors, S unchanged.
    S = sparse ([1 0; 2 3]);
    usage = 'Usage:  SetSpv ( S, v, L )';
    nzfill_rejected (@(S, v, L) out_requested (f, S, v, L), S, [7 8 9], 2, '', usage);
    nzfill_rejected (@(S, v, L) f (S, v), S, [7 8 9], 2, '', usage);
    nzfill_rejected (@(S, v, L) f (S, v, L, L), S, [7 8 9], 2, '', usage);
    nzfill_rejected (f, single ([1 2 3]), [7 8 9], 2, id ('notRealDouble'), 'S');
    nzfill_rejected (f, logical (S), [1 1 1], 2, id ('notRealDouble'), 'S');
    nzfill_rejected (f, S * 1i, [7 8 9], 2, id ('notRealDouble'), 'S');
    nzfill_rejected (f, S, int32 ([7 8 9]), 2, id ('notRealDouble'), 'v');
    nzfill_rejected (f, S, [7 8 9], '2', id ('notRealDouble'), 'L');
    nzfill_rejected (f, S, [7 8 9], [], id ('badCount'));
    for bad = [NaN -1 -1.5 -Inf]
      nzfill_rejected (f, S, [7 8 9], bad, id ('badCount'));
    end
    for bad = [4 4.5 Inf 1e300]
      nzfill_rejected (f, S, [7 8 9 10 11], bad, id ('countTooLarge'), 'S');
    end
    nzfill_rejected (f, S, [7 8], 3, id ('countTooLarge'), 'v');
    nzfill_rejected (f, [1 2 3], [7 8 9 10], 4, id ('countTooLarge'), 'S');
  end
end

function fill_inside (f, S)
  f (S, [9 9 9], 3);
end

function out_requested (f, S, v, L)
  x = f (S, v, L);
end
