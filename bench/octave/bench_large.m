function bench_large (quick)
%BENCH_LARGE obsprod and nzfill at the scale of a large rating matrix
%   bench_large ()      L = 1e8 samples of a 480189-by-17770 matrix, r = 10
%   bench_large (true)  the same at L = 1e5, to check that it runs
%
%   The samples are the stored entries of a sparse pattern S (column by
%   column, as find returns them), the way a completion solver uses the two
%   plug-ins: v = obsprod (Xt, Y, I, J, L) at S's entries, then
%   nzfill (S, v, L). Each is timed on the default team of threads and on one
%   thread (MEXTOOLBOX_THREADS=1), with the peak memory the process gains
%   during the call, beside:
%     - streaming I, J and v once (sum of each), the floor of any pass over
%       the samples;
%     - what an Octave user would write without the plug-ins: the products
%       in chunks of 1e6 samples (all at once would need 2*r*L doubles), and
%       S rebuilt with sparse (I, J, v, m, n).
  if (nargin < 1)
    quick = false;
  end
  m = 480189;
  n = 17770;
  r = 10;
  L = ifelse (quick, 1e5, 1e8);
  rand ('seed', 3);
  randn ('seed', 3);
  printf ('pattern: %d-by-%d, %g samples drawn, r = %d\n', m, n, L, r);
  tic;
  S = sparse (randi (m, L, 1), randi (n, L, 1), 1, m, n);
  [I, J] = find (S);
  L = numel (I);
  printf ('S built in %.1f s: %d stored values (repeated draws merged)\n', toc, L);
  Xt = randn (r, m);
  Y = randn (r, n);

  printf ('%-34s %10s %14s\n', 'work', 'time', 'peak memory');
  [t, mem] = measure (@() obsprod (Xt, Y, I, J, L));
  row ('obsprod, default threads', t, mem);
  t1 = with_one_thread (@() measure (@() obsprod (Xt, Y, I, J, L)));
  row ('obsprod, 1 thread', t1, NaN);
  printf ('  scaling: %.2fx\n', t1 / t);
  v = obsprod (Xt, Y, I, J, L);
  v = v(:);
  v(v == 0) = eps;  % a stored value of zero is kept in S, but sparse () would drop it

  [t, mem] = measure (@() nzfill (S, v, L));
  row ('nzfill, default threads', t, mem);
  t1 = with_one_thread (@() measure (@() nzfill (S, v, L)));
  row ('nzfill, 1 thread', t1, NaN);
  printf ('  scaling: %.2fx\n', t1 / t);

  [t, mem] = measure (@() stream (I, J, v));
  row ('streaming I, J and v once', t, mem);
  [t, mem] = measure (@() chunked_products (Xt, Y, I, J, L), 1);
  row ('Octave: products in chunks of 1e6', t, mem);
  [t, mem] = measure (@() sparse (I, J, v, m, n), 1);
  row ('Octave: sparse (I, J, v, m, n)', t, mem);
end

function row (what, t, mem)
  if (isnan (mem))
    printf ('%-34s %8.3f s\n', what, t);
  else
    printf ('%-34s %8.3f s %11.0f MB\n', what, t, mem / 2^20);
  end
end

% The time of one call (the fastest of `tries`, two by default), and the
% most memory the process held during it beyond what it held before (from
% the kernel's record of the peak, reset first).
function [t, peak] = measure (f, tries)
  if (nargin < 2)
    tries = 2;
  end
  t = Inf;
  peak = 0;
  for k = 1:tries
    before = reset_peak ();
    tic;
    f ();
    t = min (t, toc);
    peak = max (peak, status_bytes ('VmHWM') - before);
  end
end

function t = with_one_thread (f)
  old = getenv ('MEXTOOLBOX_THREADS');
  setenv ('MEXTOOLBOX_THREADS', '1');
  unwind_protect
    t = f ();
  unwind_protect_cleanup
    if (isempty (old))
      unsetenv ('MEXTOOLBOX_THREADS');
    else
      setenv ('MEXTOOLBOX_THREADS', old);
    end
  end_unwind_protect
end

% Resets the process's peak resident size to its current one; returns it.
function rss = reset_peak ()
  fid = fopen ('/proc/self/clear_refs', 'w');
  if (fid >= 0)
    fprintf (fid, '5');
    fclose (fid);
  end
  rss = status_bytes ('VmRSS');
end

function b = status_bytes (field)
  text = fileread ('/proc/self/status');
  tok = regexp (text, [field ':\s*(\d+) kB'], 'tokens', 'once');
  b = str2double (tok{1}) * 1024;
end

function s = stream (I, J, v)
  s = sum (I) + sum (J) + sum (v);
end

function v = chunked_products (Xt, Y, I, J, L)
  v = zeros (1, L);
  step = 1e6;
  for k0 = 1:step:L
    k = k0:min (L, k0 + step - 1);
    v(k) = sum (Xt(:, I(k)) .* Y(:, J(k)), 1);
  end
end
