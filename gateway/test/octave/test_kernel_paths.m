function test_kernel_paths ()
  % MEXTOOLBOX_KERNELS=plain and =avx2 run the real plug-ins on the plain
  % loops and on the AVX2 lanes; both give the same bits. A value that names
  % no path, or asks for AVX2 where the processor has none, is refused with
  % an identifier. The path is chosen when a plug-in is loaded.
  saved = getenv ('MEXTOOLBOX_KERNELS');
  restore = onCleanup (@() reset_path (saved));
  reset_path ('plain');
  plain = exercise ();
  reset_path ('avx2');
  try
    avx2 = exercise ();
  catch err
    assert (strcmp (err.identifier, 'penval:badEnvironment'), err.message);
    assert (! isempty (strfind (err.message, 'no AVX2')), err.message);
    printf ('test_kernel_paths: no AVX2 on this processor; the plain path alone was run\n');
    return;
  end
  for k = 1:numel (plain)
    assert (same_bits (plain{k}, avx2{k}), 'result %d differs between the paths', k);
  end
  reset_path ('AVX-512');
  try
    penval ([0 3; 0 4], [1 2 4], [], [], [1 1 1 0], [1 1 1 1]);
    error ('test_kernel_paths: an unknown path was accepted');
  catch err
    assert (err.identifier, 'penval:badEnvironment');
    assert (! isempty (strfind (err.message, 'MEXTOOLBOX_KERNELS=AVX-512')), err.message);
  end
end

function reset_path (value)
  setenv ('MEXTOOLBOX_KERNELS', value);
  for p = toolbox_plugin_list ()
    clear (p.name);
  end
end

% Every plug-in on inputs long enough for the lanes (rows in groups of four,
% blocks of 64; products four at a time; copies past 8 MB streamed).
function r = exercise ()
  rand ('seed', 5);
  randn ('seed', 5);
  r = run_examples ();   % every plug-in of the registry, if only on a small call
  for d = [1 2 3 4 6]
    n = 37;
    m = 259;
    X = 10 * rand (d, n);
    D = [1 + floor(n * rand (m, 2)), 12 * rand(m, 1)];
    B = [D, repmat([1; -2; 0; -1; -3; 2.5; NaN], ceil (m / 7), 1)(1:m)];
    w = [1.5 0.75 2.25 0.125];
    t = [3 5 7 2];
    G = [];
    printed = evalc ('G = penslope (X, D, B, B, w, t);');
    r = [r, {penval(X, D, B, B, w, t), G, printed, linkdev(X, D), ceilgap(X, B), floorgap(X, B), pairsq(X)}];
  end
  Xt = randn (5, 300);
  Y = randn (5, 200);
  I = 1 + floor (300 * rand (1, 1003));
  J = 1 + floor (200 * rand (1, 1003));
  r = [r, {obsprod(Xt, Y, I, J, 1003), obsprod_blas(Xt, Y, I, J, 1003)}];
  v = rand (1, 2^20 + 5);
  S = zeros (1, 2^20 + 7);
  nzfill (S, v, numel (v));
  r{end+1} = S;
end
