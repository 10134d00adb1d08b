function test_clear_and_call ()
  % A plug-in cleared (clear NAME, clear mex, clear functions, clear all) and called
  % again, a hundred times over, on two threads, large enough to be split:
  % no crash, no hang, and no thread left behind beyond the pool the runtime
  % keeps for the next call.
  saved = getenv ('MEXTOOLBOX_THREADS');
  restore = onCleanup (@() setenv ('MEXTOOLBOX_THREADS', saved));
  setenv ('MEXTOOLBOX_THREADS', '2');
  X = rand (3, 400);
  Q = pairsq (X);
  first = numel (dir ('/proc/self/task')) - 2;
  ways = {@() clear ('pairsq'), @() clear ('mex'), @() clear ('functions'), ...
          @() evalin ('base', 'clear all')};
  for k = 1:100
    ways{1 + mod (k, numel (ways))} ();
    assert (isequal (pairsq (X), Q));
  end
  last = numel (dir ('/proc/self/task')) - 2;
  assert (last <= first + 1, 'threads grew from %d to %d', first, last);
end
