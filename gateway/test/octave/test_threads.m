function test_threads ()
  % The plug-ins at 1, 2, 3 and 8 threads (MEXTOOLBOX_THREADS, read at each
  % call): the same bits and the same printed text as on one thread, on
  % inputs large enough to be split, of sizes that split unevenly, and on
  % fewer rows than threads (and every plug-in's example in the registry).
  % A value that is no thread count is refused; blanks around one are not.
  saved = getenv ('MEXTOOLBOX_THREADS');
  restore = onCleanup (@() setenv ('MEXTOOLBOX_THREADS', saved));
  setenv ('MEXTOOLBOX_THREADS', '1');
  one = exercise ();
  for threads = [2 3 8]
    setenv ('MEXTOOLBOX_THREADS', sprintf ('%d', threads));
    many = exercise ();
    for k = 1:numel (one)
      assert (same_bits (one{k}, many{k}), 'result %d differs at %d threads', k, threads);
    end
  end
  % Blanks around the number are allowed, on either side or both.
  for blanks = {' 2', '2 ', sprintf('\t2 ')}
    setenv ('MEXTOOLBOX_THREADS', blanks{1});
    assert (pairsq ([0 3; 0 4]), [0 25; 25 0]);
  end
  for bad = {'0', 'two', '-3', '1.5', '2 2'}
    setenv ('MEXTOOLBOX_THREADS', bad{1});
    try
      pairsq ([0 3; 0 4]);
      error ('test_threads: MEXTOOLBOX_THREADS=%s was accepted', bad{1});
    catch err
      assert (err.identifier, 'pairsq:badEnvironment');
      assert (! isempty (strfind (err.message, ['MEXTOOLBOX_THREADS=' bad{1}])), err.message);
    end
  end
end

function r = exercise ()
  rand ('seed', 21);
  randn ('seed', 21);
  r = run_examples ();   % every plug-in of the registry, if only on a small call
  for m = [3 70001]
    n = 2003;
    X = 10 * rand (3, n);
    D = [1 + floor(n * rand (m, 2)), 12 * rand(m, 1)];
    D(1:9:end, 2) = D(1:9:end, 1);
    B = [D, repmat([1; -2; 0; -1; -3; 2.5; NaN], ceil (m / 7), 1)(1:m)];
    B(1:5:end, 3) = 40;
    w = [1.5 0.75 2.25 0.125];
    t = [3 5 7 2];
    G = [];
    printed = evalc ('G = penslope (X, D, B, B, w, t);');
    r = [r, {penval(X, D, B, B, w, t), G, printed, linkdev(X, D), ceilgap(X, B), floorgap(X, B)}];
  end
  r{end+1} = pairsq (rand (2, 1001));
  Xt = randn (7, 3000);
  Y = randn (7, 2000);
  I = 1 + floor (3000 * rand (1, 300007));
  J = 1 + floor (2000 * rand (1, 300007));
  r = [r, {obsprod(Xt, Y, I, J, 300007), obsprod_blas(Xt, Y, I, J, 300007)}];
  % The passes over samples grouped by row: rows of unequal counts, some
  % empty, in more blocks of rows (69 each) than threads.
  m = 70001;  n = 300;  k = 4;
  count = uint32 (floor (12 * rand (1, m)));
  col = uint32 (1 + floor (n * rand (1, sum (double (count)))));
  b = randn (1, numel (col));
  Gt = randn (k, m);  Ht = randn (k, n);
  r = [r, {resprod(Gt, Ht, count, col, b, randn (3, n)), ...
           resstep(Gt, Ht, count, col, b, randn (k, m), randn (k, n)), rowgram(Ht, count, col)}];
  v = rand (1, 2^20 + 3);
  for f = {@nzfill, @nzfill_blas}
    S = zeros (1, 2^20 + 9);
    f{1} (S, v, numel (v));
    r{end+1} = S;
  end
end
